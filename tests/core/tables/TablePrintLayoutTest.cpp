#include "core/tables/TablePrintLayout.h"

#include <gtest/gtest.h>

namespace {
QStringList numberedLines(int count) {
    QStringList lines;
    for (int i = 1; i <= count; ++i)
        lines.append(i % 10 == 5 ? QString() : QStringLiteral("line %1").arg(i));
    return lines;
}

PrintBlock block(int lineCount) {
    return {QStringLiteral("serial"), QStringLiteral("heading"), numberedLines(lineCount), true,
            QStringLiteral("none")};
}
} // namespace

TEST(TablePrintLayout, PagesHold69LinesAndAFullPageIsFollowedByAnother) {
    struct Case {
        int lines;
        int pages;
        int linesOnLastPage;
    } cases[] = {{1, 1, 1}, {68, 1, 68}, {69, 2, 0}, {70, 2, 1}, {138, 3, 0}, {150, 3, 12}};
    for (const Case& c : cases) {
        const QList<PrintPage> pages = LayoutPrintBlock(block(c.lines));
        ASSERT_EQ(pages.size(), c.pages) << c.lines;
        for (int p = 0; p < pages.size(); ++p) {
            const QList<PrintText>& texts = pages[p].texts;
            // Serial label and heading first, page number last.
            EXPECT_EQ(texts.first(), (PrintText{3300, 200, QStringLiteral("serial")}));
            EXPECT_EQ(texts[1], (PrintText{2350, 400, QStringLiteral("heading")}));
            EXPECT_EQ(texts.last(), (PrintText{5000, 15500, QStringLiteral(" Page   %1").arg(p + 1)}));
            const int lineCount = texts.size() - 3;
            EXPECT_EQ(lineCount, p + 1 == c.pages ? c.linesOnLastPage : 69) << c.lines << " page " << p + 1;
            for (int n = 1; n <= lineCount; ++n) {
                EXPECT_EQ(texts[1 + n].left, 2350);
                EXPECT_EQ(texts[1 + n].top, 1000 + 200 * n);
            }
        }
    }
    // Empty separator lines are printed and counted like the others.
    const QList<PrintPage> pages = LayoutPrintBlock(block(70));
    EXPECT_TRUE(pages[0].texts[1 + 5].text.isEmpty());
    EXPECT_EQ(pages[1].texts[2], (PrintText{2350, 1200, QStringLiteral("line 70")}));
}

TEST(TablePrintLayout, NoValueLineAndOneDayEventHeading) {
    PrintBlock empty = block(0);
    empty.hasRows = false;
    const QList<PrintPage> pages = LayoutPrintBlock(empty);
    ASSERT_EQ(pages.size(), 1);
    EXPECT_EQ(pages[0].texts.size(), 4);
    EXPECT_EQ(pages[0].texts[2], (PrintText{3000, 1000, QStringLiteral("none")}));

    EventTableView oneDay;
    oneDay.heading = QStringLiteral("h");
    oneDay.oneDay = true;
    oneDay.printable = true;
    oneDay.list.lines = numberedLines(75);
    const QList<PrintPage> events = EventTablePages(oneDay);
    ASSERT_EQ(events.size(), 2);
    EXPECT_EQ(events[0].texts[1].left, 3000);
    EXPECT_EQ(events[1].texts[1].left, 2350);
    oneDay.oneDay = false;
    EXPECT_EQ(EventTablePages(oneDay)[0].texts[1].left, 2350);

    LeqTableView leq;
    leq.printable = true;
    leq.list.lines = numberedLines(3);
    EXPECT_EQ(LeqTablePages(leq)[0].texts[1].left, 2350);
}

TEST(TablePrintLayout, Generation5PartsEachStartAPageNumberedFromOne) {
    LeqTableV5View view;
    view.heading10 = QStringLiteral("h10");
    view.heading1 = QStringLiteral("h1");
    view.hasLeq10 = true;
    view.list10.lines = numberedLines(80);
    view.list1 = messageList(5, QStringLiteral("Aucune valeur Leq1 relevée pour cette période !!!"));
    const QList<PrintPage> pages = LeqTableV5Pages(view);
    ASSERT_EQ(pages.size(), 3);
    EXPECT_EQ(pages[1].texts.last().text, QStringLiteral(" Page   2"));
    EXPECT_EQ(pages[2].texts[1].text, QStringLiteral("h1"));
    EXPECT_EQ(pages[2].texts[2].text, QStringLiteral("Aucune valeurs Leq1 relevée pour cette période !!!"));
    EXPECT_EQ(pages[2].texts.last().text, QStringLiteral(" Page   1"));
}
