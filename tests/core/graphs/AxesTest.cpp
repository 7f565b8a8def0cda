#include "core/graphs/Axes.h"
#include "GraphTestSupport.h"

using namespace graphtest;

namespace {
struct Scale {
    double left, top, width, height;
};

void expectScale(const Canvas& box, Scale s) {
    EXPECT_EQ(box.scaleLeft(), s.left);
    EXPECT_EQ(box.scaleTop(), s.top);
    EXPECT_EQ(box.scaleWidth(), s.width);
    EXPECT_EQ(box.scaleHeight(), s.height);
}

std::vector<std::pair<double, QString>> placedAtY(const RecordingCanvas& box, double y) {
    std::vector<std::pair<double, QString>> found;
    for (const Prim& p : box.texts())
        if (near(p.y1, y)) found.emplace_back(p.x1, p.text);
    std::sort(found.begin(), found.end(), [](auto& a, auto& b) { return a.first < b.first; });
    return found;
}

std::vector<QString> textsAtY(const RecordingCanvas& box, double y) {
    const auto found = placedAtY(box, y);
    std::vector<QString> texts;
    for (auto& f : found)
        texts.push_back(f.second);
    return texts;
}
} // namespace

TEST(DrawAxes, ScaleByLengthAndSize) {
    struct Case {
        int days;
        bool enlarged;
        Scale scale;
    } cases[] = {
        {1, false, {9, -129, 30, 81}}, {3, false, {9, -129, 30, 81}}, {7, false, {9, -129, 34, 81}},
        {1, true, {9, -130, 30, 80}},  {3, true, {9, -130, 30, 80}},  {7, true, {9, -129, 34, 81}},
    };
    for (const Case& c : cases) {
        DataStore store;
        setWindow(store, 9, 3, 2007, c.days);
        RecordingCanvas box(QStringLiteral("Graphique_Leq10"));
        box.setScale(0, 0, 1, 1);
        if (c.enlarged)
            DrawAxesEnlarged(box, store, kBlack);
        else
            DrawAxes(box, store, kBlack);
        SCOPED_TRACE(testing::Message() << c.days << " days, enlarged " << c.enlarged);
        expectScale(box, c.scale);
        EXPECT_EQ(box.fontSize(), c.enlarged ? 10 : 8);
        EXPECT_EQ(box.drawWidth(), 1);
    }
}

TEST(DrawAxes, OneDayDatesAndMidnight) {
    DataStore store;
    setWindow(store, 9, 3, 2007, 1);
    RecordingCanvas box(QStringLiteral("Graphique_Leq10"));
    DrawAxes(box, store, kBlack);
    const Prim first = textOf(box, QStringLiteral("09 / 03 / 2007"));
    const Prim second = textOf(box, QStringLiteral("10 / 03 / 2007"));
    EXPECT_DOUBLE_EQ(first.x1, 16);
    EXPECT_DOUBLE_EQ(second.x1, 28);
    EXPECT_DOUBLE_EQ(first.y1, -52.5);
    EXPECT_EQ(countLines(box, 24, -49, 24, -52.5), 1);
}

TEST(DrawAxes, SevenDayDatesAcrossTheNewYear) {
    DataStore store;
    setWindow(store, 28, 12, 2006, 7);
    RecordingCanvas box(QStringLiteral("Graphique_Leq10"));
    DrawAxes(box, store, kBlack);
    const char* dates[] = {"28/12/06", "29/12/06", "30/12/06", "31/12/06",
                           "01/01/07", "02/01/07", "03/01/07", "04/01/07"};
    for (int k = 0; k < 8; ++k) {
        const Prim label = textOf(box, QString::fromLatin1(dates[k]));
        EXPECT_DOUBLE_EQ(label.x1, 10.75 + 4 * k) << dates[k];
        if (k > 0) {
            EXPECT_EQ(countLines(box, 10 + 4 * k, -49, 10 + 4 * k, -52.5), 1) << k;
        }
    }
}

TEST(DrawAxes, ThreeDayDatesAndMidnights) {
    DataStore store;
    setWindow(store, 27, 2, 2008, 3);
    RecordingCanvas box(QStringLiteral("Graphique_Leq10"));
    DrawAxes(box, store, kBlack);
    EXPECT_EQ(textsAtY(box, -52.5),
              (std::vector<QString>{"27 / 02 / 2008", "28 / 02 / 2008", "29 / 02 / 2008", "01 / 03 / 2008"}));
    EXPECT_DOUBLE_EQ(textOf(box, QStringLiteral("27 / 02 / 2008")).x1, 11);
    EXPECT_DOUBLE_EQ(textOf(box, QStringLiteral("01 / 03 / 2008")).x1, 34);
    for (double x : {16.0, 24.0, 32.0})
        EXPECT_EQ(countLines(box, x, -49, x, -52.5), 1) << x;
}

