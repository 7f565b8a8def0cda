#include "core/compliance/ComplianceAnalysis.h"
#include "core/stats/ThresholdTimeline.h"
#include "sim/Generator.h"

#include <gtest/gtest.h>

#include <functional>
#include <limits>

namespace {
const QDateTime kVerdictT0 = DeviceTime(QDate(2022, 9, 16), QTime(22, 0));

// Forty minutes at one level (Leq1 and Leq10 alike), transferred at their end.
ComplianceInput steadyInput(Weighting weighting, int level) {
    ComplianceInput input;
    input.weighting = weighting;
    input.setLevelAt = [](const QDateTime&) { return 60; };
    for (int m = 1; m <= 40; ++m) {
        input.records.push_back({kVerdictT0.addSecs(60 * m), level, false});
        if (m % 10 == 0) input.records.push_back({kVerdictT0.addSecs(60 * m), level, true});
    }
    input.transferTime = kVerdictT0.addSecs(60 * 40);
    return input;
}

ComplianceSettings preset(const char* name) {
    return SettingsForPreset(*FindCompliancePreset(QString::fromUtf8(name)));
}

TEST(ComplianceVerdict, ByBoundsUnknownTimeAndWeighting) {
    struct Case {
        const char* name;
        Weighting weighting;
        ComplianceSettings settings;
        int level;
        int start; // window start, minutes from the first; 30 reaches past the transfer
        Verdict expected;
    };
    const std::vector<Case> cases = {
        {"lower bound over the limit", Weighting::A, preset("Décret 2017 — A"), 103, 10, Verdict::Certain},
        {"limit between the bounds", Weighting::A, preset("Décret 2017 — A"), 102, 10, Verdict::Possible},
        {"upper bound under the limit", Weighting::A, preset("Décret 2017 — A"), 101, 10, Verdict::Compliant},
        {"unknown minutes hide no proven exceedance", Weighting::A, preset("Décret 2017 — A"), 110, 30,
         Verdict::Certain},
        {"unknown minutes leave the rest open", Weighting::A, preset("Décret 2017 — A"), 101, 30,
         Verdict::Incomplete},
        {"young audience", Weighting::A, preset("Jeune public — A"), 96, 10, Verdict::Certain},
        {"former rule", Weighting::A, preset("Ancien décret"), 104, 10, Verdict::Compliant},
        {"linear data prove compliance with a C limit", Weighting::Linear, preset("Décret 2017 — C"), 117, 10,
         Verdict::Compliant},
        {"but only a possible exceedance", Weighting::Linear, preset("Jeune public — C"), 120, 10,
         Verdict::Possible},
        {"linear data say nothing of an A limit", Weighting::Linear, preset("Décret 2017 — A"), 120, 10,
         Verdict::None},
        {"A data say nothing of a C limit", Weighting::A, preset("Décret 2017 — C"), 125, 10, Verdict::None},
        {"M data: bounds only", Weighting::M, ComplianceSettings{}, 120, 10, Verdict::None},
        {"M data against a limit of the user", Weighting::M, SettingsForFreeLimit(100, 5), 103, 10,
         Verdict::Certain},
    };
    for (const Case& c : cases) {
        const ComplianceInput input = steadyInput(c.weighting, c.level);
        ComplianceAnalysis analysis(input, c.settings);
        const qint64 s = analysis.elapsedOf(kVerdictT0) + c.start;
        std::optional<WindowResult> window;
        analysis.run(s, s + 1, [&](const WindowResult& w) { window = w; });
        ASSERT_TRUE(window) << c.name;
        EXPECT_EQ(window->verdict, c.expected) << c.name;
        if (c.start == 10) {
            // A steady level is known to half a decibel either way.
            EXPECT_EQ(window->lowerDb, c.level - 0.5) << c.name;
            EXPECT_EQ(window->upperDb, c.level + 0.5) << c.name;
            EXPECT_EQ(window->localEnd, window->localStart.addSecs(60 * c.settings.durationMinutes))
                << c.name;
        } else {
            EXPECT_FALSE(window->upperDb) << c.name;
        }
    }
}
} // namespace

