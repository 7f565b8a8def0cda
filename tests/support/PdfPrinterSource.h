#pragma once

// For the window tests: the print commands print into a PDF file instead of showing the print
// dialog; `cancel` answers as a cancelled dialog. Header-only, for the ui suite.

#include "ui/tables/TablePrinting.h"

#include <QPdfWriter>
#include <memory>

class PdfPrinterSource : public PrinterSource {
public:
    std::unique_ptr<QPagedPaintDevice> choosePrinter(QWidget*) override {
        ++requests;
        if (cancel) return nullptr;
        auto writer = std::make_unique<QPdfWriter>(path);
        writer->setPageSize(QPageSize(QPageSize::A4));
        writer->setPageMargins(QMarginsF(0, 0, 0, 0));
        return writer;
    }
    QString path;
    bool cancel = false;
    int requests = 0;
};
