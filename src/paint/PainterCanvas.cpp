#include "paint/PainterCanvas.h"

#include "paint/Twips.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPaintDevice>
#include <algorithm>
#include <cmath>

namespace {
// A record level of 32767 dB maps thousands of boxes away: such points are skipped and lines are
// cut near the box, so the rasteriser never sees absurd coordinates.
QColor toQColor(RgbColor c) {
    return QColor(std::clamp(c.red, 0, 255), std::clamp(c.green, 0, 255), std::clamp(c.blue, 0, 255));
}

// Liang-Barsky: cuts the segment to the rectangle; false when it misses it.
bool clipSegment(QPointF& a, QPointF& b, const QRectF& r) {
    double t0 = 0, t1 = 1;
    const double dx = b.x() - a.x(), dy = b.y() - a.y();
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {a.x() - r.left(), r.right() - a.x(), a.y() - r.top(), r.bottom() - a.y()};
    for (int i = 0; i < 4; ++i) {
        if (p[i] == 0) {
            if (q[i] < 0) return false;
            continue;
        }
        const double t = q[i] / p[i];
        if (p[i] < 0)
            t0 = std::max(t0, t);
        else
            t1 = std::min(t1, t);
        if (t0 > t1) return false;
    }
    const QPointF start = a;
    a = QPointF(start.x() + t0 * dx, start.y() + t0 * dy);
    b = QPointF(start.x() + t1 * dx, start.y() + t1 * dy);
    return true;
}
} // namespace

QPointF PainterCanvas::toDevice(double x, double y) const {
    const double w = scaleWidth() == 0 ? 1 : scaleWidth();
    const double h = scaleHeight() == 0 ? 1 : scaleHeight();
    return QPointF(m_target.left() + (x - scaleLeft()) / w * m_target.width(),
                   m_target.top() + (y - scaleTop()) / h * m_target.height());
}

double PainterCanvas::devicePerTwip() const {
    return boxWidth() > 0 ? m_target.width() / boxWidth() : 0;
}

QPen PainterCanvas::penFor(RgbColor color) const {
    // The draw width counts screen pixels of the box, 15 twips each.
    QPen pen(toQColor(color));
    pen.setWidthF(std::max(0.5, drawWidth() * kTwipsPerPixel * devicePerTwip()));
    pen.setCapStyle(Qt::RoundCap);
    return pen;
}

bool PainterCanvas::nearTarget(const QPointF& point, double margin) const {
    return std::isfinite(point.x()) && std::isfinite(point.y()) &&
           m_target.adjusted(-margin, -margin, margin, margin).contains(point);
}

PainterCanvas::~PainterCanvas() {
    // A painter that was already ended has nothing to receive.
    if (m_painter && m_painter->isActive()) sendPending(m_painter);
}

void PainterCanvas::flush() {
    if (m_pendingLines.isEmpty() && m_pendingPoints.isEmpty()) return;
    sendPending(painter());
}

void PainterCanvas::sendPending(QPainter* p) {
    if (m_pendingLines.isEmpty() && m_pendingPoints.isEmpty()) return;
    if (p) {
        p->setPen(m_pendingPen);
        if (!m_pendingLines.isEmpty()) p->drawLines(m_pendingLines);
        if (!m_pendingPoints.isEmpty()) p->drawPoints(m_pendingPoints.constData(), m_pendingPoints.size());
    }
    m_pendingLines.clear();
    m_pendingPoints.clear();
}

bool PainterCanvas::samePendingPen(const QPen& pen) {
    // Within one opaque pen the order of the marks does not show: only a new pen sends them.
    if (m_pendingLines.isEmpty() && m_pendingPoints.isEmpty()) {
        m_pendingPen = pen;
        return true;
    }
    if (m_pendingPen == pen) return true;
    flush();
    m_pendingPen = pen;
    return false;
}

const QPen& PainterCanvas::linePen(RgbColor color) {
    const double width = std::max(0.5, drawWidth() * kTwipsPerPixel * devicePerTwip());
    if (!(color == m_linePenColor) || width != m_linePenWidth) {
        m_linePen = penFor(color);
        m_linePenColor = color;
        m_linePenWidth = width;
    }
    return m_linePen;
}

void PainterCanvas::drawLine(double x1, double y1, double x2, double y2, RgbColor color) {
    if (!painter()) return;
    QPointF a = toDevice(x1, y1), b = toDevice(x2, y2);
    if (!std::isfinite(a.x()) || !std::isfinite(a.y()) || !std::isfinite(b.x()) || !std::isfinite(b.y()))
        return;
    // A zoomed curve runs far outside the box on both sides: a segment that cannot touch the box
    // (its pen included) shows nothing, and a long one is cut a little beyond the edge.
    const QPen& pen = linePen(color);
    const double margin = pen.widthF() + 2;
    if (!clipSegment(a, b, m_target.adjusted(-margin, -margin, margin, margin))) return;
    samePendingPen(pen);
    m_pendingLines.append(QLineF(a, b));
}

