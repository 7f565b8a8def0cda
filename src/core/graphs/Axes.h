#pragma once

#include "core/graphs/Canvas.h"
#include "core/store/DataStore.h"

#include <QString>
#include <vector>

// The axes of a graph box for the window length of the store (Graph_Days) and its window calendar.
// Each call sets the box's scale; erasing means drawing again in white.
void DrawAxes(Canvas& box, const DataStore& store, RgbColor color);
void DrawAxesEnlarged(Canvas& box, const DataStore& store, RgbColor color);

// The date of calendar day k (1..8) of the window: "05 / 03 / 2007".
QString DayLabelText(const DataStore& store, int k);

// The dates of the calendar days a mouse-selected range x1..x2 reaches, each centred on its part of
// the range, 7.5 % of the box height above its bottom edge, in the box's current font.
void PrintZoomDayLabels(Canvas& box, const DataStore& store, int x1, int x2, RgbColor color);

// The two columns the zoom grid prints its level labels in, in x units of the box's current scale
// and its current font: one along the left edge, one near the right edge. Each label stands
// 2.5 % of the box height above its level line and is `labelHeight` high (y units).
struct LevelLabelColumns {
    double leftStart = 0, leftEnd = 0;
    double rightStart = 0, rightEnd = 0;
    double labelRise = 0; // how far above its line a label's top stands (y units)
    double labelHeight = 0;
    // Whether a text row from y to y + height (y units) meets a level label of the grid.
    bool rowMeetsLabel(double y, double height) const;
};

// The grid of a mouse-selected range: hour lines at every unit of the time axis and level lines
// every 5 dB, placed in the box's current scale. The window shows its line objects from it.
struct ZoomGridLine {
    double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
};
struct ZoomGrid {
    std::vector<ZoomGridLine> hourLines;  // index J = 0 .. 24 (0 .. 28 for 7 days), at x = J + 12
    std::vector<ZoomGridLine> levelLines; // index b = 0 .. 11, at 65 + 5b dB
    LevelLabelColumns levelLabels;        // where its level labels were printed
    bool visible = false;
};

// Places the grid in the box's current scale and prints its labels, in black when visible is -1,
// in white (erasing them) when it is 0.
ZoomGrid ShowZoomGrid(Canvas& box, int graphDays, int16_t visible);
// The columns of the level labels ShowZoomGrid prints in the box's current scale and font.
LevelLabelColumns ZoomLevelLabelColumns(Canvas& box);

// The text of hour line J.
QString ZoomGridHourLabel(int graphDays, int j);
