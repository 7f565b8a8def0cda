#pragma once

#include <QImage>
#include <QPdfWriter>
#include <QString>
#include <functional>

// Pictures and PDF pages written to files. Each is made in memory first and then written through a
// temporary file renamed over the target, so a full disk or a refused target reports its reason and
// leaves the previous file as it was.

bool writePngFile(const QImage& image, const QString& fileName, QString& error);

// `paint` sets up the writer (page size, margins, title) and paints the pages; false when it could not
// paint them.
bool writePdfFile(const QString& fileName, const std::function<bool(QPdfWriter&)>& paint, QString& error);
