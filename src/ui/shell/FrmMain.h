#pragma once

#include "core/link/PortTable.h"
#include "core/link/TransferRunner.h"
#include "core/platform/Clock.h"
#include "core/platform/MainShell.h"
#include "core/platform/UiServices.h"
#include "core/shell/MainMenuRules.h"
#include "core/store/DataStore.h"
#include "ui/shell/AppContext.h"
#include "ui/shell/WindowHost.h"

#include <QMainWindow>
#include <QPointer>
#include <array>
#include <functional>

class QAction;
class QMdiArea;
class QMenu;

// The services the main window hands to every window it opens.
struct ShellServices {
    DataStore& store;
    UiServices& ui;
    Clock& clock;
    PortTable& ports;
    PortProber& prober;
    TransferRunner& transfer;
    ArchiveWorker& archive;
};

// frmMain: the program's one top-level window. Its title bar is the status line, its menu bar
// carries every command, and every other window of the program opens inside its work area.
class FrmMain : public QMainWindow, public MainShell, public WindowHost {
    Q_OBJECT
public:
    using WindowFactoryFn = std::function<QWidget*(WindowId, AppContext&)>;

    explicit FrmMain(const ShellServices& services, QWidget* parent = nullptr);
    ~FrmMain() override;

    AppContext& context() { return m_context; }

    // MainShell
    void setCaption(const QString& caption) override;
    QString caption() const override;
    void setMenuEnabled(MenuEntry entry, bool enabled) override;
    bool isMenuEnabled(MenuEntry entry) const override;
    void setMainEnabled(bool enabled) override;
    bool isMainEnabled() const override;

    // WindowHost (QWidget's own window() and show() stay reachable)
    using QMainWindow::show;
    using QMainWindow::window;
    void open(WindowId id) override;
    QWidget* window(WindowId id) const override;
    void show(QWidget* window) override;
    void closeOpenWindows() override;
    void unloadWindow(WindowId id) override;

    // The menu commands, as the menu entries run them.
    void runAnalysisCommand(AnalysisCommand command);
    void showAbout();
    void quit();
    // The Archives window, opened once and raised when asked again; refreshed after an archiving.
    void showArchives();
    void refreshArchives();
    // The "Conformité" window, opened once and raised when asked again.
    void showCompliance();
    // cppcheck-suppress CastIntegerToAddressAtReturn ; a QPointer, not an integer
    QWidget* complianceWindow() const { return m_compliance; }
    // cppcheck-suppress CastIntegerToAddressAtReturn ; a QPointer, not an integer
    QWidget* archivesWindow() const { return m_archives; }

    // The about box while it is open, or nullptr.
    // cppcheck-suppress CastIntegerToAddressAtReturn ; a QPointer, not an integer
    QWidget* aboutBox() const { return m_aboutBox; }
    // Closes the about box if it is open (its close enables the main window again).
    void closeAbout();

    // True once the main window has been closed: the program is ending.
    bool wasClosed() const { return m_closed; }

    // Asked by "&Quitter" before anything closes; false keeps the program running.
    void setQuitCheck(std::function<bool()> check) { m_quitCheck = std::move(check); }

    // Where open() gets its windows; tests put recording windows here.
    void setWindowFactory(WindowFactoryFn factory) { m_factory = std::move(factory); }

Q_SIGNALS:
    // The save command of "&Enregistrer Sous ..." is wired by whoever builds the program.
    void saveAsRequested();
    // The main window has closed; the program ends.
    void closed();

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Grows the main window so that a frame of this size fits its work area; the room it then has.
    QSize growToHold(const QSize& frameSize);
    void buildMenus();
    QAction* menuAction(MenuEntry entry) const;
    void applyWaitWindowRule(MainWindowState state);
    void keepWaitWindowOnTop();

    AppContext m_context;
    QMdiArea* m_area = nullptr;
    QAction* m_mnuPort = nullptr;
    QAction* m_mnuSave_As = nullptr;
    QMenu* m_mnuAnalyse = nullptr;
    QAction* m_mnuAbout = nullptr;
    QAction* m_mnuQuitter = nullptr;
    QPointer<QWidget> m_aboutBox;
    QMenu* m_mnuArchives = nullptr;
    QPointer<QWidget> m_archives;
    QPointer<QWidget> m_compliance;
    std::array<QPointer<QWidget>, kClosableWindows.size()> m_windows;
    WindowFactoryFn m_factory;
    std::function<bool()> m_quitCheck;
    bool m_closed = false;

    QPointer<QWidget>& slot(WindowId id) { return m_windows[static_cast<std::size_t>(id)]; }
    const QPointer<QWidget>& slot(WindowId id) const { return m_windows[static_cast<std::size_t>(id)]; }
};
