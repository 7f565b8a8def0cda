#include "ui/tables/TablePrinting.h"

#include "core/files/OutputTarget.h"
#include "paint/TablePagePainter.h"

#include <QPrintDialog>
#include <QPrinter>
#include <QWidget>

namespace {
class DialogPrinterSource : public PrinterSource {
public:
    std::unique_ptr<QPagedPaintDevice> choosePrinter(QWidget* parent,
                                                     QPageLayout::Orientation orientation) override {
        auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
        printer->setPageSize(QPageSize(QPageSize::A4));
        printer->setPageOrientation(orientation);
        QPrintDialog dialog(printer.get(), parent);
        if (dialog.exec() != QDialog::Accepted) return nullptr;
        return printer;
    }
};

PrinterSource* g_source = nullptr;
} // namespace

PrinterSource& printerSource() {
    static DialogPrinterSource dialog;
    // cppcheck-suppress returnTempReference ; both branches are lvalues of the base class, no temporary
    return g_source ? *g_source : dialog;
}

void setPrinterSource(PrinterSource* source) {
    g_source = source;
}

bool printedFileComplete(const QPagedPaintDevice& printer) {
    const auto* filePrinter = dynamic_cast<const QPrinter*>(&printer);
    if (!filePrinter || filePrinter->outputFormat() != QPrinter::PdfFormat ||
        filePrinter->outputFileName().isEmpty())
        return true;
    return checkWrittenPdf(filePrinter->outputFileName()).isEmpty();
}

void reportPrintFailure(UiServices& ui) {
    ui.message(MessageIcon::Critical, PrintFailureTexts::kTitle, PrintFailureTexts::kText);
}

void printTablePages(QWidget* parent, UiServices& ui, const QList<PrintPage>& pages) {
    std::unique_ptr<QPagedPaintDevice> printer = printerSource().choosePrinter(parent, QPageLayout::Portrait);
    if (!printer) return;
    if (!paintTablePages(*printer, pages) || !printedFileComplete(*printer)) reportPrintFailure(ui);
}
