#pragma once

#include "core/tables/TableViews.h"

#include <QList>
#include <QString>
#include <QStringList>

// The printed tables as data: every text of every page with its position in twips from the top-left
// corner of the printable page. A renderer only has to draw the texts.

struct PrintText {
    int left = 0;
    int top = 0;
    QString text;
    bool operator==(const PrintText&) const = default;
};

struct PrintPage {
    QList<PrintText> texts;
    bool operator==(const PrintPage&) const = default;
};

// One list printed page after page, under the serial label and the heading, 69 lines to a page.
struct PrintBlock {
    QString serialLabel;
    QString heading;
    QStringList lines;
    bool hasRows = true; // false: the no-value line stands in for the lines
    QString noValueLine;
    int firstHeadingLeft = 2350; // the heading on the first page (later pages: 2350)
};

namespace TablePrint {
constexpr int kLinesPerPage = 69;
constexpr int kSerialLeft = 3300, kSerialTop = 200;
constexpr int kHeadingLeft = 2350, kOneDayEventHeadingLeft = 3000, kHeadingTop = 400;
constexpr int kLineLeft = 2350, kFirstLineTop = 1000, kLineStep = 200;
constexpr int kNoValueLeft = 3000, kNoValueTop = 1000;
constexpr int kPageNumberLeft = 5000, kPageNumberTop = 15500;
} // namespace TablePrint

// " Page  " and the page number with the leading blank of a positive number: " Page   1".
QString PageNumberText(int page);

// The pages of one block, numbered from 1.
QList<PrintPage> LayoutPrintBlock(const PrintBlock& block);

// The printouts of the three table windows. The Leq1 part of generation 5 starts on a page of its own
// and numbers its pages from 1 again.
QList<PrintPage> LeqTablePages(const LeqTableView& view);
QList<PrintPage> LeqTableV5Pages(const LeqTableV5View& view);
QList<PrintPage> EventTablePages(const EventTableView& view);
// The two parts of the generation-5 printout on their own, each numbered from 1.
QList<PrintPage> Leq10TablePages(const LeqTableV5View& view);
QList<PrintPage> Leq1TablePages(const LeqTableV5View& view);

// The printout's texts, one "page<TAB>left<TAB>top<TAB>text" line each (the command line shows it).
QStringList DescribePages(const QList<PrintPage>& pages);
