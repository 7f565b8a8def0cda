#include "ui/shell/Application.h"

#include "ui/files/SaveCommandUi.h"
#include "ui/shell/FrmStart.h"
#include "ui/shell/QtTranslations.h"

#include <QApplication>
#include <QPointer>

bool runStartUp(FrmMain& main) {
    AppContext& context = main.context();
    context.shell.setMenuEnabled(MenuEntry::mnuSave_As, false);
    if (main.window(WindowId::frmWait)) main.unloadWindow(WindowId::frmWait);
    main.closeAbout();
    main.show();

    QPointer<FrmStart> splash = new FrmStart(&main);
    // cppcheck-suppress nullPointerRedundantCheck ; the load sequence runs events that may delete the splash
    splash->runLoadSequence(context.shell, context.clock);
    if (splash) splash->close();
    if (main.wasClosed()) return false;

    context.store.applyStartValues();
    main.open(WindowId::frmPort);
    return true;
}

AnalyserWindows::AnalyserWindows()
    : m_ports(PortTable::detect()), m_prober(m_ports),
      m_main(ShellServices{m_store, m_ui, m_clock, m_ports, m_prober, m_transfer, m_archive}) {
    m_ui.setParentWindow(&m_main);
    m_transfer.setContext(m_main.context());
    QObject::connect(&m_main, &FrmMain::saveAsRequested, &m_main, [this] {
        if (runSaveCommand(m_main.context()) == SaveResult::Saved) m_transfer.keeping().dataSaved(m_store);
    });
    m_transfer.keeping().setArchivedHandler([this] { m_main.refreshArchives(); });
    m_main.setQuitCheck([this] { return m_transfer.keeping().confirmQuit(m_store, m_ui); });
}

int runVorlAnalyser(QApplication& app) {
    QApplication::setApplicationName(QStringLiteral("VORL Analyser"));
    QApplication::setApplicationVersion(QStringLiteral(VORL_VERSION));
    installQtFrenchTranslations(app);

    AnalyserWindows windows;
    FrmMain& main = windows.main();

    // The program ends with its main window, whatever other window is still on screen; until the
    // start-up is over, closing it only ends the start-up.
    QApplication::setQuitOnLastWindowClosed(false);
    if (!runStartUp(main)) return 0;
    QObject::connect(&main, &FrmMain::closed, &app, &QCoreApplication::quit, Qt::QueuedConnection);
    if (main.wasClosed()) return 0;
    return app.exec();
}
