#include "core/archive/ArchiveCompliance.h"
#include "core/compliance/ComplianceReport.h"
#include "sim/History.h"

#include <QTemporaryDir>
#include <benchmark/benchmark.h>

// Six months of one device from a SQLite archive of 26 weekly downloads: the compliance input read a
// week at a time and joined, then the report of every night (bands not kept).
static void BM_ComplianceFromArchiveSixMonths(benchmark::State& state) {
    QTemporaryDir dir;
    auto opened = Archive::open(ParseArchiveLocation(dir.filePath(QStringLiteral("archive.sqlite"))).value());
    if (!opened) return state.SkipWithError("cannot open the archive");
    const auto archive = std::move(opened).value();
    for (const HistoryReading& reading : GenerateHistory(HistoryOptions{}))
        if (!archive->importDownload(reading.data, 5, {SourceKind::File, {}}))
            return state.SkipWithError("cannot import");
    const ArchivedDevice device = archive->devices()->front();
    const QDate from = device.firstRecord.date(), to = device.lastRecord.date().addDays(-1);
    std::size_t nights = 0;
    for (auto _ : state) {
        const auto input = ComplianceInputFromArchive(*archive, device.id, from, to);
        if (!input) return state.SkipWithError("cannot read the archive");
        ComplianceSettings settings = SettingsForPreset(*DefaultPreset(input->weighting));
        settings.keepWindows = false;
        nights = BuildComplianceReport(*input, settings, from, to).nights.size();
    }
    state.counters["nights"] = static_cast<double>(nights);
}
BENCHMARK(BM_ComplianceFromArchiveSixMonths)->Unit(benchmark::kMillisecond);
