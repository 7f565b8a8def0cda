#include "core/graphs/GraphWindow.h"
#include "GraphTestSupport.h"
#include "core/graphs/Curves.h"
#include "core/graphs/GraphDialog.h"
#include "core/graphs/Markers.h"
#include "core/graphs/ThresholdTemplate.h"
#include "support/Fakes.h"

using namespace graphtest;

namespace {
// A device whose memory holds nothing yet: every record fails the date test.
DataStore emptyDevice(int generation) {
    DataStore store;
    store.Device_Version = static_cast<int16_t>(generation);
    store.Leq_Records.fill(255);
    store.Event_Records.fill(255);
    store.Param_Change_Records.fill(255);
    // Current parameters: 85 / 75 dB (window open 80 / 70), switching at 22 h and 6 h, weighting M.
    const int cells[8] = {0, 85, 0, 80, 0, 75, 0, 70};
    for (int i = 0; i < 8; ++i)
        store.Param_Block[2176 + i] = static_cast<int16_t>(cells[i]);
    store.Param_Block[2191] = 22;
    store.Param_Block[2193] = 6;
    store.Param_Block[6] = 8;
    setWindow(store, 9, 3, 2007, 1);
    store.Graph_Day_Level = 105;
    store.Graph_Night_Level = 95;
    store.Graph_Day_Night_Hour = 22;
    store.Graph_Night_Day_Hour = 6;
    return store;
}

// Records of the 9 March 2007 window from 13:00: `leq10` ten-minute records and, for generation 5,
// `leq1` one-minute records after them, levels 80, 81, ...
DataStore deviceWith(int generation, int leq10, int leq1, int firstLevel = 80) {
    DataStore store = emptyDevice(generation);
    int row = 1;
    for (int i = 0; i < leq10; ++i, ++row)
        setLevel(store.Leq_Records, row, at(9, 3, 2007, 13, 0).addSecs(600 * i), firstLevel + i, generation,
                 10);
    for (int i = 0; i < leq1; ++i, ++row)
        setLevel(store.Leq_Records, row, at(9, 3, 2007, 20, 0).addSecs(60 * i), firstLevel + i, generation,
                 1);
    return store;
}

bool hasColor(const RecordingCanvas& canvas, RgbColor color) {
    for (const Prim& p : canvas.primitives())
        if (p.kind == Kind::Line && p.color == color) return true;
    return false;
}
} // namespace

