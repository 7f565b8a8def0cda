#pragma once

#include <QString>
#include <cmath>
#include <cstdint>

// A colour as the drawing routines receive it: three 16-bit components, 0..255 when sensible.
struct RgbColor {
    int red = 0;
    int green = 0;
    int blue = 0;
    bool operator==(const RgbColor&) const = default;
};

inline constexpr RgbColor kBlack{0, 0, 0};
inline constexpr RgbColor kWhite{255, 255, 255};
inline constexpr RgbColor kRed{255, 0, 0};
inline constexpr RgbColor kBlue{0, 0, 255};
inline constexpr RgbColor kTemplateGreen{0, 146, 64};
inline constexpr RgbColor kZoomTemplateGreen{0, 255, 0};

// The box sizes of a graph, in twips: the normal box and the enlarged one.
inline constexpr int kNormalBoxWidth = 7515;
inline constexpr int kNormalBoxHeight = 3975;
inline constexpr int kEnlargedBoxWidth = 15060;
inline constexpr int kEnlargedBoxHeight = 8300;

// The drawing surface of a graph box. The graph routines are written for a picture box with a user
// scale: setScale() maps the box onto (left, top, width, height); y grows downwards, so a level L
// is drawn at y = -L and a negative top puts the higher levels at the top. Nothing is retained
// by the routines: erasing means drawing the same thing again in white.
//
// Lines, points and circles take their colour; text takes the fore colour and is printed with its
// top-left corner at the current position. Like a picture box, line() leaves the current position
// at its end point, pset() and circle() at their point.
class Canvas {
public:
    virtual ~Canvas() = default;

    void setScale(double left, double top, double width, double height);
    double scaleLeft() const { return m_left; }
    double scaleTop() const { return m_top; }
    double scaleWidth() const { return m_width; }
    double scaleHeight() const { return m_height; }

    void line(double x1, double y1, double x2, double y2, RgbColor color);
    void pset(double x, double y, RgbColor color);
    // Radius in x units, as the picture box measures it. A filled circle is a dot of that colour.
    void circle(double x, double y, double radius, RgbColor color, bool filled = false);

    void setCurrentPosition(double x, double y);
    double currentX() const { return m_currentX; }
    double currentY() const { return m_currentY; }
    // Prints at the current position, which does not move (the routines always place it first).
    void print(const QString& text);
    void printAt(double x, double y, const QString& text);

    void setForeColor(RgbColor color) { m_foreColor = color; }
    RgbColor foreColor() const { return m_foreColor; }
    void setDrawWidth(int width) { m_drawWidth = width < 1 ? 1 : width; }
    int drawWidth() const { return m_drawWidth; }
    void setFontSize(double points) { m_fontSize = points; }
    double fontSize() const { return m_fontSize; }
    void setFontBold(bool bold) { m_fontBold = bold; }
    bool fontBold() const { return m_fontBold; }

    // Wipes the box to its background; the scale and the pen settings stay.
    void clear();

    // The box size in twips: the routines choose fonts and positions by it (7515 wide = normal).
    void setBoxSize(int widthTwips, int heightTwips) {
        m_boxWidth = widthTwips;
        m_boxHeight = heightTwips;
    }
    int boxWidth() const { return m_boxWidth; }
    int boxHeight() const { return m_boxHeight; }
    bool isNormalSize() const { return m_boxWidth == kNormalBoxWidth && m_boxHeight == kNormalBoxHeight; }
    bool isEnlargedSize() const {
        return m_boxWidth == kEnlargedBoxWidth && m_boxHeight == kEnlargedBoxHeight;
    }

    // The box's control name ("Graphique_Leq10", "Graphique_Leq1"): the enlarged axes name the level by it.
    void setName(const QString& name) { m_name = name; }
    const QString& name() const { return m_name; }

    // Width of a text in the current font, in x units of the scale (0 where nothing is measured).
    double textWidth(const QString& text) { return measureText(text); }
    // Height of a line of text in the current font, in y units of the scale: a point is 20 twips
    // of the box, and a line a fifth taller than its size.
    double textHeight() const {
        return m_boxHeight > 0 ? m_fontSize * 20 * 1.2 / m_boxHeight * std::abs(m_height) : 0;
    }

protected:
    virtual void drawLine(double x1, double y1, double x2, double y2, RgbColor color) = 0;
    virtual void drawPoint(double x, double y, RgbColor color) = 0;
    virtual void drawCircle(double x, double y, double radius, RgbColor color, bool filled) = 0;
    virtual void drawText(double x, double y, const QString& text) = 0;
    virtual void clearBox() = 0;
    virtual void scaleChanged() {}
    virtual double measureText(const QString&) { return 0; }

private:
    double m_left = 0;
    double m_top = 0;
    double m_width = 1;
    double m_height = 1;
    double m_currentX = 0;
    double m_currentY = 0;
    RgbColor m_foreColor = kBlack;
    int m_drawWidth = 1;
    double m_fontSize = 8;
    bool m_fontBold = false;
    int m_boxWidth = kNormalBoxWidth;
    int m_boxHeight = kNormalBoxHeight;
    QString m_name;
};
