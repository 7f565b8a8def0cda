#include "core/graphs/GraphPeriod.h"
#include "core/graphs/GraphWindow.h"
#include "paint/PainterCanvas.h"

#include <QDateTime>
#include <QGuiApplication>
#include <benchmark/benchmark.h>

#include "BenchSupport.h"

using bench::ensureGuiApplication;
using bench::SilentUi;

namespace {

// A full generation-5 level memory: in each ten minutes seven Leq1 records and one Leq10 record,
// 8192 rows from 1 March 2009 00:00 on, the week from noon of 1 March as the graph window.
DataStore fullLevelMemory() {
    DataStore store;
    store.Device_Version = 5;
    store.Event_Records.fill(255);
    store.Param_Change_Records.fill(255);
    store.Param_Block[2177] = 85;
    store.Param_Block[2181] = 75;
    store.Param_Block[2191] = 22;
    store.Param_Block[2193] = 6;
    QDateTime slot(QDate(2009, 3, 1), QTime(0, 0));
    int row = 1;
    for (int s = 0; row <= LeqTable::rowCount; ++s, slot = slot.addSecs(600)) {
        for (int k = 1; k <= 8 && row <= LeqTable::rowCount; ++k, ++row) {
            const QDateTime at = slot.addSecs(60 * (k == 8 ? 10 : k));
            const int16_t cells[8] = {
                static_cast<int16_t>(at.time().minute()), static_cast<int16_t>(at.time().hour()),
                static_cast<int16_t>(at.date().day()),    static_cast<int16_t>(k == 8 ? 10 : 1),
                static_cast<int16_t>(at.date().month()),  static_cast<int16_t>(at.date().year() - 2000),
                static_cast<int16_t>(70 + (s + k) % 30),  0};
            for (int c = 1; c <= 8; ++c)
                store.Leq_Records(row, c) = cells[c - 1];
        }
    }
    StoreGraphWindow(store, {1, 3, 2009}, 7);
    return store;
}
} // namespace

// The graph window's load for a week of full memory (rows, lists, template) and both graphs drawn
// into their pictures at normal size.
static void BM_GraphWindowLoadAndDrawWeek(benchmark::State& state) {
    ensureGuiApplication();
    DataStore store = fullLevelMemory();
    SilentUi ui;
    for (auto _ : state) {
        const GraphWindowView view = LoadGraphWindow(store, ui);
        ImageCanvas leq10(kNormalBoxWidth, kNormalBoxHeight);
        ImageCanvas leq1(kNormalBoxWidth, kNormalBoxHeight);
        leq10.setName(QStringLiteral("Graphique_Leq10"));
        leq1.setName(QStringLiteral("Graphique_Leq1"));
        DrawLeq10GraphNormal(leq10, store, view.hasRecords);
        DrawLeq1GraphNormal(leq1, store, view.hasRecords);
        benchmark::DoNotOptimize(leq10.image().constBits());
        benchmark::DoNotOptimize(leq1.image().constBits());
    }
    state.counters["leq1"] = store.Leq1_Count - 1;
    state.counters["leq10"] = store.Leq10_Count - 1;
}
BENCHMARK(BM_GraphWindowLoadAndDrawWeek)->Unit(benchmark::kMillisecond);

// One redraw of an enlarged graph: wipe and draw again (the Leq1 graph holds the most records).
static void BM_EnlargedGraphRedraw(benchmark::State& state) {
    ensureGuiApplication();
    DataStore store = fullLevelMemory();
    SilentUi ui;
    LoadGraphWindow(store, ui);
    const bool leq1 = state.range(0) == 1;
    ImageCanvas box(kEnlargedBoxWidth, kEnlargedBoxHeight);
    box.setName(leq1 ? QStringLiteral("Graphique_Leq1") : QStringLiteral("Graphique_Leq10"));
    for (auto _ : state) {
        box.clear();
        if (leq1)
            DrawLeq1GraphEnlarged(box, store);
        else
            DrawLeq10GraphEnlarged(box, store);
        benchmark::DoNotOptimize(box.image().constBits());
    }
}
BENCHMARK(BM_EnlargedGraphRedraw)->Arg(1)->Arg(10)->Unit(benchmark::kMillisecond);
