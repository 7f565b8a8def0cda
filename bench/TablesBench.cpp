#include "core/tables/TableViews.h"

#include <QDateTime>
#include <benchmark/benchmark.h>

namespace {
// A full generation-5 level memory over a week: in each ten minutes seven Leq1 rows and one Leq10 row,
// 8192 rows from 1 March 2009 00:00 on.
DataStore fullWeek() {
    DataStore store;
    store.Device_Version = 5;
    QDateTime slot(QDate(2009, 3, 1), QTime(0, 0));
    int row = 1;
    for (int s = 0; row <= LeqTable::rowCount; ++s, slot = slot.addSecs(600)) {
        for (int k = 1; k <= 8 && row <= LeqTable::rowCount; ++k, ++row) {
            const QDateTime at = slot.addSecs(60 * k);
            const int16_t cells[8] = {
                static_cast<int16_t>(at.time().minute()), static_cast<int16_t>(at.time().hour()),
                static_cast<int16_t>(at.date().day()),    static_cast<int16_t>(k == 8 ? 10 : 1),
                static_cast<int16_t>(at.date().month()),  static_cast<int16_t>(at.date().year() - 2000),
                static_cast<int16_t>(70 + s % 30),        0};
            for (int c = 1; c <= 8; ++c)
                store.Leq_Records(row, c) = cells[c - 1];
        }
    }
    store.Start_Day = QStringLiteral("01");
    store.Start_Month = QStringLiteral("03");
    store.Start_Year = QStringLiteral("2009");
    store.End_Day = QStringLiteral("08");
    store.End_Month = QStringLiteral("03");
    store.End_Year = QStringLiteral("2009");
    return store;
}
} // namespace

// The longest table the program builds: the generation-5 window for a week of full memory.
static void BM_LeqTableV5FullWeek(benchmark::State& state) {
    DataStore store = fullWeek();
    qsizetype lines = 0;
    for (auto _ : state) {
        const LeqTableV5View view = PrepareLeqTableV5(store);
        lines = view.list1.lines.size() + view.list10.lines.size();
        benchmark::DoNotOptimize(lines);
    }
    state.counters["lines"] = static_cast<double>(lines);
    state.counters["rows"] = static_cast<double>(store.Period_Last - store.Period_First + 1);
}
BENCHMARK(BM_LeqTableV5FullWeek)->Unit(benchmark::kMillisecond);
