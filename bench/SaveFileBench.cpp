#include "core/files/SaveFile.h"
#include "sim/Generator.h"

#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <memory>

#include "BenchSupport.h"

using bench::SilentShell;
using bench::SilentUi;

namespace {

// A week of generation-5 data; the file holds every row whatever the data, so its size is fixed.
std::unique_ptr<DataStore> weekOfData() {
    auto store = std::make_unique<DataStore>();
    GenerateIntoStore(*store, {5, QDate(2009, 3, 23), 7, 2});
    return store;
}

void BM_WriteSaveFileGen5(benchmark::State& state) {
    const auto store = weekOfData();
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("bench.qlv"));
    int steps = 0;
    for (auto _ : state) {
        if (!WriteSaveFile(*store, path, 5, 8192, [&steps] { ++steps; })) state.SkipWithError("write failed");
    }
    benchmark::DoNotOptimize(steps);
}
BENCHMARK(BM_WriteSaveFileGen5)->Unit(benchmark::kMillisecond);

void BM_LoadSaveFileGen5(benchmark::State& state) {
    const auto source = weekOfData();
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("bench.qlv"));
    WriteSaveFile(*source, path, 5, 8192);
    auto store = std::make_unique<DataStore>();
    SilentUi ui;
    SilentShell shell;
    for (auto _ : state) {
        if (!LoadSaveFile(*store, path, ui, shell)) state.SkipWithError("load failed");
    }
}
BENCHMARK(BM_LoadSaveFileGen5)->Unit(benchmark::kMillisecond);

} // namespace