TEST(DrawAxes, HourLabelsByLength) {
    struct Case {
        int days;
        std::vector<QString> labels;
    } cases[] = {
        {1, {"12", "14", "16", "18", "20", "22", "00", "02", "04", "06", "08", "10", "12", "Hrs"}},
        {3, {"12", "18", "00", "06", "12", "18", "00", "06", "12", "18", "00", "06", "12", "Hrs"}},
        {7,
         {"12", "00", "12", "00", "12", "00", "12", "00", "12", "00", "12", "00", "12", "00", "12", "Hrs"}},
    };
    for (const Case& c : cases) {
        DataStore store;
        setWindow(store, 9, 3, 2007, c.days);
        RecordingCanvas box(QStringLiteral("Graphique_Leq1"));
        DrawAxes(box, store, kBlack);
        EXPECT_EQ(textsAtY(box, -57), c.labels) << c.days;
        const auto placed = placedAtY(box, -57);
        EXPECT_DOUBLE_EQ(placed[1].first, 9 + 2.7 + 2) << c.days;
    }
}

TEST(DrawAxesEnlarged, LevelRangeLabelsAndUnits) {
    DataStore store;
    setWindow(store, 9, 3, 2007, 1);
    RecordingCanvas box(QStringLiteral("Graphique_Leq10"), kEnlargedBoxWidth, kEnlargedBoxHeight);
    DrawAxesEnlarged(box, store, kBlack);
    // The enlarged 1-day box spans 50 .. 130 dB.
    EXPECT_DOUBLE_EQ(-box.scaleTop(), 130);
    EXPECT_DOUBLE_EQ(-(box.scaleTop() + box.scaleHeight()), 50);
    EXPECT_DOUBLE_EQ(textOf(box, QStringLiteral("65")).x1, 10);
    EXPECT_DOUBLE_EQ(textOf(box, QStringLiteral("65")).y1, -66);
    EXPECT_DOUBLE_EQ(textOf(box, QStringLiteral("100")).x1, 9.75);
    EXPECT_DOUBLE_EQ(textOf(box, QStringLiteral("Heures")).x1, 37);
    EXPECT_DOUBLE_EQ(textOf(box, QStringLiteral("14")).x1, 9 + 2.8 + 2);
    EXPECT_DOUBLE_EQ(textOf(box, QStringLiteral("09 / 03 / 2007")).y1, -53.5);
    EXPECT_EQ(countLines(box, 24, -51, 24, -54), 1);
    EXPECT_EQ(box.textsEqualTo(QStringLiteral("Niveau Leq 10 (dB)")).size(), 1u);
    EXPECT_TRUE(box.textsEqualTo(QStringLiteral("dB")).empty());

    RecordingCanvas leq1(QStringLiteral("Graphique_Leq1"), kEnlargedBoxWidth, kEnlargedBoxHeight);
    setWindow(store, 9, 3, 2007, 7);
    DrawAxesEnlarged(leq1, store, kBlack);
    EXPECT_EQ(leq1.textsEqualTo(QStringLiteral("Niveau Leq 1 (dB)")).size(), 1u);
    EXPECT_DOUBLE_EQ(textOf(leq1, QStringLiteral("65")).y1, -66.25);
    EXPECT_DOUBLE_EQ(textOf(leq1, QStringLiteral("Heures")).x1, 41.5);
    // Enlarged 7-day dates take the long form.
    EXPECT_DOUBLE_EQ(textOf(leq1, QStringLiteral("16 / 03 / 2007")).x1, 10.75 + 28);
}

TEST(DrawAxes, ArrowsAndEveryLineInTheColour) {
    struct Case {
        int days;
        bool enlarged;
        double back, spread, levelHalf;
    } cases[] = {
        {1, false, 1.75, 1, 0.25},
        {3, true, 1.75, 1, 0.25},
        {7, false, 2, 2, 0.5},
        {7, true, 1.55, 1, 0.25},
    };
    for (const Case& c : cases) {
        DataStore store;
        setWindow(store, 9, 3, 2007, c.days);
        RecordingCanvas box(QStringLiteral("Graphique_Leq10"));
        if (c.enlarged)
            DrawAxesEnlarged(box, store, kWhite);
        else
            DrawAxes(box, store, kWhite);
        const double end = 9 + (c.days == 7 ? 34 : 30) - 1;
        SCOPED_TRACE(testing::Message() << c.days << " days, enlarged " << c.enlarged);
        EXPECT_EQ(countLines(box, 10, -60, end, -60), 1);
        EXPECT_EQ(countLines(box, end + 1 - c.back, -60 - c.spread, end, -60), 1);
        EXPECT_EQ(countLines(box, end + 1 - c.back, -60 + c.spread, end, -60), 1);
        EXPECT_EQ(countLines(box, 11 - c.levelHalf, -122.5, 11, -125), 1);
        // Erasing draws everything, text included, in white.
        for (const Prim& p : box.primitives())
            EXPECT_EQ(p.color, kWhite);
    }
}