TEST(GraphWindowLoad, ListsLabelsAndButtonsByGenerationAndContent) {
    using namespace GraphWindowTexts;
    struct Case {
        const char* name;
        int generation, leq10, leq1;
        bool list1IsMessage;
        QString list1Message; // when list1IsMessage
        bool minMax10, minMax1, zoom10, zoom1, list1Enabled;
    };
    const QString notAvailable = QStringLiteral("        ") + kNotAvailable;
    const Case cases[] = {
        {"gen5 both kinds", 5, 3, 4, false, {}, true, true, true, true, true},
        {"gen5 one Leq1 record", 5, 2, 1, false, {}, true, true, true, true, true},
        {"gen5 no Leq1", 5, 3, 0, true, kNoLeq1InWindow, true, false, true, false, true},
        {"gen5 Leq1 only", 5, 0, 5, false, {}, false, true, false, true, true},
        {"gen3", 3, 6, 0, true, notAvailable, true, false, true, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DataStore store = deviceWith(c.generation, c.leq10, c.leq1);
        FakeUiServices ui;
        const GraphWindowView view = LoadGraphWindow(store, ui);
        EXPECT_TRUE(view.hasRecords);
        EXPECT_EQ(view.list1.message, c.list1IsMessage);
        if (c.list1IsMessage)
            EXPECT_EQ(view.list1, messageList(2, c.list1Message));
        else
            EXPECT_EQ(store.Leq1_Count, c.leq1 + 1);
        EXPECT_EQ(view.minMax10Shown, c.minMax10);
        EXPECT_EQ(view.minMax1Shown, c.minMax1);
        EXPECT_EQ(view.zoom10Shown, c.zoom10);
        EXPECT_EQ(view.zoom1Shown, c.zoom1);
        EXPECT_EQ(view.list1Enabled, c.list1Enabled);
        EXPECT_TRUE(view.list10Enabled);
        EXPECT_TRUE(view.dateLabel.startsWith(QStringLiteral("Graphique Leq du  ")));
        EXPECT_TRUE(view.header.startsWith(QStringLiteral("QLV 40 - FirmWare Version : ")));
        EXPECT_EQ(view.analyse, QStringLiteral("Analyse : Pondérée Type M."));
        EXPECT_EQ(store.Template_Drawn, kTrue);
    }
}

TEST(GraphWindowLoad, MinimumAndMaximumLabels) {
    struct Case {
        int generation, leq10, firstLevel;
        QString mini, maxi;
    };
    const Case cases[] = {
        {5, 3, 80, QStringLiteral("Niveau Leq10 Minimum = 80 dB."),
         QStringLiteral("Niveau Leq10 Maximum = 82 dB.")},
        {3, 3, 80, QStringLiteral("Niveau Leq10 Minimum = 80 dB."),
         QStringLiteral("Niveau Leq10 Maximum = 82 dB.")},
        // The labels start from 125 and 60: levels above 125 dB leave the minimum at 125.
        {5, 2, 130, QStringLiteral("Niveau Leq10 Minimum = 125 dB."),
         QStringLiteral("Niveau Leq10 Maximum = 131 dB.")},
        {5, 2, 40, QStringLiteral("Niveau Leq10 Minimum = 40 dB."),
         QStringLiteral("Niveau Leq10 Maximum = 60 dB.")},
    };
    for (const Case& c : cases) {
        DataStore store = deviceWith(c.generation, c.leq10, 2, c.firstLevel);
        FakeUiServices ui;
        const GraphWindowView view = LoadGraphWindow(store, ui);
        EXPECT_EQ(view.mini10, c.mini);
        EXPECT_EQ(view.maxi10, c.maxi);
    }
    DataStore store = deviceWith(5, 1, 3, 90);
    FakeUiServices ui;
    const GraphWindowView view = LoadGraphWindow(store, ui);
    EXPECT_EQ(view.mini1, QStringLiteral("Niveau Leq1 Minimum = 90 dB."));
    EXPECT_EQ(view.maxi1, QStringLiteral("Niveau Leq1 Maximum = 92 dB."));
}

TEST(GraphWindowLoad, ThresholdLabelsFollowTheGenerationAndTemplate) {
    // Generation 3 shows what was typed in the dialog, without the window-open thresholds.
    DataStore g3 = deviceWith(3, 2, 0);
    FakeUiServices ui3;
    const GraphWindowView v3 = LoadGraphWindow(g3, ui3);
    EXPECT_TRUE(v3.thresholds.shown);
    EXPECT_FALSE(v3.thresholds.windowShown);
    EXPECT_EQ(v3.thresholds.dayLevel, QStringLiteral("Niveau Leq Jour = 105 dB."));
    EXPECT_EQ(v3.thresholds.nightLevel, QStringLiteral(" Niveau Leq Nuit = 95 dB."));
    EXPECT_EQ(v3.thresholds.dayNightHour, QStringLiteral("Heure Jour vers Nuit = 22 hrs."));
    EXPECT_TRUE(ui3.messages.empty());

    // Generation 5 without any window-state event: the recorded template cannot be built, the
    // current parameters' template is drawn and the labels are hidden.
    DataStore g5 = deviceWith(5, 2, 2);
    FakeUiServices ui5;
    const GraphWindowView v5 = LoadGraphWindow(g5, ui5);
    ASSERT_EQ(ui5.messages.size(), 1u);
    EXPECT_EQ(ui5.messages[0].text, TemplateMessages::kNoWindowState);
    EXPECT_EQ(g5.Template_Drawn, kTrue);
    EXPECT_FALSE(v5.thresholds.shown);

    // With the window closed before the start and no parameter history, the recorded template uses
    // the current parameters all along and the labels show them.
    DataStore g5b = deviceWith(5, 2, 2);
    setEvent(g5b.Event_Records, 1, at(1, 3, 2007, 8, 0), 0, 64);
    FakeUiServices ui5b;
    const GraphWindowView v5b = LoadGraphWindow(g5b, ui5b);
    EXPECT_TRUE(ui5b.messages.empty());
    EXPECT_TRUE(v5b.thresholds.shown);
    EXPECT_TRUE(v5b.thresholds.windowShown);
    EXPECT_EQ(v5b.thresholds.dayLevel, QStringLiteral("Niveau Leq Jour = 85 dB."));
    EXPECT_EQ(v5b.thresholds.nightWindowLevel, QStringLiteral("Niveau Leq Nuit Fenetre = 70 dB."));
}

TEST(GraphWindowLoad, EmptyWindowShowsItsMessageAndDrawsNothing) {
    for (int generation : {3, 5}) {
        SCOPED_TRACE(generation);
        DataStore store = emptyDevice(generation);
        // Records of another week must not show through.
        setLevel(store.Leq_Records, 1, at(1, 3, 2007, 13, 0), 90, generation);
        store.Selected_Leq1_Record = 4;
        store.Template_Drawn = kTrue;
        FakeUiServices ui;
        const GraphWindowView view = LoadGraphWindow(store, ui);
        ASSERT_EQ(ui.messages.size(), 1u);
        EXPECT_EQ(ui.messages[0].icon, MessageIcon::Information);
        EXPECT_EQ(ui.messages[0].title, QStringLiteral("Pas de veleur Leq !!!"));
        EXPECT_EQ(ui.messages[0].text,
                  QStringLiteral("Aucune valeur Leq enregistrée pour cette période !!!"));
        EXPECT_FALSE(view.hasRecords);
        EXPECT_EQ(view.list10, messageList(2, GraphWindowTexts::kNoLeq10));
        EXPECT_FALSE(view.list10Enabled);
        EXPECT_FALSE(view.list1Enabled);
        EXPECT_EQ(view.list1.lines.last().trimmed(),
                  generation == 3 ? GraphWindowTexts::kNotAvailable : GraphWindowTexts::kNoLeq1.trimmed());
        EXPECT_FALSE(view.zoom10Shown || view.zoom1Shown || view.minMax10Shown || view.minMax1Shown);
        EXPECT_FALSE(view.thresholds.shown);
        EXPECT_EQ(store.Selected_Leq1_Record, 0);
        EXPECT_EQ(store.Template_Drawn, kFalse);

        RecordingCanvas leq10(QStringLiteral("Graphique_Leq10"));
        DrawLeq10GraphNormal(leq10, store, view.hasRecords);
        EXPECT_TRUE(leq10.primitives().empty());
    }
}

TEST(GraphWindowDrawing, NormalBoxesUseTheirColoursInOrder) {
    DataStore store = deviceWith(5, 3, 3);
    setEvent(store.Event_Records, 1, at(9, 3, 2007, 15, 0), 16, 0); // a general cut
    FakeUiServices ui;
    const GraphWindowView view = LoadGraphWindow(store, ui);

    RecordingCanvas leq10(QStringLiteral("Graphique_Leq10"));
    DrawLeq10GraphNormal(leq10, store, view.hasRecords);
    for (RgbColor color : {kBlack, kTemplateGreen, kBlue, kRed})
        EXPECT_TRUE(hasColor(leq10, color));
    EXPECT_FALSE(leq10.textsEqualTo(kGeneralCutLegend).empty());
    EXPECT_FALSE(leq10.textsEqualTo(kRecordingLimitLabel).empty());
    // The template is drawn over the axes and under the curve.
    const auto& prims = leq10.primitives();
    auto firstOf = [&](RgbColor color) {
        for (size_t i = 0; i < prims.size(); ++i)
            if (prims[i].kind == Kind::Line && prims[i].color == color) return i;
        return prims.size();
    };
    EXPECT_LT(firstOf(kBlack), firstOf(kTemplateGreen));
    EXPECT_LT(firstOf(kTemplateGreen), firstOf(kBlue));
    EXPECT_LT(firstOf(kBlue), firstOf(kRed));

    RecordingCanvas leq1(QStringLiteral("Graphique_Leq1"));
    DrawLeq1GraphNormal(leq1, store, view.hasRecords);
    EXPECT_TRUE(hasColor(leq1, kRed));
    EXPECT_TRUE(hasColor(leq1, kTemplateGreen));
    EXPECT_FALSE(leq1.textsEqualTo(kLeq1Note).empty());
}

TEST(GraphWindowDrawing, Generation3Leq1BoxShowsTheNotice) {
    DataStore store = deviceWith(3, 2, 0);
    RecordingCanvas leq1(QStringLiteral("Graphique_Leq1"));
    DrawLeq1GraphNormal(leq1, store, true);
    const Prim notice = textOf(leq1, GraphWindowTexts::kNotAvailable);
    EXPECT_DOUBLE_EQ(notice.x1, 500);
    EXPECT_DOUBLE_EQ(notice.y1, 1500);
    EXPECT_TRUE(notice.bold);
    EXPECT_EQ(notice.fontSize, 12);
    EXPECT_FALSE(leq1.fontBold());
    EXPECT_EQ(leq1.fontSize(), 8);
    EXPECT_EQ(leq1.lines().size(), 0u);
}

TEST(GraphDialogRules, ThresholdButtonCaptionStates) {
    using namespace GraphDialogTexts;
    const ThresholdToggle first = ToggleThresholdBoxes(kChange);
    EXPECT_TRUE(first.changes);
    EXPECT_EQ(first.caption, kRestore);
    EXPECT_TRUE(first.boxesEnabled);
    EXPECT_FALSE(first.refillFromDevice);
    const ThresholdToggle second = ToggleThresholdBoxes(kRestore);
    EXPECT_EQ(second.caption, kChange);
    EXPECT_FALSE(second.boxesEnabled);
    EXPECT_TRUE(second.refillFromDevice);
    EXPECT_FALSE(ToggleThresholdBoxes(kChangeDesign).changes);
}

TEST(GraphDialogRules, RememberedStartAndLength) {
    DataStore store;
    EXPECT_FALSE(RememberedGraphStart(store));
    store.Start_Day = QStringLiteral("9");
    store.Start_Month = QStringLiteral("3");
    store.Start_Year = QStringLiteral("2007");
    EXPECT_EQ(RememberedGraphStart(store), QDate(2007, 3, 9));
    store.Start_Month = QStringLiteral("13");
    EXPECT_FALSE(RememberedGraphStart(store));
    for (auto [text, days] : {std::pair{"1", 1}, {"3", 3}, {"7", 7}, {"5", 0}, {"", 0}}) {
        store.Graph_Days_Text = QString::fromLatin1(text);
        EXPECT_EQ(RememberedGraphDays(store), days) << text;
    }
}