namespace {
// Records that cannot all hold: the set-level caps give way first, then the ten-minute record.
TEST(ComplianceVerdict, ContradictingRecordsDropCapsThenTheBlock) {
    struct Case {
        const char* name;
        std::optional<int> leq1; // every minute of the block; none: not stored
        int leq10;
        int capsDropped, intervalsDropped;
        double lowerDb, upperDb; // of the block's ten minutes
    };
    const std::vector<Case> cases = {
        {"a loud block whose minutes were all under a low cap", std::nullopt, 90, 1, 0, 89.5, 90.5},
        {"one-minute levels far above their ten-minute level", 95, 80, 0, 1, 94.5, 95.5},
    };
    for (const Case& c : cases) {
        ComplianceInput input;
        input.setLevelAt = [](const QDateTime&) { return 70; };
        for (int m = 1; m <= 10; ++m)
            if (c.leq1) input.records.push_back({kVerdictT0.addSecs(60 * m), *c.leq1, false});
        input.records.push_back({kVerdictT0.addSecs(600), c.leq10, true});
        input.transferTime = kVerdictT0.addSecs(600);
        ComplianceAnalysis analysis(input, SettingsForFreeLimit(100, 10));
        const qint64 s = analysis.elapsedOf(kVerdictT0);
        std::optional<WindowResult> window;
        analysis.run(s, s + 1, [&](const WindowResult& w) { window = w; });
        analysis.run(s, s + 1, {}); // a block read again is not counted again
        ASSERT_TRUE(window) << c.name;
        EXPECT_EQ(analysis.notes().capsDropped, c.capsDropped) << c.name;
        EXPECT_EQ(analysis.notes().intervalsDropped, c.intervalsDropped) << c.name;
        EXPECT_EQ(window->lowerDb, c.lowerDb) << c.name;
        EXPECT_EQ(window->upperDb, c.upperDb) << c.name;
    }
}
} // namespace