TEST(ShowZoomGrid, LinesAndLabelsInTheCurrentScale) {
    RecordingCanvas box(QStringLiteral("Graphique_Leq1"), kEnlargedBoxWidth, kEnlargedBoxHeight);
    box.setScale(20, -100, 10, 40);
    const ZoomGrid grid = ShowZoomGrid(box, 1, kTrue);
    ASSERT_EQ(grid.hourLines.size(), 25u);
    ASSERT_EQ(grid.levelLines.size(), 12u);
    EXPECT_TRUE(grid.visible);
    EXPECT_DOUBLE_EQ(grid.hourLines[3].x1, 15);
    EXPECT_DOUBLE_EQ(grid.hourLines[3].y1, -100);
    EXPECT_DOUBLE_EQ(grid.hourLines[3].y2, -60);
    EXPECT_DOUBLE_EQ(grid.levelLines[2].y1, -75);
    EXPECT_DOUBLE_EQ(grid.levelLines[2].x2, 30);
    const auto labels = box.textsEqualTo(QStringLiteral("15h."));
    ASSERT_EQ(labels.size(), 2u);
    EXPECT_NEAR(labels[0].x1, 15 + 0.0033 * 40, 1e-12);
    EXPECT_NEAR(labels[1].y1, -100 + 40 - 1, 1e-12);
    EXPECT_EQ(labels[0].color, kBlack);
    EXPECT_EQ(box.textsEqualTo(QStringLiteral("00h.")).size(), 2u);
    const auto level = box.textsEqualTo(QStringLiteral("75 dB"));
    ASSERT_EQ(level.size(), 2u);
    EXPECT_NEAR(level[1].x1, 30 - 0.6, 1e-12);

    RecordingCanvas erase;
    const ZoomGrid hidden = ShowZoomGrid(erase, 7, kFalse);
    EXPECT_FALSE(hidden.visible);
    EXPECT_EQ(hidden.hourLines.size(), 29u);
    for (const Prim& p : erase.texts())
        EXPECT_EQ(p.color, kWhite);
}

TEST(ZoomGridHourLabel, Cycles) {
    EXPECT_EQ(ZoomGridHourLabel(1, 0), "12h.");
    EXPECT_EQ(ZoomGridHourLabel(1, 12), "00h.");
    EXPECT_EQ(ZoomGridHourLabel(1, 21), "09h.");
    EXPECT_EQ(ZoomGridHourLabel(3, 5), "03h.");
    EXPECT_EQ(ZoomGridHourLabel(3, 24), "12h.");
    EXPECT_EQ(ZoomGridHourLabel(7, 27), "06h.");
    EXPECT_EQ(ZoomGridHourLabel(7, 28), "12h.");
}

TEST(DayLabelText, LeadingZeros) {
    DataStore store;
    setWindow(store, 5, 3, 2007, 3);
    EXPECT_EQ(DayLabelText(store, 1), "05 / 03 / 2007");
    EXPECT_EQ(DayLabelText(store, 4), "08 / 03 / 2007");
}

TEST(PrintZoomDayLabels, EachReachedDayAtTheMiddleOfItsPart) {
    struct Case {
        int days, x1, x2;
        std::vector<std::pair<int, double>> labels; // calendar day k, x
    } cases[] = {
        {1, 20, 30, {{1, 22}, {2, 27}}},
        {1, 14, 24, {{1, 19}}},
        {1, 24, 31, {{2, 27.5}}},
        {1, 5, 13, {{1, 9}}},
        {3, 26, 34, {{3, 29}, {4, 33}}},
        {3, 14, 34, {{1, 15}, {2, 20}, {3, 28}, {4, 33}}},
        {3, 16, 24, {{2, 20}}},
        {3, 9, 15, {{1, 12}}},
        {7, 13, 19, {{1, 13.5}, {2, 16}, {3, 18.5}}},
        {7, 37, 45, {{7, 37.5}, {8, 41.5}}},
    };
    for (const Case& c : cases) {
        DataStore store;
        setWindow(store, 9, 3, 2007, c.days);
        RecordingCanvas box(QStringLiteral("Graphique_Leq1"), kEnlargedBoxWidth, kEnlargedBoxHeight);
        box.setScale(c.x1, -110, c.x2 - c.x1, 40);
        PrintZoomDayLabels(box, store, c.x1, c.x2, kBlack);
        const auto texts = box.texts();
        SCOPED_TRACE(testing::Message() << c.days << " days, " << c.x1 << ".." << c.x2);
        ASSERT_EQ(texts.size(), c.labels.size());
        for (size_t i = 0; i < texts.size(); ++i) {
            EXPECT_EQ(texts[i].text, DayLabelText(store, c.labels[i].first));
            EXPECT_DOUBLE_EQ(texts[i].x1, c.labels[i].second);
            EXPECT_DOUBLE_EQ(texts[i].y1, -110 + 40 - 3);
        }
    }
}
