#include "sim/Generator.h"
#include "core/store/Validity.h"
#include "core/tables/FirmwareVersion.h"

#include <gtest/gtest.h>
#include <memory>
#include <set>

namespace {

using Stamp = std::tuple<int, int, int, int, int>; // year, month, day, hour, minute

template <class Table> Stamp stampOf(const Table& t, int row) {
    return {t(row, 6), t(row, 5), t(row, 3), t(row, 2), t(row, 1)};
}

// Valid rows first in time order, then only rows of 255 in every cell; returns the valid count.
template <class Table, class Valid> int checkChronological(const Table& table, int rows, Valid valid) {
    int count = 0;
    bool tail = false;
    for (int r = 1; r <= rows; ++r) {
        if (!tail && valid(table, r)) {
            if (r > 1) {
                EXPECT_LE(stampOf(table, r - 1), stampOf(table, r)) << "row " << r;
            }
            ++count;
            continue;
        }
        tail = true;
        for (int c = 1; c <= Table::columnCount; ++c)
            EXPECT_EQ(table(r, c), 255) << "row " << r << " col " << c;
    }
    return count;
}

struct Generated {
    GeneratorOptions options;
    std::unique_ptr<DeviceData> data;
};

Generated generate(int generation, int days, uint32_t seed = 3) {
    GeneratorOptions options{generation, QDate(2009, 3, 26), days, seed}; // spans a clock change
    return {options, std::make_unique<DeviceData>(GenerateDeviceData(options))};
}

int levelOf(const DeviceData& d, int generation, int row) {
    return generation == 5 ? d.Leq_Records(row, 8) * 100 + d.Leq_Records(row, 7)
                           : d.Leq_Records(row, 7) * 100 + d.Leq_Records(row, 8);
}

TEST(Generator, SameSeedSameDataOtherSeedOtherData) {
    for (int generation : {3, 5}) {
        const auto a = generate(generation, 4, 1), b = generate(generation, 4, 1),
                   c = generate(generation, 4, 2);
        EXPECT_TRUE(*a.data == *b.data) << generation;
        EXPECT_FALSE(*a.data == *c.data) << generation;
    }
}

TEST(Generator, RowsAreValidAndChronological) {
    for (int generation : {3, 5})
        for (int days : {1, 7, 60}) {
            SCOPED_TRACE(testing::Message() << "generation " << generation << ", " << days << " days");
            const auto g = generate(generation, days);
            const DeviceData& d = *g.data;
            const int leqRows = generation == 5 ? 8192 : 4096;
            auto levelValid = [](const auto& t, int r) { return isValidLevelOrEventRow(t, r); };
            EXPECT_GT(checkChronological(d.Leq_Records, leqRows, levelValid), 0);
            EXPECT_GT(checkChronological(d.Event_Records, 4096, levelValid), 0);
            if (generation == 5) {
                auto changeValid = [](const auto& t, int r) { return isValidParamChangeRow(t, r); };
                EXPECT_GE(checkChronological(d.Param_Change_Records, 682, changeValid), 2);
            }
        }
}

TEST(Generator, LongRecordingsKeepTheNewestRows) {
    const auto g = generate(5, 200);
    const DeviceData& d = *g.data;
    EXPECT_TRUE(isValidLevelOrEventRow(d.Leq_Records, 8192)); // the memory is full
    const QDate last(2000 + d.Leq_Records(8192, 6), d.Leq_Records(8192, 5), d.Leq_Records(8192, 3));
    EXPECT_GE(last, g.options.start.addDays(199));
}

// Level rows: Leq10 from 70 dB; generation 5 marks the kind and keeps Leq1 rows only when they reach
// the threshold in force, which depends on the parameter set, the window and day or night.
TEST(Generator, LevelRowsFollowTheDeviceRules) {
    for (int generation : {3, 5}) {
        SCOPED_TRACE(generation);
        const auto g = generate(generation, 14);
        const DeviceData& d = *g.data;
        int leq1 = 0;
        for (int r = 1; r <= (generation == 5 ? 8192 : 4096) && isValidLevelOrEventRow(d.Leq_Records, r);
             ++r) {
            const int kind = d.Leq_Records(r, 4);
            EXPECT_LE(d.Leq_Records(r, generation == 5 ? 8 : 7), 1);
            if (generation == 3 || kind == 10) {
                EXPECT_GE(levelOf(d, generation, r), 70) << r;
                EXPECT_EQ(d.Leq_Records(r, 1) % 10, 0) << r;
                continue;
            }
            ASSERT_EQ(kind, 1) << r;
            ++leq1;
            const Stamp at = stampOf(d.Leq_Records, r);
            int set = 0;
            for (int p = 1; p <= 682 && isValidParamChangeRow(d.Param_Change_Records, p); ++p)
                if (stampOf(d.Param_Change_Records, p) <= at) set = p;
            ASSERT_GT(set, 0);
            bool open = false;
            for (int e = 1; e <= 4096 && isValidLevelOrEventRow(d.Event_Records, e); ++e)
                if (d.Event_Records(e, 7) == 0 &&
                    (d.Event_Records(e, 8) == 32 || d.Event_Records(e, 8) == 64) &&
                    stampOf(d.Event_Records, e) <= at)
                    open = d.Event_Records(e, 8) == 32;
            const auto& pc = d.Param_Change_Records;
            const int hour = d.Leq_Records(r, 2), dayToNight = pc(set, 44), nightToDay = pc(set, 46);
            const bool night = hour >= dayToNight || hour < nightToDay;
            const int col = (night ? 33 : 29) + (open ? 2 : 0);
            EXPECT_GE(levelOf(d, 5, r), pc(set, col) * 100 + pc(set, col + 1)) << r;
        }
        if (generation == 5) {
            EXPECT_GT(leq1, 0);
        }
    }
}

TEST(Generator, EventLogHoldsTheUsualEvents) {
    struct Case {
        int generation;
        std::vector<std::pair<int, int>> codes;
    } cases[] = {
        {5, {{0, 4}, {1, 0}, {2, 0}, {4, 0}, {16, 0}, {0, 16}, {128, 0}, {0, 32}, {0, 64}, {0, 128}, {8, 0}}},
        {3, {{0, 4}, {1, 0}, {2, 0}, {4, 0}, {16, 0}, {8, 0}, {128, 0}, {0, 8}}},
    };
    for (const Case& c : cases) {
        const auto g = generate(c.generation, 21);
        const EventTable& ev = g.data->Event_Records;
        std::set<std::pair<int, int>> seen;
        int atSwitchHours = 0;
        for (int r = 1; r <= 4096 && isValidLevelOrEventRow(ev, r); ++r) {
            EXPECT_TRUE(isEventRow(ev, r)) << r;
            seen.insert({ev(r, 7), ev(r, 8)});
            if (ev(r, 7) == 0 && (ev(r, 8) == 32 || ev(r, 8) == 64) && ev(r, 1) == 0 &&
                (ev(r, 2) == 7 || ev(r, 2) == 22))
                ++atSwitchHours;
        }
        for (const auto& code : c.codes)
            EXPECT_TRUE(seen.count(code)) << c.generation << ": " << code.first << ',' << code.second;
        if (c.generation == 5)
            EXPECT_GE(atSwitchHours, 2 * 21);
        else
            EXPECT_FALSE(seen.count({0, 32}) || seen.count({0, 64}));
    }
}

// The history ends with the parameters in force; every change is in the event log too.
TEST(Generator, ParameterZoneAndHistoryAgree) {
    const auto g5 = generate(5, 10);
    const DeviceData& d = *g5.data;
    EXPECT_EQ(FirmwareVersionText(d.Param_Block), QStringLiteral("5.5"));
    EXPECT_EQ(d.Param_Block[2191], 22);
    EXPECT_EQ(d.Param_Block[2193], 7);
    EXPECT_NE(d.Param_Block[2360], 0);
    int last = 0;
    while (last < 682 && isValidParamChangeRow(d.Param_Change_Records, last + 1))
        ++last;
    ASSERT_GE(last, 3);
    EXPECT_EQ(d.Param_Change_Records(last, 7), d.Param_Block[6]);
    EXPECT_EQ(d.Param_Change_Records(last, 8), d.Param_Block[7]);
    for (int c = 9; c <= 48; ++c)
        EXPECT_EQ(d.Param_Change_Records(last, c), d.Param_Block[2147 + c]) << c;
    for (int p = 1; p <= last; ++p) {
        bool logged = false;
        for (int e = 1; e <= 4096; ++e)
            logged |= d.Event_Records(e, 7) == 128 &&
                      stampOf(d.Event_Records, e) == stampOf(d.Param_Change_Records, p);
        EXPECT_TRUE(logged) << p;
    }
    EXPECT_EQ(d.Transfer_Date.size(), 10);
    EXPECT_EQ(d.Transfer_Time.size(), 8);

    const auto g3 = generate(3, 10);
    const DeviceData& v3 = *g3.data;
    for (int cell : {0, 5, 8, 160, 2047})
        EXPECT_EQ(v3.Param_Block[cell], 255) << cell;
    for (int i = 0; i < 512; ++i)
        ASSERT_EQ(v3.Param_Block[2048 + i], v3.Param_Block_V3[i]) << i;
    EXPECT_EQ(v3.Param_Block[6], v3.Param_Block_V3[512]);
    EXPECT_EQ(v3.Param_Block[2187], 22);
    EXPECT_EQ(v3.Param_Block[2189], 7);
    EXPECT_GE(v3.Param_Block[2176] * 100 + v3.Param_Block[2177], 85);
    EXPECT_TRUE(v3.Transfer_Date.isEmpty());
}

TEST(Generator, RefusedOptions) {
    struct Case {
        GeneratorOptions options;
        bool ok;
    } cases[] = {
        {{5, QDate(2009, 3, 5), 3, 1}, true},    {{3, QDate(2000, 1, 1), 366, 1}, true},
        {{4, QDate(2009, 3, 5), 3, 1}, false},   {{5, QDate(), 3, 1}, false},
        {{5, QDate(2009, 3, 5), 0, 1}, false},   {{5, QDate(2009, 3, 5), 367, 1}, false},
        {{5, QDate(1999, 12, 31), 3, 1}, false}, {{5, QDate(2098, 12, 30), 3, 1}, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CheckGeneratorOptions(c.options).isEmpty(), c.ok) << c.options.generation;
}

} // namespace
