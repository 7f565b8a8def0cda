#include "core/graphs/ZoomSelection.h"
#include "GraphWindowFixture.h"
#include "core/graphs/GraphWindowCommands.h"

#include <QRectF>

using namespace graphtest;

namespace {
RecordingCanvas enlargedBox(GraphId graph) {
    return RecordingCanvas(graphControlNames(graph).box, kEnlargedBoxWidth, kEnlargedBoxHeight);
}

// Press, move to the end point and release there.
ZoomRelease drag(ZoomSelection& zoom, GraphId graph, Canvas& box, DataStore& store, double x1, double y1,
                 double x2, double y2) {
    zoom.mouseDown(box, true, x1, y1);
    zoom.mouseMove(graph, x2, y2);
    return zoom.mouseUp(graph, box, store, x2, y2);
}

// The x of every black text equal to the label.
std::vector<double> labelXs(const RecordingCanvas& box, const QString& text, RgbColor color) {
    std::vector<double> xs;
    for (const Prim& p : box.textsEqualTo(text))
        if (p.color == color) xs.push_back(p.x1);
    return xs;
}
} // namespace

TEST(ZoomSelection, RefusalsAndAcceptances) {
    struct Case {
        const char* what;
        double x1, y1, x2, y2;
        bool accepted;
    } cases[] = {
        {"right to left by 0.5", 20, -100, 19.5, -80, false},
        {"right to left by 1", 20, -100, 19, -80, true},
        {"straight down", 20, -100, 20, -80, false},
        {"down by 4 dB", 18, -100, 22, -96, false},
        {"down by 5 dB", 18, -100, 22, -95, true},
        {"purely horizontal", 18, -100, 22, -100, false},
        {"up by 0.5 dB", 18, -100, 22, -100.5, true},
        {"up by 40 dB", 18, -70, 22, -110, true},
        {"left and up", 22, -70, 18, -110, true},
        // Width or height that rounds to nothing at one decimal.
        {"width rounds away", 20.02, -80, 20.04, -100, false},
        {"height rounds away", 18, -100, 22, -100.02, false},
    };
    for (const Case& c : cases) {
        LoadedGraphWindow w;
        RecordingCanvas box = enlargedBox(GraphId::Leq10);
        ZoomSelection zoom;
        const ZoomRelease r = drag(zoom, GraphId::Leq10, box, w.store, c.x1, c.y1, c.x2, c.y2);
        EXPECT_EQ(r.accepted, c.accepted) << c.what;
        EXPECT_EQ(r.zoomToolTip, GraphWindowTexts::kLeaveZoom) << c.what;
        EXPECT_EQ(r.hidePrintButton, c.accepted) << c.what;
        EXPECT_EQ(w.store.Mouse_Zoom_Active, c.accepted ? kTrue : kFalse) << c.what;
        // A refused selection draws nothing.
        if (!c.accepted) {
            EXPECT_TRUE(box.primitives().empty()) << c.what;
        }
        EXPECT_FALSE(zoom.selecting());
        EXPECT_EQ(zoom.startX(), 0);
    }
}

TEST(ZoomSelection, PressesThatStartNoSelection) {
    LoadedGraphWindow w;
    RecordingCanvas normal(QStringLiteral("Graphique_Leq1"));
    RecordingCanvas enlarged = enlargedBox(GraphId::Leq1);
    struct Case {
        Canvas* box;
        bool left;
    } cases[] = {{&normal, true}, {&enlarged, false}};
    for (const Case& c : cases) {
        ZoomSelection zoom;
        zoom.mouseDown(*c.box, c.left, 18, -100);
        EXPECT_FALSE(zoom.selecting());
        EXPECT_FALSE(zoom.mouseMove(GraphId::Leq1, 22, -70));
        const ZoomRelease r = zoom.mouseUp(GraphId::Leq1, *c.box, w.store, 22, -70);
        EXPECT_FALSE(r.accepted);
        EXPECT_EQ(r.zoomToolTip, QStringLiteral("Retour au Zoom Normal."));
    }
}

