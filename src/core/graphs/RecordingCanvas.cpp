#include "core/graphs/RecordingCanvas.h"

RecordingCanvas::Primitive RecordingCanvas::make(Kind kind, RgbColor color) const {
    Primitive p;
    p.kind = kind;
    p.color = color;
    p.drawWidth = drawWidth();
    p.fontSize = fontSize();
    p.bold = fontBold();
    return p;
}

void RecordingCanvas::drawLine(double x1, double y1, double x2, double y2, RgbColor color) {
    Primitive p = make(Kind::Line, color);
    p.x1 = x1;
    p.y1 = y1;
    p.x2 = x2;
    p.y2 = y2;
    m_primitives.push_back(p);
}

void RecordingCanvas::drawPoint(double x, double y, RgbColor color) {
    Primitive p = make(Kind::Point, color);
    p.x1 = p.x2 = x;
    p.y1 = p.y2 = y;
    m_primitives.push_back(p);
}

void RecordingCanvas::drawCircle(double x, double y, double radius, RgbColor color, bool filled) {
    Primitive p = make(Kind::Circle, color);
    p.filled = filled;
    p.x1 = p.x2 = x;
    p.y1 = p.y2 = y;
    p.radius = radius;
    m_primitives.push_back(p);
}

void RecordingCanvas::drawText(double x, double y, const QString& text) {
    Primitive p = make(Kind::Text, foreColor());
    p.x1 = p.x2 = x;
    p.y1 = p.y2 = y;
    p.text = text;
    m_primitives.push_back(p);
}

void RecordingCanvas::clearBox() {
    m_primitives.push_back(make(Kind::Clear, kWhite));
}

std::vector<RecordingCanvas::Primitive> RecordingCanvas::ofKind(Kind kind) const {
    std::vector<Primitive> result;
    for (const Primitive& p : m_primitives)
        if (p.kind == kind) result.push_back(p);
    return result;
}

std::vector<RecordingCanvas::Primitive> RecordingCanvas::textsEqualTo(const QString& text) const {
    std::vector<Primitive> result;
    for (const Primitive& p : m_primitives)
        if (p.kind == Kind::Text && p.text == text) result.push_back(p);
    return result;
}
