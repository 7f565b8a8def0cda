#pragma once

#include "core/store/RecordTable.h"

#include <QDate>
#include <QString>
#include <array>
#include <cstdint>
#include <vector>

// Booleans of the store follow the device software's convention: -1 is true, 0 is false.
constexpr int16_t kTrue = -1;
constexpr int16_t kFalse = 0;

using LeqTable = RecordTable<8192, 8>;
using EventTable = RecordTable<4096, 8>;
using ParamChangeTable = RecordTable<682, 48>;
using ParamZone = CellBlock<2560>;
using ParamZoneV3 = CellBlock<514>;

// One step of the threshold template: the threshold changes at that minute from one level to another.
struct TemplateStep {
    int16_t day = 0;
    int16_t month = 0;
    int16_t year = 0; // within the century
    int16_t hour = 0;
    int16_t minute = 0;
    int16_t before = 0; // dB in force just before the step
    int16_t after = 0;  // dB in force from the step on
    bool operator==(const TemplateStep&) const = default;
};

// The records and parameters of one device: what a transfer or a save file brings. Kept apart from
// the run state so that a reader can fill a scratch copy and commit it only when it is complete.
struct DeviceData {
    LeqTable Leq_Records;
    EventTable Event_Records;
    ParamChangeTable Param_Change_Records;
    ParamZone Param_Block;
    ParamZoneV3 Param_Block_V3;
    QString Transfer_Date; // dd/mm/yyyy, end of the last generation-5 transfer
    QString Transfer_Time; // hh:mm(:ss)

    bool operator==(const DeviceData&) const = default;
};

// The one in-memory data set of the program and the run state every window consults.
// Field names are the names the whole program uses for them.
struct DataStore : DeviceData {
    // Working copies of the Leq1 / Leq10 rows of the chosen period (generation 5).
    LeqTable Leq1_Records;
    LeqTable Leq10_Records;
    int16_t Leq1_Count = 1;  // next free row (1 = empty)
    int16_t Leq10_Count = 1; // next free row (1 = empty)

    int32_t Leq_Record_Count = 8192;
    int32_t Period_First = 0;
    int32_t Period_Last = 0;

    QString Start_Day, Start_Month, Start_Year;
    QString End_Day, End_Month, End_Year;

    QString Serial_Number;

    // Defaults offered by the generation-3 graph dialog for the day/night template.
    QString Day_Level_Text, Night_Level_Text, Day_Night_Hour_Text, Night_Day_Hour_Text;

    int16_t Graph_Days = 1;
    QString Graph_Days_Text = QStringLiteral("1");
    // The calendar days of the graph window: 8 rows of (day, month, year) texts, indexed from 1.
    std::array<std::array<QString, 3>, 8> Graph_Dates;
    int16_t Template_Drawn = kFalse;

    // Run state.
    int16_t Device_Version = 5;
    int16_t Com_Port = 0;
    int16_t Data_Loaded = kFalse;
    int16_t Abort_Flag = kFalse;
    int16_t Transfer_Step = 0;
    int16_t Progress_Step = 0;
    QString Requested_View;
    QString Save_File_Path;
    // The days a period loaded from the archive stands for; invalid for a file or a transfer. The data
    // reaches past them: a record may come just before the first day, and the night of the last day
    // runs to noon the day after.
    QDate Loaded_First;
    QDate Loaded_Last;

    int16_t Open_frmPort = kFalse;
    int16_t Open_frmData_Type = kFalse;
    int16_t Open_frmWait = kFalse;
    int16_t Open_frmGraphique_Leq = kFalse;
    int16_t Open_frmInTableau = kFalse;
    int16_t Open_frmInGraphique = kFalse;
    int16_t Open_frmTableau_Leq = kFalse;
    int16_t Open_frmTableau_Leq_V5 = kFalse;
    int16_t Open_frmTableau_Evenements = kFalse;
    int16_t Open_frmWait_Save = kFalse;
    int16_t Open_frmParametres_v4 = kFalse;
    int16_t Open_frmInGraphique_v5 = kFalse;
    int16_t Open_frmStatistiques = kFalse;

    // ---- Graph window state (graph dialogs, drawing, threshold template) ----
    // Values typed in the generation-3 graph dialog: day / night thresholds (dB) and switch hours.
    int16_t Graph_Day_Level = 0;
    int16_t Graph_Night_Level = 0;
    int16_t Graph_Day_Night_Hour = 0;
    int16_t Graph_Night_Day_Hour = 0;
    // The threshold template of the window, in chronological order (Template_Drawn says it exists).
    std::vector<TemplateStep> Template_Steps;
    int16_t Template_Params_Constant = kFalse;
    int32_t Template_Param_First = 0; // parameter-history row in force at the start; 0 = current parameters
    int32_t Template_Param_Last = 0;
    int16_t Mouse_Zoom_Active = kFalse; // the enlarged graph shows a mouse-selected range
    int32_t Selected_Leq1_Record = 0;   // record picked in the Leq1 list; 0 = none
    int32_t Selected_Leq10_Record = 0;
    // ---- end of graph window state ----

    DataStore();

    QString& graphDate(int row, int col) { return Graph_Dates.at(row - 1).at(col - 1); }
    const QString& graphDate(int row, int col) const { return Graph_Dates.at(row - 1).at(col - 1); }

    // Writes the values the main window gives the store at start-up, in its order.
    void applyStartValues();

    // Replaces the device data with a complete data set read elsewhere: a file or a transfer, which
    // stands for its own records.
    void commit(DeviceData&& data) { commitPeriod(std::move(data), QDate(), QDate()); }
    // Replaces the device data with the archived period of the days first..last.
    void commitPeriod(DeviceData&& data, const QDate& first, const QDate& last) {
        static_cast<DeviceData&>(*this) = std::move(data);
        Loaded_First = first;
        Loaded_Last = last;
    }
    const DeviceData& deviceData() const { return *this; }
};

inline bool isTrue(int16_t flag) {
    return flag != kFalse;
}
