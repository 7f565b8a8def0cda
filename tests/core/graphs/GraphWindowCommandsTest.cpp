#include "core/graphs/GraphWindowCommands.h"
#include "GraphWindowFixture.h"
#include "core/graphs/GraphContent.h"
#include "core/graphs/ZoomSelection.h"
#include "core/tables/LeqTables.h"

using namespace graphtest;
namespace C = GraphWindowControls;
namespace T = GraphWindowTexts;

namespace {
bool visibleIn(const ZoomButtonResult& r, const QString& name) {
    const auto change = findControl(r.controls, name);
    EXPECT_TRUE(change && change->visible) << name.toStdString();
    return change && change->visible && *change->visible;
}

RecordingCanvas normalBox(GraphId graph) {
    return RecordingCanvas(graphControlNames(graph).box);
}

LoadedGraphWindow windowWithRecords(int days = 1) {
    LoadedGraphWindow w(days);
    w.addLeq10(at(9, 3, 2007, 20, 10), 88);
    w.addLeq10(at(9, 3, 2007, 20, 20), 92);
    w.addLeq1(at(9, 3, 2007, 21, 0), 101);
    w.addLeq1(at(9, 3, 2007, 21, 1), 103);
    return w;
}
} // namespace

TEST(ZoomButton, EnlargeThenRestoreEachGraph) {
    struct Case {
        GraphId graph;
        int days;
        QString restoreTip, enlargeTip;
        int captionTop;
        double enlargedZoom, enlargedPrint, normalZoom, normalPrint;
    } cases[] = {
        {GraphId::Leq1, 1, T::kRestoreLeq1, T::kEnlargeLeq1, 9240, 37.75, 36.4425, 36.4, 33.8},
        {GraphId::Leq10, 3, T::kRestoreLeq10FromNormal, T::kEnlargeLeq10, 4890, 37.75, 36.4425, 36.4, 33.8},
        {GraphId::Leq1, 7, T::kRestoreLeq1, T::kEnlargeLeq1, 9240, 41.55, 40.1, 40.1, 37.15},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.graph) * 10 + c.days);
        LoadedGraphWindow w = windowWithRecords(c.days);
        const GraphControlNames n = graphControlNames(c.graph);
        const GraphControlNames other = graphControlNames(otherGraph(c.graph));
        RecordingCanvas box = normalBox(c.graph);

        const ZoomButtonResult enlarged = ZoomButtonClick(c.graph, box, w.store);
        ASSERT_TRUE(enlarged.handled);
        EXPECT_EQ(enlarged.newState, GraphState::Enlarged);
        EXPECT_TRUE(box.isEnlargedSize());
        EXPECT_EQ(findControl(enlarged.controls, n.box),
                  (ControlChange{n.box, std::nullopt, 30, 840, 15060, 8300}));
        EXPECT_EQ(findControl(enlarged.controls, n.caption),
                  (ControlChange{n.caption, std::nullopt, std::nullopt, 9240, 15195, std::nullopt}));
        for (const QString& hidden : {other.box, other.caption, C::kListLeq1, C::kListLeq10, C::kListEvents,
                                      C::kNewGraph, C::kMinLeq1, C::kMaxLeq10, C::kAnalyse, C::kListCaption3})
            EXPECT_FALSE(visibleIn(enlarged, hidden)) << hidden.toStdString();
        EXPECT_TRUE(visibleIn(enlarged, n.printButton));
        EXPECT_EQ(enlarged.zoomToolTip, c.restoreTip);
        EXPECT_EQ(enlarged.zoomPicture,
                  c.graph == GraphId::Leq1 ? T::kNoZoomPictureLeq1 : T::kNoZoomPictureLeq10);
        EXPECT_NEAR(enlarged.zoomButtonX, c.enlargedZoom, 1e-9);
        EXPECT_NEAR(enlarged.printButtonX, c.enlargedPrint, 1e-9);
        EXPECT_EQ(enlarged.zoomButtonLeft, scaleXToBoxTwips(box, c.enlargedZoom));

        const ZoomButtonResult restored = ZoomButtonClick(c.graph, box, w.store);
        ASSERT_TRUE(restored.handled);
        EXPECT_EQ(restored.newState, GraphState::Normal);
        EXPECT_TRUE(box.isNormalSize());
        EXPECT_EQ(findControl(restored.controls, n.box)->top, normalBoxGeometry(c.graph).top);
        EXPECT_EQ(findControl(restored.controls, n.caption)->top, c.captionTop);
        EXPECT_EQ(findControl(restored.controls, n.caption)->width, 7485);
        for (const QString& back : {other.box, other.caption, C::kListLeq1, C::kListLeq10, C::kListEvents,
                                    C::kNewGraph, C::kMinLeq1, C::kMaxLeq10, C::kAnalyse, C::kListCaption4})
            EXPECT_TRUE(visibleIn(restored, back)) << back.toStdString();
        EXPECT_FALSE(visibleIn(restored, n.printButton));
        EXPECT_EQ(restored.zoomToolTip, c.enlargeTip);
        EXPECT_NEAR(restored.zoomButtonX, c.normalZoom, 1e-9);
        EXPECT_NEAR(restored.printButtonX, c.normalPrint, 1e-9);
    }
}

