#include "core/stats/PeriodStats.h"
#include "core/stats/StatsReport.h"

#include <QRandomGenerator>
#include <gtest/gtest.h>

namespace {
// A generation-5 store with no records, no events and no history; current parameters: day 70, day
// window 75, night 60, night window 65, night from 22 h to 6 h.
DataStore emptyStore(int generation = 5) {
    DataStore store;
    store.Device_Version = static_cast<int16_t>(generation);
    store.Leq_Records.fill(255);
    store.Event_Records.fill(255);
    store.Param_Change_Records.fill(255);
    const int levels[4] = {70, 75, 60, 65};
    for (int i = 0; i < 4; ++i) {
        store.Param_Block[2176 + 2 * i] = static_cast<int16_t>(levels[i] / 100);
        store.Param_Block[2177 + 2 * i] = static_cast<int16_t>(levels[i] % 100);
    }
    store.Param_Block[2191] = 22;
    store.Param_Block[2193] = 6;
    return store;
}

// Adds a level row (dates within March 2009 unless given) in the generation's byte order.
struct Rows {
    DataStore& store;
    int next = 1;
    void level(int type, int day, int hour, int minute, int level, int month = 3) {
        LeqTable& t = store.Leq_Records;
        const bool g3 = store.Device_Version == 3;
        const int16_t cells[8] = {int16_t(minute),
                                  int16_t(hour),
                                  int16_t(day),
                                  int16_t(type),
                                  int16_t(month),
                                  9,
                                  int16_t(g3 ? level / 100 : level % 100),
                                  int16_t(g3 ? level % 100 : level / 100)};
        for (int c = 1; c <= 8; ++c)
            t(next, c) = cells[c - 1];
        ++next;
    }
};

void putEvent(DataStore& store, int row, int day, int hour, int minute, int c7, int c8) {
    const int16_t cells[8] = {int16_t(minute), int16_t(hour), int16_t(day), 0, 3, 9,
                              int16_t(c7),     int16_t(c8)};
    for (int c = 1; c <= 8; ++c)
        store.Event_Records(row, c) = cells[c - 1];
}

void putChange(DataStore& store, int row, int day, int hour, int dayLevel, int nightLevel, int dayNight,
               int nightDay) {
    ParamChangeTable& h = store.Param_Change_Records;
    h.fillRow(row, 0);
    h(row, 1) = 0;
    h(row, 2) = int16_t(hour);
    h(row, 3) = int16_t(day);
    h(row, 5) = 3;
    h(row, 6) = 9;
    h(row, 29) = int16_t(dayLevel / 100), h(row, 30) = int16_t(dayLevel % 100);
    h(row, 31) = int16_t(dayLevel / 100), h(row, 32) = int16_t(dayLevel % 100);
    h(row, 33) = int16_t(nightLevel / 100), h(row, 34) = int16_t(nightLevel % 100);
    h(row, 35) = int16_t(nightLevel / 100), h(row, 36) = int16_t(nightLevel % 100);
    h(row, 44) = int16_t(dayNight);
    h(row, 46) = int16_t(nightDay);
}

const QDate kDay(2009, 3, 5);
} // namespace

TEST(EnergyAverage, HandComputedCases) {
    struct Case {
        std::vector<int> levels;
        double expected;
    };
    const Case cases[] = {
        {{60, 60, 60}, 60.0},
        {{70, 80}, 77.4},         // 10 log10((1e7 + 1e8) / 2) = 77.40
        {{90, 60, 60, 60}, 84.0}, // one loud minute dominates: 10 log10((1e9 + 3e6) / 4) = 84.01
        {{200, 0}, 197.0},        // no overflow however loud
        {{0}, 0.0},
    };
    for (const Case& c : cases) {
        const auto average = EnergyAverage(c.levels);
        ASSERT_TRUE(average.has_value());
        EXPECT_DOUBLE_EQ(*average, c.expected) << c.levels.front();
    }
    EXPECT_FALSE(EnergyAverage({}).has_value());
}

