#include "core/graphs/GraphContent.h"

#include "core/graphs/Curves.h"
#include "core/graphs/Markers.h"

int selectedRecord(const DataStore& store, GraphId graph) {
    return graph == GraphId::Leq1 ? store.Selected_Leq1_Record : store.Selected_Leq10_Record;
}

bool DrawGraphCurve(Canvas& box, const DataStore& store, GraphId graph, RgbColor color) {
    const CurveSource source = graph == GraphId::Leq1 ? CurveSource::Leq1 : leq10SourceOf(store);
    return DrawLevelCurve(box, store, source, store.Graph_Days, color);
}

void DrawSelectedArrow(Canvas& box, const DataStore& store, GraphId graph, RgbColor color) {
    const int record = selectedRecord(store, graph);
    if (record == 0) return;
    if (graph == GraphId::Leq1)
        MarkSelectedLeq1(box, store, record, color);
    else
        MarkSelectedLeq10(box, store, record, color);
}

std::vector<ContentStep> graphContentSteps(GraphId graph, ContentOrder order, const DataStore& store) {
    using K = ContentStep;
    const bool zoom = order == ContentOrder::MouseZoom;
    const ContentStep templ{K::Template, zoom ? kZoomTemplateGreen : kTemplateGreen, zoom ? 2 : 1};
    const ContentStep curve{K::Curve, kRed, 1};
    const ContentStep arrow{K::SelectedArrow, kBlue, 1};
    const ContentStep limit{K::RecordingLimit, kBlue, 1};
    const ContentStep general{K::GeneralCuts, kBlue, 1}; // always drawn red
    const ContentStep tenSecond{K::TenSecondCuts, kBlack, 1};

    std::vector<ContentStep> steps;
    if (graph == GraphId::Leq1) {
        // The arrow comes back on every redraw, enlarging included: a selection survives a click on a
        // separator row and must show again on the next enlarge.
        steps = {templ, curve, arrow};
    } else {
        switch (order) {
        case ContentOrder::Enlarge:
            steps = {limit, curve, templ, general, tenSecond, arrow};
            break;
        case ContentOrder::LeaveZoom:
            steps = {limit, templ, curve, general, tenSecond, arrow};
            break;
        case ContentOrder::Restore:
            steps = {limit, templ, curve, arrow, general, tenSecond};
            break;
        case ContentOrder::MouseZoom:
            steps = {templ, limit, curve, arrow, general, tenSecond};
            break;
        }
    }
    std::erase_if(steps, [&](const ContentStep& s) {
        return (s.kind == K::GeneralCuts && store.Device_Version != 5) ||
               (s.kind == K::SelectedArrow && selectedRecord(store, graph) == 0);
    });
    return steps;
}

bool DrawGraphContent(Canvas& box, const DataStore& store, GraphId graph, ContentOrder order) {
    bool curveDrawn = true;
    for (const ContentStep& step : graphContentSteps(graph, order, store)) {
        box.setDrawWidth(step.drawWidth);
        switch (step.kind) {
        case ContentStep::Template:
            DrawTemplateLine(box, store, step.color);
            break;
        case ContentStep::Curve:
            curveDrawn = DrawGraphCurve(box, store, graph, step.color);
            break;
        case ContentStep::RecordingLimit:
            DrawRecordingLimit(box, store, step.color);
            break;
        case ContentStep::GeneralCuts:
            DrawGeneralCuts(box, store, step.color);
            break;
        case ContentStep::TenSecondCuts:
            DrawTenSecondCuts(box, store, step.color);
            break;
        case ContentStep::SelectedArrow:
            DrawSelectedArrow(box, store, graph, step.color);
            break;
        }
        box.setDrawWidth(1);
    }
    return curveDrawn;
}
