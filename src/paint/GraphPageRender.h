#pragma once

#include "core/graphs/GraphControls.h"
#include "core/graphs/ZoomSelection.h"
#include "core/store/DataStore.h"

#include <QImage>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QRectF>
#include <QString>
#include <optional>

// One enlarged graph as the graph window shows it, and the printed page of it. The window prints
// with PrintGraphPage and the command line writes the same page to PDF, so what one shows the
// other prints.

// The enlarged graph (optionally zoomed onto a range, with the range's grid and day labels) painted
// into `area`. Returns false when the graph has no curve.
bool PaintEnlargedGraph(QPainter& painter, const QRectF& area, GraphId graph, DataStore& store,
                        const std::optional<ZoomRange>& zoom = std::nullopt);

// The enlarged graph as a picture at `pixelRatio` pixels per screen pixel.
QImage RenderEnlargedGraph(GraphId graph, DataStore& store, const std::optional<ZoomRange>& zoom,
                           qreal pixelRatio = 1.0);

// Writes the enlarged graph to a PNG picture or a one-page PDF, chosen by the file name's ending.
bool WriteEnlargedGraph(GraphId graph, DataStore& store, const std::optional<ZoomRange>& zoom,
                        const QString& fileName, QString& error);

// The printed page (the enlarged graph, its caption, the device header and the date line) painted
// into `area`, whose aspect should be the page's (graphPage()).
void PaintGraphPage(QPainter& painter, const QRectF& area, GraphId graph, DataStore& store,
                    const QString& header, const QString& date);

// Prints the page on one sheet of the printer in the orientation the user chose, as large as the
// sheet allows without enlarging it past its real size. False when the printer cannot be painted on.
bool PrintGraphPage(QPagedPaintDevice& printer, GraphId graph, DataStore& store, const QString& header,
                    const QString& date);

// The page as a one-page landscape A4 PDF file.
bool WriteGraphPage(GraphId graph, DataStore& store, const QString& header, const QString& date,
                    const QString& fileName, QString& error);