TEST(ZoomButton, NormalGeometryOfLeq1AfterRestore) {
    LoadedGraphWindow w = windowWithRecords();
    RecordingCanvas box = normalBox(GraphId::Leq1);
    ZoomButtonClick(GraphId::Leq1, box, w.store);
    const auto restored = ZoomButtonClick(GraphId::Leq1, box, w.store);
    EXPECT_EQ(findControl(restored.controls, QStringLiteral("Graphique_Leq1")),
              (ControlChange{QStringLiteral("Graphique_Leq1"), std::nullopt, 30, 5220, 7515, 3975}));
}

TEST(ZoomButton, LeavingAMouseRangeKeepsTheGraphEnlarged) {
    LoadedGraphWindow w = windowWithRecords();
    RecordingCanvas box = normalBox(GraphId::Leq10);
    ZoomButtonClick(GraphId::Leq10, box, w.store);
    DrawZoomedGraph(GraphId::Leq10, box, w.store, {18, 22, 80, 100});
    ASSERT_EQ(graphStateOf(box, w.store), GraphState::EnlargedWithRange);

    box.reset();
    const auto left = ZoomButtonClick(GraphId::Leq10, box, w.store);
    EXPECT_EQ(left.newState, GraphState::Enlarged);
    EXPECT_TRUE(left.hideZoomGrid);
    EXPECT_EQ(w.store.Mouse_Zoom_Active, kFalse);
    EXPECT_EQ(left.zoomToolTip, T::kRestoreLeq10FromZoom);
    EXPECT_TRUE(visibleIn(left, QStringLiteral("Cmd_Print_Leq10")));
    EXPECT_NEAR(left.zoomButtonX, 37.75, 1e-9);
    EXPECT_DOUBLE_EQ(box.scaleTop(), -130); // the enlarged scale again
    // The grid labels are erased in white before the enlarged graph is drawn, with its legends.
    EXPECT_FALSE(box.textsEqualTo(QStringLiteral("65 dB")).empty());
    EXPECT_EQ(box.textsEqualTo(QStringLiteral("65 dB")).front().color, kWhite);
    EXPECT_FALSE(box.textsEqualTo(kTenSecondCutLegend).empty());
}

TEST(ZoomButton, OtherBoxSizesAndGeneration3Leq1DoNothing) {
    LoadedGraphWindow w = windowWithRecords();
    RecordingCanvas odd(QStringLiteral("Graphique_Leq10"), 7515, 4000);
    EXPECT_FALSE(ZoomButtonClick(GraphId::Leq10, odd, w.store).handled);
    EXPECT_TRUE(odd.primitives().empty());

    LoadedGraphWindow g3(1, 3);
    RecordingCanvas leq1 = normalBox(GraphId::Leq1);
    EXPECT_FALSE(ZoomButtonClick(GraphId::Leq1, leq1, g3.store).handled);
}

