#include "core/graphs/GraphWindowCommands.h"

#include "core/graphs/Curves.h"
#include "core/graphs/GraphContent.h"
#include "core/graphs/GraphLabels.h"

namespace C = GraphWindowControls;
namespace T = GraphWindowTexts;

GraphState graphStateOf(const Canvas& box, const DataStore& store) {
    if (box.isNormalSize()) return GraphState::Normal;
    if (box.isEnlargedSize())
        return store.Mouse_Zoom_Active != kFalse ? GraphState::EnlargedWithRange : GraphState::Enlarged;
    return GraphState::Other;
}

ButtonPlaces graphButtonPlaces(const Canvas& box, bool enlarged, int graphDays) {
    const double right = box.scaleLeft() + box.scaleWidth();
    const bool seven = graphDays == 7;
    if (enlarged)
        return seven ? ButtonPlaces{right - 1.45, right - 2.9} : ButtonPlaces{right - 1.25, right - 2.5575};
    return seven ? ButtonPlaces{right - 2.9, right - 5.85} : ButtonPlaces{right - 2.6, right - 5.2};
}

namespace {
ControlChange boxChange(const QString& name, const BoxGeometry& g) {
    ControlChange change;
    change.name = name;
    change.left = g.left;
    change.top = g.top;
    change.width = g.width;
    change.height = g.height;
    return change;
}

ControlChange captionChange(const QString& name, int top, int width) {
    ControlChange change;
    change.name = name;
    change.top = top;
    change.width = width;
    return change;
}

// The labels, lists and buttons of the normal layout that the enlarged graph covers.
std::vector<QString> coveredControls(GraphId graph) {
    const GraphControlNames other = graphControlNames(otherGraph(graph));
    return {C::kAnalyse,        C::kDayNightHour,     C::kNightDayHour, other.caption,    C::kMinLeq10,
            C::kMaxLeq10,       C::kMinLeq1,          C::kMaxLeq1,      C::kDayLevel,     C::kNightLevel,
            C::kDayWindowLevel, C::kNightWindowLevel, C::kListCaption3, C::kListCaption4, C::kListLeq1Caption,
            other.box,          C::kListLeq10,        C::kListLeq1,     C::kListEvents,   C::kNewGraph};
}

// Restoring shows the labels the load showed, by the same rules: a label hidden at load (no value,
// no template, generation-3 window thresholds) stays hidden.
void addRestoredLabels(std::vector<ControlChange>& controls, const DataStore& store) {
    const bool generation5 = store.Device_Version == 5;
    const bool hasWindow = store.Period_First != 0 && store.Period_Last != 0;
    const bool leq1 = generation5 && hasWindow && store.Leq1_Count > 1;
    const bool leq10 = hasWindow && (generation5 ? store.Leq10_Count > 1 : true);
    const ThresholdLabels thresholds = GraphThresholdLabels(store);
    controls.push_back(visibilityChange(C::kAnalyse, true));
    controls.push_back(visibilityChange(C::kMinLeq1, leq1));
    controls.push_back(visibilityChange(C::kMaxLeq1, leq1));
    controls.push_back(visibilityChange(C::kMinLeq10, leq10));
    controls.push_back(visibilityChange(C::kMaxLeq10, leq10));
    controls.push_back(visibilityChange(C::kDayNightHour, thresholds.shown));
    controls.push_back(visibilityChange(C::kNightDayHour, thresholds.shown));
    controls.push_back(visibilityChange(C::kDayLevel, thresholds.shown));
    controls.push_back(visibilityChange(C::kNightLevel, thresholds.shown));
    controls.push_back(visibilityChange(C::kDayWindowLevel, thresholds.shown && thresholds.windowShown));
    controls.push_back(visibilityChange(C::kNightWindowLevel, thresholds.shown && thresholds.windowShown));
}

void resizeBox(Canvas& box, const BoxGeometry& g, const BoxResizer& resize) {
    if (resize)
        resize(box, g.width, g.height);
    else
        box.setBoxSize(g.width, g.height);
}

void placeButtons(ZoomButtonResult& result, const Canvas& box, bool enlarged, int graphDays) {
    const ButtonPlaces places = graphButtonPlaces(box, enlarged, graphDays);
    result.zoomButtonX = places.zoom;
    result.printButtonX = places.print;
    result.zoomButtonLeft = scaleXToBoxTwips(box, places.zoom);
    result.printButtonLeft = scaleXToBoxTwips(box, places.print);
}
} // namespace

