#include "core/compliance/ComplianceReport.h"
#include "core/stats/ThresholdTimeline.h"
#include "sim/Generator.h"

#include <benchmark/benchmark.h>

namespace {
// Six months of evenings as an archive would hand them over: every minute from 20:00 to 02:00 stored
// as a Leq1 and every ten minutes as a Leq10, a power cut and a calibration each week, a parameter
// change each month.
ComplianceInput sixMonths() {
    const QDate first(2024, 1, 1);
    constexpr int kDays = 182;
    ComplianceInput input;
    const ThresholdTimeline thresholds = ThresholdTimeline::fixed(95, 90, 22, 7);
    input.setLevelAt = [thresholds](const QDateTime& minute) { return thresholds.at(minute).threshold; };
    for (int day = 0; day < kDays; ++day) {
        const QDateTime evening = DeviceTime(first.addDays(day), QTime(20, 0));
        for (int m = 1; m <= 6 * 60; ++m) {
            const QDateTime stamp = evening.addSecs(60 * m);
            input.records.push_back({stamp, 92 + (m * 7 + day) % 11, false});
            if (m % 10 == 0) input.records.push_back({stamp, 96 + (m + day) % 5, true});
        }
        const QDateTime morning = DeviceTime(first.addDays(day + 1), QTime(9, 0));
        if (day % 7 == 3) {
            input.events.push_back(
                {morning, EventKind::PowerCut, QStringLiteral("Coupure Alimentation"), {}, {}});
            input.events.push_back({morning.addSecs(1200),
                                    EventKind::SystemStart,
                                    QStringLiteral("Initialisation Système"),
                                    {},
                                    {}});
        }
        if (day % 7 == 5)
            input.events.push_back(
                {morning, EventKind::Calibration, QStringLiteral("Calibrage Effectué"), {}, {}});
        if (day % 30 == 0)
            input.events.push_back(
                {morning, EventKind::ParameterChange, QStringLiteral("Modification Paramètres"), 95, 95});
    }
    input.transferTime = DeviceTime(first.addDays(kDays), QTime(10, 0));
    return input;
}

ComplianceSettings reportSettings() {
    ComplianceSettings settings = SettingsForPreset(*DefaultPreset(Weighting::A));
    settings.keepWindows = false;
    return settings;
}
} // namespace

// Every window of a 7-day generation-5 memory: the data in memory read, the report of its nights built.
static void BM_ComplianceWeek(benchmark::State& state) {
    const DeviceData data = GenerateDeviceData({5, QDate(2009, 3, 23), 7, 2});
    qsizetype windows = 0;
    for (auto _ : state) {
        const ComplianceInput input = ComplianceInputFromDevice(data, 5);
        const ComplianceReport report =
            BuildComplianceReport(input, reportSettings(), QDate(2009, 3, 23), QDate(2009, 3, 29));
        windows = report.counts.certain + report.counts.possible + report.counts.compliant +
                  report.counts.incomplete + report.counts.none;
        benchmark::DoNotOptimize(report.highestUpper.energy);
    }
    state.counters["windows"] = static_cast<double>(windows);
}
BENCHMARK(BM_ComplianceWeek)->Unit(benchmark::kMillisecond);

// Six months of an archive: every window of 182 nights, and the CSV row of each.
static void BM_ComplianceSixMonths(benchmark::State& state) {
    const ComplianceInput input = sixMonths();
    qsizetype bytes = 0;
    for (auto _ : state) {
        bytes = 0;
        const ComplianceReport report =
            BuildComplianceReport(input, reportSettings(), QDate(2024, 1, 1), QDate(2024, 6, 30),
                                  [&](const WindowResult& w) { bytes += ComplianceCsvRow(w).size(); });
        benchmark::DoNotOptimize(report.highestUpper.energy);
    }
    state.counters["records"] = static_cast<double>(input.records.size());
    state.counters["csv_bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_ComplianceSixMonths)->Unit(benchmark::kMillisecond);
