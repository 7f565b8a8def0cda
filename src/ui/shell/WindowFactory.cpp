#include "ui/shell/WindowFactory.h"

#include "ui/shell/AppContext.h"
#include "ui/app/FrmDataType.h"
#include "ui/files/FrmWaitSave.h"
#include "ui/link/FrmPort.h"
#include "ui/shell/PlaceholderWindow.h"

// The one place that knows which class builds which window.
QWidget* createWindow(WindowId id, AppContext& context) {
    switch (id) {
    case WindowId::frmPort:
        return createFrmPort(context);
    case WindowId::frmData_Type:
        return createFrmDataType(context);
    case WindowId::frmWait_Save:
        return createFrmWaitSave(context);
    case WindowId::frmGraphique_Leq:
    case WindowId::frmInTableau:
    case WindowId::frmTableau_Evenements:
    case WindowId::frmTableau_Leq:
    case WindowId::frmInGraphique:
    case WindowId::frmWait:
    case WindowId::frmTableau_Leq_V5:
    case WindowId::frmParametres_v4:
    case WindowId::frmInGraphique_v5:
        return new PlaceholderWindow(id, context);
    }
    return nullptr;
}
