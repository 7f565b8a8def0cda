#include "core/compliance/ComplianceAnalysis.h"
#include "core/stats/ThresholdTimeline.h"

#include <gtest/gtest.h>

#include <map>

namespace {
const QDateTime kT0 = DeviceTime(QDate(2021, 5, 7), QTime(18, 0));

struct EventAt {
    int minute;
    EventKind kind;
};

// A Leq1 of 80 dB for every minute of [firstRecord, lastRecord) but those of `gaps`, a transfer at
// `transfer` (none when negative), and the events.
struct TimelineCase {
    const char* name;
    int firstRecord, lastRecord;
    std::pair<int, int> gap; // minutes without records
    int transfer;
    std::vector<EventAt> events;
    std::vector<int> tenMinuteStamps; // Leq10 of 80 dB
    // Probed minutes and the cause each must have (none: known).
    std::map<int, std::optional<UnknownCause>> expected;
    int offGrid = 0, straddling = 0;
};

ComplianceInput inputOf(const TimelineCase& c) {
    ComplianceInput input;
    input.setLevelAt = [](const QDateTime&) { return 75; };
    for (int m = c.firstRecord; m < c.lastRecord; ++m) {
        if (m >= c.gap.first && m < c.gap.second) continue;
        input.records.push_back({kT0.addSecs(60 * (m + 1)), 80, false});
        for (int stamp : c.tenMinuteStamps)
            if (stamp == m + 1) input.records.push_back({kT0.addSecs(60 * stamp), 80, true});
    }
    for (const EventAt& e : c.events)
        input.events.push_back({kT0.addSecs(60 * e.minute), e.kind, {}, {}, {}});
    if (c.transfer >= 0) input.transferTime = kT0.addSecs(60 * c.transfer);
    return input;
}

TEST(ComplianceTimeline, UnknownMinutesAndTheirCauses) {
    using C = UnknownCause;
    using K = EventKind;
    const std::vector<TimelineCase> cases = {
        {"before the earliest record, after the transfer",
         30,
         100,
         {},
         100,
         {},
         {},
         {{29, C::BeforeData}, {30, {}}, {99, {}}, {100, C::AfterData}}},
        {"without a transfer the latest event ends the data",
         0,
         100,
         {},
         -1,
         {{120, K::CoverOpened}},
         {},
         {{119, {}}, {120, C::AfterData}}},
        {"power cut to system start, start minute included",
         0,
         100,
         {},
         100,
         {{40, K::PowerCut}, {50, K::SystemStart}},
         {},
         {{39, {}}, {40, C::PowerCut}, {50, C::PowerCut}, {51, {}}}},
        {"a start without a logged cut reaches back to the previous record",
         0,
         100,
         {40, 60},
         100,
         {{60, K::SystemStart}},
         {},
         {{39, {}}, {40, C::Restart}, {60, C::Restart}, {61, {}}}},
        {"sensor fault to its end; calibration for ten minutes",
         0,
         100,
         {},
         100,
         {{30, K::SensorFault}, {35, K::SensorFaultEnd}, {70, K::Calibration}},
         {},
         {{30, C::SensorFault}, {35, C::SensorFault}, {36, {}}, {69, {}}, {79, C::Calibration}, {80, {}}}},
        {"a cut with no start runs to the end; the earlier cause wins an overlap",
         0,
         100,
         {},
         100,
         {{80, K::PowerCut}, {90, K::Calibration}},
         {},
         {{79, {}}, {95, C::PowerCut}, {99, C::PowerCut}}},
        {"ten-minute records: one off the grid, one across a cut",
         0,
         100,
         {},
         100,
         {{52, K::PowerCut}, {55, K::SystemStart}},
         {20, 30, 33, 60, 70},
         {{54, C::PowerCut}},
         1,
         1},
    };
    for (const TimelineCase& c : cases) {
        const ComplianceInput input = inputOf(c);
        ComplianceAnalysis analysis(input, SettingsForFreeLimit(90, 15));
        std::map<int, std::optional<UnknownCause>> seen;
        const qint64 base = analysis.elapsedOf(kT0);
        analysis.run(base - 10, base + 130, {},
                     [&](const MinuteState& m) { seen[int(m.minute - base)] = m.unknown; });
        for (const auto& [minute, cause] : c.expected)
            EXPECT_EQ(seen.at(minute), cause) << c.name << ", minute " << minute;
        EXPECT_EQ(analysis.notes().offGridTenMinute, c.offGrid) << c.name;
        EXPECT_EQ(analysis.notes().straddlingTenMinute, c.straddling) << c.name;
    }
}

// Across the automatic clock changes windows run over real minutes: spring skips an hour, autumn lives
// one twice, its records in memory order (first of two equal stamps first).
TEST(ComplianceTimeline, ClockChangesRunOnRealMinutes) {
    struct ClockCase {
        const char* name;
        QDate day;
        int elapsedFrom0100To0400;
        QTime localAfter60, localAfter120; // local times one and two real hours after 01:00
    };
    const std::vector<ClockCase> cases = {{"spring", QDate(2021, 3, 28), 120, QTime(3, 0), QTime(4, 0)},
                                          {"autumn", QDate(2021, 10, 31), 240, QTime(2, 0), QTime(2, 0)},
                                          {"no change", QDate(2021, 5, 9), 180, QTime(2, 0), QTime(3, 0)}};
    for (const ClockCase& c : cases) {
        const QDateTime change = DeviceTime(c.day, QTime(3, 0));
        ComplianceInput input;
        if (c.day.month() != 5) input.events.push_back({change, EventKind::ClockChange, {}, {}, {}});
        ComplianceAnalysis analysis(input, {});
        const qint64 one = analysis.elapsedOf(DeviceTime(c.day, QTime(1, 0)));
        const qint64 four = analysis.elapsedOf(DeviceTime(c.day, QTime(4, 0)));
        EXPECT_EQ(four - one, c.elapsedFrom0100To0400) << c.name;
        EXPECT_EQ(analysis.localOf(one + 60).time(), c.localAfter60) << c.name;
        EXPECT_EQ(analysis.localOf(one + 120).time(), c.localAfter120) << c.name;
        EXPECT_EQ(analysis.localOf(four), DeviceTime(c.day, QTime(4, 0))) << c.name;
    }

    // Autumn: 80 dB in the first pass of 02:00-03:00, 90 dB in the second.
    const QDate day(2021, 10, 31);
    ComplianceInput input;
    input.events.push_back({DeviceTime(day, QTime(1, 0)), EventKind::SystemStart, {}, {}, {}});
    input.events.push_back({DeviceTime(day, QTime(3, 0)), EventKind::ClockChange, {}, {}, {}});
    for (int m = 1; m <= 60; ++m)
        for (int level : {80, 90})
            input.records.push_back({DeviceTime(day, QTime(2, 0)).addSecs(60 * m), level, false});
    input.transferTime = DeviceTime(day, QTime(5, 0));
    ComplianceAnalysis analysis(input, SettingsForFreeLimit(85, 1));
    const qint64 first = analysis.elapsedOf(DeviceTime(day, QTime(2, 0)));
    std::vector<std::optional<double>> lower;
    analysis.run(first, first + 120, [&](const WindowResult& w) { lower.push_back(w.lowerDb); });
    ASSERT_EQ(lower.size(), 120u);
    EXPECT_EQ(lower[30], 79.5);
    EXPECT_EQ(lower[90], 89.5);
    EXPECT_EQ(analysis.notes().repeatedHourRecords, 120);
}
} // namespace
