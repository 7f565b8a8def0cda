#include "core/store/DataStore.h"

DataStore::DataStore() { applyStartValues(); }

void DataStore::applyStartValues() {
    Open_frmPort = kFalse;
    Open_frmData_Type = kFalse;
    Open_frmWait = kFalse;
    Com_Port = 0;
    Requested_View.clear();
    Device_Version = 5;
    Graph_Days = 1;
    for (auto& row : Graph_Dates)
        for (auto& cell : row) cell = QStringLiteral("0");
    Template_Drawn = kFalse;
    Data_Loaded = kFalse;
}
