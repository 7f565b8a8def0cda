#include "core/shell/MainMenuRules.h"

QString RequestedViewOf(AnalysisCommand command) {
    switch (command) {
    case AnalysisCommand::mnuGraphique:
        return QStringLiteral("Graphique Leq");
    case AnalysisCommand::mnuTab_Leq:
        return QStringLiteral("Tableau Leq");
    case AnalysisCommand::mnuEvenements:
        return QStringLiteral("Tableau Evénements");
    case AnalysisCommand::mnuParametres:
        return QStringLiteral("Tableau Paramètres");
    case AnalysisCommand::mnuStatistiques:
        return QStringLiteral("Statistiques");
    }
    return {};
}

void PrepareAnalysisCommand(DataStore& store, WindowCloser& closer, AnalysisCommand command) {
    if (command != AnalysisCommand::mnuParametres) {
        for (QString* text : {&store.Start_Day, &store.Start_Month, &store.Start_Year, &store.End_Day,
                              &store.End_Month, &store.End_Year})
            text->clear();
    }
    if (command == AnalysisCommand::mnuGraphique) store.Graph_Days_Text = QStringLiteral("1");
    CloseOpenWindows(store, closer);
    store.Requested_View = RequestedViewOf(command);
}

void PrepareQuit(DataStore& store, WindowCloser& closer) {
    store.Abort_Flag = kTrue;
    store.Transfer_Step = 0;
    CloseOpenWindows(store, closer);
}

WaitWindowChange WaitWindowChangeOn(const DataStore& store, MainWindowState state) {
    if (!isTrue(store.Open_frmWait)) return WaitWindowChange::None;
    switch (state) {
    case MainWindowState::Minimised:
        return WaitWindowChange::Hide;
    case MainWindowState::Maximised:
        return WaitWindowChange::Show;
    case MainWindowState::Normal:
        return WaitWindowChange::None;
    }
    return WaitWindowChange::None;
}

TransferMenuLock::TransferMenuLock(MainShell* shell) : m_shell(shell) {
    if (!m_shell) return;
    m_analyseWasEnabled = m_shell->isMenuEnabled(MenuEntry::mnuAnalyse);
    m_portWasEnabled = m_shell->isMenuEnabled(MenuEntry::mnuPort);
    m_shell->setMenuEnabled(MenuEntry::mnuAnalyse, false);
    m_shell->setMenuEnabled(MenuEntry::mnuPort, false);
}

TransferMenuLock::~TransferMenuLock() {
    if (!m_shell) return;
    m_shell->setMenuEnabled(MenuEntry::mnuAnalyse, m_analyseWasEnabled);
    m_shell->setMenuEnabled(MenuEntry::mnuPort, m_portWasEnabled);
}
