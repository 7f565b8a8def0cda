#pragma once

#include "GraphTestSupport.h"
#include "core/graphs/Markers.h"
#include "core/graphs/ThresholdTemplate.h"

namespace {
// A loaded graph window's store: generation 5, a window from noon of 9 March 2007, a fixed
// 105/95 dB template switching at 22 h and 6 h, Leq10 and Leq1 records added by the test.
struct LoadedGraphWindow {
    DataStore store;
    explicit LoadedGraphWindow(int days = 1, int generation = 5) {
        graphtest::setWindow(store, 9, 3, 2007, days);
        store.Device_Version = static_cast<int16_t>(generation);
        store.Period_First = 1;
        store.Period_Last = 1;
        BuildFixedTemplate(store, 105, 95, 22, 6);
        store.Template_Drawn = kTrue;
    }
    void addLeq10(const QDateTime& when, int level) {
        graphtest::setLevel(store.Leq10_Records, store.Leq10_Count++, when, level, 5, 10);
    }
    void addLeq1(const QDateTime& when, int level) {
        graphtest::setLevel(store.Leq1_Records, store.Leq1_Count++, when, level, 5, 1);
    }
    // Generation 3: the window's rows of Leq_Records from `first`.
    void addLeq(int row, const QDateTime& when, int level) {
        graphtest::setLevel(store.Leq_Records, row, when, level, 3);
        if (store.Period_First == 0 || row < store.Period_First) store.Period_First = row;
        store.Period_Last = std::max<int32_t>(store.Period_Last, row);
    }
};

// The lines drawn in one colour, in drawing order.
inline std::vector<graphtest::Prim> linesIn(const RecordingCanvas& box, RgbColor color) {
    std::vector<graphtest::Prim> lines;
    for (const auto& p : box.lines())
        if (p.color == color) lines.push_back(p);
    return lines;
}

// The selection arrow's shaft at a record (x, level), as drawn in that colour.
inline int arrowShafts(const RecordingCanvas& box, double x, int level, RgbColor color) {
    int n = 0;
    for (const auto& p : box.lines())
        n += p.color == color && graphtest::sameLine(p, x, -level - 1, x, -level - 5, 2e-3);
    return n;
}
} // namespace
