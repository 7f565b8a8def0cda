#include "ui/widgets/GraphPicture.h"

#include "paint/Twips.h"

#include <QHelpEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>

GraphPicture::GraphPicture(const QString& name, QWidget* parent) : QFrame(parent) {
    setObjectName(name);
    setFrameShape(QFrame::NoFrame);
    m_canvas = std::make_unique<ImageCanvas>(kNormalBoxWidth, kNormalBoxHeight, devicePixelRatioF());
    m_canvas->setName(name);
}

GraphPicture::~GraphPicture() = default;

void GraphPicture::setBoxGeometry(const TwipsBox& box) {
    const bool resized = box.width != m_canvas->boxWidth() || box.height != m_canvas->boxHeight();
    m_box = box;
    setGeometry(twipsRect(box.left, box.top, box.width, box.height));
    if (resized) m_canvas->resizeBox(box.width, box.height);
    update();
}

void GraphPicture::setOverlay(OverlayStyle style, std::vector<QLineF> lines) {
    (style == OverlayStyle::RubberBand ? m_rubberBand : m_zoomGrid) = std::move(lines);
    update();
}

const std::vector<QLineF>& GraphPicture::overlay(OverlayStyle style) const {
    return style == OverlayStyle::RubberBand ? m_rubberBand : m_zoomGrid;
}

QPointF GraphPicture::toUser(const QPointF& p) const {
    const QRectF target = m_canvas->target();
    if (target.width() <= 0 || target.height() <= 0) return {};
    return QPointF(m_canvas->scaleLeft() + (p.x() - target.left()) / target.width() * m_canvas->scaleWidth(),
                   m_canvas->scaleTop() + (p.y() - target.top()) / target.height() * m_canvas->scaleHeight());
}

QPointF GraphPicture::toWidget(double x, double y) const {
    return m_canvas->toDevice(x, y);
}

bool GraphPicture::event(QEvent* e) {
    if (e->type() == QEvent::ToolTip) {
        // Qt asks only while the mouse rests with no button held, so a drag is never disturbed.
        auto* help = static_cast<QHelpEvent*>(e);
        const std::optional<QString> text =
            hoverText ? hoverText(toUser(help->pos()).x()) : std::optional<QString>{};
        if (text)
            QToolTip::showText(help->globalPos(), *text, this);
        else
            QToolTip::hideText();
        return true;
    }
    return QFrame::event(e);
}

void GraphPicture::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.drawImage(rect(), m_canvas->image());
    paintOverlayLines(painter, *m_canvas, m_zoomGrid, OverlayStyle::ZoomGrid);
    paintOverlayLines(painter, *m_canvas, m_rubberBand, OverlayStyle::RubberBand);
    // The picture box's border, drawn over the picture so that it never hides a label.
    painter.setPen(QPen(palette().color(QPalette::Mid), 1));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

void GraphPicture::mousePressEvent(QMouseEvent* e) {
    QToolTip::hideText();
    Q_EMIT mousePressed(e->button(), toUser(e->position()));
}

void GraphPicture::mouseMoveEvent(QMouseEvent* e) {
    Q_EMIT mouseMoved(e->buttons(), toUser(e->position()));
}

void GraphPicture::mouseReleaseEvent(QMouseEvent* e) {
    Q_EMIT mouseReleased(e->button(), toUser(e->position()));
}
