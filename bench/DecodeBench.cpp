#include "core/link/Decoding.h"
#include "core/store/Validity.h"
#include "sim/MemoryImage.h"
#include "sim/SampleDevice.h"

#include "../tests/support/SelectionSort.h"

#include <benchmark/benchmark.h>

#include <chrono>

// Decoding and sorting a full generation-5 memory after a transfer (target: well under 20 ms),
// against the device software's five selection-sort passes on the same tables.
namespace {

const QByteArray& shuffledGeneration5Image() {
    static const QByteArray image = EncodeGeneration5Dump(MakeSampleDevice({5, 42, 0.95, true}));
    return image;
}

double decodeAndClassifyMs() {
    WorkMonitor quiet;
    DeviceData data;
    const auto start = std::chrono::steady_clock::now();
    DecodeAndClassify(5, shuffledGeneration5Image(), {}, data, quiet);
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

void BM_DecodeAndClassifyGeneration5(benchmark::State& state) {
    WorkMonitor quiet;
    for (auto _ : state) {
        DeviceData data;
        benchmark::DoNotOptimize(DecodeAndClassify(5, shuffledGeneration5Image(), {}, data, quiet));
    }
}
BENCHMARK(BM_DecodeAndClassifyGeneration5)->Unit(benchmark::kMillisecond);

void BM_FivePassSelectionSortGeneration5(benchmark::State& state) {
    WorkMonitor quiet;
    double referenceMs = 0;
    for (auto _ : state) {
        DeviceData data;
        const auto start = std::chrono::steady_clock::now();
        DecodeGeneration5(shuffledGeneration5Image(), data, quiet);
        ReferenceClassify(data.Leq_Records, DeviceMemory::kGen5LeqRows, isValidLevelOrEventRow<LeqTable>);
        ReferenceClassify(data.Event_Records, DeviceMemory::kEventRows, isValidLevelOrEventRow<EventTable>);
        ReferenceClassify(data.Param_Change_Records, DeviceMemory::kParamChangeRows, isValidParamChangeRow);
        referenceMs =
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
        benchmark::DoNotOptimize(data.Leq_Records(1, 1));
    }
    double fastMs = decodeAndClassifyMs();
    for (int i = 0; i < 4; ++i)
        fastMs = std::min(fastMs, decodeAndClassifyMs());
    state.counters["times_slower"] = referenceMs / fastMs;
}
BENCHMARK(BM_FivePassSelectionSortGeneration5)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace
