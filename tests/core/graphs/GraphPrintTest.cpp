#include "core/graphs/GraphPrint.h"
#include "GraphWindowFixture.h"
#include "support/Fakes.h"

#include <stdexcept>

using namespace graphtest;

namespace {
// Records what the print command does to the window; can cancel or fail on request.
class RecordingPrintTarget : public GraphPrintTarget {
public:
    enum class Failure { None, Cancel, ReturnFalse, Throw, ThrowInDialog };
    Failure failure = Failure::None;
    std::vector<QString> calls;
    std::vector<ControlChange> applied;
    RgbColor background = kWindowBackground;
    bool mainEnabled = true;
    int pages = 0;

    bool choosePrinter() override {
        calls.push_back(QStringLiteral("dialog"));
        if (failure == Failure::ThrowInDialog) throw std::runtime_error("no printer");
        return failure != Failure::Cancel;
    }
    void setMainWindowEnabled(bool enabled) override {
        calls.push_back(enabled ? QStringLiteral("enable") : QStringLiteral("disable"));
        mainEnabled = enabled;
    }
    void applyControls(const std::vector<ControlChange>& changes) override {
        calls.push_back(QStringLiteral("controls"));
        applied.insert(applied.end(), changes.begin(), changes.end());
    }
    void setBackground(const std::vector<QString>&, RgbColor color) override {
        calls.push_back(QStringLiteral("background"));
        background = color;
    }
    bool printPage() override {
        calls.push_back(QStringLiteral("print"));
        if (failure == Failure::Throw) throw std::runtime_error("paper jam");
        if (failure == Failure::ReturnFalse) return false;
        ++pages;
        return true;
    }
};
} // namespace

TEST(GraphPrint, OnlyAnEnlargedUnzoomedGraphPrints) {
    LoadedGraphWindow w;
    RecordingCanvas normal(QStringLiteral("Graphique_Leq1"));
    RecordingCanvas enlarged(QStringLiteral("Graphique_Leq1"), kEnlargedBoxWidth, kEnlargedBoxHeight);
    EXPECT_FALSE(canPrintGraph(normal, w.store));
    EXPECT_TRUE(canPrintGraph(enlarged, w.store));
    w.store.Mouse_Zoom_Active = kTrue;
    EXPECT_FALSE(canPrintGraph(enlarged, w.store));
    RecordingPrintTarget target;
    FakeUiServices ui;
    EXPECT_EQ(PrintGraph(GraphId::Leq1, enlarged, w.store, target, ui), GraphPrintOutcome::NotPrintable);
    EXPECT_TRUE(target.calls.empty());
    EXPECT_TRUE(ui.messages.empty());
}

TEST(GraphPrint, EveryWayOutPutsTheScreenBack) {
    using F = RecordingPrintTarget::Failure;
    struct Case {
        F failure;
        GraphPrintOutcome outcome;
        bool layoutTouched;
    } cases[] = {
        {F::None, GraphPrintOutcome::Printed, true},
        {F::Cancel, GraphPrintOutcome::Cancelled, false},
        {F::ThrowInDialog, GraphPrintOutcome::Cancelled, false},
        {F::ReturnFalse, GraphPrintOutcome::Failed, true},
        {F::Throw, GraphPrintOutcome::Failed, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.failure));
        LoadedGraphWindow w;
        RecordingCanvas box(QStringLiteral("Graphique_Leq10"), kEnlargedBoxWidth, kEnlargedBoxHeight);
        RecordingPrintTarget target;
        target.failure = c.failure;
        FakeUiServices ui;
        EXPECT_EQ(PrintGraph(GraphId::Leq10, box, w.store, target, ui), c.outcome);
        // Only a failure after the dialog speaks, once the screen is back.
        if (c.outcome == GraphPrintOutcome::Failed) {
            ASSERT_EQ(ui.messages.size(), 1u);
            EXPECT_EQ(ui.messages[0].icon, MessageIcon::Critical);
            EXPECT_EQ(ui.messages[0].title, QStringLiteral("Impression"));
            EXPECT_EQ(ui.messages[0].text, QStringLiteral("L'impression du graphique a échoué."));
        } else {
            EXPECT_TRUE(ui.messages.empty());
        }
        EXPECT_TRUE(target.mainEnabled);
        EXPECT_EQ(target.background, kWindowBackground);
        EXPECT_EQ(target.pages, c.outcome == GraphPrintOutcome::Printed ? 1 : 0);
        if (!c.layoutTouched) {
            EXPECT_EQ(target.calls, std::vector<QString>{QStringLiteral("dialog")});
            continue;
        }
        // The screen layout is applied last: the box back at 840 and both buttons visible.
        EXPECT_EQ(findControl(target.applied, QStringLiteral("Graphique_Leq10"))->top, 840);
        EXPECT_EQ(findControl(target.applied, QStringLiteral("Label_Leq10"))->top, 9240);
        EXPECT_EQ(findControl(target.applied, QStringLiteral("Label_Entete"))->top, 60);
        EXPECT_EQ(findControl(target.applied, QStringLiteral("Label_Date"))->top, 420);
        EXPECT_TRUE(*findControl(target.applied, QStringLiteral("Cmd_Print_Leq10"))->visible);
        EXPECT_TRUE(*findControl(target.applied, QStringLiteral("Cmd_Zoom_Leq10"))->visible);
        EXPECT_EQ(target.calls.back(), QStringLiteral("enable"));
    }
}

TEST(GraphPrint, PageLayoutForEachGraph) {
    for (GraphId graph : {GraphId::Leq1, GraphId::Leq10}) {
        const GraphControlNames n = graphControlNames(graph);
        const GraphPrintLayout layout = graphPrintLayout(graph);
        EXPECT_EQ(findControl(layout.page, n.box)->top, 30);
        EXPECT_EQ(findControl(layout.page, n.caption)->top, 8430);
        EXPECT_EQ(findControl(layout.page, QStringLiteral("Label_Entete"))->top, 8880);
        EXPECT_EQ(findControl(layout.page, QStringLiteral("Label_Date"))->top, 9240);
        EXPECT_FALSE(*findControl(layout.page, n.printButton)->visible);
        EXPECT_FALSE(*findControl(layout.page, n.zoomButton)->visible);
        EXPECT_EQ(layout.backgrounds.size(), 4u);

        const GraphPage page = graphPage(graph, QStringLiteral("QLV 40"), QStringLiteral("Graphique Leq du"));
        EXPECT_EQ(page.box, (BoxGeometry{30, 30, 15060, 8300}));
        ASSERT_EQ(page.labels.size(), 3u);
        // The whole box and the three labels below it fit on the page.
        EXPECT_GE(page.width, page.box.left + page.box.width);
        EXPECT_GE(page.labels[0].top, page.box.top + page.box.height);
        for (const PrintedLabel& label : page.labels) {
            EXPECT_LE(label.left + label.width, page.width);
            EXPECT_LE(label.top + label.height, page.height);
        }
    }
}

TEST(GraphPrint, PageDrawsTheLabelsAndTheEnlargedGraph) {
    LoadedGraphWindow w(7);
    w.addLeq1(at(10, 3, 2007, 21, 0), 101);
    w.store.Selected_Leq1_Record = 1;
    const GraphPage layout =
        graphPage(GraphId::Leq1, QStringLiteral("QLV 40 - header"), QStringLiteral("date"));
    RecordingCanvas page, box(QStringLiteral("Graphique_Leq1"));
    DrawGraphPage(page, box, GraphId::Leq1, w.store, layout);

    EXPECT_EQ(page.primitives().front().kind, Kind::Clear);
    const Prim caption = textOf(page, GraphWindowTexts::kCaptionLeq1);
    EXPECT_EQ(caption.y1, 8430);
    EXPECT_EQ(textOf(page, QStringLiteral("QLV 40 - header")).y1, 8880);
    EXPECT_EQ(textOf(page, QStringLiteral("date")).y1, 9240);
    EXPECT_DOUBLE_EQ(page.scaleWidth(), layout.width);

    EXPECT_TRUE(box.isEnlargedSize());
    EXPECT_DOUBLE_EQ(box.scaleWidth(), 34); // enlarged 7-day scale
    textOf(box, QStringLiteral("Niveau Leq 1 (dB)"));
    EXPECT_FALSE(linesIn(box, kTemplateGreen).empty());
    EXPECT_EQ(arrowShafts(box, 12 + (33 * 60) / 360.0, 101, kBlue), 1);
}
