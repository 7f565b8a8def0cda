#pragma once

#include "core/graphs/Canvas.h"
#include "core/graphs/GraphControls.h"
#include "core/store/DataStore.h"

#include <vector>

// What a graph box shows besides its axes, redrawn in full whenever the box changes: the boxes keep
// no scene. Each command of the window redraws in its own order, and the order matters where
// drawings overlap (the template over or under the curve), so each order is kept as the window has
// always drawn it.
enum class ContentOrder {
    Enlarge,   // the zoom button enlarged a normal graph
    LeaveZoom, // the zoom button left a mouse-selected range
    Restore,   // the zoom button brought the enlarged graph back to its normal size
    MouseZoom, // a mouse-selected range was drawn
};

struct ContentStep {
    enum Kind { Template, Curve, RecordingLimit, GeneralCuts, TenSecondCuts, SelectedArrow };
    Kind kind = Template;
    RgbColor color;
    int drawWidth = 1;
    bool operator==(const ContentStep&) const = default;
};

// The steps of one order for that graph and the data of the store: general cuts only for
// generation-5 data, the arrow only when a record of that graph is selected.
std::vector<ContentStep> graphContentSteps(GraphId graph, ContentOrder order, const DataStore& store);

// Runs the steps in the box's current scale. Returns false when the graph has no curve to draw (the
// window then hides that graph's zoom button).
bool DrawGraphContent(Canvas& box, const DataStore& store, GraphId graph, ContentOrder order);

// The curve of that graph in the given colour (the Leq10 graph shows the generation-3 Leq records).
bool DrawGraphCurve(Canvas& box, const DataStore& store, GraphId graph, RgbColor color);
// The arrow at the selected record of that graph, when there is one.
void DrawSelectedArrow(Canvas& box, const DataStore& store, GraphId graph, RgbColor color);
int selectedRecord(const DataStore& store, GraphId graph);
