#include "core/graphs/Markers.h"
#include "GraphTestSupport.h"

using namespace graphtest;

namespace {
std::vector<Prim> dots(const RecordingCanvas& box) {
    std::vector<Prim> found;
    for (const Prim& p : box.ofKind(Kind::Circle))
        if (p.y1 == -122) found.push_back(p);
    return found;
}
} // namespace

TEST(DrawGeneralCuts, WindowEndsBeforeNoonOfTheEndDay) {
    struct Case {
        int day, hour, minute;
        bool drawn;
    } cases[] = {
        {10, 11, 59, true}, {10, 12, 0, false}, {9, 12, 0, true}, {9, 11, 59, false}, {9, 23, 0, true},
    };
    for (const Case& c : cases) {
        DataStore store;
        setWindow(store, 9, 3, 2007, 1);
        setEvent(store.Event_Records, 1, at(c.day, 3, 2007, c.hour, c.minute), 16, 0);
        RecordingCanvas box(QStringLiteral("Graphique_Leq10"));
        DrawGeneralCuts(box, store, kBlue);
        const auto found = dots(box);
        ASSERT_EQ(found.size(), c.drawn ? 1u : 0u) << c.day << " " << c.hour << ":" << c.minute;
        if (c.drawn) {
            EXPECT_EQ(found[0].color, kRed) << "general cuts are red whatever colour is passed";
            EXPECT_EQ(found[0].drawWidth, 3);
            EXPECT_DOUBLE_EQ(found[0].radius, 0.05);
            EXPECT_TRUE(found[0].filled) << "a cut is a dot, not a ring";
        }
        EXPECT_EQ(box.drawWidth(), 1);
    }
}

TEST(DrawCuts, LegendsUnlessMouseZoomed) {
    for (int16_t zoomed : {kFalse, kTrue}) {
        DataStore store;
        setWindow(store, 9, 3, 2007, 1);
        store.Mouse_Zoom_Active = zoomed;
        setEvent(store.Event_Records, 1, at(9, 3, 2007, 15, 0), 16, 0);
        setEvent(store.Event_Records, 2, at(9, 3, 2007, 16, 0), 0, 128);
        RecordingCanvas box(QStringLiteral("Graphique_Leq10"), kEnlargedBoxWidth, kEnlargedBoxHeight);
        DrawGeneralCuts(box, store, kRed);
        DrawTenSecondCuts(box, store, kBlack);
        EXPECT_EQ(dots(box).size(), 2u);
        for (const Prim& circle : box.ofKind(Kind::Circle))
            EXPECT_TRUE(circle.filled) << "legends show the dots as drawn";
        if (zoomed == kTrue) {
            EXPECT_TRUE(box.texts().empty());
            continue;
        }
        const Prim general = textOf(box, kGeneralCutLegend);
        EXPECT_EQ(general.x1, 24.5);
        EXPECT_EQ(general.y1, -128);
        EXPECT_EQ(general.fontSize, 10);
        EXPECT_EQ(general.color, kRed);
        const Prim tenSeconds = textOf(box, kTenSecondCutLegend);
        EXPECT_EQ(tenSeconds.x1, 14.5);
        EXPECT_EQ(tenSeconds.color, kBlack);
        EXPECT_EQ(box.ofKind(Kind::Circle).size(), 4u);
    }
}

TEST(DrawTenSecondCuts, CodeByGeneration) {
    // A firmware-5 cut that kept its highest level (level + 68 above bit 7) is a cut all the same.
    struct Case {
        int generation, code7, code8;
        bool drawn;
    } cases[] = {
        {3, 8, 0, true},   {3, 0, 128, false}, {3, 0, 163, false}, {5, 0, 128, true},
        {5, 0, 163, true}, {5, 0, 255, true},  {5, 0, 64, false},  {5, 0, 32, false},
        {5, 8, 0, false},  {5, 16, 0, false},  {5, 8, 128, false}, {5, 0, 256, false},
    };
    for (const Case& c : cases) {
        DataStore store;
        store.Device_Version = static_cast<int16_t>(c.generation);
        setWindow(store, 9, 3, 2007, 3);
        setEvent(store.Event_Records, 1, at(10, 3, 2007, 1, 0), c.code7, c.code8);
        RecordingCanvas box;
        DrawTenSecondCuts(box, store, kWhite);
        const auto found = dots(box);
        ASSERT_EQ(found.size(), c.drawn ? 1u : 0u) << c.generation << " " << c.code7 << "/" << c.code8;
        if (c.drawn) {
            EXPECT_EQ(found[0].color, kWhite);
            EXPECT_EQ(found[0].drawWidth, 2);
            EXPECT_NEAR(found[0].x1, 12 + 780.0 / 180, 3e-3);
        }
    }
}