TEST(Percentiles, NearestRankFromTheLoudest) {
    struct Case {
        std::vector<int> levels;
        int l10, l50, l90;
    };
    const Case cases[] = {
        {{1, 2, 3, 4, 5, 6, 7, 8, 9, 10}, 10, 6, 2},
        {{50, 60, 70, 80}, 80, 70, 50},
        {{65}, 65, 65, 65},
        {{70, 70, 90, 70, 70}, 90, 70, 70},
    };
    for (const Case& c : cases) {
        const auto p = PercentilesOf(c.levels);
        ASSERT_TRUE(p.has_value());
        EXPECT_EQ(p->l10, c.l10);
        EXPECT_EQ(p->l50, c.l50);
        EXPECT_EQ(p->l90, c.l90);
    }
    EXPECT_FALSE(PercentilesOf({}).has_value());
}

TEST(PeriodStats, DayNightBoundaryWithTypedThresholdsGeneration3) {
    DataStore store = emptyStore(3);
    Rows rows{store};
    rows.level(0, 5, 21, 55, 65); // covers 21:45..21:55, last minute 21:54: day
    rows.level(0, 5, 22, 5, 65);  // last minute 22:04: night
    rows.level(0, 6, 0, 0, 105);  // last minute 23:59 of the 5th: night of the 5th
    rows.level(0, 6, 12, 10, 50); // the day of the 6th is outside the period
    const PeriodStats stats = ComputePeriodStats(store, kDay, kDay, TypedThresholds{70, 60, 22, 6});
    EXPECT_EQ(stats.thresholds, ThresholdSource::Typed);
    ASSERT_EQ(stats.days.size(), 1u);
    const DayStats& day = stats.days[0];
    EXPECT_EQ(day.dayPart.tenMinute.count, 1);
    EXPECT_EQ(day.dayPart.minutesAbove, 0);
    EXPECT_EQ(day.nightPart.tenMinute.count, 2);
    EXPECT_EQ(day.nightPart.minutesAbove, 20); // ten minutes per ten-minute record
    EXPECT_EQ(day.nightPart.tenMinute.maximum, 105);
    EXPECT_EQ(day.nightPart.tenMinute.maximumAt, DeviceTime(QDate(2009, 3, 6), QTime(0, 0)));
    EXPECT_EQ(stats.tenMinute.count, 3);
    EXPECT_EQ(stats.tenMinute.minimum, 65);
    EXPECT_EQ(stats.tenMinute.minimumAt, DeviceTime(kDay, QTime(21, 55)));
    EXPECT_FALSE(stats.oneMinutePercentiles.has_value());
}

TEST(PeriodStats, Generation3WithoutTypedValuesTakesTheParameterZoneHours) {
    DataStore store = emptyStore(3);
    store.Param_Block[2187] = 20; // generation 3 keeps its switch hours in cells 2187 and 2189
    store.Param_Block[2189] = 6;
    Rows rows{store};
    rows.level(0, 5, 21, 0, 65);
    const PeriodStats stats = ComputePeriodStats(store, kDay, kDay);
    EXPECT_EQ(stats.thresholds, ThresholdSource::ParameterZone);
    EXPECT_EQ(stats.days[0].nightPart.tenMinute.count, 1);
}