TEST(ZoomButton, RestoreShowsOnlyTheLabelsTheLoadShowed) {
    struct Case {
        int generation;
        int16_t leq1Count, leq10Count, templateConstant;
        bool leq1Labels, leq10Labels, thresholds, windowThresholds;
    } cases[] = {
        {5, 3, 3, kTrue, true, true, true, true},
        {5, 1, 3, kFalse, false, true, false, false},
        {5, 3, 1, kTrue, true, false, true, true},
        // Generation 3 has no Leq1 graph and no window thresholds, whatever an earlier data set left.
        {3, 5, 1, kFalse, false, true, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.generation * 100 + c.leq1Count * 10 + c.leq10Count);
        LoadedGraphWindow w(1, c.generation);
        w.store.Leq1_Count = c.leq1Count;
        w.store.Leq10_Count = c.leq10Count;
        w.store.Template_Params_Constant = c.templateConstant;
        RecordingCanvas box = normalBox(GraphId::Leq10);
        ZoomButtonClick(GraphId::Leq10, box, w.store);
        const auto r = ZoomButtonClick(GraphId::Leq10, box, w.store);
        EXPECT_EQ(visibleIn(r, C::kMinLeq1), c.leq1Labels);
        EXPECT_EQ(visibleIn(r, C::kMaxLeq10), c.leq10Labels);
        EXPECT_EQ(visibleIn(r, C::kDayLevel), c.thresholds);
        EXPECT_EQ(visibleIn(r, C::kNightDayHour), c.thresholds);
        EXPECT_EQ(visibleIn(r, C::kDayWindowLevel), c.windowThresholds);
    }
}

TEST(GraphContent, RedrawOrderOfEachState) {
    using K = ContentStep;
    LoadedGraphWindow w;
    w.store.Selected_Leq10_Record = 1;
    w.store.Selected_Leq1_Record = 1;
    auto kinds = [&](GraphId g, ContentOrder o) {
        std::vector<int> out;
        for (const ContentStep& s : graphContentSteps(g, o, w.store))
            out.push_back(s.kind);
        return out;
    };
    EXPECT_EQ(kinds(GraphId::Leq10, ContentOrder::Enlarge),
              (std::vector<int>{K::RecordingLimit, K::Curve, K::Template, K::GeneralCuts, K::TenSecondCuts,
                                K::SelectedArrow}));
    EXPECT_EQ(kinds(GraphId::Leq10, ContentOrder::LeaveZoom),
              (std::vector<int>{K::RecordingLimit, K::Template, K::Curve, K::GeneralCuts, K::TenSecondCuts,
                                K::SelectedArrow}));
    EXPECT_EQ(kinds(GraphId::Leq10, ContentOrder::Restore),
              (std::vector<int>{K::RecordingLimit, K::Template, K::Curve, K::SelectedArrow, K::GeneralCuts,
                                K::TenSecondCuts}));
    EXPECT_EQ(kinds(GraphId::Leq1, ContentOrder::Enlarge),
              (std::vector<int>{K::Template, K::Curve, K::SelectedArrow}));
    const auto zoom = graphContentSteps(GraphId::Leq1, ContentOrder::MouseZoom, w.store);
    EXPECT_EQ(zoom.front(), (ContentStep{K::Template, kZoomTemplateGreen, 2}));

    // Generation 3: no general cuts; nothing selected: no arrow.
    w.store.Device_Version = 3;
    w.store.Selected_Leq10_Record = 0;
    EXPECT_EQ(kinds(GraphId::Leq10, ContentOrder::Restore),
              (std::vector<int>{K::RecordingLimit, K::Template, K::Curve, K::TenSecondCuts}));
}

