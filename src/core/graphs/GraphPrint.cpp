#include "core/graphs/GraphPrint.h"

#include "core/graphs/Axes.h"
#include "core/graphs/GraphContent.h"

#include <algorithm>

bool canPrintGraph(const Canvas& box, const DataStore& store) {
    return box.isEnlargedSize() && store.Mouse_Zoom_Active == kFalse;
}

namespace {
const QString kHeader = QStringLiteral("Label_Entete");
const QString kDate = QStringLiteral("Label_Date");
constexpr int kLabelHeight = 300;
constexpr int kMargin = 30;
// The window's labels use the desktop's usual 9-point face.
constexpr double kPageLabelPoints = 9;
} // namespace

GraphPrintLayout graphPrintLayout(GraphId graph) {
    const GraphControlNames n = graphControlNames(graph);
    GraphPrintLayout layout;
    layout.page = {topChange(n.box, 30),
                   topChange(n.caption, 8430),
                   topChange(kHeader, 8880),
                   topChange(kDate, 9240),
                   visibilityChange(n.printButton, false),
                   visibilityChange(n.zoomButton, false)};
    layout.screen = {topChange(n.box, 840),
                     topChange(n.caption, 9240),
                     topChange(kHeader, 60),
                     topChange(kDate, 420),
                     visibilityChange(n.printButton, true),
                     visibilityChange(n.zoomButton, true)};
    layout.backgrounds = {QStringLiteral("frmGraphique_Leq"), kHeader, kDate, n.caption};
    return layout;
}

GraphPage graphPage(GraphId graph, const QString& header, const QString& date) {
    GraphPage page;
    page.box = {kEnlargedBoxGeometry.left, 30, kEnlargedBoxWidth, kEnlargedBoxHeight};
    const QString caption =
        graph == GraphId::Leq1 ? GraphWindowTexts::kCaptionLeq1 : GraphWindowTexts::kCaptionLeq10;
    const int width = 15195;
    page.labels = {{graphControlNames(graph).caption, caption, kMargin, 8430, width, kLabelHeight},
                   {kHeader, header, kMargin, 8880, width, kLabelHeight},
                   {kDate, date, kMargin, 9240, width, kLabelHeight}};
    page.width = kMargin + width + kMargin;
    page.height = 9240 + kLabelHeight + kMargin;
    return page;
}

bool DrawEnlargedGraph(Canvas& box, GraphId graph, DataStore& store) {
    box.setBoxSize(kEnlargedBoxWidth, kEnlargedBoxHeight);
    box.clear();
    const int16_t zoom = store.Mouse_Zoom_Active;
    store.Mouse_Zoom_Active = kFalse; // the legends show on the unzoomed graph
    DrawAxesEnlarged(box, store, kBlack);
    const bool drawn = DrawGraphContent(box, store, graph, ContentOrder::LeaveZoom);
    store.Mouse_Zoom_Active = zoom;
    return drawn;
}

void DrawGraphPage(Canvas& page, Canvas& box, GraphId graph, DataStore& store, const GraphPage& layout) {
    page.setBoxSize(layout.width, layout.height);
    page.setScale(0, 0, layout.width, layout.height);
    page.clear();
    page.setForeColor(kBlack);
    // As the window's labels: the header bold, each text centred on its label.
    page.setFontSize(kPageLabelPoints);
    for (const PrintedLabel& label : layout.labels) {
        page.setFontBold(label.name == kHeader);
        const double width = page.textWidth(label.text);
        page.printAt(label.left + std::max(0.0, (label.width - width) / 2), label.top, label.text);
    }
    page.setFontBold(false);
    DrawEnlargedGraph(box, graph, store);
}

GraphPrintOutcome PrintGraph(GraphId graph, const Canvas& box, const DataStore& store,
                             GraphPrintTarget& target, UiServices& ui) {
    if (!canPrintGraph(box, store)) return GraphPrintOutcome::NotPrintable;
    try {
        if (!target.choosePrinter()) return GraphPrintOutcome::Cancelled;
    } catch (...) {
        return GraphPrintOutcome::Cancelled;
    }

    const GraphPrintLayout layout = graphPrintLayout(graph);
    // Puts the screen back on every way out, a printing error included.
    struct ScreenBack {
        GraphPrintTarget& target;
        const GraphPrintLayout& layout;
        ~ScreenBack() {
            try {
                target.applyControls(layout.screen);
                target.setBackground(layout.backgrounds, kWindowBackground);
                target.setMainWindowEnabled(true);
            } catch (...) {
            }
        }
    };

    bool printed = false;
    try {
        ScreenBack back{target, layout};
        target.setMainWindowEnabled(false);
        target.applyControls(layout.page);
        target.setBackground(layout.backgrounds, kWhite);
        printed = target.printPage();
    } catch (...) {
        printed = false;
    }
    // The screen is back by now: the message stands over the window as the user knows it.
    if (!printed)
        ui.message(MessageIcon::Critical, PrintFailureTexts::kTitle, PrintFailureTexts::kGraphText);
    return printed ? GraphPrintOutcome::Printed : GraphPrintOutcome::Failed;
}
