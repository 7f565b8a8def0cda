#include "core/graphs/GraphPeriod.h"
#include "core/graphs/RecordingCanvas.h"
#include "core/graphs/ThresholdTemplate.h"
#include "core/graphs/ZoomSelection.h"
#include "ui/widgets/PainterCanvas.h"

#include <QDateTime>
#include <QGuiApplication>
#include <benchmark/benchmark.h>

#include "BenchSupport.h"

using bench::ensureGuiApplication;

namespace {
// A 7-day generation-5 window from noon of 2 March 2009 with the fullest Leq1 copy the store holds
// (8191 one-minute levels) and a Leq10 level every ten minutes of the week.
DataStore fullWeekWindow() {
    DataStore store;
    store.Device_Version = 5;
    StoreGraphWindow(store, {2, 3, 2009}, 7);
    store.Period_First = 1;
    store.Period_Last = 1;
    BuildFixedTemplate(store, 105, 95, 22, 7);
    const QDateTime noon(QDate(2009, 3, 2), QTime(12, 0));
    auto put = [](LeqTable& table, int row, const QDateTime& at, int level, int type) {
        const int16_t cells[8] = {
            static_cast<int16_t>(at.time().minute()), static_cast<int16_t>(at.time().hour()),
            static_cast<int16_t>(at.date().day()),    static_cast<int16_t>(type),
            static_cast<int16_t>(at.date().month()),  static_cast<int16_t>(at.date().year() - 2000),
            static_cast<int16_t>(level % 100),        static_cast<int16_t>(level / 100)};
        for (int c = 1; c <= 8; ++c)
            table(row, c) = cells[c - 1];
    };
    for (int row = 1; row < LeqTable::rowCount; ++row)
        put(store.Leq1_Records, row, noon.addSecs(60LL * row), 80 + row % 35, 1);
    store.Leq1_Count = LeqTable::rowCount;
    for (int row = 1; row <= 7 * 144; ++row)
        put(store.Leq10_Records, row, noon.addSecs(600LL * row), 70 + row % 40, 10);
    store.Leq10_Count = static_cast<int16_t>(7 * 144 + 1);
    store.Selected_Leq1_Record = 4000;
    return store;
}

const ZoomRange kRange{14, 34, 60, 120};

} // namespace

// A mouse-selected range redrawn on the enlarged Leq1 graph of a full week: grid, template, curve,
// arrow and day labels, recorded as primitives.
static void BM_ZoomRedrawLeq1RecordingCanvas(benchmark::State& state) {
    DataStore store = fullWeekWindow();
    RecordingCanvas box(QStringLiteral("Graphique_Leq1"), kEnlargedBoxWidth, kEnlargedBoxHeight);
    for (auto _ : state) {
        box.reset();
        DrawZoomedGraph(GraphId::Leq1, box, store, kRange, kRange);
        benchmark::DoNotOptimize(box.primitives().size());
    }
}
BENCHMARK(BM_ZoomRedrawLeq1RecordingCanvas)->Unit(benchmark::kMillisecond);

// The same redraw painted into the box picture the window shows (must stay well under a frame, 16 ms).
static void BM_ZoomRedrawLeq1ImageCanvas(benchmark::State& state) {
    ensureGuiApplication();
    DataStore store = fullWeekWindow();
    ImageCanvas box(kEnlargedBoxWidth, kEnlargedBoxHeight);
    box.setName(QStringLiteral("Graphique_Leq1"));
    for (auto _ : state) {
        DrawZoomedGraph(GraphId::Leq1, box, store, kRange, kRange);
        benchmark::DoNotOptimize(box.image().constBits());
    }
}
BENCHMARK(BM_ZoomRedrawLeq1ImageCanvas)->Unit(benchmark::kMillisecond);

// The Leq10 graph of the same week: limit hatching and cut markers as well.
static void BM_ZoomRedrawLeq10ImageCanvas(benchmark::State& state) {
    ensureGuiApplication();
    DataStore store = fullWeekWindow();
    ImageCanvas box(kEnlargedBoxWidth, kEnlargedBoxHeight);
    box.setName(QStringLiteral("Graphique_Leq10"));
    for (auto _ : state) {
        DrawZoomedGraph(GraphId::Leq10, box, store, kRange, kRange);
        benchmark::DoNotOptimize(box.image().constBits());
    }
}
BENCHMARK(BM_ZoomRedrawLeq10ImageCanvas)->Unit(benchmark::kMillisecond);
