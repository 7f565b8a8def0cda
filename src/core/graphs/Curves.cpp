#include "core/graphs/Curves.h"

#include "core/graphs/GraphTime.h"

#include <algorithm>

CurveSource leq10SourceOf(const DataStore& store) {
    return store.Device_Version == 3 ? CurveSource::Leq : CurveSource::Leq10;
}

int recordLevel(const LeqTable& table, int row, bool generation3) {
    const int hundreds = generation3 ? table(row, 7) : table(row, 8);
    const int units = generation3 ? table(row, 8) : table(row, 7);
    return hundreds * 100 + units;
}

namespace {
struct CurveRows {
    const LeqTable* table = nullptr;
    int first = 0;
    int last = -1;
    bool generation3 = false;
};

CurveRows rowsOf(const DataStore& store, CurveSource source) {
    CurveRows rows;
    if (store.Period_First == 0 || store.Period_Last == 0) return rows;
    switch (source) {
    case CurveSource::Leq:
        rows = {&store.Leq_Records, std::max(1, store.Period_First),
                std::min(store.Period_Last, LeqTable::rowCount), true};
        break;
    case CurveSource::Leq10:
        rows = {&store.Leq10_Records, 1, std::min(store.Leq10_Count - 1, LeqTable::rowCount), false};
        break;
    case CurveSource::Leq1:
        rows = {&store.Leq1_Records, 1, std::min(store.Leq1_Count - 1, LeqTable::rowCount), false};
        break;
    }
    return rows;
}

void drawLeq1Limit(Canvas& box, int graphDays) {
    box.line(11, -70, axisEndX(graphDays), -70, kBlue);
    box.setForeColor(kBlue);
    const bool normal = box.boxWidth() == kNormalBoxWidth;
    box.setFontSize(normal ? 8 : 12);
    box.printAt(normal ? 12 : 16, -67, kLeq1Note);
    box.setFontSize(8);
}

void markRecord(Canvas& box, const DataStore& store, const LeqTable& table, int record, bool generation3,
                RgbColor color) {
    if (record < 1 || record > LeqTable::rowCount) return;
    const auto x = recordX(graphSpanOf(store), table, record);
    if (!x) return;
    const double y = -recordLevel(table, record, generation3);
    box.line(*x, y - 1, *x, y - 5, color);
    box.line(*x, y - 0.1, *x - 0.05, y - 1, color);
    box.line(*x, y - 0.1, *x + 0.05, y - 1, color);
    box.line(*x + 0.05, y - 1, *x - 0.05, y - 1, color);
}
} // namespace

bool DrawLevelCurve(Canvas& box, const DataStore& store, CurveSource source, int graphDays, RgbColor color) {
    const CurveRows rows = rowsOf(store, source);
    if (!rows.table || rows.last < rows.first) return false;

    const double minutes = minutesPerUnit(graphDays);
    const bool leq1 = source == CurveSource::Leq1;
    const double step = (leq1 ? 1 : 10) / minutes;
    const double join = (leq1 ? 2 : 11) / minutes;
    if (leq1) drawLeq1Limit(box, graphDays);

    GraphSpan span = graphSpanOf(store);
    span.days = graphDays;
    bool first = true;
    double previousX = 0, previousY = 0;
    for (int row = rows.first; row <= rows.last; ++row) {
        // A record whose cells make no date has no place on the axis.
        const auto x = recordX(span, *rows.table, row);
        if (!x) continue;
        const double y = -recordLevel(*rows.table, row, rows.generation3);
        box.pset(*x, y, color);
        if (!first && *x - previousX < join) {
            box.line(previousX, previousY, previousX, y, color);
            box.line(previousX, y, *x, y, color);
        } else {
            box.line(*x - step, y, *x, y, color);
        }
        first = false;
        previousX = *x;
        previousY = y;
    }
    return true;
}

void DrawTemplateLine(Canvas& box, const DataStore& store, RgbColor color) {
    if (store.Template_Drawn != kTrue || store.Template_Steps.empty()) return;
    const GraphSpan span = graphSpanOf(store);
    double previousX = 11;
    int lastAfter = 0;
    bool any = false;
    for (const TemplateStep& s : store.Template_Steps) {
        const auto x = timeX(span, s.day, s.month, s.year, s.hour, s.minute);
        if (!x) continue;
        box.line(previousX, -s.before, *x, -s.before, color);
        box.line(*x, -s.before, *x, -s.after, color);
        previousX = *x;
        lastAfter = s.after;
        any = true;
    }
    if (any) box.line(previousX, -lastAfter, axisEndX(span.days), -lastAfter, color);
}

void MarkSelectedLeq1(Canvas& box, const DataStore& store, int record, RgbColor color) {
    markRecord(box, store, store.Leq1_Records, record, false, color);
}

void MarkSelectedLeq10(Canvas& box, const DataStore& store, int record, RgbColor color) {
    if (store.Device_Version == 3)
        markRecord(box, store, store.Leq_Records, record, true, color);
    else
        markRecord(box, store, store.Leq10_Records, record, false, color);
}
