#include "BenchSupport.h"
#include "core/compliance/ComplianceReport.h"
#include "paint/ComplianceReportPdf.h"
#include "sim/Generator.h"

#include <QBuffer>
#include <QPdfWriter>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

// The PDF of a 7-night report (summary and seven plotted nights, every window kept for the plots).
static void BM_ComplianceReportPdfWeek(benchmark::State& state) {
    bench::ensureGuiApplication();
    const DeviceData data = GenerateDeviceData({5, QDate(2009, 3, 23), 7, 2});
    const ComplianceInput input = ComplianceInputFromDevice(data, 5);
    const ComplianceReport report = BuildComplianceReport(
        input, SettingsForPreset(*DefaultPreset(Weighting::A)), QDate(2009, 3, 23), QDate(2009, 3, 29));
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("week.pdf"));
    for (auto _ : state) {
        QString error;
        if (!WriteComplianceReportPdf(report, path, error)) state.SkipWithError(error.toStdString().c_str());
    }
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter writer(&buffer);
    SetUpComplianceReportWriter(writer);
    state.counters["pages"] = ComplianceReportPageCount(writer, report);
}
BENCHMARK(BM_ComplianceReportPdfWeek)->Unit(benchmark::kMillisecond);