void PainterCanvas::drawPoint(double x, double y, RgbColor color) {
    QPainter* p = painter();
    const QPointF at = toDevice(x, y);
    if (!p || !nearTarget(at, 10)) return;
    samePendingPen(linePen(color));
    m_pendingPoints.append(at);
}

void PainterCanvas::drawCircle(double x, double y, double radius, RgbColor color, bool filled) {
    flush();
    QPainter* p = painter();
    const QPointF at = toDevice(x, y);
    const double w = scaleWidth() == 0 ? 1 : scaleWidth();
    const QPen pen = penFor(color);
    double r = std::abs(radius / w * m_target.width());
    // A dot marks a moment: a zoom that stretches the time axis must not blow it up into a disc
    // that hides the curve, so it grows no wider than three pen widths.
    if (filled) r = std::min(r, pen.widthF());
    if (!p || !nearTarget(at, 10 + r) || !std::isfinite(r) || r > 10 * m_target.width()) return;
    p->setPen(pen);
    p->setBrush(filled ? QBrush(toQColor(color)) : QBrush(Qt::NoBrush));
    p->drawEllipse(at, r, r);
    p->setBrush(Qt::NoBrush);
}

const QFont* PainterCanvas::currentFont(const QPaintDevice* device) {
    // A point is 20 twips of the box; turn that into the device's own point size.
    const double pixels = fontSize() * 20.0 * devicePerTwip();
    if (!device || pixels <= 0) return nullptr;
    const int dpi = device->logicalDpiY() > 0 ? device->logicalDpiY() : 96;
    const double points = pixels * 72.0 / dpi;
    // A zoom prints some eighty labels: the font is looked up again only when it changes.
    if (points != m_fontPoints || fontBold() != m_fontBold) {
        m_font = QFont(QStringLiteral("Sans Serif"));
        m_font.setStyleHint(QFont::SansSerif);
        // The boxes were laid out for a narrow Windows face: the semi-condensed width keeps the labels
        // inside the room the routines leave them (the recording-limit label between its hatchings).
        m_font.setStretch(QFont::SemiCondensed);
        m_font.setPointSizeF(points);
        m_font.setBold(fontBold());
        m_fontPoints = points;
        m_fontBold = fontBold();
    }
    return &m_font;
}

double PainterCanvas::measureText(const QString& text) {
    QPainter* p = painter();
    if (!p || !p->device() || m_target.width() <= 0) return 0;
    const QFont* font = currentFont(p->device());
    if (!font) return 0;
    const double pixels = QFontMetricsF(*font, p->device()).horizontalAdvance(text);
    return pixels / m_target.width() * scaleWidth();
}

void PainterCanvas::drawText(double x, double y, const QString& text) {
    flush();
    QPainter* p = painter();
    const QPointF at = toDevice(x, y);
    if (!p || !nearTarget(at, m_target.width())) return;
    const QFont* font = currentFont(p->device());
    if (!font) return;
    p->setFont(*font);
    p->setPen(toQColor(foreColor()));
    p->drawText(QRectF(at, QSizeF(m_target.width() * 4, m_target.height() * 4)),
                Qt::AlignLeft | Qt::AlignTop | Qt::TextDontClip, text);
}

void PainterCanvas::clearBox() {
    flush();
    QPainter* p = painter();
    if (!p) return;
    p->fillRect(m_target, m_background);
}

ImageCanvas::ImageCanvas(int widthTwips, int heightTwips, qreal devicePixelRatio)
    : m_ratio(devicePixelRatio > 0 ? devicePixelRatio : 1.0) {
    resizeBox(widthTwips, heightTwips);
}

ImageCanvas::~ImageCanvas() {
    endPainting();
}

void ImageCanvas::resizeBox(int widthTwips, int heightTwips) {
    flush();
    endPainting();
    setBoxSize(widthTwips, heightTwips);
    const QSize logical(std::max(1, twips(widthTwips)), std::max(1, twips(heightTwips)));
    m_image = QImage(logical * m_ratio, QImage::Format_ARGB32_Premultiplied);
    m_image.setDevicePixelRatio(m_ratio);
    m_image.fill(background());
    setTarget(nullptr, QRectF(QPointF(0, 0), QSizeF(logical)));
}

QPainter* ImageCanvas::painter() {
    if (!m_activePainter) {
        m_activePainter = std::make_unique<QPainter>(&m_image);
        m_activePainter->setRenderHint(QPainter::Antialiasing, true);
        m_activePainter->setRenderHint(QPainter::TextAntialiasing, true);
    }
    return m_activePainter.get();
}

void ImageCanvas::endPainting() {
    if (m_activePainter) {
        m_activePainter->end();
        m_activePainter.reset();
    }
}

const QImage& ImageCanvas::image() {
    flush();
    endPainting();
    return m_image;
}
