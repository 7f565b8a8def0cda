// The graph window's commands once it is loaded: enlarge and restore, the list clicks, the zoom by
// mouse selection, printing and the hover tips. The rules are in core; this file only hands them
// the window's controls and puts their answers back into the controls.
#include "core/graphs/GraphPrint.h"
#include "core/graphs/GraphWindowCommands.h"
#include "paint/GraphPageRender.h"
#include "ui/graphs/FrmGraphiqueLeq.h"
#include "ui/shell/AppContext.h"
#include "ui/tables/TablePrinting.h"
#include "ui/widgets/GraphPicture.h"
#include "ui/widgets/Pictures.h"
#include "ui/widgets/Twips.h"

#include <QFileInfo>
#include <QLabel>
#include <QListWidget>
#include <QPagedPaintDevice>
#include <QPushButton>
#include <QToolTip>

// The window's side of a print command: the printer dialog of the program, the window's controls and
// the main window; the page itself is painted from the graph routines, not grabbed from the screen.
class GraphWindowPrintTarget : public GraphPrintTarget {
public:
    GraphWindowPrintTarget(frmGraphique_Leq& window, GraphId graph) : m_window(window), m_graph(graph) {}

    bool choosePrinter() override {
        // The enlarged graph is wider than high: across an A4 sheet it prints at full size.
        m_printer = printerSource().choosePrinter(&m_window, QPageLayout::Landscape);
        return m_printer != nullptr;
    }
    void setMainWindowEnabled(bool enabled) override { m_window.m_ctx.shell.setMainEnabled(enabled); }
    void applyControls(const std::vector<ControlChange>& changes) override {
        m_window.applyControls(changes);
    }
    void setBackground(const std::vector<QString>& controls, RgbColor color) override {
        m_window.setBackgrounds(controls, color);
    }
    bool printPage() override {
        return m_printer &&
               PrintGraphPage(*m_printer, m_graph, m_window.m_ctx.store, m_window.m_header->text(),
                              m_window.m_date->text()) &&
               printedFileComplete(*m_printer);
    }

private:
    frmGraphique_Leq& m_window;
    GraphId m_graph;
    std::unique_ptr<QPagedPaintDevice> m_printer;
};

namespace {
void setButtonPicture(QPushButton* button, const QString& relativePath) {
    // The rules name the picture as the program has always stored it, "/Images/<file>".
    const QPixmap pixmap = loadPicture(QFileInfo(relativePath).fileName());
    if (pixmap.isNull()) return;
    button->setIcon(QIcon(pixmap));
    button->setIconSize(button->size() - QSize(6, 6));
}
} // namespace

void frmGraphique_Leq::connectCommands() {
    for (GraphId graph : {GraphId::Leq10, GraphId::Leq1}) {
        connect(zoomButton(graph), &QPushButton::clicked, this, [this, graph] { cmdZoom(graph); });
        connect(printButton(graph), &QPushButton::clicked, this, [this, graph] { cmdPrint(graph); });
        QListWidget* list = graph == GraphId::Leq10 ? m_list10 : m_list1;
        connect(list, &QListWidget::clicked, this,
                [this, graph](const QModelIndex& index) { listClick(graph, index.row()); });
        GraphPicture* box = picture(graph);
        connect(box, &GraphPicture::mousePressed, this,
                [this, graph](Qt::MouseButton button, QPointF at) { boxPressed(graph, button, at); });
        connect(box, &GraphPicture::mouseMoved, this,
                [this, graph](Qt::MouseButtons buttons, QPointF at) { boxMoved(graph, buttons, at); });
        connect(box, &GraphPicture::mouseReleased, this,
                [this, graph](Qt::MouseButton button, QPointF at) { boxReleased(graph, button, at); });
        box->hoverText = [this, graph](double x) { return hoverTextAt(graph, x); };
    }
}

std::optional<QString> frmGraphique_Leq::hoverTextAt(GraphId graph, double x) const {
    return (graph == GraphId::Leq10 ? m_hover10 : m_hover1).toolTipAt(x);
}

QWidget* frmGraphique_Leq::control(const QString& name) {
    if (name == objectName()) return this;
    return findChild<QWidget*>(name);
}

