#include "ui/shell/Application.h"

#include "core/link/PortTable.h"
#include "core/link/SerialPortProber.h"
#include "core/platform/QtClock.h"
#include "ui/files/SaveCommandUi.h"
#include "ui/link/UiTransferRunner.h"
#include "ui/shell/FrmMain.h"
#include "ui/shell/FrmStart.h"
#include "ui/shell/QtUiServices.h"

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

int runVorlAnalyser(QApplication& app) {
    QApplication::setApplicationName(QStringLiteral("VORL Analyser"));
    QApplication::setApplicationVersion(QStringLiteral(VORL_VERSION));

    DataStore store;
    QtClock clock;
    QtUiServices ui;
    PortTable ports = PortTable::detect();
    SerialPortProber prober(ports);
    UiTransferRunner transfer;

    FrmMain main(ShellServices{store, ui, clock, ports, prober, transfer});
    ui.setParentWindow(&main);
    transfer.setContext(main.context());
    QObject::connect(&main, &FrmMain::saveAsRequested, &main, [&main] { runSaveCommand(main.context()); });

    // The program ends with its main window, whatever other window is still on screen; until the
    // start-up is over, closing it only ends the start-up.
    QApplication::setQuitOnLastWindowClosed(false);
    if (!runStartUp(main)) return 0;
    QObject::connect(&main, &FrmMain::closed, &app, &QCoreApplication::quit, Qt::QueuedConnection);
    if (main.wasClosed()) return 0;
    return app.exec();
}