namespace {
// An event stamped E happens within [E, E + 1): an unstored minute E may have been judged by the set
// level before or after it, and the higher one caps it. A true level of 95 dB unstored in minute 22:05
// is possible whichever way the set level moves at 22:05.
TEST(ComplianceVerdict, SetLevelChangingInAMinuteCapsItByTheHigher) {
    const QDateTime change = kVerdictT0.addSecs(60 * 5);
    for (const auto& [before, after] : {std::pair{87, 96}, std::pair{96, 87}}) {
        ComplianceInput input;
        input.setLevelAt = [change, before, after](const QDateTime& m) -> std::optional<int> {
            return m < change ? before : after;
        };
        input.records.push_back({kVerdictT0.addSecs(60), 90, false});
        input.transferTime = kVerdictT0.addSecs(60 * 10);
        ComplianceAnalysis analysis(input, SettingsForFreeLimit(100, 1));
        const qint64 s = analysis.elapsedOf(kVerdictT0);
        std::vector<std::optional<double>> upper;
        analysis.run(s + 4, s + 7, [&](const WindowResult& w) { upper.push_back(w.upperDb); });
        const double higher = std::max(before, after);
        EXPECT_EQ(upper, (std::vector<std::optional<double>>{before, higher, after}))
            << before << "→" << after;
    }
}

// A limit met exactly is no exceedance: energies are compared to a relative 1e-9.
TEST(ComplianceVerdict, EqualityWithTheLimitWithinTheTolerance) {
    struct Case {
        const char* name;
        std::optional<int> leq1; // every minute; none: unstored under a set level of 102
        double limit;
        Verdict expected;
    };
    const std::vector<Case> cases = {
        {"upper bound of the caps at the limit", std::nullopt, 102, Verdict::Compliant},
        {"a hundredth under the caps", std::nullopt, 101.99, Verdict::Possible},
        {"a hundredth over the caps", std::nullopt, 102.01, Verdict::Compliant},
        {"lower bound at the limit", 103, 102.5, Verdict::Possible},
        {"a hundredth under the lower bound", 103, 102.49, Verdict::Certain},
        {"a hundredth over the lower bound", 103, 102.51, Verdict::Possible},
    };
    for (const Case& c : cases) {
        ComplianceInput input;
        input.setLevelAt = [](const QDateTime&) { return 102; };
        for (int m = 1; m <= 40; ++m) {
            if (c.leq1) input.records.push_back({kVerdictT0.addSecs(60 * m), *c.leq1, false});
            if (m % 10 == 0)
                input.records.push_back({kVerdictT0.addSecs(60 * m), c.leq1.value_or(102), true});
        }
        input.transferTime = kVerdictT0.addSecs(60 * 40);
        ComplianceAnalysis analysis(input, SettingsForFreeLimit(c.limit, 15));
        const qint64 s = analysis.elapsedOf(kVerdictT0) + 10;
        std::optional<WindowResult> window;
        analysis.run(s, s + 1, [&](const WindowResult& w) { window = w; });
        ASSERT_TRUE(window) << c.name;
        EXPECT_EQ(window->verdict, c.expected) << c.name;
    }
}

// Verdicts whose true level is known, at the edges of the records.
TEST(ComplianceVerdict, EdgesOfTheRecordsGiveNoFalseVerdict) {
    struct Case {
        const char* name;
        std::function<void(ComplianceInput&)> build; // minutes from kVerdictT0
        ComplianceSettings settings;
        int start;
        Verdict expected;
        std::optional<double> lowerDb = std::nullopt, upperDb = std::nullopt;
    };
    const auto at = [](int minute) { return kVerdictT0.addSecs(60 * minute); };
    const auto leq1 = [at](ComplianceInput& in, int from, int to, int level) {
        for (int m = from; m < to; ++m)
            in.records.push_back({at(m + 1), level, false});
    };
    const std::vector<Case> cases = {
        // A calibrator tone of 114 dB in the minute before the logged calibration, 80 dB otherwise.
        {"a tone just before the calibration is not music",
         [&](ComplianceInput& in) {
             leq1(in, 0, 29, 80);
             leq1(in, 29, 30, 114);
             leq1(in, 30, 60, 80);
             in.events.push_back({at(30), EventKind::Calibration, {}, {}, {}});
         },
         SettingsForFreeLimit(100, 15), 16, Verdict::Incomplete},
        // Under an undocumented set level of 105 dB (nothing stored): 102 dB for five minutes, then
        // 96.2 dB for five (a ten-minute level of 100 dB). The history documents today's 100 dB from
        // minute 20 on.
        {"no cap where the set level is not documented",
         [&](ComplianceInput& in) {
             in.records.push_back({at(10), 100, true});
             leq1(in, 20, 40, 101);
             in.setLevelAt = [at](const QDateTime& m) -> std::optional<int> {
                 if (m < at(20)) return std::nullopt;
                 return 100;
             };
         },
         SettingsForFreeLimit(98, 5), 5, Verdict::Possible},
        // A ten-minute level of 80 dB whose one stored minute (89 dB) holds all of its lowest energy:
        // the other nine minutes may hold nothing.
        {"a lower bound cancelling to nothing is empty",
         [&](ComplianceInput& in) {
             leq1(in, 0, 1, 89);
             in.records.push_back({at(10), 80, true});
             in.setLevelAt = [](const QDateTime&) { return 85; };
         },
         SettingsForFreeLimit(94, 9), 1, Verdict::Compliant, std::nullopt, 76.7},
        // A quiet morning between a sensor fault and a power cut, caps at 109 dB: every block of the
        // device's grid there stayed under 70 dB, whatever its phase.
        {"a silent stretch stayed under 70 dB",
         [&](ComplianceInput& in) {
             leq1(in, -10, -1, 110);
             in.events.push_back({at(0), EventKind::SensorFault, {}, {}, {}});
             in.events.push_back({at(5), EventKind::SensorFaultEnd, {}, {}, {}});
             leq1(in, 80, 81, 75);
             in.events.push_back({at(90), EventKind::PowerCut, {}, {}, {}});
             in.setLevelAt = [](const QDateTime&) { return 109; };
         },
         SettingsForFreeLimit(94, 15), 30, Verdict::Compliant, std::nullopt, 73.1},
        {"its ends are open to the caps",
         [&](ComplianceInput& in) {
             leq1(in, -10, -1, 110);
             in.events.push_back({at(0), EventKind::SensorFault, {}, {}, {}});
             in.events.push_back({at(5), EventKind::SensorFaultEnd, {}, {}, {}});
             in.events.push_back({at(90), EventKind::PowerCut, {}, {}, {}});
             in.setLevelAt = [](const QDateTime&) { return 109; };
         },
         SettingsForFreeLimit(94, 15), 6, Verdict::Possible},
        // Recorded "Linéaire" until minute 60, then A-weighted: 110 dB throughout.
        {"linear minutes say nothing of an A limit",
         [&](ComplianceInput& in) {
             in.weightingChanges = {{at(-100), Weighting::Linear}, {at(60), Weighting::A}};
             leq1(in, 0, 100, 110);
         },
         preset("Décret 2017 — A"), 20, Verdict::None},
        {"the A minutes of a window prove what they can",
         [&](ComplianceInput& in) {
             in.weightingChanges = {{at(-100), Weighting::Linear}, {at(60), Weighting::A}};
             leq1(in, 0, 100, 110);
         },
         preset("Décret 2017 — A"), 50, Verdict::Certain},
        {"a window of A minutes after the change",
         [&](ComplianceInput& in) {
             in.weightingChanges = {{at(-100), Weighting::Linear}, {at(60), Weighting::A}};
             leq1(in, 0, 100, 110);
         },
         preset("Décret 2017 — A"), 70, Verdict::Certain},
    };
    for (const Case& c : cases) {
        ComplianceInput input;
        input.setLevelAt = [](const QDateTime&) { return 70; };
        c.build(input);
        std::stable_sort(input.records.begin(), input.records.end(),
                         [](const LevelRecord& a, const LevelRecord& b) { return a.stamp < b.stamp; });
        input.transferTime = kVerdictT0.addSecs(60 * 100);
        ComplianceAnalysis analysis(input, c.settings);
        const qint64 s = analysis.elapsedOf(kVerdictT0) + c.start;
        std::optional<WindowResult> window;
        analysis.run(s, s + 1, [&](const WindowResult& w) { window = w; });
        ASSERT_TRUE(window) << c.name;
        EXPECT_EQ(window->verdict, c.expected) << c.name;
        if (c.expected == Verdict::Compliant) {
            EXPECT_EQ(window->lowerDb, c.lowerDb) << c.name;
            EXPECT_EQ(window->upperDb, c.upperDb) << c.name;
        }
    }
}

// A limit is a finite level from 40 to 140 dB; any other gives no verdict.
TEST(ComplianceVerdict, OnlyAPlausibleLimitJudges) {
    const double nan = std::numeric_limits<double>::quiet_NaN(),
                 inf = std::numeric_limits<double>::infinity();
    for (const auto& [limit, valid] : std::vector<std::pair<double, bool>>{{nan, false},
                                                                           {inf, false},
                                                                           {-inf, false},
                                                                           {0, false},
                                                                           {39.9, false},
                                                                           {40, true},
                                                                           {140, true},
                                                                           {140.1, false}}) {
        EXPECT_EQ(IsValidComplianceLimit(limit), valid) << limit;
        EXPECT_EQ(ScopeOf(Weighting::A, SettingsForFreeLimit(limit, 15)) == VerdictScope::Full, valid)
            << limit;
    }
}
} // namespace

