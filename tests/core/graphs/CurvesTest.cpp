#include "core/graphs/Curves.h"
#include "GraphTestSupport.h"
#include "core/graphs/Axes.h"
#include "core/graphs/Markers.h"

#include <random>

using namespace graphtest;

namespace {
// A generation-5 window from noon of 9 March 2007 with the given Leq10 and Leq1 records.
struct Gen5Window {
    DataStore store;
    explicit Gen5Window(int days) {
        setWindow(store, 9, 3, 2007, days);
        store.Device_Version = 5;
        store.Period_First = 1;
        store.Period_Last = 1;
    }
    void addLeq10(const QDateTime& when, int level) {
        setLevel(store.Leq10_Records, store.Leq10_Count++, when, level, 5, 10);
    }
    void addLeq1(const QDateTime& when, int level) {
        setLevel(store.Leq1_Records, store.Leq1_Count++, when, level, 5, 1);
    }
};

std::vector<Prim> curveLines(const RecordingCanvas& box) {
    std::vector<Prim> lines;
    for (const Prim& p : box.lines())
        if (p.color == kRed) lines.push_back(p);
    return lines;
}
} // namespace

TEST(DrawLevelCurve, SingleLeq10RecordIsATenMinuteStep) {
    Gen5Window w(1);
    w.addLeq10(at(9, 3, 2007, 12, 10), 85);
    RecordingCanvas box(QStringLiteral("Graphique_Leq10"));
    ASSERT_TRUE(DrawLevelCurve(box, w.store, CurveSource::Leq10, 1, kRed));
    const auto lines = curveLines(box);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_TRUE(sameLine(lines[0], 12, -85, 12.1667, -85, 1e-4));
    const auto points = box.ofKind(Kind::Point);
    ASSERT_EQ(points.size(), 1u);
    // The cut minute puts the point a hair right of 12:10.
    EXPECT_NEAR(points[0].x1, 0.0069444 / 0.0006944 / 60 + 12, 1e-12);
}

TEST(DrawLevelCurve, XMappingByWindowLength) {
    struct Case {
        int days;
        int minutesAfterNoon;
        double x;
    } cases[] = {
        {1, 0, 12}, {1, 720, 24}, {1, 1440, 36}, {3, 540, 15}, {3, 4320, 36}, {7, 3600, 22}, {7, 10080, 40},
    };
    for (const Case& c : cases) {
        Gen5Window w(c.days);
        w.addLeq10(at(9, 3, 2007, 12, 0).addSecs(60LL * c.minutesAfterNoon), 90);
        RecordingCanvas box;
        ASSERT_TRUE(DrawLevelCurve(box, w.store, CurveSource::Leq10, c.days, kRed));
        // The cut minute is 0.0000064 % long: far points drift right by up to 0.0026 unit.
        EXPECT_NEAR(box.ofKind(Kind::Point).at(0).x1, c.x, 3e-3) << c.days << " " << c.minutesAfterNoon;
    }
}

TEST(DrawLevelCurve, Leq1JoinsAndGaps) {
    struct Case {
        int secondGapMinutes;
        bool joined;
    } cases[] = {{1, true}, {2, false}, {3, false}};
    for (const Case& c : cases) {
        Gen5Window w(1);
        w.addLeq1(at(9, 3, 2007, 13, 0), 80);
        w.addLeq1(at(9, 3, 2007, 13, c.secondGapMinutes), 90);
        RecordingCanvas box(QStringLiteral("Graphique_Leq1"));
        ASSERT_TRUE(DrawLevelCurve(box, w.store, CurveSource::Leq1, 1, kRed));
        const auto lines = curveLines(box);
        const double x1 = 13, x2 = 13 + c.secondGapMinutes / 60.0;
        SCOPED_TRACE(c.secondGapMinutes);
        if (c.joined) {
            ASSERT_EQ(lines.size(), 3u);
            EXPECT_TRUE(sameLine(lines[1], x1, -80, x1, -90, 1e-3)); // riser at the previous point
            EXPECT_TRUE(sameLine(lines[2], x1, -90, x2, -90, 1e-3));
        } else {
            ASSERT_EQ(lines.size(), 2u);
            EXPECT_TRUE(sameLine(lines[1], x2 - 1 / 60.0, -90, x2, -90, 1e-3));
        }
    }
}

