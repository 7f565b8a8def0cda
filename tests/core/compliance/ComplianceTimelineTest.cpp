#include "core/compliance/ComplianceAnalysis.h"
#include "core/compliance/ComplianceBounds.h"
#include "core/compliance/ComplianceReport.h"
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
        {"sensor fault to its end; calibration: ten minutes either side",
         0,
         100,
         {},
         100,
         {{30, K::SensorFault}, {35, K::SensorFaultEnd}, {70, K::Calibration}},
         {},
         {{30, C::SensorFault},
          {35, C::SensorFault},
          {36, {}},
          {59, {}},
          {60, C::Calibration},
          {79, C::Calibration},
          {80, {}}}},
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
        QTime stamp = QTime(3, 0);         // of the change event
    };
    const std::vector<ClockCase> cases = {
        {"spring", QDate(2021, 3, 28), 120, QTime(3, 0), QTime(4, 0)},
        {"autumn", QDate(2021, 10, 31), 240, QTime(2, 0), QTime(2, 0)},
        {"autumn, stamped once set back", QDate(2021, 10, 31), 240, QTime(2, 0), QTime(2, 0), QTime(2, 0)},
        {"no change", QDate(2021, 5, 9), 180, QTime(2, 0), QTime(3, 0)}};
    for (const ClockCase& c : cases) {
        const QDateTime change = DeviceTime(c.day, c.stamp);
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

namespace {
// Autumn, from 01:00: 90 dB, then one pass of the repeated hour at 45 dB (nothing stored) and the other
// at 100 dB, then 90 dB again. A stamp with one record may belong to either pass: no window of either
// pass may be judged by a guess, and the CSV tells the passes apart by their UTC offset.
TEST(ComplianceTimeline, AnAutumnStampWithOneRecordHoldsForEitherPass) {
    const QDate day(2019, 10, 27);
    const QDateTime one = DeviceTime(day, QTime(1, 0));
    // Elapsed minutes from 01:00; the first pass is 60..119, the second 120..179. A device that logs
    // the change with its clock set back (02:00) stamps the first pass's last minute 02:00 too.
    for (const auto& [quietFirst, setBack] :
         {std::pair{true, false}, std::pair{false, false}, std::pair{true, true}, std::pair{false, true}}) {
        const auto endOf = [&, setBack = setBack](int e) {
            return one.addSecs(60 * (e > 120 || (setBack && e == 120) ? e - 60 : e));
        };
        std::vector<double> truth(240, 90);
        for (int e = 60; e < 180; ++e)
            truth[static_cast<std::size_t>(e)] = (e < 120) == quietFirst ? 45 : 100;
        ComplianceInput input;
        input.setLevelAt = [](const QDateTime&) { return 80; };
        input.events.push_back({endOf(120), EventKind::ClockChange, {}, {}, {}});
        for (int e = 0; e < 240; ++e) {
            if (truth[static_cast<std::size_t>(e)] >= 80)
                input.records.push_back(
                    {endOf(e + 1), static_cast<int>(truth[static_cast<std::size_t>(e)]), false});
            if ((e + 1) % 10 == 0 && truth[static_cast<std::size_t>(e)] >= 80)
                input.records.push_back(
                    {endOf(e + 1), static_cast<int>(truth[static_cast<std::size_t>(e)]), true});
        }
        std::stable_sort(input.records.begin(), input.records.end(),
                         [](const LevelRecord& a, const LevelRecord& b) { return a.stamp < b.stamp; });
        input.transferTime = endOf(240);
        ComplianceAnalysis analysis(input, SettingsForFreeLimit(95, 15));
        const qint64 first = analysis.elapsedOf(one);
        std::map<int, QByteArray> csv;
        analysis.run(first, first + 225, [&](const WindowResult& w) {
            const int s = static_cast<int>(w.start - first);
            double energy = 0;
            for (int e = s; e < s + 15; ++e)
                energy += EnergyOf(truth[static_cast<std::size_t>(e)]);
            const std::string at = std::string(quietFirst ? "quiet first, " : "quiet second, ") +
                                   (setBack ? "set back, " : "") + std::to_string(s);
            EXPECT_LE(w.leastEnergy, energy * (1 + 1e-9)) << at;
            EXPECT_GE(w.mostEnergy, energy * (1 - 1e-9)) << at;
            if (w.verdict == Verdict::Certain) {
                EXPECT_GT(energy, 15 * EnergyOf(95)) << at;
            }
            if (w.verdict == Verdict::Compliant) {
                EXPECT_LE(energy, 15 * EnergyOf(95)) << at;
            }
            const QList<QByteArray> fields = ComplianceCsvRow(w).split(',');
            csv[s] = fields[0] + ',' + fields[1];
        });
        EXPECT_GT(analysis.notes().eitherPassRecords, 0);
        EXPECT_EQ(csv[50], "2019-10-27T01:50,2019-10-27T02:05+02:00");
        EXPECT_EQ(csv[75], "2019-10-27T02:15+02:00,2019-10-27T02:30+02:00");
        EXPECT_EQ(csv[135], "2019-10-27T02:15+01:00,2019-10-27T02:30+01:00");
        EXPECT_EQ(csv[180], "2019-10-27T03:00,2019-10-27T03:15");
    }
}
} // namespace
