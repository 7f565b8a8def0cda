// Store to views: an arbitrary store (any 16-bit value in any cell, any period and graph window)
// through every core routine a table, parameter or graph window calls. Nothing may read outside a
// table, crash or hit undefined behaviour, whatever the memory of the device held.
#include "FuzzSupport.h"

#include "core/graphs/Axes.h"
#include "core/graphs/Curves.h"
#include "core/graphs/GraphLabels.h"
#include "core/graphs/GraphPeriod.h"
#include "core/graphs/Markers.h"
#include "core/graphs/RecordingCanvas.h"
#include "core/graphs/ThresholdTemplate.h"
#include "core/tables/EventTable.h"
#include "core/tables/FirmwareVersion.h"
#include "core/tables/LeqTables.h"
#include "core/tables/Parameters.h"
#include "core/tables/PeriodSearch.h"
#include "core/tables/TablePrintLayout.h"
#include "core/tables/TableViews.h"
#include "sim/Generator.h"

#include <QDate>
#include <algorithm>

namespace {

const DeviceData& generated(int generation) {
    static const auto make = [](int g) {
        GeneratorOptions options;
        options.generation = g;
        options.start = QDate(2009, 3, 23);
        options.days = 7;
        options.seed = 2;
        return GenerateDeviceData(options);
    };
    static const DeviceData gen3 = make(3);
    static const DeviceData gen5 = make(5);
    return generation == 3 ? gen3 : gen5;
}

// The store at program start, empty or holding a generated device's data.
const DataStore& startStore(int generation, bool withData) {
    static const auto make = [](const DeviceData* data) {
        DataStore store;
        store.applyStartValues();
        if (data) store.commit(DeviceData(*data));
        return store;
    };
    static const DataStore empty = make(nullptr);
    static const DataStore gen3 = make(&generated(3));
    static const DataStore gen5 = make(&generated(5));
    return !withData ? empty : generation == 3 ? gen3 : gen5;
}

QString numberText(ByteStream& in) {
    // Mostly plausible calendar numbers, sometimes any 16-bit value or no number at all.
    const uint8_t how = in.byte();
    if (how < 200) return QString::number(how % 40);
    if (how < 250) return QString::number(in.int16());
    return how == 250 ? QString() : QStringLiteral("x");
}

void patchCells(DataStore& store, ByteStream& in) {
    while (!in.atEnd()) {
        const uint8_t target = in.byte() % 6;
        const int16_t value = in.int16();
        switch (target) {
        case 0:
            store.Leq_Records(in.intIn(1, LeqTable::rowCount), in.intIn(1, 8)) = value;
            break;
        case 1:
            store.Event_Records(in.intIn(1, EventTable::rowCount), in.intIn(1, 8)) = value;
            break;
        case 2:
            store.Param_Change_Records(in.intIn(1, ParamChangeTable::rowCount), in.intIn(1, 48)) = value;
            break;
        case 3:
            store.Param_Block[in.intIn(0, ParamZone::size - 1)] = value;
            break;
        case 4:
            store.Param_Block_V3[in.intIn(0, ParamZoneV3::size - 1)] = value;
            break;
        default: { // a run of one value down a column, as a stuck memory line would leave
            const int col = in.intIn(1, 8);
            const int first = in.intIn(1, LeqTable::rowCount);
            const int count = in.byte();
            for (int r = first; r < first + count && r <= LeqTable::rowCount; ++r)
                store.Leq_Records(r, col) = value;
        }
        }
    }
}

void drawGraphs(DataStore& store, ByteStream& in, UiServices& ui) {
    RecordingCanvas normal(QStringLiteral("Picture_Leq10"));
    RecordingCanvas enlarged(QStringLiteral("Picture_Zoom"), kEnlargedBoxWidth, kEnlargedBoxHeight);
    DrawAxes(normal, store, kBlack);
    DrawAxesEnlarged(enlarged, store, kBlack);
    for (int k = 0; k <= 9; ++k)
        (void)DayLabelText(store, k);

    FindGraphWindowRows(store);
    SplitLeq1Leq10(store);
    (void)GraphDateLabel(store);
    (void)GraphHeaderLabel(store);
    (void)AnalyseLabel(store.Param_Block);
    (void)Leq10LevelRange(store);
    (void)Leq1LevelRange(store);

    store.Template_Drawn = kFalse;
    BuildThresholdTemplate(store, ui);
    (void)GraphThresholdLabels(store);

    for (Canvas* box : {static_cast<Canvas*>(&normal), static_cast<Canvas*>(&enlarged)}) {
        DrawLevelCurve(*box, store, leq10SourceOf(store), store.Graph_Days, kBlue);
        DrawLevelCurve(*box, store, CurveSource::Leq1, store.Graph_Days, kBlue);
        DrawTemplateLine(*box, store, kTemplateGreen);
        DrawGeneralCuts(*box, store, kRed);
        DrawTenSecondCuts(*box, store, kBlack);
        DrawRecordingLimit(*box, store, kBlack);
        // A pick in a list is one of its rows, or none.
        MarkSelectedLeq1(*box, store, in.intIn(0, std::max<int>(store.Leq1_Count - 1, 0)), kRed);
        MarkSelectedLeq10(*box, store, in.intIn(0, std::max<int>(store.Leq10_Count - 1, 0)), kRed);
    }
    const int x1 = in.intIn(-100, 100);
    const int x2 = in.intIn(-100, 100);
    PrintZoomDayLabels(enlarged, store, x1, x2, kBlack);
    ShowZoomGrid(enlarged, store.Graph_Days, kTrue);
    ShowZoomGrid(enlarged, store.Graph_Days, kFalse);
    for (int j = 0; j <= 28; ++j)
        (void)ZoomGridHourLabel(store.Graph_Days, j);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ByteStream in(data, size);
    const uint8_t mode = in.byte();
    const int generation = (mode & 1) ? 5 : 3;

    // The stores are built once and assigned for each input: constructing and copying full-size
    // tables for every input cost more than most of the views.
    static DataStore store, tables, parameters;
    store = startStore(generation, mode & 2);
    store.Device_Version = static_cast<int16_t>((mode & 4) ? in.int16() : generation);
    store.Data_Loaded = kTrue;
    store.Transfer_Date = numberText(in) + QLatin1Char('/') + numberText(in) + QStringLiteral("/2009");
    store.Transfer_Time = numberText(in) + QLatin1Char(':') + numberText(in);

    // The period of the tables, and the graph window either as the dialog stores it or as any texts.
    store.Start_Day = numberText(in);
    store.Start_Month = numberText(in);
    store.Start_Year = QString::number(2000 + in.intIn(0, 30));
    store.End_Day = numberText(in);
    store.End_Month = numberText(in);
    store.End_Year = QString::number(2000 + in.intIn(0, 30));
    static constexpr int kDays[] = {1, 3, 7};
    const int days = kDays[in.byte() % 3];
    if (mode & 8) {
        StoreGraphWindow(store, DayMonthYear{in.intIn(1, 28), in.intIn(1, 12), 2000 + in.intIn(0, 30)}, days);
    } else {
        store.Graph_Days = static_cast<int16_t>(days);
        for (int row = 1; row <= 8; ++row)
            for (int col = 1; col <= 3; ++col)
                store.graphDate(row, col) = numberText(in);
    }
    store.Graph_Day_Level = in.int16();
    store.Graph_Night_Level = in.int16();
    store.Graph_Day_Night_Hour = in.int16();
    store.Graph_Night_Day_Hour = in.int16();
    store.Mouse_Zoom_Active = (mode & 16) ? kTrue : kFalse;

    patchCells(store, in);
    ByteStream choices(data, size); // the same bytes again drive the clicks made in the windows

    SilentUiServices ui;
    (void)FirmwareVersionText(store.Param_Block);
    (void)ParametersFirmwareText(store);
    (void)isOneDayPeriod(store);

    tables = store;
    const LeqTableView leq = PrepareLeqTable(tables);
    const LeqTableV5View leqV5 = PrepareLeqTableV5(tables);
    const EventTableView events = PrepareEventTable(tables);
    (void)BuildGraphEventList(tables);
    (void)DescribePages(LeqTablePages(leq));
    (void)DescribePages(LeqTableV5Pages(leqV5));
    (void)DescribePages(EventTablePages(events));

    parameters = store;
    const ParametersView loaded = LoadParameters(parameters);
    for (int k = -1; k <= loaded.history.size(); ++k)
        (void)ChooseParameterChange(parameters, loaded, k);

    drawGraphs(store, choices, ui);
    return 0;
}
