#pragma once

// For the window tests: the print commands print into a PDF file instead of showing the print
// dialog; `cancel` answers as a cancelled dialog. Header-only, for the ui suite.

#include "ui/tables/TablePrinting.h"

#include <QPdfWriter>
#include <memory>

class PdfPrinterSource : public PrinterSource {
public:
    std::unique_ptr<QPagedPaintDevice> choosePrinter(QWidget*,
                                                     QPageLayout::Orientation orientation) override {
        ++requests;
        requestedOrientation = orientation;
        if (cancel) return nullptr;
        auto writer = std::make_unique<QPdfWriter>(path);
        writer->setPageSize(QPageSize(QPageSize::A4));
        writer->setPageOrientation(orientation);
        writer->setPageMargins(marginsMm, QPageLayout::Millimeter);
        return writer;
    }
    QMarginsF marginsMm; // a real printer's unprintable edges
    QPageLayout::Orientation requestedOrientation = QPageLayout::Portrait; // the dialog's preset
    QString path;
    bool cancel = false;
    int requests = 0;
};