TEST(ZoomSelection, RubberBandFollowsTheMouse) {
    RecordingCanvas box = enlargedBox(GraphId::Leq10);
    ZoomSelection zoom;
    zoom.mouseDown(box, true, 18, -100);
    const auto band = zoom.mouseMove(GraphId::Leq10, 22, -80);
    ASSERT_TRUE(band);
    const RubberBandLine expected[] = {{QStringLiteral("Line_Haut10"), 18, -100, 22, -100},
                                       {QStringLiteral("Line_Bas10"), 18, -80, 22, -80},
                                       {QStringLiteral("Line_Droite10"), 18, -100, 18, -80},
                                       {QStringLiteral("Line_Gauche10"), 22, -100, 22, -80}};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ((*band)[i].name, expected[i].name);
        EXPECT_EQ((*band)[i].x1, expected[i].x1);
        EXPECT_EQ((*band)[i].y1, expected[i].y1);
        EXPECT_EQ((*band)[i].x2, expected[i].x2);
        EXPECT_EQ((*band)[i].y2, expected[i].y2);
    }
    EXPECT_EQ(zoom.endX(), 22);
    EXPECT_EQ(zoom.endY(), -80);
}

TEST(ZoomSelection, CornersOrderedRoundedAndScaled) {
    LoadedGraphWindow w;
    RecordingCanvas box = enlargedBox(GraphId::Leq1);
    ZoomSelection zoom;
    // Dragged from the lower right to the upper left.
    const ZoomRelease r = drag(zoom, GraphId::Leq1, box, w.store, 30.04, -70.26, 20.16, -104.96);
    ASSERT_TRUE(r.accepted);
    EXPECT_EQ(r.range, (ZoomRange{20.2, 30.0, 70.3, 105.0}));
    EXPECT_NEAR(box.scaleLeft(), 20.2, 1e-12);
    EXPECT_NEAR(box.scaleWidth(), 9.8, 1e-12);
    EXPECT_NEAR(box.scaleTop(), -105.0, 1e-12);
    EXPECT_NEAR(box.scaleHeight(), 34.7, 1e-12);
    EXPECT_EQ(r.grid.hourLines.size(), 25u);
    EXPECT_TRUE(r.grid.visible);
    EXPECT_NEAR(r.grid.levelLines[0].x2, 30.0, 1e-12);
    EXPECT_EQ(zoom.lastRange(), r.range);
}

TEST(ZoomSelection, ZoomedRedrawUsesTheZoomColoursWithoutLegends) {
    LoadedGraphWindow w;
    w.addLeq10(at(9, 3, 2007, 20, 10), 88);
    w.store.Selected_Leq10_Record = 1;
    RecordingCanvas box = enlargedBox(GraphId::Leq10);
    ZoomSelection zoom;
    ASSERT_TRUE(drag(zoom, GraphId::Leq10, box, w.store, 18, -60, 26, -110).accepted);
    const auto template2 = linesIn(box, kZoomTemplateGreen);
    ASSERT_FALSE(template2.empty());
    EXPECT_EQ(template2.front().drawWidth, 2);
    EXPECT_FALSE(linesIn(box, kRed).empty());
    EXPECT_EQ(arrowShafts(box, 20 + 10 / 60.0, 88, kBlue), 1);
    EXPECT_TRUE(box.textsEqualTo(kTenSecondCutLegend).empty());
    EXPECT_TRUE(box.textsEqualTo(kGeneralCutLegend).empty());
}

