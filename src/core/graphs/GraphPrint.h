#pragma once

#include "core/graphs/Canvas.h"
#include "core/graphs/GraphControls.h"
#include "core/platform/PrintFailureTexts.h"
#include "core/platform/UiServices.h"
#include "core/store/DataStore.h"

#include <QString>
#include <vector>

// Printing an enlarged graph. The page shows the window rearranged for paper: the whole enlarged box
// at the top, its caption, the device header and the date line below it, all on white.

// A graph prints only while it is enlarged and not showing a mouse-selected range.
bool canPrintGraph(const Canvas& box, const DataStore& store);

// The window's controls for the page and back for the screen.
struct GraphPrintLayout {
    std::vector<ControlChange> page;   // tops, print and zoom buttons hidden
    std::vector<ControlChange> screen; // tops back, buttons shown
    // Controls whose background turns white on the page and back to the window colour after.
    std::vector<QString> backgrounds;
};
GraphPrintLayout graphPrintLayout(GraphId graph);

// The page in twips, as the window shows it rearranged: the box, then the three labels below it.
struct PrintedLabel {
    QString name;
    QString text;
    int left = 0, top = 0, width = 0, height = 0;
};
struct GraphPage {
    int width = 0, height = 0; // the printed area in twips
    BoxGeometry box;
    std::vector<PrintedLabel> labels; // caption, header, date, top to bottom
};
// `header` and `date` are the texts of Label_Entete and Label_Date.
GraphPage graphPage(GraphId graph, const QString& header, const QString& date);

// Draws the page: `page` is scaled in twips over the whole printed area and gets the white
// background and the labels; `box` is the graph box placed at page.box, drawn enlarged as the
// screen shows it (axes, content, the selected record's arrow).
void DrawGraphPage(Canvas& page, Canvas& box, GraphId graph, DataStore& store, const GraphPage& layout);

// Draws the enlarged, unzoomed graph into a box: what the screen shows after the zoom button.
bool DrawEnlargedGraph(Canvas& box, GraphId graph, DataStore& store);

// The window's side of a print command.
class GraphPrintTarget {
public:
    virtual ~GraphPrintTarget() = default;
    // The printer dialog; false when the user cancelled it.
    virtual bool choosePrinter() = 0;
    virtual void setMainWindowEnabled(bool enabled) = 0;
    virtual void applyControls(const std::vector<ControlChange>& changes) = 0;
    virtual void setBackground(const std::vector<QString>& controls, RgbColor color) = 0;
    // Sends the page; false (or an exception) on a printing error.
    virtual bool printPage() = 0;
};

enum class GraphPrintOutcome { NotPrintable, Cancelled, Printed, Failed };

// Cmd_Print_Leq1 / Cmd_Print_Leq10. A cancelled dialog changes nothing. Whatever happens once the
// page layout is applied, the screen layout, the window colour and the main window come back; a
// printing error is then told to the user, since a page that silently never comes out looks like
// a printer that is merely slow.
GraphPrintOutcome PrintGraph(GraphId graph, const Canvas& box, const DataStore& store,
                             GraphPrintTarget& target, UiServices& ui);
