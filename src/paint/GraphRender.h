#pragma once

#include "core/store/DataStore.h"

#include <QImage>
#include <QPainter>
#include <QRectF>
#include <QString>

// The two graph boxes as the graph window shows them after its load (normal size, Leq10 above
// Leq1, each with its caption), painted through the same routines as the window. The load itself
// (LoadGraphWindow) must have run on the store.

// The part of the window painted, in twips: from the top of the Leq10 box to the bottom of the
// Leq1 caption.
QRectF graphRenderArea();

// Paints the boxes into `area` of any painter (image, PDF page, printer).
void PaintGraphBoxes(QPainter& painter, const QRectF& area, const DataStore& store, bool hasRecords);

// The boxes as a picture, `pixelRatio` pixels per screen pixel.
QImage RenderGraphBoxes(const DataStore& store, bool hasRecords, qreal pixelRatio = 1.0);

// Writes the boxes to a PNG picture or a one-page PDF (vector), chosen by the file name's ending.
// Returns false with the reason in `error`.
bool WriteGraphBoxes(const DataStore& store, bool hasRecords, const QString& fileName, QString& error);