TEST(PeriodStats, WindowOpenedDuringTheNightRaisesTheThreshold) {
    DataStore store = emptyStore();
    putEvent(store, 1, 5, 23, 30, 0, 32); // "Fenêtre Ouverte" at 23:30
    Rows rows{store};
    rows.level(1, 5, 14, 0, 72);  // day, window closed: 72 > 70
    rows.level(1, 5, 23, 20, 63); // night, closed: 63 > 60
    rows.level(1, 5, 23, 40, 63); // night, open: 63 <= 65
    rows.level(1, 5, 23, 45, 66); // night, open: 66 > 65
    rows.level(10, 5, 23, 50, 64);
    const PeriodStats stats = ComputePeriodStats(store, kDay, kDay);
    EXPECT_EQ(stats.thresholds, ThresholdSource::Recorded);
    const DayStats& day = stats.days.at(0);
    EXPECT_EQ(day.dayPart.minutesAbove, 1);
    EXPECT_EQ(day.nightPart.minutesAbove, 2);
    EXPECT_EQ(day.nightPart.oneMinute.count, 3);
    EXPECT_EQ(day.nightPart.tenMinute.count, 1);
    EXPECT_EQ(stats.oneMinute.count, 4);
    ASSERT_TRUE(stats.oneMinutePercentiles.has_value());
    EXPECT_EQ(stats.oneMinutePercentiles->l10, 72);
    EXPECT_EQ(stats.oneMinutePercentiles->l50, 66); // 72, 66, 63, 63: rank 2
    EXPECT_EQ(stats.oneMinutePercentiles->l90, 63);
}

TEST(PeriodStats, ParameterChangeInsideThePeriodMovesTheThresholdAndTheSwitchHour) {
    DataStore store = emptyStore();
    putChange(store, 1, 1, 0, 70, 60, 22, 6);
    putChange(store, 2, 5, 18, 80, 60, 20, 6); // from 18 h: day 80, night from 20 h
    Rows rows{store};
    rows.level(1, 5, 13, 0, 75); // first set, day: 75 > 70
    rows.level(1, 5, 19, 0, 75); // second set, day: 75 <= 80
    rows.level(1, 5, 21, 0, 75); // second set: 20 h is night now, 75 > 60
    const PeriodStats stats = ComputePeriodStats(store, kDay, kDay);
    const DayStats& day = stats.days.at(0);
    EXPECT_EQ(day.dayPart.oneMinute.count, 2);
    EXPECT_EQ(day.dayPart.minutesAbove, 1);
    EXPECT_EQ(day.nightPart.oneMinute.count, 1);
    EXPECT_EQ(day.nightPart.minutesAbove, 1);
}

TEST(PeriodStats, BeforeTheOldestHistoryRowTheCurrentParametersApply) {
    DataStore store = emptyStore();
    putChange(store, 1, 20, 0, 90, 90, 22, 6); // after the period
    Rows rows{store};
    rows.level(1, 5, 14, 0, 72);
    const PeriodStats stats = ComputePeriodStats(store, kDay, kDay);
    EXPECT_EQ(stats.days.at(0).dayPart.minutesAbove, 1);
}

TEST(PeriodStats, CutsAreCountedInTheirPart) {
    DataStore store = emptyStore();
    putEvent(store, 1, 5, 14, 0, 16, 0);   // general cut, day
    putEvent(store, 2, 5, 23, 0, 0, 168);  // 10-second cut (its maximum in the byte), night
    putEvent(store, 3, 5, 23, 5, 0, 128);  // 10-second cut
    putEvent(store, 4, 5, 23, 6, 0, 16);   // end of general cut: not a cut
    putEvent(store, 5, 5, 23, 7, 16, 128); // two bytes set: not an event
    const PeriodStats stats = ComputePeriodStats(store, kDay, kDay);
    const DayStats& day = stats.days.at(0);
    EXPECT_EQ(day.dayPart.generalCuts, 1);
    EXPECT_EQ(day.dayPart.tenSecondCuts, 0);
    EXPECT_EQ(day.nightPart.tenSecondCuts, 2);
    EXPECT_EQ(day.nightPart.generalCuts, 0);
}

