#include "support/FileSizeLimit.h"
#include "ui/tables/TablePrinting.h"

#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <optional>

// "Print to File (PDF)" of the print dialog: the printer writes the file itself and says nothing of a
// full disk, so the windows check the file it left.
TEST(PrintedFile, PdfCutShortByAFullDiskIsAFailure) {
    QTemporaryDir dir;
    struct Case {
        const char* name;
        rlim_t sizeLimit; // 0: none
        bool complete;
    };
    const Case cases[] = {{"disk with room", 0, true}, {"full disk", 1024, false}};
    for (const Case& c : cases) {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(dir.filePath(QString::fromLatin1(c.name) + QStringLiteral(".pdf")));
        {
            std::optional<FileSizeLimit> fullDisk;
            if (c.sizeLimit) fullDisk.emplace(c.sizeLimit);
            QPainter painter(&printer);
            for (int line = 0; line < 60; ++line)
                painter.drawText(200, 200 + line * 150, QStringLiteral("ligne %1 du tableau").arg(line));
        }
        EXPECT_EQ(printedFileComplete(printer), c.complete) << c.name;
    }
    // Paper printers and other devices are not files to check.
    QPdfWriter writer(dir.filePath(QStringLiteral("writer.pdf")));
    EXPECT_TRUE(printedFileComplete(writer));
}