void frmGraphique_Leq::applyControls(const std::vector<ControlChange>& changes) {
    for (const ControlChange& change : changes) {
        QWidget* widget = control(change.name);
        if (!widget) continue;
        if (auto* box = qobject_cast<GraphPicture*>(widget)) {
            TwipsBox geometry = box->boxGeometry();
            geometry.left = change.left.value_or(geometry.left);
            geometry.top = change.top.value_or(geometry.top);
            geometry.width = change.width.value_or(geometry.width);
            geometry.height = change.height.value_or(geometry.height);
            box->setBoxGeometry(geometry);
        } else if (change.left || change.top || change.width || change.height) {
            QRect geometry = widget->geometry();
            if (change.left) geometry.moveLeft(twips(*change.left));
            if (change.top) geometry.moveTop(twips(*change.top));
            if (change.width) geometry.setWidth(twips(*change.width));
            if (change.height) geometry.setHeight(twips(*change.height));
            widget->setGeometry(geometry);
        }
        if (change.visible) widget->setVisible(*change.visible);
    }
}

void frmGraphique_Leq::setBackgrounds(const std::vector<QString>& controls, RgbColor color) {
    for (const QString& name : controls) {
        QWidget* widget = control(name);
        if (!widget) continue;
        QPalette palette = widget->palette();
        palette.setColor(QPalette::Window, QColor(color.red, color.green, color.blue));
        widget->setPalette(palette);
        widget->setAutoFillBackground(true);
    }
}

void frmGraphique_Leq::cmdZoom(GraphId graph) {
    GraphPicture* box = picture(graph);
    QToolTip::hideText();
    // The picture follows the box's new size before the rules draw into it.
    const BoxResizer resize = [box, graph](Canvas&, int width, int height) {
        const BoxGeometry g = width == kEnlargedBoxWidth && height == kEnlargedBoxHeight
                                  ? kEnlargedBoxGeometry
                                  : normalBoxGeometry(graph);
        box->setBoxGeometry({g.left, g.top, g.width, g.height});
    };
    const ZoomButtonResult result = ZoomButtonClick(graph, box->canvas(), m_ctx.store, resize);
    if (!result.handled) return;
    applyControls(result.controls);
    box->setOverlay(OverlayStyle::RubberBand, {});
    if (result.hideZoomGrid) box->setOverlay(OverlayStyle::ZoomGrid, {});
    QPushButton* zoom = zoomButton(graph);
    QPushButton* print = printButton(graph);
    if (!result.zoomPicture.isEmpty()) setButtonPicture(zoom, result.zoomPicture);
    zoom->setToolTip(result.zoomToolTip);
    // Leaving a zoom brings the button back from where the zoom had put it.
    zoom->move(twips(result.zoomButtonLeft), twips(kBoxButtonTop));
    print->move(twips(result.printButtonLeft), print->y());
    box->refresh();
}

void frmGraphique_Leq::cmdPrint(GraphId graph) {
    GraphWindowPrintTarget target(*this, graph);
    PrintGraph(graph, picture(graph)->canvas(), m_ctx.store, target, m_ctx.ui);
}

void frmGraphique_Leq::listClick(GraphId graph, int row) {
    QListWidget* list = graph == GraphId::Leq10 ? m_list10 : m_list1;
    QStringList lines;
    lines.reserve(list->count());
    for (int i = 0; i < list->count(); ++i)
        lines.append(list->item(i)->text());
    GraphPicture* box = picture(graph);
    if (ListClick(graph, box->canvas(), m_ctx.store, lines, row).handled) box->refresh();
}

void frmGraphique_Leq::boxPressed(GraphId graph, Qt::MouseButton button, QPointF at) {
    m_selection.mouseDown(picture(graph)->canvas(), button == Qt::LeftButton, at.x(), at.y());
}

void frmGraphique_Leq::boxMoved(GraphId graph, Qt::MouseButtons, QPointF at) {
    if (const std::optional<RubberBand> band = m_selection.mouseMove(graph, at.x(), at.y()))
        picture(graph)->setOverlay(OverlayStyle::RubberBand, overlayLines(*band));
}

void frmGraphique_Leq::boxReleased(GraphId graph, Qt::MouseButton, QPointF at) {
    GraphPicture* box = picture(graph);
    const ZoomRelease release = m_selection.mouseUp(graph, box->canvas(), m_ctx.store, at.x(), at.y());
    box->setOverlay(OverlayStyle::RubberBand, {});
    if (release.accepted) {
        box->setOverlay(OverlayStyle::ZoomGrid, overlayLines(release.grid));
        if (release.hidePrintButton) printButton(graph)->hide();
        zoomButton(graph)->move(twips(release.zoomButton.left), twips(release.zoomButton.top));
    }
    zoomButton(graph)->setToolTip(release.zoomToolTip);
    box->refresh();
}