TEST(DrawLevelCurve, Leq10JoinThresholdIsElevenMinutes) {
    for (int gap : {10, 11}) {
        Gen5Window w(3);
        w.addLeq10(at(9, 3, 2007, 14, 0), 80);
        w.addLeq10(at(9, 3, 2007, 14, gap), 75);
        RecordingCanvas box;
        DrawLevelCurve(box, w.store, CurveSource::Leq10, 3, kRed);
        EXPECT_EQ(curveLines(box).size(), gap < 11 ? 3u : 2u) << gap;
    }
}

TEST(DrawLevelCurve, Leq1LimitLineAndNoteBySize) {
    struct Case {
        int days;
        int boxWidth, boxHeight;
        double noteX, noteSize, lineEnd;
    } cases[] = {
        {1, kNormalBoxWidth, kNormalBoxHeight, 12, 8, 37},
        {7, kEnlargedBoxWidth, kEnlargedBoxHeight, 16, 12, 41},
    };
    for (const Case& c : cases) {
        Gen5Window w(c.days);
        w.addLeq1(at(9, 3, 2007, 13, 0), 80);
        RecordingCanvas box(QStringLiteral("Graphique_Leq1"), c.boxWidth, c.boxHeight);
        DrawLevelCurve(box, w.store, CurveSource::Leq1, c.days, kRed);
        EXPECT_EQ(countLines(box, 11, -70, c.lineEnd, -70), 1);
        const Prim note = textOf(box, kLeq1Note);
        EXPECT_EQ(note.x1, c.noteX);
        EXPECT_EQ(note.y1, -67);
        EXPECT_EQ(note.fontSize, c.noteSize);
        EXPECT_EQ(note.color, kBlue);
        EXPECT_EQ(box.fontSize(), 8);
    }
}

TEST(DrawLevelCurve, NothingWithoutRecords) {
    struct Case {
        CurveSource source;
        int periodFirst, leq10Count, leq1Count;
        bool drawn;
    } cases[] = {
        {CurveSource::Leq, 0, 1, 1, false},   {CurveSource::Leq, 5, 1, 1, true},
        {CurveSource::Leq10, 1, 1, 5, false}, {CurveSource::Leq10, 1, 2, 1, true},
        {CurveSource::Leq1, 1, 5, 1, false},  {CurveSource::Leq1, 1, 1, 2, true},
        {CurveSource::Leq10, 0, 5, 5, false}, {CurveSource::Leq10, 1, -300, 1, false},
    };
    for (const Case& c : cases) {
        DataStore store;
        setWindow(store, 9, 3, 2007, 1);
        store.Period_First = c.periodFirst;
        store.Period_Last = c.periodFirst;
        store.Leq10_Count = static_cast<int16_t>(c.leq10Count);
        store.Leq1_Count = static_cast<int16_t>(c.leq1Count);
        RecordingCanvas box;
        EXPECT_EQ(DrawLevelCurve(box, store, c.source, 1, kRed), c.drawn)
            << int(c.source) << " " << c.periodFirst;
        if (!c.drawn) {
            EXPECT_TRUE(box.primitives().empty());
        }
    }
}

TEST(DrawLevelCurve, Generation3ReadsItsOwnLevelLayout) {
    DataStore store;
    store.Device_Version = 3;
    setWindow(store, 9, 3, 2007, 1);
    setLevel(store.Leq_Records, 7, at(9, 3, 2007, 20, 0), 105, 3);
    setLevel(store.Leq_Records, 8, at(9, 3, 2007, 20, 10), 99, 3);
    EXPECT_EQ(store.Leq_Records(7, 7), 1);
    store.Period_First = 7;
    store.Period_Last = 8;
    RecordingCanvas box;
    ASSERT_TRUE(DrawLevelCurve(box, store, leq10SourceOf(store), 1, kRed));
    const auto points = box.ofKind(Kind::Point);
    ASSERT_EQ(points.size(), 2u);
    EXPECT_EQ(points[0].y1, -105);
    EXPECT_EQ(points[1].y1, -99);
}

TEST(DrawTemplateLine, StepsAcrossTheAxis) {
    DataStore store;
    setWindow(store, 9, 3, 2007, 1);
    store.Template_Steps = {{9, 3, 7, 22, 0, 105, 95}, {10, 3, 7, 6, 0, 95, 105}};
    RecordingCanvas box;
    DrawTemplateLine(box, store, kTemplateGreen);
    EXPECT_TRUE(box.primitives().empty()) << "no template was built for this window";

    store.Template_Drawn = kTrue;
    DrawTemplateLine(box, store, kTemplateGreen);
    const auto lines = box.lines();
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_TRUE(sameLine(lines[0], 11, -105, 22, -105, 1e-3));
    EXPECT_TRUE(sameLine(lines[1], 22, -105, 22, -95, 1e-3));
    EXPECT_TRUE(sameLine(lines[2], 22, -95, 30, -95, 3e-3));
    EXPECT_TRUE(sameLine(lines[3], 30, -95, 30, -105, 3e-3));
    EXPECT_TRUE(sameLine(lines[4], 30, -105, 37, -105, 3e-3));
    for (const Prim& p : lines)
        EXPECT_EQ(p.color, kTemplateGreen);
}

