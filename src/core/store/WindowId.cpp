#include "core/store/WindowId.h"

const char* windowName(WindowId id) {
    switch (id) {
    case WindowId::frmPort: return "frmPort";
    case WindowId::frmData_Type: return "frmData_Type";
    case WindowId::frmGraphique_Leq: return "frmGraphique_Leq";
    case WindowId::frmInTableau: return "frmInTableau";
    case WindowId::frmTableau_Evenements: return "frmTableau_Evenements";
    case WindowId::frmTableau_Leq: return "frmTableau_Leq";
    case WindowId::frmWait_Save: return "frmWait_Save";
    case WindowId::frmInGraphique: return "frmInGraphique";
    case WindowId::frmWait: return "frmWait";
    case WindowId::frmTableau_Leq_V5: return "frmTableau_Leq_V5";
    case WindowId::frmParametres_v4: return "frmParametres_v4";
    case WindowId::frmInGraphique_v5: return "frmInGraphique_v5";
    case WindowId::frmStatistiques: return "frmStatistiques";
    }
    return "";
}

int16_t& openFlag(DataStore& store, WindowId id) {
    switch (id) {
    case WindowId::frmPort: return store.Open_frmPort;
    case WindowId::frmData_Type: return store.Open_frmData_Type;
    case WindowId::frmGraphique_Leq: return store.Open_frmGraphique_Leq;
    case WindowId::frmInTableau: return store.Open_frmInTableau;
    case WindowId::frmTableau_Evenements: return store.Open_frmTableau_Evenements;
    case WindowId::frmTableau_Leq: return store.Open_frmTableau_Leq;
    case WindowId::frmWait_Save: return store.Open_frmWait_Save;
    case WindowId::frmInGraphique: return store.Open_frmInGraphique;
    case WindowId::frmWait: return store.Open_frmWait;
    case WindowId::frmTableau_Leq_V5: return store.Open_frmTableau_Leq_V5;
    case WindowId::frmParametres_v4: return store.Open_frmParametres_v4;
    case WindowId::frmInGraphique_v5: return store.Open_frmInGraphique_v5;
    case WindowId::frmStatistiques: return store.Open_frmStatistiques;
    }
    return store.Open_frmPort;
}

int16_t openFlag(const DataStore& store, WindowId id) { return openFlag(const_cast<DataStore&>(store), id); }

void CloseOpenWindows(DataStore& store, WindowCloser& closer) {
    for (WindowId id : kClosableWindows) {
        if (!isTrue(openFlag(store, id))) continue;
        closer.unloadWindow(id);
        openFlag(store, id) = kFalse;
    }
}
