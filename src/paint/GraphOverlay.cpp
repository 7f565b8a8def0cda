#include "paint/GraphOverlay.h"

std::vector<QLineF> overlayLines(const ZoomGrid& grid) {
    std::vector<QLineF> lines;
    if (!grid.visible) return lines;
    lines.reserve(grid.hourLines.size() + grid.levelLines.size());
    for (const ZoomGridLine& l : grid.hourLines)
        lines.emplace_back(l.x1, l.y1, l.x2, l.y2);
    for (const ZoomGridLine& l : grid.levelLines)
        lines.emplace_back(l.x1, l.y1, l.x2, l.y2);
    return lines;
}

std::vector<QLineF> overlayLines(const RubberBand& band) {
    std::vector<QLineF> lines;
    for (const RubberBandLine& l : band)
        lines.emplace_back(l.x1, l.y1, l.x2, l.y2);
    return lines;
}

QPen overlayPen(OverlayStyle style) {
    // The grid must not be taken for a curve: light and dotted. The band is the user's own drag:
    // dark and dashed, visible over any colour of the graph.
    QPen pen(style == OverlayStyle::ZoomGrid ? QColor(160, 160, 160) : QColor(0, 0, 0));
    pen.setStyle(style == OverlayStyle::ZoomGrid ? Qt::DotLine : Qt::DashLine);
    pen.setWidthF(1.0);
    pen.setCosmetic(true);
    return pen;
}

void paintOverlayLines(QPainter& painter, const PainterCanvas& box, const std::vector<QLineF>& lines,
                       OverlayStyle style) {
    if (lines.empty()) return;
    painter.save();
    painter.setPen(overlayPen(style));
    painter.setClipRect(box.target());
    QVector<QLineF> mapped;
    mapped.reserve(static_cast<qsizetype>(lines.size()));
    for (const QLineF& l : lines)
        mapped.append(QLineF(box.toDevice(l.x1(), l.y1()), box.toDevice(l.x2(), l.y2())));
    painter.drawLines(mapped);
    painter.restore();
}
