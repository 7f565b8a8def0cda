#include "ui/shell/WindowFactory.h"

#include "ui/app/FrmDataType.h"
#include "ui/files/FrmWaitSave.h"
#include "ui/graphs/FrmGraphiqueLeq.h"
#include "ui/graphs/FrmInGraphique.h"
#include "ui/link/FrmPort.h"
#include "ui/link/FrmWait.h"
#include "ui/shell/AppContext.h"
#include "ui/stats/FrmStatistiques.h"
#include "ui/tables/FrmInTableau.h"
#include "ui/tables/FrmParametresV4.h"
#include "ui/tables/FrmTableauEvenements.h"
#include "ui/tables/FrmTableauLeq.h"
#include "ui/tables/FrmTableauLeqV5.h"

// The one place that knows which class builds which window.
QWidget* createWindow(WindowId id, AppContext& context) {
    switch (id) {
    case WindowId::frmPort:
        return createFrmPort(context);
    case WindowId::frmData_Type:
        return createFrmDataType(context);
    case WindowId::frmWait_Save:
        return createFrmWaitSave(context);
    case WindowId::frmInTableau:
        return createFrmInTableau(context);
    case WindowId::frmTableau_Evenements:
        return createFrmTableauEvenements(context);
    case WindowId::frmTableau_Leq:
        return createFrmTableauLeq(context);
    case WindowId::frmTableau_Leq_V5:
        return createFrmTableauLeqV5(context);
    case WindowId::frmParametres_v4:
        return createFrmParametresV4(context);
    case WindowId::frmWait:
        return new FrmWait(context);
    case WindowId::frmStatistiques:
        return createFrmStatistiques(context);
    case WindowId::frmGraphique_Leq:
        return createFrmGraphiqueLeq(context);
    case WindowId::frmInGraphique:
        return createFrmInGraphique(context);
    case WindowId::frmInGraphique_v5:
        return createFrmInGraphiqueV5(context);
    }
    return nullptr;
}