namespace {
// The parameter history documents the set level from its oldest row on, and the weighting row by row:
// a night recorded "Linéaire" is not judged against an A limit, however loud.
TEST(ComplianceVerdict, ParameterHistoryDocumentsSetLevelAndWeighting) {
    GeneratorOptions options;
    options.start = QDate(2024, 4, 8);
    options.days = 3;
    DeviceData data = GenerateDeviceData(options);
    ParamChangeTable& history = data.Param_Change_Records;
    const auto row = [&](int r, const QDateTime& at, int optionA) {
        for (int c = 1; c <= ParamChangeTable::columnCount; ++c)
            history(r, c) = history(1, c);
        history(r, 1) = at.time().minute();
        history(r, 2) = at.time().hour();
        history(r, 3) = at.date().day();
        history(r, 5) = at.date().month();
        history(r, 6) = at.date().year() - 2000;
        history(r, 7) = optionA;
    };
    const QDateTime linear = DeviceTime(QDate(2024, 4, 8), QTime(20, 0));
    const QDateTime weightedA = DeviceTime(QDate(2024, 4, 9), QTime(12, 0));
    row(1, linear, data.Param_Block[6] & ~0x0C);
    row(2, weightedA, data.Param_Block[6] | 0x0C);
    for (int r = 3; r <= ParamChangeTable::rowCount; ++r)
        for (int c = 1; c <= ParamChangeTable::columnCount; ++c)
            history(r, c) = 255;

    const ComplianceInput input = ComplianceInputFromDevice(data, 5);
    ASSERT_TRUE(input.setLevelAt);
    EXPECT_FALSE(input.setLevelAt(linear.addSecs(-60)));
    EXPECT_TRUE(input.setLevelAt(linear));
    ASSERT_EQ(input.weightingChanges.size(), 2u);
    EXPECT_EQ(input.weightingChanges[0].from, linear);
    EXPECT_EQ(input.weightingChanges[0].weighting, Weighting::Linear);
    EXPECT_EQ(input.weightingChanges[1].weighting, Weighting::A);

    ComplianceAnalysis analysis(input, preset("Décret 2017 — A"));
    const qint64 nightOne = analysis.elapsedOf(linear), nightTwo = analysis.elapsedOf(weightedA);
    int judgedFirstNight = 0, judgedSecondNight = 0;
    analysis.run(nightOne, nightTwo - 15,
                 [&](const WindowResult& w) { judgedFirstNight += w.verdict != Verdict::None; });
    analysis.run(nightTwo, nightTwo + 24 * 60,
                 [&](const WindowResult& w) { judgedSecondNight += w.verdict != Verdict::None; });
    EXPECT_EQ(judgedFirstNight, 0);
    EXPECT_EQ(judgedSecondNight, 24 * 60);
    // The linear night can be judged against a C limit, though the data are A-weighted today.
    EXPECT_EQ(ComplianceAnalysis(input, preset("Décret 2017 — C")).scope(), VerdictScope::ComplianceOnly);
}
} // namespace

// Every preset answers to its French label and to its ASCII name, which the command line and the
// server's API use and which never change.
TEST(CompliancePresets, EachAnswersToItsLabelAndToItsStableAsciiName) {
    const std::pair<const char*, double> keys[] = {
        {"decret-a", 102}, {"decret-c", 118}, {"jeune-a", 94}, {"jeune-c", 104}, {"ancien", 105}};
    ASSERT_EQ(CompliancePresets().size(), std::size(keys));
    for (const auto& [key, limit] : keys) {
        const auto byKey = FindCompliancePreset(QString::fromLatin1(key).toUpper());
        ASSERT_TRUE(byKey) << key;
        EXPECT_EQ(byKey->limitDb, limit) << key;
        const auto byLabel = FindCompliancePreset(byKey->name);
        ASSERT_TRUE(byLabel) << key;
        EXPECT_EQ(byLabel->key, QString::fromLatin1(key));
    }
    EXPECT_FALSE(FindCompliancePreset(QStringLiteral("decret")));
}
