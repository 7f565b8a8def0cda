#include "ui/widgets/GraphPicture.h"

#include "paint/Twips.h"

#include <QPainter>

GraphPicture::GraphPicture(const QString& name, QWidget* parent) : QFrame(parent) {
    setObjectName(name);
    setFrameShape(QFrame::NoFrame);
    m_canvas = std::make_unique<ImageCanvas>(kNormalBoxWidth, kNormalBoxHeight, devicePixelRatioF());
    m_canvas->setName(name);
}

GraphPicture::~GraphPicture() = default;

void GraphPicture::setBoxGeometry(const TwipsBox& box) {
    m_box = box;
    setGeometry(twipsRect(box.left, box.top, box.width, box.height));
    m_canvas->resizeBox(box.width, box.height);
    update();
}

void GraphPicture::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.drawImage(rect(), m_canvas->image());
    // The picture box's border, drawn over the picture so that it never hides a label.
    painter.setPen(QPen(palette().color(QPalette::Mid), 1));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}
