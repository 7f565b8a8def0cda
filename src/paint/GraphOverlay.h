#pragma once

#include "core/graphs/Axes.h"
#include "core/graphs/ZoomSelection.h"
#include "paint/PainterCanvas.h"

#include <QLineF>
#include <QPainter>
#include <QPen>
#include <vector>

// The line objects of a graph box (the rubber band and the grid of a mouse-selected range) stand
// over the picture: they come and go without touching what the routines drew, so hiding them
// needs no redraw. They are kept in the box's user coordinates and mapped at paint time.

enum class OverlayStyle { RubberBand, ZoomGrid };

std::vector<QLineF> overlayLines(const ZoomGrid& grid);
std::vector<QLineF> overlayLines(const RubberBand& band);

QPen overlayPen(OverlayStyle style);

// Paints the lines through the box's scale onto the painter that shows the box.
void paintOverlayLines(QPainter& painter, const PainterCanvas& box, const std::vector<QLineF>& lines,
                       OverlayStyle style);
