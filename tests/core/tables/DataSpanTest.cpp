#include "core/tables/DataSpan.h"
#include "core/tables/PeriodDialog.h"

#include <gtest/gtest.h>

namespace {
// minute, hour, day, month, year - 2000 of one record with a level or an event code.
struct SpanStamp {
    int row, minute, hour, day, month, year;
};

template <class Table> void put(Table& table, const SpanStamp& s) {
    const int16_t cells[8] = {static_cast<int16_t>(s.minute),
                              static_cast<int16_t>(s.hour),
                              static_cast<int16_t>(s.day),
                              1,
                              static_cast<int16_t>(s.month),
                              static_cast<int16_t>(s.year),
                              0,
                              80};
    for (int c = 1; c <= 8; ++c)
        table(s.row, c) = cells[c - 1];
}
} // namespace

TEST(DataSpan, TextAndRecordDaysOfTheListedRecords) {
    struct Case {
        const char* name;
        int generation;
        bool loaded;
        QString view;
        std::vector<SpanStamp> levels, events;
        QString text;
        QList<QDate> days;
    } cases[] = {
        {"levels in any order",
         5,
         true,
         QStringLiteral("Graphique Leq"),
         {{1, 30, 18, 23, 3, 9}, {2, 27, 11, 30, 3, 9}, {3, 0, 0, 25, 3, 9}},
         {{1, 0, 9, 1, 1, 8}},
         QStringLiteral("Données du 23/03/2009 18:30 au 30/03/2009 11:27"),
         {QDate(2009, 3, 23), QDate(2009, 3, 25), QDate(2009, 3, 30)}},
        {"the event table spans the events",
         5,
         true,
         kViewEventTable,
         {{1, 30, 18, 23, 3, 9}},
         {{1, 5, 9, 1, 1, 8}, {2, 0, 23, 2, 1, 8}},
         QStringLiteral("Données du 01/01/2008 09:05 au 02/01/2008 23:00"),
         {QDate(2008, 1, 1), QDate(2008, 1, 2)}},
        {"impossible days and generation 3's unused half are no data",
         3,
         true,
         kViewLeqTable,
         {{1, 0, 12, 31, 2, 9}, {2, 0, 12, 1, 3, 9}, {4097, 0, 12, 2, 3, 9}},
         {},
         QStringLiteral("Données du 01/03/2009 12:00 au 01/03/2009 12:00"),
         {QDate(2009, 3, 1)}},
        {"nothing loaded", 5, false, kViewLeqTable, {{1, 0, 12, 1, 3, 9}}, {}, QString(), {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DataStore store;
        store.Device_Version = static_cast<int16_t>(c.generation);
        store.Data_Loaded = c.loaded ? kTrue : kFalse;
        store.Leq_Records.fill(255);
        store.Event_Records.fill(255);
        for (const SpanStamp& s : c.levels)
            put(store.Leq_Records, s);
        for (const SpanStamp& s : c.events)
            put(store.Event_Records, s);

        const DataSpan span = DataSpanFor(store, c.view);
        EXPECT_EQ(DataSpanText(span), c.text);
        EXPECT_EQ(span.days, QSet<QDate>(c.days.begin(), c.days.end()));
    }
}
