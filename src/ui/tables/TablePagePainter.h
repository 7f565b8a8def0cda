#pragma once

// Draws laid-out table pages on any paged device (a printer, a PDF file). QtGui only, so that the
// command line can write the same pages without the windows.

#include "core/tables/TablePrintLayout.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPagedPaintDevice>
#include <QPainter>

// The table lines line up only in a fixed-pitch font; 8 points fit the 200-twip line step.
inline QFont tablePrintFont() {
    QFont font(QStringLiteral("DejaVu Sans Mono"));
    font.setStyleHint(QFont::Monospace);
    font.setPointSize(8);
    return font;
}

// Returns false when the device cannot be painted on (no printer, unwritable file).
inline bool paintTablePages(QPagedPaintDevice& device, const QList<PrintPage>& pages) {
    QPainter painter;
    if (!painter.begin(&device)) return false;
    painter.setFont(tablePrintFont());
    const double xScale = device.logicalDpiX() / 1440.0;
    const double yScale = device.logicalDpiY() / 1440.0;
    const double ascent = QFontMetricsF(painter.font(), &device).ascent();
    for (int p = 0; p < pages.size(); ++p) {
        if (p > 0 && !device.newPage()) return false;
        for (const PrintText& text : pages[p].texts)
            painter.drawText(QPointF(text.left * xScale, text.top * yScale + ascent), text.text);
    }
    return painter.end();
}