TEST(MarkSelected, ArrowPointsDownAtTheRecord) {
    Gen5Window w(1);
    w.addLeq10(at(9, 3, 2007, 18, 0), 80);
    w.addLeq1(at(9, 3, 2007, 18, 0), 100);
    RecordingCanvas box;
    MarkSelectedLeq10(box, w.store, 1, kBlue);
    auto lines = box.lines();
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_TRUE(sameLine(lines[0], 18, -81, 18, -85, 1e-3));
    EXPECT_TRUE(sameLine(lines[1], 18, -80.1, 17.95, -81, 1e-3));
    EXPECT_TRUE(sameLine(lines[3], 18.05, -81, 17.95, -81, 1e-3));

    box.reset();
    MarkSelectedLeq1(box, w.store, 1, kBlue);
    EXPECT_TRUE(sameLine(box.lines().at(0), 18, -101, 18, -105, 1e-3));

    box.reset();
    for (int record : {0, -1, 8193, 2})
        MarkSelectedLeq1(box, w.store, record, kBlue); // row 2 holds no date
    EXPECT_TRUE(box.primitives().empty());
}

// Whatever the cells hold, the drawing routines stay inside their tables and draw finite values.
TEST(GraphDrawing, SafeForAnyCellValue) {
    std::mt19937 random(7);
    std::uniform_int_distribution<int> any(-32768, 32767);
    std::uniform_int_distribution<int> small(-2, 300);
    for (int round = 0; round < 20; ++round) {
        DataStore store;
        setWindow(store, 1 + round, 1 + round % 12, 2000 + round, round % 2 ? 7 : 3);
        store.Device_Version = static_cast<int16_t>(round % 3 == 0 ? 3 : 5);
        for (int row = 1; row <= 400; ++row)
            for (int col = 1; col <= 8; ++col) {
                const auto value = static_cast<int16_t>(round % 2 ? any(random) : small(random));
                store.Leq_Records(row, col) = value;
                store.Leq1_Records(row, col) = value;
                store.Leq10_Records(row, col) = value;
            }
        for (int row = 1; row <= EventTable::rowCount; ++row)
            for (int col = 1; col <= 8; ++col)
                store.Event_Records(row, col) = static_cast<int16_t>(small(random));
        if (round % 4 == 3) store.Graph_Days = static_cast<int16_t>(any(random));
        if (round % 5 == 4) store.End_Day = QStringLiteral("x");
        store.Mouse_Zoom_Active = static_cast<int16_t>(round % 2 ? kTrue : kFalse);
        store.Period_First = any(random);
        store.Period_Last = any(random);
        store.Leq1_Count = static_cast<int16_t>(any(random));
        store.Leq10_Count = static_cast<int16_t>(any(random));
        store.Template_Drawn = kTrue;
        for (int i = 0; i < 5; ++i) {
            auto v = [&] { return static_cast<int16_t>(any(random)); };
            store.Template_Steps.push_back({v(), v(), v(), v(), v(), v(), v()});
        }
        RecordingCanvas box(QStringLiteral("Graphique_Leq10"));
        DrawAxes(box, store, kBlack);
        for (CurveSource source : {CurveSource::Leq, CurveSource::Leq10, CurveSource::Leq1})
            DrawLevelCurve(box, store, source, store.Graph_Days, kRed);
        DrawTemplateLine(box, store, kTemplateGreen);
        MarkSelectedLeq10(box, store, any(random), kBlue);
        MarkSelectedLeq1(box, store, any(random), kBlue);
        DrawRecordingLimit(box, store, kBlue);
        DrawGeneralCuts(box, store, kRed);
        DrawTenSecondCuts(box, store, kBlack);
        for (const Prim& p : box.primitives()) {
            EXPECT_TRUE(std::isfinite(p.x1) && std::isfinite(p.y1) && std::isfinite(p.x2) &&
                        std::isfinite(p.y2));
        }
    }
}
