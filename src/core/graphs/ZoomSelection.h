#pragma once

#include "core/graphs/Axes.h"
#include "core/graphs/Canvas.h"
#include "core/graphs/GraphControls.h"
#include "core/graphs/GraphLayout.h"
#include "core/store/DataStore.h"

#include <QString>
#include <array>
#include <optional>

// Zoom by selection on an enlarged graph: the user drags a rectangle with the left button and the
// graph is redrawn showing only that time and level range, with the date of each day it reaches
// near the bottom. The state is shared by both graphs: only one of them is enlarged at a time.
// Coordinates are the box's user coordinates (x in time units, y = minus the level).

// One rubber-band line in the box's current scale.
struct RubberBandLine {
    QString name; // Line_Haut1, Line_Bas1, Line_Droite1, Line_Gauche1 (suffix 10 on the Leq10 graph)
    double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
};
using RubberBand = std::array<RubberBandLine, 4>;

// The selected range once ordered and rounded: levels as positive dB, low to high.
struct ZoomRange {
    double x1 = 0, x2 = 0; // time range, x1 < x2
    double y1 = 0, y2 = 0; // level range in dB, y1 < y2
    bool operator==(const ZoomRange&) const = default;
};

// What a release asks of the window.
struct ZoomRelease {
    bool accepted = false;
    ZoomRange range;              // the range drawn (accepted only)
    ZoomGrid grid;                // the grid line objects to show (accepted only)
    bool hidePrintButton = false; // the print button prints only the unzoomed graph
    QString zoomToolTip;          // the zoom button's tool tip, set by every release
    TwipsBox zoomButton;          // where the zoom button goes, in twips of the box (accepted only)
};

// Where the zoom button stands on a zoomed graph, in twips of the box: under the hour labels of the
// top edge, by the right edge unless a column of level labels is there, else just left of that
// column (or right of it), never over a level label.
TwipsBox ZoomedButtonPlace(const Canvas& box, const ZoomGrid& grid);

// The range a press and a release point select, or nullopt when the selection is refused: a release
// less than one unit left of the press (or straight above or below it), an end point at the press's
// level or less than 5 dB below it, or a range that rounds to nothing at one decimal.
std::optional<ZoomRange> selectedZoomRange(double startX, double startY, double endX, double endY,
                                           double releaseX, double releaseY);

class ZoomSelection {
public:
    // A left press on an enlarged box starts a selection; any other press clears it.
    void mouseDown(const Canvas& box, bool leftButton, double x, double y);
    // While selecting, the four rubber-band lines from the press to the mouse (nullopt otherwise).
    std::optional<RubberBand> mouseMove(GraphId graph, double x, double y);
    // Ends the selection: on acceptance clears the box, sets the new scale, shows the zoom grid and
    // redraws the graph, its day labels and everything selected. The rubber band always goes.
    ZoomRelease mouseUp(GraphId graph, Canvas& box, DataStore& store, double x, double y);

    bool selecting() const { return m_selecting != kFalse; }
    double startX() const { return m_startX; }
    double startY() const { return m_startY; }
    double endX() const { return m_endX; }
    double endY() const { return m_endY; }
    // The range of the previous zoom, whose day labels the next zoom erases (all 0 before the first).
    const ZoomRange& lastRange() const { return m_last; }

private:
    void reset();

    int16_t m_selecting = kFalse;
    double m_startX = 0, m_startY = 0, m_endX = 0, m_endY = 0;
    ZoomRange m_last;
};

// "X1,X2,Y1,Y2" (time units, then levels in dB) as the range a drag over those corners would give,
// ordered and rounded; nullopt for a text that is not four numbers or a range that rounds to nothing.
std::optional<ZoomRange> zoomRangeFromText(const QString& text);

// Draws the enlarged graph zoomed onto a range as a release would, without a mouse: for the
// command line and the tests. Sets the mouse-zoom flag.
ZoomGrid DrawZoomedGraph(GraphId graph, Canvas& box, DataStore& store, const ZoomRange& range,
                         const ZoomRange& previous = {});
