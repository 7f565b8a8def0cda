#pragma once

#include "core/graphs/Axes.h"
#include "core/graphs/Canvas.h"
#include "core/graphs/GraphControls.h"
#include "core/store/DataStore.h"

#include <QStringList>
#include <functional>
#include <vector>

// The commands of the graph window once it is loaded: the zoom button of each graph (enlarge, leave
// a mouse-selected range, restore) and the clicks in the two level lists. They draw into the box and
// return what the window must do to its controls, so that the window only applies the result.

enum class GraphState {
    Normal,
    Enlarged,
    EnlargedWithRange, // enlarged and showing a mouse-selected range
    Other,             // any other box size: the zoom button does nothing
};

// A graph's state is told by its box size (and, when enlarged, by the mouse-zoom flag).
GraphState graphStateOf(const Canvas& box, const DataStore& store);

// Resizes the box picture before it is drawn at its new size. The default only sets the size the
// drawing routines read; a window passes the resize of its picture.
using BoxResizer = std::function<void(Canvas& box, int widthTwips, int heightTwips)>;

struct ZoomButtonResult {
    bool handled = false;
    GraphState newState = GraphState::Other;
    std::vector<ControlChange> controls; // the box, the labels, the lists and the buttons
    QString zoomPicture;                 // relative picture path for the zoom button
    QString zoomToolTip;
    double zoomButtonX = 0; // the buttons' Left in the box's scale units...
    double printButtonX = 0;
    int zoomButtonLeft = 0; // ...and in twips from the box's left edge
    int printButtonLeft = 0;
    bool hideZoomGrid = false; // the line objects of the mouse-zoom grid go
    bool curveDrawn = true;
};

// Cmd_Zoom_Leq1 / Cmd_Zoom_Leq10. Normal -> enlarged, enlarged with a range -> enlarged, enlarged ->
// normal; any other state does nothing. The Leq1 graph of generation-3 data has no button.
ZoomButtonResult ZoomButtonClick(GraphId graph, Canvas& box, DataStore& store, const BoxResizer& resize = {});

// Where the two buttons sit inside the box, in its scale units, for the box's size and window length.
struct ButtonPlaces {
    double zoom = 0;
    double print = 0;
};
ButtonPlaces graphButtonPlaces(const Canvas& box, bool enlarged, int graphDays);

// The record a list row designates: rows are counted over non-empty rows only (the tables put an
// empty row between days). Generation 5 counts rows of Leq1_Records / Leq10_Records from 1;
// generation 3 counts rows of Leq_Records from Period_First. 0 for an empty row or one out of range.
int listRecordNumber(const QStringList& lines, int row, int firstRecord);

struct ListClickResult {
    bool handled = false;
    int record = 0; // the selected record after the click
};

// List_Leq1 / List_Leq10 click on row `row` (0-based) of the lines the list shows. A non-empty row
// selects its record and redraws the normal graph with the arrow on it; an empty row erases the
// arrow but keeps the selection, which later redraws show again. Clicks on a list that shows a
// no-value message, or whose row designates no record of the window, change nothing.
ListClickResult ListClick(GraphId graph, Canvas& box, DataStore& store, const QStringList& lines, int row);

// The names of the window's controls that enlarging hides and restoring shows again (besides the
// graph's own controls).
namespace GraphWindowControls {
inline const QString kAnalyse = QStringLiteral("Label_Analyse");
inline const QString kDayNightHour = QStringLiteral("Label_Heure_Jour_Nuit");
inline const QString kNightDayHour = QStringLiteral("Label_Heure_Nuit_Jour");
inline const QString kMinLeq10 = QStringLiteral("Label_Mini_Leq10");
inline const QString kMaxLeq10 = QStringLiteral("Label_Maxi_Leq10");
inline const QString kMinLeq1 = QStringLiteral("Label_Mini_Leq1");
inline const QString kMaxLeq1 = QStringLiteral("Label_Maxi_Leq1");
inline const QString kDayLevel = QStringLiteral("Label_Niveau_Leq_Jour");
inline const QString kNightLevel = QStringLiteral("Label_Niveau_Leq_Nuit");
inline const QString kDayWindowLevel = QStringLiteral("Label_Niveau_Leq_Jour_Fenetre");
inline const QString kNightWindowLevel = QStringLiteral("Label_Niveau_Leq_Nuit_Fenetre");
inline const QString kListCaption3 = QStringLiteral("Label3");
inline const QString kListCaption4 = QStringLiteral("Label4");
inline const QString kListLeq1Caption = QStringLiteral("Label_List_Leq1");
inline const QString kListLeq10 = QStringLiteral("List_Leq10");
inline const QString kListLeq1 = QStringLiteral("List_Leq1");
inline const QString kListEvents = QStringLiteral("List_Depassement");
inline const QString kNewGraph = QStringLiteral("Cmd_New_Graph");
} // namespace GraphWindowControls
