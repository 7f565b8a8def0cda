#include "core/app/DataSourceLogic.h"

#include "core/files/SaveFile.h"
#include "core/link/TransferMessages.h"
#include "core/store/Labels.h"

#include <QFileInfo>

namespace {

const QString kGraphView = QStringLiteral("Graphique Leq");

QString levelText(const ParamZone& block, int hundreds) {
    return QString::number(block[hundreds] * 100 + block[hundreds + 1]);
}

void prepareView(DataStore& store) {
    if (store.Requested_View != kGraphView) return;
    SetGraphTemplateTexts(store);
    store.Graph_Days_Text = QStringLiteral("1");
}

DataSourceResult openFollowUp(DataSourceEnv& env) {
    if (const auto next = FollowUpWindow(env.store.Requested_View, env.store.Device_Version))
        env.windows.openWindow(*next);
    env.windows.closeDialog();
    return DataSourceResult::FollowUpOpened;
}

DataSourceResult runTransfer(DataSourceEnv& env) {
    DataStore& store = env.store;
    env.windows.setDialogVisible(false);
    env.transfer.runTransfer(store);

    // A stopped transfer has already put back the data set it found, with its Data_Loaded and its
    // "&Enregistrer Sous ..." entry: the previous data stays usable, so only the message is shown here.
    if (isTrue(store.Abort_Flag)) {
        if (const auto message = TransferFailureMessage(store.Transfer_Step)) {
            env.ui.message(message->icon, message->title, message->text);
            env.windows.closeWindow(WindowId::frmWait);
            env.windows.closeDialog();
            return DataSourceResult::DialogClosed;
        }
    }
    // A transfer that stopped for a reason it reported itself (kTransferStepReported) brought no new
    // data: showing the previous data as if it had just been read would be wrong, so no view opens.
    if (isTrue(store.Abort_Flag) || !isTrue(store.Data_Loaded)) {
        env.windows.closeWindow(WindowId::frmWait);
        env.windows.closeDialog();
        return DataSourceResult::DialogClosed;
    }
    BuildSerialNumber(store);
    return openFollowUp(env);
}

DataSourceResult openSaveFile(DataSourceEnv& env, const QString& shownFile) {
    if (shownFile.isEmpty()) {
        env.windows.setDialogVisible(true);
        env.ui.message(MessageIcon::Warning, QStringLiteral("Pas de fichier sélectionné"),
                       QStringLiteral("Veuillez sélectionner un fichier .qlv à ouvrir SVP !!!"));
        return DataSourceResult::DialogKeptOpen;
    }
    // The loader's own result decides: a refused file may leave an earlier data set marked loaded.
    if (!LoadSaveFile(env.store, env.store.Save_File_Path, env.ui, env.shell)) {
        env.ui.setBusyCursor(false);
        return DataSourceResult::DialogKeptOpen;
    }
    prepareView(env.store);
    return openFollowUp(env);
}

} // namespace

DataSourceLoadState DataSourceStateAtLoad(const DataStore& store) {
    DataSourceLoadState state;
    // The statistics are plural: "pour les Statistiques".
    const QString article = store.Requested_View == QStringLiteral("Statistiques") ? QStringLiteral("les ")
                                                                                   : QStringLiteral("le ");
    state.frameCaption =
        QStringLiteral("Sélectionnez le type de données pour ") + article + store.Requested_View;
    state.transferEnabled = store.Com_Port != 0;
    state.lastDataEnabled = isTrue(store.Data_Loaded);
    if (state.lastDataEnabled)
        state.selected = DataSourceOption::LastData;
    else if (!state.transferEnabled)
        state.selected = DataSourceOption::SaveFile;
    state.okEnabled = state.selected != DataSourceOption::None;
    return state;
}

bool HasSaveFileExtension(const QString& path) {
    return path.endsWith(QLatin1String("qlv"), Qt::CaseSensitive);
}

QString SearchSaveFile(DataStore& store, UiServices& ui) {
    const std::optional<QString> chosen = ui.openFileName(QString(), kSaveFileFilter);
    if (!chosen || !HasSaveFileExtension(*chosen)) {
        store.Save_File_Path.clear();
        return {};
    }
    store.Save_File_Path = *chosen;
    return QFileInfo(*chosen).fileName();
}

void SetGraphTemplateTexts(DataStore& store) {
    const ParamZone& block = store.Param_Block;
    store.Day_Level_Text = levelText(block, 2176);
    store.Night_Level_Text = levelText(block, 2180);
    store.Day_Night_Hour_Text = QString::number(block[2187]);
    store.Night_Day_Hour_Text = QString::number(block[2189]);
}

std::optional<WindowId> FollowUpWindow(const QString& requestedView, int generation) {
    if (requestedView == kGraphView)
        return generation == 3 ? WindowId::frmInGraphique : WindowId::frmInGraphique_v5;
    if (requestedView == QStringLiteral("Tableau Leq") ||
        requestedView == QStringLiteral("Tableau Evénements") ||
        requestedView == QStringLiteral("Statistiques"))
        return WindowId::frmInTableau;
    if (requestedView == QStringLiteral("Tableau Paramètres")) return WindowId::frmParametres_v4;
    return std::nullopt;
}

DataSourceResult DataSourceOk(DataSourceEnv& env, DataSourceOption option, const QString& shownFile) {
    switch (option) {
    case DataSourceOption::Transfer:
        return runTransfer(env);
    case DataSourceOption::SaveFile:
        return openSaveFile(env, shownFile);
    case DataSourceOption::LastData:
        prepareView(env.store);
        return openFollowUp(env);
    case DataSourceOption::None:
        break;
    }
    return DataSourceResult::DialogKeptOpen;
}
