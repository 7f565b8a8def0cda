#include "core/graphs/Markers.h"

#include "core/graphs/GraphTime.h"

namespace {
constexpr double kDotRadius = 0.05;

struct CutKind {
    int code7;
    int code8;
    // Firmware 5 sets bit 7 for a ten-second cut and may keep the highest level of the cut in the
    // bits below it (level + 68): every code8 from 128 up is then the same cut.
    bool code8OrAbove;
    double legendX;
    const QString& legend;
    RgbColor dotColor;
    RgbColor legendColor;
    int width;
};

void drawCuts(Canvas& box, const DataStore& store, const CutKind& kind) {
    const double fontSize = box.boxWidth() == kNormalBoxWidth ? 8 : 10;
    if (store.Mouse_Zoom_Active == kFalse) {
        box.setDrawWidth(kind.width);
        box.circle(kind.legendX, -126, kDotRadius, kind.legendColor, true);
        box.setDrawWidth(1);
        box.setCurrentPosition(kind.legendX + 0.5, -128);
        box.setFontSize(fontSize);
        box.setForeColor(kind.legendColor);
        box.print(kind.legend);
    }
    GraphSpan span = graphSpanOf(store);
    span.days = store.Graph_Days;
    const RowRange rows = FindWindowRows(store.Event_Records, EventTable::rowCount, span);
    if (rows.isEmpty()) return;
    for (int row = rows.first; row <= rows.last; ++row) {
        const int code8 = store.Event_Records(row, 8);
        if (store.Event_Records(row, 7) != kind.code7) continue;
        if (kind.code8OrAbove ? (code8 < kind.code8 || code8 > 255) : code8 != kind.code8) continue;
        const auto x = recordX(span, store.Event_Records, row);
        if (!x) continue;
        box.setDrawWidth(kind.width);
        box.circle(*x, -122, kDotRadius, kind.dotColor, true);
        box.setDrawWidth(1);
    }
}
} // namespace

void DrawGeneralCuts(Canvas& box, const DataStore& store, RgbColor) {
    drawCuts(box, store, {16, 0, false, 24, kGeneralCutLegend, kRed, kRed, 3});
}

void DrawTenSecondCuts(Canvas& box, const DataStore& store, RgbColor color) {
    const bool generation3 = store.Device_Version == 3;
    drawCuts(box, store,
             {generation3 ? 8 : 0, generation3 ? 0 : 128, !generation3, 14, kTenSecondCutLegend, color,
              kBlack, 2});
}

std::vector<HatchStroke> RecordingLimitHatching(int graphDays) {
    // Two cross-hatched blocks, the second one shifted right on the longer 7-day axis; the middle of
    // the band stays free for the label.
    const double second = graphDays == 7 ? 32 : 30;
    const int lastRising = graphDays == 7 ? 38 : 34;
    std::vector<HatchStroke> strokes;
    // Rising strokes.
    strokes.push_back({12, 65, 13, 70});
    for (int x = 12; x <= 18; ++x)
        strokes.push_back({double(x), 60, x + 2.0, 70});
    strokes.push_back({second, 65, second + 1, 70});
    for (int x = int(second); x <= lastRising; ++x)
        strokes.push_back({double(x), 60, x + 2.0, 70});
    strokes.push_back({lastRising + 1.0, 60, lastRising + 2.0, 65});
    // Falling strokes.
    strokes.push_back({12, 65, 13, 60});
    for (int x = 12; x <= 18; ++x)
        strokes.push_back({double(x), 70, x + 2.0, 60});
    strokes.push_back({19, 60, 20, 65});
    strokes.push_back({19, 70, 20, 65});
    strokes.push_back({second, 65, second + 1, 60});
    if (graphDays != 7) strokes.push_back({30, 70, 31, 65});
    for (int x = int(second); x <= lastRising; ++x)
        strokes.push_back({double(x), 70, x + 2.0, 60});
    strokes.push_back({lastRising + 1.0, 70, lastRising + 2.0, 65});
    return strokes;
}

void DrawRecordingLimit(Canvas& box, const DataStore& store, RgbColor color) {
    if (store.Device_Version == 3) return;
    box.line(11, -70, axisEndX(store.Graph_Days), -70, color);
    const bool normal = box.boxWidth() == kNormalBoxWidth;
    box.setCurrentPosition(normal ? 20.5 : 22, normal ? -68 : -67);
    box.setFontSize(normal ? 11 : 14);
    box.setForeColor(color);
    box.print(kRecordingLimitLabel);
    box.setForeColor(kBlack);
    box.setFontSize(8);
    for (const HatchStroke& s : RecordingLimitHatching(store.Graph_Days))
        box.line(s.x1, -s.level1, s.x2, -s.level2, color);
}
