#include "paint/TablePagePainter.h"

#include <QFontMetricsF>
#include <QPainter>
#include <algorithm>
#include <cmath>

namespace {
constexpr double kUsualPoints = 8;
constexpr double kSmallPoints = 7;
constexpr double kSmallestPoints = 4; // below this nothing is readable any more

double twipsToDevice(int twips, int dpi) {
    return twips * dpi / 1440.0;
}

// How far the widest text of the pages reaches, in device pixels, at the given size.
double rightmostEdge(const QList<PrintPage>& pages, const QPaintDevice& device, double points) {
    const QFontMetricsF metrics(tablePrintFont(points), &device);
    double edge = 0;
    for (const PrintPage& page : pages)
        for (const PrintText& text : page.texts)
            edge = std::max(edge, twipsToDevice(text.left, device.logicalDpiX()) +
                                      metrics.horizontalAdvance(text.text));
    return edge;
}
} // namespace

QFont tablePrintFont(double points) {
    QFont font(QStringLiteral("DejaVu Sans Mono"));
    font.setStyleHint(QFont::Monospace);
    font.setPointSizeF(points);
    return font;
}

double tablePrintPointSize(const QList<PrintPage>& pages, const QPaintDevice& device, double printableWidth) {
    const auto fits = [&](double points) { return rightmostEdge(pages, device, points) <= printableWidth; };
    if (fits(kUsualPoints)) return kUsualPoints;
    if (fits(kSmallPoints)) return kSmallPoints;
    // Narrower still: the text width of a fixed-pitch font grows with its size, so scale down to
    // the room left after the left position, then step down in tenths until the hinting agrees.
    double largestLeft = 0;
    for (const PrintPage& page : pages)
        for (const PrintText& text : page.texts)
            largestLeft = std::max(largestLeft, twipsToDevice(text.left, device.logicalDpiX()));
    const double textAt7 = rightmostEdge(pages, device, kSmallPoints) - largestLeft;
    double points = kSmallPoints;
    if (textAt7 > 0 && printableWidth > largestLeft)
        points = std::floor(kSmallPoints * (printableWidth - largestLeft) / textAt7 * 10) / 10;
    points = std::clamp(points, kSmallestPoints, kSmallPoints);
    while (points > kSmallestPoints && !fits(points))
        points -= 0.1;
    return std::max(points, kSmallestPoints);
}

bool paintTablePages(QPagedPaintDevice& device, const QList<PrintPage>& pages) {
    QPainter painter;
    if (!painter.begin(&device)) return false;
    // The painter's origin is the printable corner and its window the printable area.
    const double printableWidth = painter.viewport().width();
    painter.setFont(tablePrintFont(tablePrintPointSize(pages, device, printableWidth)));
    const double ascent = QFontMetricsF(painter.font(), &device).ascent();
    for (int p = 0; p < pages.size(); ++p) {
        if (p > 0 && !device.newPage()) return false;
        for (const PrintText& text : pages[p].texts)
            painter.drawText(QPointF(twipsToDevice(text.left, device.logicalDpiX()),
                                     twipsToDevice(text.top, device.logicalDpiY()) + ascent),
                             text.text);
    }
    return painter.end();
}
