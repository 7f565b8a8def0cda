#include "paint/PainterCanvas.h"

#include "paint/Twips.h"

#include <QFont>
#include <QPaintDevice>
#include <algorithm>
#include <cmath>

namespace {
// A record level of 32767 dB maps thousands of boxes away; such points are skipped and lines are
// cut to a margin around the box, so the rasteriser never sees absurd coordinates.
constexpr double kMarginBoxes = 4.0;

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

void PainterCanvas::drawLine(double x1, double y1, double x2, double y2, RgbColor color) {
    QPainter* p = painter();
    if (!p) return;
    QPointF a = toDevice(x1, y1), b = toDevice(x2, y2);
    if (!std::isfinite(a.x()) || !std::isfinite(a.y()) || !std::isfinite(b.x()) || !std::isfinite(b.y()))
        return;
    const double margin = kMarginBoxes * std::max(m_target.width(), m_target.height());
    if (!clipSegment(a, b, m_target.adjusted(-margin, -margin, margin, margin))) return;
    p->setPen(penFor(color));
    p->drawLine(a, b);
}

void PainterCanvas::drawPoint(double x, double y, RgbColor color) {
    QPainter* p = painter();
    const QPointF at = toDevice(x, y);
    if (!p || !nearTarget(at, 10)) return;
    p->setPen(penFor(color));
    p->drawPoint(at);
}

void PainterCanvas::drawCircle(double x, double y, double radius, RgbColor color) {
    QPainter* p = painter();
    const QPointF at = toDevice(x, y);
    const double w = scaleWidth() == 0 ? 1 : scaleWidth();
    const double r = std::abs(radius / w * m_target.width());
    if (!p || !nearTarget(at, 10 + r) || !std::isfinite(r) || r > 10 * m_target.width()) return;
    p->setPen(penFor(color));
    p->setBrush(Qt::NoBrush);
    p->drawEllipse(at, r, r);
}

void PainterCanvas::drawText(double x, double y, const QString& text) {
    QPainter* p = painter();
    const QPointF at = toDevice(x, y);
    if (!p || !nearTarget(at, m_target.width()) || !p->device()) return;
    // A point is 20 twips of the box; turn that into the device's own point size.
    const double pixels = fontSize() * 20.0 * devicePerTwip();
    const int dpi = p->device()->logicalDpiY() > 0 ? p->device()->logicalDpiY() : 96;
    if (pixels <= 0) return;
    QFont font(QStringLiteral("Sans Serif"));
    font.setStyleHint(QFont::SansSerif);
    // The boxes were laid out for a narrow Windows face: the semi-condensed width keeps the labels
    // inside the room the routines leave them (the recording-limit label between its hatchings).
    font.setStretch(QFont::SemiCondensed);
    font.setPointSizeF(pixels * 72.0 / dpi);
    font.setBold(fontBold());
    p->setFont(font);
    p->setPen(toQColor(foreColor()));
    p->drawText(QRectF(at, QSizeF(m_target.width() * 4, m_target.height() * 4)),
                Qt::AlignLeft | Qt::AlignTop | Qt::TextDontClip, text);
}

void PainterCanvas::clearBox() {
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
    endPainting();
    return m_image;
}
