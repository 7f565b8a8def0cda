#include "paint/GraphPageRender.h"

#include "core/graphs/GraphPrint.h"
#include "core/graphs/GraphWindow.h"
#include "paint/GraphOverlay.h"
#include "paint/OutputFiles.h"
#include "paint/PainterCanvas.h"
#include "paint/Twips.h"

#include <QFileInfo>
#include <QPageLayout>
#include <QPdfWriter>
#include <algorithm>

namespace {
QString boxName(GraphId graph) {
    return graphControlNames(graph).box;
}

void drawBoxBorder(QPainter& painter, const QRectF& rect) {
    painter.save();
    painter.setPen(QPen(Qt::darkGray, 0));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(rect);
    painter.restore();
}

QSize enlargedLogicalSize() {
    return QSize(twips(kEnlargedBoxWidth), twips(kEnlargedBoxHeight));
}
} // namespace

bool PaintEnlargedGraph(QPainter& painter, const QRectF& area, GraphId graph, DataStore& store,
                        const std::optional<ZoomRange>& zoom) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    PainterCanvas box(&painter, area);
    box.setName(boxName(graph));
    const bool drawn = DrawEnlargedGraph(box, graph, store);
    if (zoom) {
        const int16_t zoomFlag = store.Mouse_Zoom_Active;
        const ZoomGrid grid = DrawZoomedGraph(graph, box, store, *zoom);
        store.Mouse_Zoom_Active = zoomFlag;
        box.flush();
        paintOverlayLines(painter, box, overlayLines(grid), OverlayStyle::ZoomGrid);
    }
    box.flush();
    drawBoxBorder(painter, area);
    painter.restore();
    return drawn;
}

QImage RenderEnlargedGraph(GraphId graph, DataStore& store, const std::optional<ZoomRange>& zoom,
                           qreal pixelRatio) {
    if (pixelRatio <= 0) pixelRatio = 1.0;
    const QSize logical = enlargedLogicalSize();
    QImage image(logical * pixelRatio, QImage::Format_RGB32);
    image.setDevicePixelRatio(pixelRatio);
    image.fill(Qt::white);
    QPainter painter(&image);
    PaintEnlargedGraph(painter, QRectF(QPointF(0, 0), QSizeF(logical)), graph, store, zoom);
    painter.end();
    return image;
}

bool WriteEnlargedGraph(GraphId graph, DataStore& store, const std::optional<ZoomRange>& zoom,
                        const QString& fileName, QString& error) {
    const QString suffix = QFileInfo(fileName).suffix().toLower();
    if (suffix == QLatin1String("png")) {
        // Twice the screen's pixels, as the two-graph picture.
        return writePngFile(RenderEnlargedGraph(graph, store, zoom, 2.0), fileName, error);
    }
    if (suffix == QLatin1String("pdf")) {
        return writePdfFile(
            fileName,
            [&](QPdfWriter& writer) {
                writer.setPageSize(
                    QPageSize(QSizeF(kEnlargedBoxWidth / 20.0, kEnlargedBoxHeight / 20.0), QPageSize::Point));
                writer.setPageMargins(QMarginsF(0, 0, 0, 0));
                writer.setResolution(1440);
                QPainter painter;
                if (!painter.begin(&writer)) return false;
                PaintEnlargedGraph(painter, QRectF(0, 0, kEnlargedBoxWidth, kEnlargedBoxHeight), graph, store,
                                   zoom);
                return painter.end();
            },
            error);
    }
    error = QStringLiteral("the output must end in .png or .pdf");
    return false;
}

void PaintGraphPage(QPainter& painter, const QRectF& area, GraphId graph, DataStore& store,
                    const QString& header, const QString& date) {
    const GraphPage layout = graphPage(graph, header, date);
    const double sx = area.width() / layout.width;
    const double sy = area.height() / layout.height;
    const QRectF boxRect(area.left() + layout.box.left * sx, area.top() + layout.box.top * sy,
                         layout.box.width * sx, layout.box.height * sy);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    PainterCanvas page(&painter, area);
    PainterCanvas box(&painter, boxRect);
    box.setName(boxName(graph));
    DrawGraphPage(page, box, graph, store, layout);
    page.flush();
    box.flush();
    drawBoxBorder(painter, boxRect);
    painter.restore();
}

bool PrintGraphPage(QPagedPaintDevice& printer, GraphId graph, DataStore& store, const QString& header,
                    const QString& date) {
    QPainter painter;
    if (!painter.begin(&printer)) return false;
    const GraphPage layout = graphPage(graph, header, date);
    const QRectF sheet = QRectF(painter.viewport());
    const double realSize = printer.logicalDpiX() / 1440.0; // device pixels per twip at 100 %
    const double scale = std::min({realSize, sheet.width() / layout.width, sheet.height() / layout.height});
    if (!(scale > 0)) {
        painter.end();
        return false;
    }
    PaintGraphPage(painter, QRectF(sheet.topLeft(), QSizeF(layout.width * scale, layout.height * scale)),
                   graph, store, header, date);
    return painter.end();
}

bool WriteGraphPage(GraphId graph, DataStore& store, const QString& header, const QString& date,
                    const QString& fileName, QString& error) {
    if (QFileInfo(fileName).suffix().toLower() != QLatin1String("pdf")) {
        error = QStringLiteral("the printed page is written as .pdf");
        return false;
    }
    return writePdfFile(
        fileName,
        [&](QPdfWriter& writer) {
            writer.setPageSize(QPageSize(QPageSize::A4));
            // The page is wider than high: landscape gives it the most room on the sheet.
            writer.setPageOrientation(QPageLayout::Landscape);
            writer.setPageMargins(QMarginsF(10, 10, 10, 10), QPageLayout::Millimeter);
            writer.setTitle(GraphWindowTexts::kCaption);
            return PrintGraphPage(writer, graph, store, header, date);
        },
        error);
}
