#include "ui/shell/StandIns.h"

void StandInTransferRunner::runTransfer(DataStore& store) {
    // Reported as "Erreur 01": the device did not answer.
    store.Abort_Flag = kTrue;
    store.Transfer_Step = 3;
}
