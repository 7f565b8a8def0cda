#include "core/tables/PeriodSearch.h"
#include "TableTestData.h"

#include <gtest/gtest.h>

using namespace tabletest;

TEST(FindPeriodRows, FirstUnbrokenRunOfRowsInThePeriod) {
    // Rows on these days (all in May 2009), then invalid rows.
    struct Case {
        const char* name;
        std::vector<int> days;
        int rowCount;
        const char* from;
        const char* to;
        int first, last;
    } cases[] = {
        {"inside", {8, 9, 10, 11, 12}, 4096, "09/05/2009", "10/05/2009", 2, 3},
        {"one day", {8, 9, 9, 9, 12}, 4096, "09/05/2009", "09/05/2009", 2, 4},
        {"none", {8, 9, 10}, 4096, "20/05/2009", "21/05/2009", 0, 0},
        {"before all rows", {8, 9, 10}, 4096, "01/05/2009", "07/05/2009", 0, 0},
        {"last valid row inside", {8, 9, 10}, 4096, "09/05/2009", "31/05/2009", 2, 3},
        {"every row up to the bound", {8, 9, 10}, 3, "01/05/2009", "31/05/2009", 1, 3},
        {"first run only", {9, 12, 9}, 4096, "09/05/2009", "10/05/2009", 1, 1},
        {"leading zeros are optional", {8, 9, 10}, 4096, "9/5/2009", "9/5/2009", 2, 2},
    };
    for (const Case& c : cases) {
        DataStore store;
        store.Event_Records.fill(255);
        int r = 1;
        for (int day : c.days) {
            const int16_t row[8] = {59, 23, static_cast<int16_t>(day), 0, 5, 9, 1, 0};
            for (int col = 1; col <= 8; ++col)
                store.Event_Records(r, col) = row[col - 1];
            ++r;
        }
        setPeriod(store, QString::fromLatin1(c.from), QString::fromLatin1(c.to));
        store.Period_First = store.Period_Last = 77;
        FindPeriodRows(store, store.Event_Records, c.rowCount);
        EXPECT_EQ(store.Period_First, c.first) << c.name;
        EXPECT_EQ(store.Period_Last, c.last) << c.name;
    }
}

TEST(FindPeriodRows, ComparesWholeDatesAcrossMonthsAndYears) {
    DataStore store;
    putRows(store.Leq_Records, {{0, 12, 30, 0, 12, 9, 0, 0},
                                {0, 12, 31, 0, 12, 9, 0, 0},
                                {0, 12, 1, 0, 1, 10, 0, 0},
                                {0, 12, 2, 0, 1, 10, 0, 0}});
    setPeriod(store, QStringLiteral("31/12/2009"), QStringLiteral("01/01/2010"));
    FindPeriodRows(store, store.Leq_Records, 8192);
    EXPECT_EQ(store.Period_First, 2);
    EXPECT_EQ(store.Period_Last, 3);
}

TEST(FindPeriodRows, BoundOutsideTheTableIsClamped) {
    DataStore store;
    store.Leq_Records.fill(255);
    for (int r = 1; r <= LeqTable::rowCount; ++r) {
        store.Leq_Records(r, 3) = 1;
        store.Leq_Records(r, 5) = 1;
        store.Leq_Records(r, 6) = 9;
    }
    setPeriod(store, QStringLiteral("01/01/2009"), QStringLiteral("01/01/2009"));
    for (int bound : {-5, 0, 100000}) {
        FindPeriodRows(store, store.Leq_Records, bound);
        EXPECT_EQ(store.Period_First, bound > 0 ? 1 : 0) << bound;
        EXPECT_EQ(store.Period_Last, bound > 0 ? LeqTable::rowCount : 0) << bound;
    }
}