TEST(PeriodStats, EmptyAndReversedPeriods) {
    DataStore store = emptyStore();
    Rows rows{store};
    rows.level(1, 5, 14, 0, 72);
    const PeriodStats empty = ComputePeriodStats(store, QDate(2009, 4, 1), QDate(2009, 4, 2));
    EXPECT_TRUE(empty.days.empty());
    EXPECT_EQ(empty.oneMinute.count, 0);
    EXPECT_FALSE(empty.oneMinute.energyAverage.has_value());
    EXPECT_FALSE(empty.oneMinutePercentiles.has_value());
    const QStringList text = StatsTextLines(empty);
    for (const QString& note : kStatsNoteLines)
        EXPECT_TRUE(text.contains(note));
    EXPECT_TRUE(text.contains(QStringLiteral("    Leq1 : aucune valeur enregistrée.")));

    EXPECT_TRUE(ComputePeriodStats(store, QDate(2009, 3, 6), kDay).days.empty());
}

TEST(PeriodStats, DaysRunFromNoonToNoonAndOnlyRecordedDaysAreListed) {
    // Night from 22 h to 6 h; the period is the days of the 5th to the 7th.
    struct Case {
        const char* what;
        int day, hour, minute; // a Leq1 stamp, or a general cut when cut is set
        bool cut;
        int listedDay; // 0: outside the period
        bool night;
    } cases[] = {
        {"last minute before noon of the first day", 5, 12, 0, false, 0, false},
        {"first minute of the first day", 5, 12, 1, false, 5, false},
        {"the evening's night", 5, 23, 0, false, 5, true},
        {"the same night after midnight", 6, 2, 0, false, 5, true},
        {"a cut in that night", 6, 3, 0, true, 5, true},
        {"the next morning", 6, 12, 0, false, 5, false},
        {"the last morning of the period", 8, 11, 0, false, 7, false},
        {"after the period", 8, 12, 1, false, 0, false},
    };
    for (const Case& c : cases) {
        DataStore store = emptyStore();
        if (c.cut)
            putEvent(store, 1, c.day, c.hour, c.minute, 16, 0);
        else
            Rows{store}.level(1, c.day, c.hour, c.minute, 80);
        const PeriodStats stats = ComputePeriodStats(store, kDay, kDay.addDays(2));
        if (c.listedDay == 0) {
            EXPECT_TRUE(stats.days.empty()) << c.what;
            continue;
        }
        ASSERT_EQ(stats.days.size(), 1u) << c.what << ": days without records are left out";
        EXPECT_EQ(stats.days[0].day, QDate(2009, 3, c.listedDay)) << c.what;
        const PartStats& part = c.night ? stats.days[0].nightPart : stats.days[0].dayPart;
        EXPECT_EQ(c.cut ? part.generalCuts : part.oneMinute.count, 1) << c.what;
    }
}

TEST(PeriodStats, AnyCellValuesAreSafe) {
    DataStore store = emptyStore();
    QRandomGenerator random(7);
    const int16_t odd[] = {0, 1, 10, 31, 59, 99, 100, 255, 32767, -1, -32768};
    for (int r = 1; r <= LeqTable::rowCount; ++r)
        for (int c = 1; c <= 8; ++c)
            store.Leq_Records(r, c) = odd[random.bounded(int(std::size(odd)))];
    for (int r = 1; r <= EventTable::rowCount; ++r)
        for (int c = 1; c <= 8; ++c)
            store.Event_Records(r, c) = odd[random.bounded(int(std::size(odd)))];
    for (int r = 1; r <= ParamChangeTable::rowCount; ++r)
        for (int c = 1; c <= 48; ++c)
            store.Param_Change_Records(r, c) = odd[random.bounded(int(std::size(odd)))];
    store.Param_Block[2191] = 32767;
    const PeriodStats stats = ComputePeriodStats(store, QDate(2000, 1, 1), QDate(2099, 12, 31));
    for (const LevelSummary* s : {&stats.tenMinute, &stats.oneMinute}) {
        if (s->count == 0) continue;
        EXPECT_GE(s->minimum, 0);
        EXPECT_LE(s->maximum, 250);
    }
    EXPECT_FALSE(StatsTextLines(stats).isEmpty());
}
