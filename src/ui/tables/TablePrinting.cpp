#include "ui/tables/TablePrinting.h"

#include "ui/tables/TablePagePainter.h"
#include "ui/widgets/Twips.h"

#include <QPrintDialog>
#include <QPrinter>
#include <QWidget>

namespace {
class DialogPrinterSource : public PrinterSource {
public:
    std::unique_ptr<QPagedPaintDevice> choosePrinter(QWidget* parent) override {
        auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
        printer->setPageSize(QPageSize(QPageSize::A4));
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

void printTablePages(QWidget* parent, const QList<PrintPage>& pages) {
    std::unique_ptr<QPagedPaintDevice> printer = printerSource().choosePrinter(parent);
    if (!printer) return;
    paintTablePages(*printer, pages);
}

bool paintWindowImage(QPagedPaintDevice& printer, QWidget* window) {
    const QPixmap image = window->grab();
    QPainter painter;
    if (!painter.begin(&printer)) return false;
    const double scale = kTwipsPerPixel / 1440.0;
    const QSizeF size(window->width() * scale * printer.logicalDpiX(),
                      window->height() * scale * printer.logicalDpiY());
    painter.drawPixmap(QRectF(QPointF(0, 0), size), image, QRectF(image.rect()));
    return painter.end();
}
