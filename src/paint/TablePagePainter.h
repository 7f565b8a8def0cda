#pragma once

// Draws laid-out table pages on any paged device (a printer, a PDF file). QtGui only, so that the
// command line writes the same pages as the windows.

#include "core/tables/TablePrintLayout.h"

#include <QFont>
#include <QPagedPaintDevice>

// The table lines line up only in a fixed-pitch font. 8 points suit the 200-twip line step; a
// printout whose longest line would run past the printable width of the page is set smaller.
QFont tablePrintFont(double points = 8);

// The largest point size, 8 at most, at which every text of the pages ends inside `printableWidth`
// device pixels: 8 when that fits, else 7, else what fits.
double tablePrintPointSize(const QList<PrintPage>& pages, const QPaintDevice& device, double printableWidth);

// Positions are twips from the printable corner of the page. Returns false when the device cannot
// be painted on (no printer, unwritable file).
bool paintTablePages(QPagedPaintDevice& device, const QList<PrintPage>& pages);
