#include "core/graphs/GraphWindow.h"

#include "core/graphs/Axes.h"
#include "core/graphs/Curves.h"
#include "core/graphs/GraphPeriod.h"
#include "core/graphs/Markers.h"
#include "core/graphs/ThresholdTemplate.h"
#include "core/tables/EventTable.h"
#include "core/tables/LeqTables.h"

namespace {
TableList tableLines(const QStringList& lines) {
    TableList list;
    list.lines = lines;
    return list;
}

void fillMinMax(GraphWindowView& view, const DataStore& store) {
    if (view.minMax10Shown) {
        const LevelRange range = Leq10LevelRange(store);
        view.mini10 = MinimumLabel(QStringLiteral("Leq10"), range.minimum);
        view.maxi10 = MaximumLabel(QStringLiteral("Leq10"), range.maximum);
    }
    if (view.minMax1Shown) {
        const LevelRange range = Leq1LevelRange(store);
        view.mini1 = MinimumLabel(QStringLiteral("Leq1"), range.minimum);
        view.maxi1 = MaximumLabel(QStringLiteral("Leq1"), range.maximum);
    }
}

// The Leq10 graph's content after its axes. The normal box draws the template before the recording
// limit; the enlarged one draws the limit first, as the window always did.
void drawLeq10Content(Canvas& box, const DataStore& store, bool enlarged) {
    const bool generation3 = store.Device_Version == 3;
    if (enlarged) DrawRecordingLimit(box, store, kBlue);
    DrawTemplateLine(box, store, kTemplateGreen);
    if (!enlarged) DrawRecordingLimit(box, store, kBlue);
    DrawLevelCurve(box, store, leq10SourceOf(store), store.Graph_Days, kRed);
    if (!generation3) DrawGeneralCuts(box, store, kRed);
    DrawTenSecondCuts(box, store, kBlack);
}
} // namespace

GraphWindowView LoadGraphWindow(DataStore& store, UiServices& ui) {
    GraphWindowView view;
    store.Selected_Leq1_Record = 0;
    store.Selected_Leq10_Record = 0;
    store.Mouse_Zoom_Active = kFalse;
    store.Template_Drawn = kFalse;

    view.generation3 = store.Device_Version == 3;
    view.header = GraphHeaderLabel(store);
    view.dateLabel = GraphDateLabel(store);

    FindGraphWindowRows(store);
    view.hasRecords = store.Period_First != 0 && store.Period_Last != 0;
    if (!view.generation3) {
        // The copies of an earlier window must not show through an empty one.
        store.Leq1_Count = 1;
        store.Leq10_Count = 1;
        if (view.hasRecords) SplitLeq1Leq10(store);
    }

    if (view.generation3) {
        view.list1 = messageList(2, QStringLiteral("        ") + GraphWindowTexts::kNotAvailable);
        view.list1Enabled = false;
    }

    if (view.hasRecords) {
        if (view.generation3) {
            view.list10 = tableLines(BuildLeqTableV3(store));
            view.minMax10Shown = true;
            view.zoom10Shown = true;
        } else {
            const bool any10 = store.Leq10_Count >= 2;
            const bool any1 = store.Leq1_Count >= 2;
            view.list10 =
                any10 ? tableLines(BuildLeq10Table(store)) : messageList(2, GraphWindowTexts::kNoLeq10);
            view.list1 =
                any1 ? tableLines(BuildLeq1Table(store)) : messageList(2, GraphWindowTexts::kNoLeq1InWindow);
            view.minMax10Shown = any10;
            view.minMax1Shown = any1;
            view.zoom10Shown = any10;
            view.zoom1Shown = any1;
        }
    } else {
        ui.message(MessageIcon::Information, GraphWindowTexts::kEmptyTitle, GraphWindowTexts::kEmptyText);
        view.list10 = messageList(2, GraphWindowTexts::kNoLeq10);
        view.list10Enabled = false;
        if (!view.generation3) {
            view.list1 = messageList(2, GraphWindowTexts::kNoLeq1);
            view.list1Enabled = false;
        }
    }

    view.events = BuildGraphEventList(store);

    if (view.hasRecords) {
        BuildThresholdTemplate(store, ui);
        fillMinMax(view, store);
        view.thresholds = GraphThresholdLabels(store);
    }
    // Both generations keep the weighting in the same option byte, so the label follows the data
    // rather than keeping a design caption that may not be true for this device.
    view.analyse = AnalyseLabel(store.Param_Block);
    return view;
}

void DrawLeq1NotAvailable(Canvas& box) {
    box.setScale(0, 0, box.boxWidth(), box.boxHeight());
    box.setFontBold(true);
    box.setFontSize(12);
    box.setForeColor(kBlack);
    box.printAt(500, 1500, GraphWindowTexts::kNotAvailable);
    box.setFontBold(false);
    box.setFontSize(8);
}

void DrawLeq10GraphNormal(Canvas& box, const DataStore& store, bool hasRecords) {
    if (!hasRecords) return;
    DrawAxes(box, store, kBlack);
    drawLeq10Content(box, store, false);
}

void DrawLeq1GraphNormal(Canvas& box, const DataStore& store, bool hasRecords) {
    if (store.Device_Version == 3) {
        DrawLeq1NotAvailable(box);
        return;
    }
    if (!hasRecords) return;
    DrawAxes(box, store, kBlack);
    DrawLevelCurve(box, store, CurveSource::Leq1, store.Graph_Days, kRed);
    DrawTemplateLine(box, store, kTemplateGreen);
}

void DrawLeq10GraphEnlarged(Canvas& box, const DataStore& store) {
    DrawAxesEnlarged(box, store, kBlack);
    drawLeq10Content(box, store, true);
    if (store.Selected_Leq10_Record != 0) MarkSelectedLeq10(box, store, store.Selected_Leq10_Record, kBlue);
}

void DrawLeq1GraphEnlarged(Canvas& box, const DataStore& store) {
    DrawAxesEnlarged(box, store, kBlack);
    DrawTemplateLine(box, store, kTemplateGreen);
    DrawLevelCurve(box, store, CurveSource::Leq1, store.Graph_Days, kRed);
    if (store.Selected_Leq1_Record != 0) MarkSelectedLeq1(box, store, store.Selected_Leq1_Record, kBlue);
}