TEST(DrawCuts, EventRangeStopsAtTheFirstOutsideRow) {
    DataStore store;
    setWindow(store, 9, 3, 2007, 1);
    setEvent(store.Event_Records, 1, at(8, 3, 2007, 15, 0), 16, 0);
    setEvent(store.Event_Records, 2, at(9, 3, 2007, 15, 0), 16, 0);
    setEvent(store.Event_Records, 3, at(11, 3, 2007, 15, 0), 16, 0);
    setEvent(store.Event_Records, 4, at(9, 3, 2007, 18, 0), 16, 0); // out of order: never looked at
    RecordingCanvas box;
    DrawGeneralCuts(box, store, kRed);
    ASSERT_EQ(dots(box).size(), 1u);
    EXPECT_NEAR(dots(box)[0].x1, 15, 1e-3);
}

TEST(DrawRecordingLimit, LineLabelAndHatching) {
    struct Case {
        int generation, days, boxWidth;
        bool drawn;
        double lineEnd, labelX, labelY, labelSize;
    } cases[] = {
        {3, 1, kNormalBoxWidth, false, 0, 0, 0, 0},
        {5, 1, kNormalBoxWidth, true, 37, 20.5, -68, 11},
        {5, 7, kEnlargedBoxWidth, true, 41, 22, -67, 14},
    };
    for (const Case& c : cases) {
        DataStore store;
        store.Device_Version = static_cast<int16_t>(c.generation);
        setWindow(store, 9, 3, 2007, c.days);
        RecordingCanvas box(QStringLiteral("Graphique_Leq10"), c.boxWidth, kNormalBoxHeight);
        DrawRecordingLimit(box, store, kBlue);
        if (!c.drawn) {
            EXPECT_TRUE(box.primitives().empty());
            continue;
        }
        EXPECT_EQ(countLines(box, 11, -70, c.lineEnd, -70), 1);
        const Prim label = textOf(box, kRecordingLimitLabel);
        EXPECT_EQ(label.x1, c.labelX);
        EXPECT_EQ(label.y1, c.labelY);
        EXPECT_EQ(label.fontSize, c.labelSize);
        EXPECT_EQ(label.color, kBlue);
        EXPECT_EQ(box.fontSize(), 8);
        EXPECT_EQ(box.foreColor(), kBlack);
        EXPECT_EQ(box.lines().size(), 1 + RecordingLimitHatching(c.days).size());
        for (const Prim& p : box.lines()) {
            EXPECT_EQ(p.color, kBlue);
            EXPECT_TRUE(p.y1 <= -60 && p.y1 >= -70 && p.y2 <= -60 && p.y2 >= -70);
        }
    }
}

TEST(RecordingLimitHatching, BlocksByLength) {
    const auto short3 = RecordingLimitHatching(3);
    const auto long7 = RecordingLimitHatching(7);
    EXPECT_EQ(short3.size(), 1u + 7 + 1 + 5 + 1 + 1 + 7 + 2 + 2 + 5 + 1);
    EXPECT_EQ(long7.size(), 1u + 7 + 1 + 7 + 1 + 1 + 7 + 2 + 1 + 7 + 1);
    auto has = [](const std::vector<HatchStroke>& strokes, HatchStroke s) {
        return std::find(strokes.begin(), strokes.end(), s) != strokes.end();
    };
    EXPECT_TRUE(has(short3, {35, 60, 36, 65}));
    EXPECT_TRUE(has(short3, {30, 70, 31, 65}));
    EXPECT_TRUE(has(short3, {34, 70, 36, 60}));
    EXPECT_TRUE(has(long7, {39, 60, 40, 65}));
    EXPECT_TRUE(has(long7, {38, 60, 40, 70}));
    EXPECT_FALSE(has(long7, {32, 70, 33, 65}));
    // Nothing crosses the label in the middle of the band.
    for (const auto& s : short3)
        EXPECT_TRUE(s.x2 <= 20 || s.x1 >= 30) << s.x1;
}
