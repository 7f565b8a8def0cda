// The archive: imports, a week loaded back and the coverage, on SQLite (and on PostgreSQL when
// VORL_BENCH_PG_URL names a server database that may be emptied).
#include "core/archive/Archive.h"
#include "sim/Generator.h"
#include "sim/History.h"

#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

// Weekly readings of one device over `months` (26 weeks a half year); the memory is full from the
// third month on. Beyond a year the second year is a recording of its own, of the same device.
std::vector<DeviceData> weeklyReadings(int months) {
    std::vector<DeviceData> readings;
    const int weeks = months * 13 / 3;
    for (int done = 0; done < weeks; done += 52) {
        HistoryOptions options;
        options.start = QDate(2025, 1, 6).addDays(done * 7);
        options.weeks = std::min(52, weeks - done);
        options.missedWeek = 0;
        for (HistoryReading& r : GenerateHistory(options))
            readings.push_back(std::move(r.data));
    }
    return readings;
}

const std::vector<DeviceData>& readingsOf(int months) {
    static std::map<int, std::vector<DeviceData>> cache;
    auto found = cache.find(months);
    if (found == cache.end()) found = cache.emplace(months, weeklyReadings(months)).first;
    return found->second;
}

const DeviceData& fullMemory() {
    return readingsOf(6).back();
}

// A fresh archive in a temporary folder.
struct ScratchFile {
    QTemporaryDir dir;
    ArchiveLocation location{ArchiveEngine::Sqlite, dir.filePath(QStringLiteral("bench.sqlite"))};
    std::unique_ptr<Archive> open() { return Archive::open(location).value(); }
    qint64 bytes() const { return QFileInfo(location.path).size(); }
};

void importAll(Archive& archive, const std::vector<DeviceData>& readings) {
    for (const DeviceData& r : readings)
        static_cast<void>(archive.importDownload(r, 5, {SourceKind::File, QStringLiteral("bench")}));
}

void BM_ArchiveImportFullMemory(benchmark::State& state) {
    fullMemory();
    for (auto _ : state) {
        state.PauseTiming();
        ScratchFile scratch;
        auto archive = scratch.open();
        state.ResumeTiming();
        benchmark::DoNotOptimize(archive->importDownload(fullMemory(), 5, {}));
    }
}
BENCHMARK(BM_ArchiveImportFullMemory)->Unit(benchmark::kMillisecond);

void BM_ArchiveImportSameAgain(benchmark::State& state) {
    ScratchFile scratch;
    auto archive = scratch.open();
    if (!archive->importDownload(fullMemory(), 5, {})) return state.SkipWithError("cannot import");
    for (auto _ : state)
        benchmark::DoNotOptimize(archive->importDownload(fullMemory(), 5, {}));
}
BENCHMARK(BM_ArchiveImportSameAgain)->Unit(benchmark::kMillisecond);

// Import of every weekly download of 1, 6 or 24 months into an empty archive; the file's size.
void BM_ArchiveImportMonths(benchmark::State& state) {
    const auto& readings = readingsOf(static_cast<int>(state.range(0)));
    qint64 bytes = 0;
    for (auto _ : state) {
        state.PauseTiming();
        ScratchFile scratch;
        auto archive = scratch.open();
        state.ResumeTiming();
        importAll(*archive, readings);
        state.PauseTiming();
        archive.reset();
        bytes = scratch.bytes();
        state.ResumeTiming();
    }
    state.counters["MB"] = static_cast<double>(bytes) / 1e6;
    state.counters["downloads"] = static_cast<double>(readings.size());
}
BENCHMARK(BM_ArchiveImportMonths)->Arg(1)->Arg(6)->Arg(24)->Iterations(1)->Unit(benchmark::kMillisecond);

// A week of the middle of 1, 6 or 24 months loaded back as a memory image; the coverage of the whole.
struct FilledArchive {
    explicit FilledArchive(int months) {
        archive = scratch.open();
        importAll(*archive, readingsOf(months));
        device = archive->devices()->front();
    }
    ScratchFile scratch;
    std::unique_ptr<Archive> archive;
    ArchivedDevice device;
};

FilledArchive& filled(int months) {
    static std::map<int, std::unique_ptr<FilledArchive>> cache;
    auto& slot = cache[months];
    if (!slot) slot = std::make_unique<FilledArchive>(months);
    return *slot;
}

void BM_ArchiveLoadWeek(benchmark::State& state) {
    FilledArchive& f = filled(static_cast<int>(state.range(0)));
    const QDate first =
        f.device.firstRecord.date().addDays(f.device.firstRecord.daysTo(f.device.lastRecord) / 2);
    for (auto _ : state) {
        auto period = f.archive->loadPeriod(f.device.id, first, first.addDays(6));
        if (!period) state.SkipWithError(period.error().toStdString().c_str());
        benchmark::DoNotOptimize(period);
    }
}
BENCHMARK(BM_ArchiveLoadWeek)->Arg(1)->Arg(6)->Arg(24)->Unit(benchmark::kMillisecond);

void BM_ArchiveCoverage(benchmark::State& state) {
    FilledArchive& f = filled(static_cast<int>(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(f.archive->coverage(f.device.id));
}
BENCHMARK(BM_ArchiveCoverage)->Arg(6)->Arg(24)->Unit(benchmark::kMillisecond);

// A full memory into a local server, in an archive emptied before each import.
void BM_ArchiveImportFullMemoryPostgres(benchmark::State& state) {
    const QString url = qEnvironmentVariable("VORL_BENCH_PG_URL");
    const auto parsed = ParseArchiveLocation(url);
    const ArchiveLocation location = parsed ? *parsed : ArchiveLocation{};
    if (url.isEmpty() || location.engine != ArchiveEngine::Postgres) {
        state.SkipWithError("VORL_BENCH_PG_URL not set");
        for (auto _ : state) {
        }
        return;
    }
    fullMemory();
    for (auto _ : state) {
        state.PauseTiming();
        {
            if (!Archive::open(location)) {
                state.SkipWithError("server not reachable");
                break;
            }
        }
        {
            QSqlDatabase db =
                QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), QStringLiteral("bench-clean"));
            db.setHostName(location.host);
            if (location.port > 0) db.setPort(location.port);
            db.setUserName(location.user);
            db.setPassword(location.password);
            db.setDatabaseName(location.database);
            db.open();
            QSqlQuery(db).exec(QStringLiteral("TRUNCATE levels, events, param_changes, downloads, devices"));
            db.close();
        }
        QSqlDatabase::removeDatabase(QStringLiteral("bench-clean"));
        auto archive = Archive::open(location).value();
        state.ResumeTiming();
        benchmark::DoNotOptimize(archive->importDownload(fullMemory(), 5, {}));
    }
}
BENCHMARK(BM_ArchiveImportFullMemoryPostgres)->Unit(benchmark::kMillisecond);

} // namespace
