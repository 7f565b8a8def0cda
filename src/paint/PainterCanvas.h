#pragma once

#include "core/graphs/Canvas.h"

#include <QColor>
#include <QFont>
#include <QImage>
#include <QPainter>
#include <QRectF>
#include <memory>

// Draws the graph routines onto any QPainter (a window picture, a printer page, a PDF, an image):
// the user scale is mapped onto the target rectangle, and pen widths and font sizes are scaled
// with the box, so a page shows exactly what the screen shows at any resolution.
//
// Lines are sent to the painter in batches (a curve is thousands of short segments, and one call per
// segment, each with its own pen, costs more than the drawing): anything else drawn, and flush(),
// sends the waiting lines first, so the order of the drawing is kept.
class PainterCanvas : public Canvas {
public:
    PainterCanvas() = default;
    PainterCanvas(QPainter* painter, const QRectF& target) : m_painter(painter), m_target(target) {}
    ~PainterCanvas() override;

    // Draws the lines still waiting. Call it before painting on the same painter directly.
    void flush();

    void setTarget(QPainter* painter, const QRectF& target) {
        flush();
        m_painter = painter;
        m_target = target;
    }
    const QRectF& target() const { return m_target; }
    void setBackground(const QColor& color) { m_background = color; }
    QColor background() const { return m_background; }

    // Device position of a user point under the current scale.
    QPointF toDevice(double x, double y) const;

protected:
    void drawLine(double x1, double y1, double x2, double y2, RgbColor color) override;
    void drawPoint(double x, double y, RgbColor color) override;
    void drawCircle(double x, double y, double radius, RgbColor color, bool filled) override;
    void drawText(double x, double y, const QString& text) override;
    void clearBox() override;
    double measureText(const QString& text) override;

    // Lets a subclass open its painter on demand.
    virtual QPainter* painter() { return m_painter; }

private:
    // Draws the waiting lines and points with `p` (none when null) and forgets them.
    void sendPending(QPainter* p);
    // The font of the current size and weight on `device` (null when there is nothing to print).
    const QFont* currentFont(const QPaintDevice* device);
    double devicePerTwip() const;
    QPen penFor(RgbColor color) const;
    // The pen of a line, rebuilt only when its colour or width changes.
    const QPen& linePen(RgbColor color);
    // Makes `pen` the pen of the waiting marks, sending those of another pen first.
    bool samePendingPen(const QPen& pen);
    bool nearTarget(const QPointF& point, double margin) const;

    QPainter* m_painter = nullptr;
    QRectF m_target;
    QColor m_background = Qt::white;

    QVector<QLineF> m_pendingLines; // drawn with m_pendingPen, then the points
    QVector<QPointF> m_pendingPoints;
    QPen m_pendingPen;
    QPen m_linePen;
    RgbColor m_linePenColor;
    double m_linePenWidth = -1;
    QFont m_font;
    double m_fontPoints = -1;
    bool m_fontBold = false;
};

// A box picture that keeps what was drawn between paints (the boxes retain no scene): a white
// image of the box size at the screen's pixel ratio, drawn into as the routines run.
class ImageCanvas : public PainterCanvas {
public:
    ImageCanvas(int widthTwips, int heightTwips, qreal devicePixelRatio = 1.0);
    ~ImageCanvas() override;

    // Resizes the picture (the box was enlarged or restored); the picture is wiped.
    void resizeBox(int widthTwips, int heightTwips);
    // The picture so far, for painting or saving.
    const QImage& image();

protected:
    QPainter* painter() override;

private:
    void endPainting();

    QImage m_image;
    qreal m_ratio = 1.0;
    std::unique_ptr<QPainter> m_activePainter;
};
