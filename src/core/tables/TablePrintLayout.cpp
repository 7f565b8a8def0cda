#include "core/tables/TablePrintLayout.h"

using namespace TablePrint;

QString PageNumberText(int page) {
    const QString number = page >= 0 ? QStringLiteral(" ") + QString::number(page) : QString::number(page);
    return QStringLiteral(" Page  ") + number;
}

QList<PrintPage> LayoutPrintBlock(const PrintBlock& block) {
    QList<PrintPage> pages;
    PrintPage page;
    int pageNumber = 1;
    const auto startPage = [&](int headingLeft) {
        page.texts.append({kSerialLeft, kSerialTop, block.serialLabel});
        page.texts.append({headingLeft, kHeadingTop, block.heading});
    };
    const auto endPage = [&] {
        page.texts.append({kPageNumberLeft, kPageNumberTop, PageNumberText(pageNumber)});
        pages.append(page);
        page = PrintPage();
        ++pageNumber;
    };

    startPage(block.firstHeadingLeft);
    if (!block.hasRows) {
        page.texts.append({kNoValueLeft, kNoValueTop, block.noValueLine});
    } else {
        // A full page is closed as soon as its 69th line is out, so 69 lines leave a second page with
        // only the serial label, the heading and its number.
        int line = 1;
        for (const QString& text : block.lines) {
            page.texts.append({kLineLeft, kFirstLineTop + kLineStep * line, text});
            if (++line == kLinesPerPage + 1) {
                endPage();
                line = 1;
                startPage(kHeadingLeft);
            }
        }
    }
    endPage();
    return pages;
}

QList<PrintPage> LeqTablePages(const LeqTableView& view) {
    return LayoutPrintBlock({view.serialLabel, view.heading, view.list.lines, view.printable, kNoLeqValue});
}

QList<PrintPage> Leq10TablePages(const LeqTableV5View& view) {
    return LayoutPrintBlock(
        {view.serialLabel, view.heading10, view.list10.lines, view.hasLeq10, kNoLeq10Value});
}

QList<PrintPage> Leq1TablePages(const LeqTableV5View& view) {
    // The printed Leq1 message has its own wording, "valeurs".
    return LayoutPrintBlock({view.serialLabel, view.heading1, view.list1.lines, view.hasLeq1,
                             QStringLiteral("Aucune valeurs Leq1 relevée pour cette période !!!")});
}

QList<PrintPage> LeqTableV5Pages(const LeqTableV5View& view) {
    return Leq10TablePages(view) + Leq1TablePages(view);
}

QList<PrintPage> EventTablePages(const EventTableView& view) {
    return LayoutPrintBlock(
        {view.serialLabel, view.heading, view.list.lines, view.printable,
         QStringLiteral("Il n'y a aucun événement concernant cette periode dans la mémoire !"),
         view.oneDay ? kOneDayEventHeadingLeft : kHeadingLeft});
}

QStringList DescribePages(const QList<PrintPage>& pages) {
    QStringList lines;
    for (int p = 0; p < pages.size(); ++p)
        for (const PrintText& text : pages[p].texts)
            lines.append(
                QStringLiteral("%1\t%2\t%3\t%4").arg(p + 1).arg(text.left).arg(text.top).arg(text.text));
    return lines;
}
