#pragma once

#include "core/platform/PrintFailureTexts.h"
#include "core/platform/UiServices.h"
#include "core/tables/TablePrintLayout.h"

#include <QPageLayout>
#include <QPagedPaintDevice>
#include <memory>

class QWidget;

// Chooses where a print command prints: the platform's print dialog, or, in the tests, a PDF file.
class PrinterSource {
public:
    virtual ~PrinterSource() = default;
    // The printer the user chose, or nullptr when the dialog was cancelled. The dialog opens on an
    // A4 page in the given orientation; the user may still change it.
    virtual std::unique_ptr<QPagedPaintDevice> choosePrinter(QWidget* parent,
                                                             QPageLayout::Orientation orientation) = 0;
};

// The source the windows use; setting nullptr goes back to the print dialog.
PrinterSource& printerSource();
void setPrinterSource(PrinterSource* source);

// Cmd_Print of the table windows: the print dialog, then the pages. A cancelled dialog ends the
// command without a message; a printer that cannot take the pages is reported.
void printTablePages(QWidget* parent, UiServices& ui, const QList<PrintPage>& pages);

// False when the printer wrote a PDF file ("Print to File") that is missing or incomplete: the PDF
// writer does not report a full disk itself. True for paper printers and other devices.
bool printedFileComplete(const QPagedPaintDevice& printer);

// Tells the user that the printer (or the PDF file) could not take the pages.
void reportPrintFailure(UiServices& ui);
