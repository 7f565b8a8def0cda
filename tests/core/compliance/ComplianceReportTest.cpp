#include "core/compliance/ComplianceReport.h"
#include "core/compliance/ComplianceInput.h"
#include "core/stats/ThresholdTimeline.h"
#include "core/tables/Parameters.h"
#include "sim/Generator.h"

#include <QJsonArray>
#include <QJsonObject>
#include <algorithm>
#include <functional>
#include <gtest/gtest.h>

namespace {
const QDate kReportNight(2022, 9, 16);
const QDateTime kReportNoon = DeviceTime(kReportNight, QTime(12, 0));

// Every minute of the night stored at 60 dB but the loud ones, transferred at the next noon.
ComplianceInput reportInput(const std::vector<int>& loudMinutes) {
    ComplianceInput input;
    input.setLevelAt = [](const QDateTime&) { return 60; };
    for (int m = 1; m <= 24 * 60; ++m) {
        const bool loud = std::find(loudMinutes.begin(), loudMinutes.end(), m - 1) != loudMinutes.end();
        input.records.push_back({kReportNoon.addSecs(60 * m), loud ? 120 : 60, false});
    }
    input.transferTime = kReportNoon.addSecs(24 * 3600);
    return input;
}
} // namespace

// Episodes are the connected stretches of the union of the exceeding windows' spans: windows that
// overlap or meet make one episode, a minute between them makes two.
TEST(ComplianceReport, EpisodesAreTheStretchesCoveredByExceedingWindows) {
    struct Case {
        const char* name;
        std::vector<int> loud;                     // minutes after noon
        std::vector<std::pair<int, int>> episodes; // [first start, end) in minutes after noon
    };
    const std::vector<Case> cases = {
        {"one loud minute", {10}, {{6, 15}}},
        {"spans that meet", {10, 19}, {{6, 24}}},
        {"spans that overlap", {10, 16}, {{6, 21}}},
        {"a minute apart", {10, 20}, {{6, 15}, {16, 25}}},
    };
    for (const Case& c : cases) {
        const ComplianceReport report = BuildComplianceReport(
            reportInput(c.loud), SettingsForFreeLimit(100, 5), kReportNight, kReportNight);
        ASSERT_EQ(report.nights.size(), 1u) << c.name;
        const NightReport& night = report.nights.front();
        std::vector<std::pair<int, int>> got;
        for (const ExceedanceEpisode& e : night.episodes) {
            got.push_back({static_cast<int>(kReportNoon.secsTo(e.firstStart) / 60),
                           static_cast<int>(kReportNoon.secsTo(e.end) / 60)});
            EXPECT_EQ(e.endMinute - e.firstMinute, got.back().second - got.back().first) << c.name;
            EXPECT_TRUE(e.certain) << c.name;
        }
        EXPECT_EQ(got, c.episodes) << c.name;
        EXPECT_EQ(report.episodeCount, static_cast<int>(c.episodes.size())) << c.name;
    }
}

// The French of the outputs: grouped counts, plurals, decimal commas, hours and minutes.
TEST(ComplianceReport, TextsAreFrench) {
    const QChar nbsp(0x00A0);
    EXPECT_EQ(FrenchCount(10046), QStringLiteral("10") + nbsp + QStringLiteral("046"));
    EXPECT_EQ(FrenchCount(999), QStringLiteral("999"));
    EXPECT_EQ(ComplianceDurationText(159 * 60 + 27), QStringLiteral("159 h 27 min"));
    EXPECT_EQ(FrenchDb(102.0, Weighting::A), QStringLiteral("102,0") + nbsp + QStringLiteral("dB(A)"));
    ComplianceReport report;
    report.scope = VerdictScope::Full;
    VerdictCounts counts;
    counts.certain = 1;
    counts.possible = 0;
    counts.compliant = 10046;
    counts.incomplete = 2;
    EXPECT_EQ(ComplianceCountsText(report, counts),
              QStringLiteral("1 dépassement certain, 0 dépassement possible, 10") + nbsp +
                  QStringLiteral("046 fenêtres conformes, 2 fenêtres incomplètes"));
}

// The highest upper bound is the highest finite one, with the number of windows that have none; no
// bound in the JSON names a window without giving its level.
TEST(ComplianceReport, HighestUpperBoundIsFiniteAndCountsTheUnbounded) {
    ComplianceInput input = reportInput({100});
    input.transferTime = kReportNoon.addSecs(20 * 3600); // the last four hours are unknown
    const ComplianceReport report =
        BuildComplianceReport(input, SettingsForFreeLimit(100, 15), kReportNight, kReportNight);
    ASSERT_TRUE(report.highestUpper.db);
    EXPECT_GE(*report.highestUpper.db, 100.0);
    EXPECT_EQ(report.highestUpper.unboundedWindows, 4 * 60 + 14);
    EXPECT_TRUE(ComplianceTextLines(report).join('\n').contains(QStringLiteral("fenêtres sans borne haute")));

    const QJsonObject json = ComplianceJson(report).object();
    std::function<void(const QJsonValue&)> check = [&](const QJsonValue& v) {
        if (v.isArray())
            for (const QJsonValue& item : v.toArray())
                check(item);
        if (!v.isObject()) return;
        const QJsonObject o = v.toObject();
        if (o.contains(QStringLiteral("db")) && o.contains(QStringLiteral("start")))
            EXPECT_EQ(o.value(QStringLiteral("db")).isNull(), o.value(QStringLiteral("start")).isNull());
        for (const QJsonValue& child : o)
            check(child);
    };
    check(json);
    EXPECT_EQ(json.value(QStringLiteral("csv_sha256")).toString().size(), 64);
}

// A parameter change lists every field it changed, named as the parameters window names it.
TEST(ComplianceReport, ParameterChangesListWhatChangedFieldByField) {
    GeneratorOptions options;
    options.start = QDate(2009, 3, 2);
    options.days = 20;
    const DeviceData data = GenerateDeviceData(options);
    const ComplianceInput input = ComplianceInputFromDevice(data, 5);
    int listed = 0;
    for (const ComplianceEvent& e : input.events) {
        if (e.kind != EventKind::ParameterChange || e.changes.isEmpty()) continue;
        ++listed;
        for (const QString& line : e.changes) {
            const QStringList parts = line.split(QStringLiteral(" : "));
            ASSERT_EQ(parts.size(), 2) << line.toStdString();
            const QStringList values = parts[1].split(QStringLiteral(" → "));
            ASSERT_EQ(values.size(), 2) << line.toStdString();
            EXPECT_NE(values[0], values[1]) << line.toStdString();
        }
        if (e.thresholdBefore != e.thresholdAfter)
            EXPECT_TRUE(ComplianceEventText(e).contains(QStringLiteral("Niveau Leq")))
                << e.changes.join(';').toStdString();
    }
    EXPECT_GT(listed, 0);
}
