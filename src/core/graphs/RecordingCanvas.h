#pragma once

#include "core/graphs/Canvas.h"

#include <QString>
#include <vector>

// A canvas that keeps every primitive in user coordinates, with the pen and font it was drawn
// with: the tests check exact positions on it, and a picture can be replayed from it.
class RecordingCanvas : public Canvas {
public:
    enum class Kind { Line, Point, Circle, Text, Clear };

    struct Primitive {
        Kind kind = Kind::Line;
        double x1 = 0, y1 = 0, x2 = 0, y2 = 0; // a point or a circle centre is (x1, y1)
        double radius = 0;
        bool filled = false; // a circle drawn as a dot
        QString text;
        RgbColor color; // the line colour, or the fore colour of a text
        int drawWidth = 1;
        double fontSize = 8;
        bool bold = false;
    };

    RecordingCanvas() = default;
    explicit RecordingCanvas(const QString& name, int widthTwips = kNormalBoxWidth,
                             int heightTwips = kNormalBoxHeight) {
        setName(name);
        setBoxSize(widthTwips, heightTwips);
    }

    const std::vector<Primitive>& primitives() const { return m_primitives; }
    std::vector<Primitive> ofKind(Kind kind) const;
    std::vector<Primitive> lines() const { return ofKind(Kind::Line); }
    std::vector<Primitive> texts() const { return ofKind(Kind::Text); }
    // Every printed text equal to the given one.
    std::vector<Primitive> textsEqualTo(const QString& text) const;
    void reset() { m_primitives.clear(); }

protected:
    void drawLine(double x1, double y1, double x2, double y2, RgbColor color) override;
    void drawPoint(double x, double y, RgbColor color) override;
    void drawCircle(double x, double y, double radius, RgbColor color, bool filled) override;
    void drawText(double x, double y, const QString& text) override;
    void clearBox() override;

private:
    Primitive make(Kind kind, RgbColor color) const;
    std::vector<Primitive> m_primitives;
};
