#pragma once

#include "core/graphs/GraphLayout.h"
#include "paint/GraphOverlay.h"
#include "paint/PainterCanvas.h"

#include <QFrame>
#include <functional>
#include <memory>
#include <optional>

// A graph box of the graph window: a picture box that keeps what the graph routines drew into it
// (they retain no scene) and repaints from that picture. The picture is made at the screen's
// device-pixel ratio so that lines stay sharp on hi-DPI screens. The box's line objects (rubber
// band, zoom grid) are painted over the picture and never enter it.
class GraphPicture : public QFrame {
    Q_OBJECT
public:
    // `name` is the box's control name, which the routines also read (Graphique_Leq10, Graphique_Leq1).
    GraphPicture(const QString& name, QWidget* parent = nullptr);
    ~GraphPicture() override;

    // Places the box (twips, inside the parent) and sizes its picture to it. The picture is wiped
    // only when its size changes: moving a box keeps its drawing.
    void setBoxGeometry(const TwipsBox& box);
    const TwipsBox& boxGeometry() const { return m_box; }

    // The surface to draw on; call refresh() after drawing to show it.
    ImageCanvas& canvas() { return *m_canvas; }
    const ImageCanvas& canvas() const { return *m_canvas; }
    void refresh() { update(); }
    // The picture as drawn so far.
    const QImage& picture() { return m_canvas->image(); }

    // The line objects over the picture, in the box's user coordinates; an empty list hides them.
    void setOverlay(OverlayStyle style, std::vector<QLineF> lines);
    const std::vector<QLineF>& overlay(OverlayStyle style) const;

    // A point of the widget in the box's current user scale, and back.
    QPointF toUser(const QPointF& widgetPoint) const;
    QPointF toWidget(double x, double y) const;

    // The text of the tool tip for the mouse resting at user x; nothing shows no tip.
    std::function<std::optional<QString>(double x)> hoverText;

Q_SIGNALS:
    void mousePressed(Qt::MouseButton button, QPointF user);
    void mouseMoved(Qt::MouseButtons buttons, QPointF user);
    void mouseReleased(Qt::MouseButton button, QPointF user);

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    std::unique_ptr<ImageCanvas> m_canvas;
    TwipsBox m_box;
    std::vector<QLineF> m_rubberBand;
    std::vector<QLineF> m_zoomGrid;
};
