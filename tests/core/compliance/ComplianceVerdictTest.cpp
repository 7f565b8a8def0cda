#include "core/compliance/ComplianceAnalysis.h"
#include "core/stats/ThresholdTimeline.h"

#include <gtest/gtest.h>

namespace {
const QDateTime kT0 = DeviceTime(QDate(2022, 9, 16), QTime(22, 0));

// Forty minutes at one level (Leq1 and Leq10 alike), transferred at their end.
ComplianceInput steadyInput(Weighting weighting, int level) {
    ComplianceInput input;
    input.weighting = weighting;
    input.setLevelAt = [](const QDateTime&) { return 60; };
    for (int m = 1; m <= 40; ++m) {
        input.records.push_back({kT0.addSecs(60 * m), level, false});
        if (m % 10 == 0) input.records.push_back({kT0.addSecs(60 * m), level, true});
    }
    input.transferTime = kT0.addSecs(60 * 40);
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
        const qint64 s = analysis.elapsedOf(kT0) + c.start;
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
            if (c.leq1) input.records.push_back({kT0.addSecs(60 * m), *c.leq1, false});
        input.records.push_back({kT0.addSecs(600), c.leq10, true});
        input.transferTime = kT0.addSecs(600);
        ComplianceAnalysis analysis(input, SettingsForFreeLimit(100, 10));
        const qint64 s = analysis.elapsedOf(kT0);
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
// The set level rises at the end of an unstored minute (a window closed): the minute was judged by
// either, so the higher one caps it.
TEST(ComplianceVerdict, SetLevelChangingWithinAMinuteCapsByTheHigher) {
    ComplianceInput input;
    const QDateTime change = kT0.addSecs(60 * 5);
    input.setLevelAt = [change](const QDateTime& minute) { return minute < change ? 87 : 96; };
    input.records.push_back({kT0.addSecs(60), 90, false});
    input.transferTime = kT0.addSecs(60 * 10);
    ComplianceAnalysis analysis(input, SettingsForFreeLimit(100, 1));
    const qint64 s = analysis.elapsedOf(kT0);
    std::vector<std::optional<double>> upper;
    analysis.run(s + 3, s + 6, [&](const WindowResult& w) { upper.push_back(w.upperDb); });
    EXPECT_EQ(upper, (std::vector<std::optional<double>>{87.0, 96.0, 96.0}));
}
} // namespace