TEST(ListClick, SelectsByNonEmptyRowsAndEmptyRowsKeepTheSelection) {
    LoadedGraphWindow w;
    w.addLeq1(at(9, 3, 2007, 23, 58), 90);
    w.addLeq1(at(9, 3, 2007, 23, 59), 91);
    w.addLeq1(at(10, 3, 2007, 0, 5), 99); // next day: the list puts an empty row before it
    const QStringList lines = BuildLeq1Table(w.store);
    ASSERT_EQ(lines.size(), 4);
    ASSERT_TRUE(lines.at(2).isEmpty());
    RecordingCanvas box = normalBox(GraphId::Leq1);
    DrawAxes(box, w.store, kBlack);

    const auto picked = ListClick(GraphId::Leq1, box, w.store, lines, 3);
    ASSERT_TRUE(picked.handled);
    EXPECT_EQ(picked.record, 3);
    EXPECT_EQ(w.store.Selected_Leq1_Record, 3);
    const double x = 24 + 5 / 60.0;
    EXPECT_EQ(arrowShafts(box, x, 99, kBlue), 1);

    box.reset();
    const auto separator = ListClick(GraphId::Leq1, box, w.store, lines, 2);
    EXPECT_TRUE(separator.handled);
    EXPECT_EQ(separator.record, 3);
    EXPECT_EQ(w.store.Selected_Leq1_Record, 3);
    EXPECT_EQ(arrowShafts(box, x, 99, kWhite), 1);
    EXPECT_EQ(arrowShafts(box, x, 99, kBlue), 0);
    // Redrawn: template, curve, then the axes on top.
    EXPECT_EQ(box.lines().back().color, kBlack);

    // The next enlarge shows the arrow again.
    box.reset();
    ZoomButtonClick(GraphId::Leq1, box, w.store);
    EXPECT_EQ(arrowShafts(box, x, 99, kBlue), 1);
}

TEST(ListClick, Generation3MarksRowsOfLeqRecordsAndIgnoresTheLeq1List) {
    LoadedGraphWindow w(1, 3);
    w.store.Period_First = 0;
    w.store.Period_Last = 0;
    w.addLeq(40, at(9, 3, 2007, 23, 50), 80);
    w.addLeq(41, at(10, 3, 2007, 0, 10), 85);
    const QStringList lines = BuildLeqTableV3(w.store);
    RecordingCanvas box = normalBox(GraphId::Leq10);
    const int lastRow = static_cast<int>(lines.size()) - 1;
    const auto r = ListClick(GraphId::Leq10, box, w.store, lines, lastRow);
    ASSERT_TRUE(r.handled);
    EXPECT_EQ(r.record, 41);
    EXPECT_EQ(arrowShafts(box, 24 + 10 / 60.0, 85, kBlue), 1);

    RecordingCanvas leq1 = normalBox(GraphId::Leq1);
    EXPECT_FALSE(ListClick(GraphId::Leq1, leq1, w.store, lines, 0).handled);
    EXPECT_TRUE(leq1.primitives().empty());
}

TEST(ListClick, RowsThatDesignateNoRecordChangeNothing) {
    LoadedGraphWindow w;
    w.addLeq10(at(9, 3, 2007, 20, 10), 88);
    RecordingCanvas box = normalBox(GraphId::Leq10);
    // A no-value message in the Leq1 list (no Leq1 record), a row past the list, a list longer than the data.
    EXPECT_FALSE(
        ListClick(GraphId::Leq1, box, w.store, {QString(), QStringLiteral("    Pas de valeurs")}, 1).handled);
    EXPECT_FALSE(ListClick(GraphId::Leq10, box, w.store, {QStringLiteral("a")}, 1).handled);
    EXPECT_FALSE(
        ListClick(GraphId::Leq10, box, w.store, {QStringLiteral("a"), QStringLiteral("b")}, 1).handled);
    EXPECT_EQ(w.store.Selected_Leq10_Record, 0);
    EXPECT_TRUE(box.primitives().empty());
    EXPECT_EQ(listRecordNumber({QStringLiteral("a"), QString(), QString(), QStringLiteral("b")}, 3, 1), 2);
}