TEST(ZoomSelection, DayLabelsOfTheExamples) {
    struct Case {
        int days;
        double x1, x2;
        std::vector<std::pair<int, double>> labels; // calendar day k, x
    } cases[] = {
        {1, 20, 30, {{1, 22}, {2, 27}}},
        {3, 26, 34, {{3, 29}, {4, 33}}},
        {3, 14, 34, {{1, 15}, {2, 20}, {3, 28}, {4, 33}}},
        {3, 16, 24, {{2, 20}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.days * 100 + c.x1);
        LoadedGraphWindow w(c.days);
        RecordingCanvas box = enlargedBox(GraphId::Leq10);
        ZoomSelection zoom;
        ASSERT_TRUE(drag(zoom, GraphId::Leq10, box, w.store, c.x1, -60, c.x2, -110).accepted);
        const double y = box.scaleTop() + box.scaleHeight() * 0.925;
        int black = 0;
        for (int k = 1; k <= c.days + 1; ++k)
            black += static_cast<int>(labelXs(box, DayLabelText(w.store, k), kBlack).size());
        EXPECT_EQ(black, static_cast<int>(c.labels.size()));
        for (const auto& [k, x] : c.labels) {
            const auto xs = labelXs(box, DayLabelText(w.store, k), kBlack);
            ASSERT_EQ(xs.size(), 1u) << k;
            EXPECT_NEAR(xs[0], x, 1e-9);
            EXPECT_NEAR(box.textsEqualTo(DayLabelText(w.store, k)).back().y1, y, 1e-9);
        }
    }
}

TEST(ZoomSelection, ANewZoomErasesThePreviousLabelsFirst) {
    LoadedGraphWindow w(3);
    RecordingCanvas box = enlargedBox(GraphId::Leq10);
    ZoomSelection zoom;
    ASSERT_TRUE(drag(zoom, GraphId::Leq10, box, w.store, 26, -60, 34, -110).accepted);
    box.reset();
    ASSERT_TRUE(drag(zoom, GraphId::Leq10, box, w.store, 27, -70, 31, -100).accepted);

    // The labels of 26..34 (days 3 and 4) go in white, in the old scale, before the new ones appear.
    const auto& prims = box.primitives();
    const QString day3 = DayLabelText(w.store, 3), day4 = DayLabelText(w.store, 4);
    size_t white3 = prims.size(), white4 = prims.size(), black3 = prims.size();
    for (size_t i = 0; i < prims.size(); ++i) {
        if (prims[i].kind != Kind::Text) continue;
        if (prims[i].text == day3 && prims[i].color == kWhite && white3 == prims.size()) white3 = i;
        if (prims[i].text == day4 && prims[i].color == kWhite && white4 == prims.size()) white4 = i;
        if (prims[i].text == day3 && prims[i].color == kBlack) black3 = i;
    }
    ASSERT_LT(white3, prims.size());
    ASSERT_LT(white4, prims.size());
    EXPECT_NEAR(prims[white3].x1, 29, 1e-9);
    EXPECT_NEAR(prims[white4].x1, 33, 1e-9);
    ASSERT_LT(black3, prims.size());
    EXPECT_LT(white3, black3);
    EXPECT_NEAR(prims[black3].x1, 29, 1e-9); // 27..31: day 3 is 27..32 -> (27 + 31) / 2
    EXPECT_TRUE(labelXs(box, day4, kBlack).empty());
}

TEST(ZoomSelection, ZoomAgainInsideAZoomAndLeaveWithTheZoomButton) {
    LoadedGraphWindow w;
    RecordingCanvas box(QStringLiteral("Graphique_Leq1"));
    ZoomButtonClick(GraphId::Leq1, box, w.store);
    ZoomSelection zoom;
    ASSERT_TRUE(drag(zoom, GraphId::Leq1, box, w.store, 14, -60, 30, -120).accepted);
    // Inside the zoom the box is still enlarged: a second selection narrows the range.
    const ZoomRelease again = drag(zoom, GraphId::Leq1, box, w.store, 20, -80, 22, -90);
    ASSERT_TRUE(again.accepted);
    EXPECT_NEAR(box.scaleWidth(), 2, 1e-12);
    EXPECT_EQ(graphStateOf(box, w.store), GraphState::EnlargedWithRange);

    const auto left = ZoomButtonClick(GraphId::Leq1, box, w.store);
    EXPECT_EQ(left.newState, GraphState::Enlarged);
    EXPECT_DOUBLE_EQ(box.scaleWidth(), 30);
    EXPECT_EQ(ZoomButtonClick(GraphId::Leq1, box, w.store).newState, GraphState::Normal);
}

TEST(ZoomSelection, RangeFromText) {
    struct Case {
        const char* text;
        std::optional<ZoomRange> range;
    } cases[] = {
        {"20,30,70,105", ZoomRange{20, 30, 70, 105}},
        {"30, 20.04, 104.96, 70.26", ZoomRange{20, 30, 70.3, 105}},
        {"20,30,-70,-105", ZoomRange{20, 30, 70, 105}},
        {"20,20.04,70,105", std::nullopt},
        {"20,30,70", std::nullopt},
        {"20,30,70,abc", std::nullopt},
        {"20,30,70,inf", std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(zoomRangeFromText(QString::fromLatin1(c.text)), c.range) << c.text;
}

namespace {
// A canvas that measures text like a narrow face: each character 12 twips wide per point.
class MeasuringCanvas : public RecordingCanvas {
public:
    MeasuringCanvas()
        : RecordingCanvas(QStringLiteral("Graphique_Leq10"), kEnlargedBoxWidth, kEnlargedBoxHeight) {}

protected:
    double measureText(const QString& text) override {
        return text.size() * fontSize() * 12.0 / boxWidth() * scaleWidth();
    }
};

// The box's rectangle of a text, in twips of the box.
QRectF twipsRect(const Canvas& box, const Prim& text) {
    const double perX = box.boxWidth() / box.scaleWidth(), perY = box.boxHeight() / box.scaleHeight();
    return {(text.x1 - box.scaleLeft()) * perX, (text.y1 - box.scaleTop()) * perY,
            text.text.size() * text.fontSize * 12.0, text.fontSize * 20 * 1.2};
}
} // namespace

TEST(ZoomSelection, ButtonDayAndHourLabelsKeepOffTheLevelLabels) {
    struct Case {
        int days;
        double x1, x2, low, high;
    } cases[] = {
        {1, 20, 30, 60, 110},        // the usual zoom
        {1, 23.95, 30, 62.5, 112.5}, // a date starting before the box, on the row of "65 dB"
        {1, 20, 21, 60, 110},        // narrow: the right column of labels stands far in
        {3, 12, 36, 40, 125},        // wide and high: the right column reaches past the edge
        {7, 33.8, 40, 62.5, 112.5},  {7, 20, 30, 70, 100}, // "70 dB" on the row of the bottom hour labels
        {1, 20, 30, 60, 95},                               // "95 dB" on the row of the top hour labels
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.days << " days, " << c.x1 << ".." << c.x2);
        LoadedGraphWindow w(c.days);
        MeasuringCanvas box;
        ZoomSelection zoom;
        const ZoomRelease release = drag(zoom, GraphId::Leq10, box, w.store, c.x1, -c.low, c.x2, -c.high);
        ASSERT_TRUE(release.accepted);
        std::vector<QRectF> levelLabels, dayLabels;
        for (const Prim& text : box.texts()) {
            if (!(text.color == kBlack)) continue;
            if (text.text.endsWith(QStringLiteral(" dB"))) levelLabels.push_back(twipsRect(box, text));
            if (text.text.endsWith(QStringLiteral("h."))) dayLabels.push_back(twipsRect(box, text));
            for (int k = 1; k <= c.days + 1; ++k)
                if (text.text == DayLabelText(w.store, k)) dayLabels.push_back(twipsRect(box, text));
        }
        ASSERT_FALSE(levelLabels.empty());
        const TwipsBox& b = release.zoomButton;
        const QRectF button(b.left, b.top, b.width, b.height);
        EXPECT_TRUE(QRectF(0, 0, kEnlargedBoxWidth, kEnlargedBoxHeight).contains(button));
        for (const QRectF& level : levelLabels) {
            EXPECT_FALSE(button.intersects(level)) << "button over a level label";
            for (const QRectF& day : dayLabels)
                EXPECT_FALSE(day.intersects(level)) << "date or hour over a level label";
        }
    }
}
