#pragma once

// Where the two graph boxes and their caption labels sit in the graph window, in twips. The window
// tells a normal box from an enlarged one by its size (Canvas::isNormalSize / isEnlargedSize), so
// these numbers are part of the drawing rules, not mere layout.

struct TwipsBox {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    bool operator==(const TwipsBox&) const = default;
};

struct GraphBoxPlacement {
    TwipsBox box;
    int labelTop = 0; // the caption label under the box (Label_Leq10 / Label_Leq1)
    int labelWidth = 0;
    bool operator==(const GraphBoxPlacement&) const = default;
};

enum class GraphBoxId { Leq10, Leq1 };

inline constexpr int kGraphLabelLeft = 30;
inline constexpr int kGraphLabelHeight = 285;

inline GraphBoxPlacement normalGraphPlacement(GraphBoxId id) {
    return id == GraphBoxId::Leq10 ? GraphBoxPlacement{{30, 840, 7515, 3975}, 4890, 7485}
                                   : GraphBoxPlacement{{30, 5220, 7515, 3975}, 9240, 7485};
}

// Either graph, enlarged over the whole window.
inline GraphBoxPlacement enlargedGraphPlacement() {
    return {{30, 840, 15060, 8300}, 9240, 15195};
}

// The zoom and print buttons: square, along the top edge of their box (twips).
inline constexpr int kBoxButtonSize = 570;
inline constexpr int kBoxButtonTop = 60;

// The zoom and print buttons lie inside their box, their left edge this far (in the box's x units)
// from the right edge of the scale: the 7-day scale is wider, so they stand a little further in.
inline double zoomButtonOffset(int graphDays) {
    return graphDays == 7 ? 2.9 : 2.6;
}
inline double printButtonOffset(int graphDays) {
    return graphDays == 7 ? 5.85 : 5.2;
}