ZoomButtonResult ZoomButtonClick(GraphId graph, Canvas& box, DataStore& store, const BoxResizer& resize) {
    ZoomButtonResult result;
    if (graph == GraphId::Leq1 && store.Device_Version == 3) return result;
    const GraphState state = graphStateOf(box, store);
    if (state == GraphState::Other) return result;

    const GraphControlNames names = graphControlNames(graph);
    const bool leq1 = graph == GraphId::Leq1;
    result.handled = true;
    box.clear();

    if (state == GraphState::Normal) {
        result.newState = GraphState::Enlarged;
        result.controls.push_back(captionChange(names.caption, 9240, 15195));
        result.controls.push_back(boxChange(names.box, kEnlargedBoxGeometry));
        for (const QString& name : coveredControls(graph))
            result.controls.push_back(visibilityChange(name, false));
        result.controls.push_back(visibilityChange(names.printButton, true));
        result.zoomPicture = leq1 ? T::kNoZoomPictureLeq1 : T::kNoZoomPictureLeq10;
        resizeBox(box, kEnlargedBoxGeometry, resize);
        DrawAxesEnlarged(box, store, kBlack);
        result.zoomToolTip = leq1 ? T::kRestoreLeq1 : T::kRestoreLeq10FromNormal;
        placeButtons(result, box, true, store.Graph_Days);
        result.curveDrawn = DrawGraphContent(box, store, graph, ContentOrder::Enlarge);
        return result;
    }

    // Both ways out of the enlarged graph take the mouse-zoom grid away first, in the scale it was
    // shown in.
    ShowZoomGrid(box, store.Graph_Days, kFalse);
    result.hideZoomGrid = true;
    store.Mouse_Zoom_Active = kFalse;

    if (state == GraphState::EnlargedWithRange) {
        result.newState = GraphState::Enlarged;
        result.controls.push_back(boxChange(names.box, kEnlargedBoxGeometry));
        resizeBox(box, kEnlargedBoxGeometry, resize);
        DrawAxesEnlarged(box, store, kBlack);
        result.zoomToolTip = leq1 ? T::kRestoreLeq1 : T::kRestoreLeq10FromZoom;
        placeButtons(result, box, true, store.Graph_Days);
        result.controls.push_back(visibilityChange(names.printButton, true));
        result.curveDrawn = DrawGraphContent(box, store, graph, ContentOrder::LeaveZoom);
        return result;
    }

    result.newState = GraphState::Normal;
    const BoxGeometry normal = normalBoxGeometry(graph);
    result.controls.push_back(captionChange(names.caption, leq1 ? 9240 : 4890, 7485));
    result.controls.push_back(boxChange(names.box, normal));
    result.controls.push_back(visibilityChange(graphControlNames(otherGraph(graph)).caption, true));
    addRestoredLabels(result.controls, store);
    for (const QString& name :
         {C::kListCaption3, C::kListCaption4, C::kListLeq1Caption, graphControlNames(otherGraph(graph)).box,
          C::kListLeq10, C::kListLeq1, C::kListEvents, C::kNewGraph})
        result.controls.push_back(visibilityChange(name, true));
    result.controls.push_back(visibilityChange(names.printButton, false));
    result.zoomPicture = leq1 ? T::kZoomPictureLeq1 : T::kZoomPictureLeq10;
    result.zoomToolTip = leq1 ? T::kEnlargeLeq1 : T::kEnlargeLeq10;
    resizeBox(box, normal, resize);
    DrawAxes(box, store, kBlack);
    placeButtons(result, box, false, store.Graph_Days);
    result.curveDrawn = DrawGraphContent(box, store, graph, ContentOrder::Restore);
    return result;
}

int listRecordNumber(const QStringList& lines, int row, int firstRecord) {
    if (row < 0 || row >= lines.size() || lines.at(row).isEmpty()) return 0;
    int empties = 0;
    for (int i = 0; i <= row; ++i)
        empties += lines.at(i).isEmpty();
    return row + firstRecord - empties;
}

ListClickResult ListClick(GraphId graph, Canvas& box, DataStore& store, const QStringList& lines, int row) {
    ListClickResult result;
    const bool generation3 = store.Device_Version == 3;
    const bool hasWindow = store.Period_First != 0 && store.Period_Last != 0;
    int firstRecord = 1, lastRecord = 0;
    if (graph == GraphId::Leq1) {
        if (generation3) return result;
        lastRecord = store.Leq1_Count - 1;
    } else if (generation3) {
        firstRecord = store.Period_First;
        lastRecord = store.Period_Last;
    } else {
        // Without Leq10 values the list holds its no-value message, which designates no record.
        lastRecord = store.Leq10_Count - 1;
    }
    if (!hasWindow || lastRecord < firstRecord || row < 0 || row >= lines.size() || !box.isNormalSize())
        return result;

    const bool emptyRow = lines.at(row).isEmpty();
    const int record = emptyRow ? 0 : listRecordNumber(lines, row, firstRecord);
    if (!emptyRow && (record < firstRecord || record > lastRecord)) return result;

    result.handled = true;
    DrawSelectedArrow(box, store, graph, kWhite);
    int32_t& selected = graph == GraphId::Leq1 ? store.Selected_Leq1_Record : store.Selected_Leq10_Record;
    if (emptyRow) {
        DrawAxes(box, store, kWhite);
        DrawGraphCurve(box, store, graph, kWhite);
        DrawTemplateLine(box, store, kWhite);
        DrawTemplateLine(box, store, kTemplateGreen);
        DrawGraphCurve(box, store, graph, kRed);
        DrawAxes(box, store, kBlack);
    } else {
        DrawAxes(box, store, kWhite);
        DrawTemplateLine(box, store, kWhite);
        DrawGraphCurve(box, store, graph, kWhite);
        selected = record;
        DrawAxes(box, store, kBlack);
        DrawTemplateLine(box, store, kTemplateGreen);
        DrawGraphCurve(box, store, graph, kRed);
        DrawSelectedArrow(box, store, graph, kBlue);
    }
    result.record = selected;
    return result;
}
