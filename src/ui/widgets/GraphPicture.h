#pragma once

#include "core/graphs/GraphLayout.h"
#include "paint/PainterCanvas.h"

#include <QFrame>
#include <memory>

// A graph box of the graph window: a picture box that keeps what the graph routines drew into it
// (they retain no scene) and repaints from that picture. The picture is made at the screen's
// device-pixel ratio so that lines stay sharp on hi-DPI screens.
class GraphPicture : public QFrame {
    Q_OBJECT
public:
    // `name` is the box's control name, which the routines also read (Graphique_Leq10, Graphique_Leq1).
    GraphPicture(const QString& name, QWidget* parent = nullptr);
    ~GraphPicture() override;

    // Places the box (twips, inside the parent) and sizes its picture to it; the picture is wiped.
    void setBoxGeometry(const TwipsBox& box);
    const TwipsBox& boxGeometry() const { return m_box; }

    // The surface to draw on; call refresh() after drawing to show it.
    ImageCanvas& canvas() { return *m_canvas; }
    void refresh() { update(); }
    // The picture as drawn so far.
    const QImage& picture() { return m_canvas->image(); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::unique_ptr<ImageCanvas> m_canvas;
    TwipsBox m_box;
};
