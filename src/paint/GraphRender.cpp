#include "paint/GraphRender.h"

#include "core/graphs/GraphLayout.h"
#include "core/graphs/GraphWindow.h"
#include "paint/OutputFiles.h"
#include "paint/PainterCanvas.h"
#include "paint/Twips.h"

#include <QFileInfo>
#include <QFont>
#include <QPageSize>
#include <QPdfWriter>

namespace {
constexpr int kRenderLeft = 30;
constexpr int kRenderTop = 840;

QRectF placeIn(const QRectF& area, const TwipsBox& box) {
    const QRectF whole = graphRenderArea();
    const double sx = area.width() / whole.width();
    const double sy = area.height() / whole.height();
    return QRectF(area.left() + (box.left - whole.left()) * sx, area.top() + (box.top - whole.top()) * sy,
                  box.width * sx, box.height * sy);
}

void paintCaption(QPainter& painter, const QRectF& area, const QString& text, int top, int width) {
    const QRectF rect = placeIn(area, {kGraphLabelLeft, top, width, kGraphLabelHeight});
    QFont font(QStringLiteral("Sans Serif"));
    // An 8-point caption: 160 twips tall, whatever the target's resolution.
    font.setPixelSize(std::max(1, qRound(rect.height() * 160.0 / kGraphLabelHeight)));
    painter.setFont(font);
    painter.setPen(Qt::black);
    painter.drawText(rect, Qt::AlignHCenter | Qt::AlignVCenter, text);
}

void paintBox(QPainter& painter, const QRectF& rect, const QString& name, bool leq1, const DataStore& store,
              bool hasRecords) {
    painter.fillRect(rect, Qt::white);
    PainterCanvas canvas(&painter, rect);
    canvas.setName(name);
    canvas.setBoxSize(kNormalBoxWidth, kNormalBoxHeight);
    if (leq1)
        DrawLeq1GraphNormal(canvas, store, hasRecords);
    else
        DrawLeq10GraphNormal(canvas, store, hasRecords);
    canvas.flush();
    // The picture box's sunken border.
    painter.setPen(QPen(Qt::darkGray, 0));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(rect);
}
} // namespace

QRectF graphRenderArea() {
    const GraphBoxPlacement leq1 = normalGraphPlacement(GraphBoxId::Leq1);
    const int bottom = leq1.labelTop + kGraphLabelHeight;
    return QRectF(kRenderLeft, kRenderTop, leq1.box.width, bottom - kRenderTop);
}

void PaintGraphBoxes(QPainter& painter, const QRectF& area, const DataStore& store, bool hasRecords) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    painter.fillRect(area, Qt::white);
    const GraphBoxPlacement leq10 = normalGraphPlacement(GraphBoxId::Leq10);
    const GraphBoxPlacement leq1 = normalGraphPlacement(GraphBoxId::Leq1);
    paintBox(painter, placeIn(area, leq10.box), QStringLiteral("Graphique_Leq10"), false, store, hasRecords);
    paintBox(painter, placeIn(area, leq1.box), QStringLiteral("Graphique_Leq1"), true, store, hasRecords);
    paintCaption(painter, area, GraphWindowTexts::kLeq10Caption, leq10.labelTop, leq10.labelWidth);
    paintCaption(painter, area, GraphWindowTexts::kLeq1Caption, leq1.labelTop, leq1.labelWidth);
    painter.restore();
}

QImage RenderGraphBoxes(const DataStore& store, bool hasRecords, qreal pixelRatio) {
    if (pixelRatio <= 0) pixelRatio = 1.0;
    const QRectF whole = graphRenderArea();
    const QSize logical(twips(int(whole.width())), twips(int(whole.height())));
    QImage image(logical * pixelRatio, QImage::Format_RGB32);
    image.setDevicePixelRatio(pixelRatio);
    image.fill(Qt::white);
    QPainter painter(&image);
    PaintGraphBoxes(painter, QRectF(QPointF(0, 0), QSizeF(logical)), store, hasRecords);
    painter.end();
    return image;
}

bool WriteGraphBoxes(const DataStore& store, bool hasRecords, const QString& fileName, QString& error) {
    const QString suffix = QFileInfo(fileName).suffix().toLower();
    if (suffix == QLatin1String("png")) {
        // Twice the screen's pixels: sharp enough to print or to read small labels.
        return writePngFile(RenderGraphBoxes(store, hasRecords, 2.0), fileName, error);
    }
    if (suffix == QLatin1String("pdf")) {
        return writePdfFile(
            fileName,
            [&](QPdfWriter& writer) {
                const QRectF whole = graphRenderArea();
                // A page the size of the boxes (twips are 1/20 of a point), without margins.
                writer.setPageSize(
                    QPageSize(QSizeF(whole.width() / 20.0, whole.height() / 20.0), QPageSize::Point));
                writer.setPageMargins(QMarginsF(0, 0, 0, 0));
                writer.setResolution(1440);
                writer.setTitle(GraphWindowTexts::kCaption);
                QPainter painter;
                if (!painter.begin(&writer)) return false;
                PaintGraphBoxes(painter, QRectF(QPointF(0, 0), whole.size()), store, hasRecords);
                return painter.end();
            },
            error);
    }
    error = QStringLiteral("the output must end in .png or .pdf");
    return false;
}
