#include "core/graphs/Canvas.h"

void Canvas::setScale(double left, double top, double width, double height) {
    m_left = left;
    m_top = top;
    m_width = width;
    m_height = height;
    scaleChanged();
}

void Canvas::line(double x1, double y1, double x2, double y2, RgbColor color) {
    drawLine(x1, y1, x2, y2, color);
    m_currentX = x2;
    m_currentY = y2;
}

void Canvas::pset(double x, double y, RgbColor color) {
    drawPoint(x, y, color);
    m_currentX = x;
    m_currentY = y;
}

void Canvas::circle(double x, double y, double radius, RgbColor color, bool filled) {
    drawCircle(x, y, radius, color, filled);
    m_currentX = x;
    m_currentY = y;
}

void Canvas::setCurrentPosition(double x, double y) {
    m_currentX = x;
    m_currentY = y;
}

void Canvas::print(const QString& text) {
    drawText(m_currentX, m_currentY, text);
}

void Canvas::printAt(double x, double y, const QString& text) {
    setCurrentPosition(x, y);
    print(text);
}

void Canvas::clear() {
    clearBox();
    m_currentX = 0;
    m_currentY = 0;
}
