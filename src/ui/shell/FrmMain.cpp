#include "ui/shell/FrmMain.h"

#include "core/shell/ShellTexts.h"
#include "core/stats/ExportFiles.h"
#include "ui/archive/FrmArchives.h"
#include "ui/compliance/ComplianceWindow.h"
#include "ui/shell/FrmAbout.h"
#include "ui/shell/WindowFactory.h"
#include "ui/widgets/Pictures.h"

#include <QAction>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QWindow>

namespace {
// The bar entries "|" only separate the commands in the menu bar: they do nothing when chosen.
const QString kBarSeparator = QStringLiteral("|");

// The main window opens at a size that suits the windows it holds, never larger than the screen.
constexpr QSize kInitialSize(1024, 740);
} // namespace

FrmMain::FrmMain(const ShellServices& services, QWidget* parent)
    : QMainWindow(parent), m_context{services.store,  services.ui,    services.clock,  *this,
                                     *this,           services.ports, services.prober, services.transfer,
                                     services.archive},
      m_factory(createWindow) {
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(MainCaption());
    const QPixmap logo = loadPicture(QStringLiteral("Logo Vorl.bmp"));
    if (!logo.isNull()) setWindowIcon(QIcon(logo));

    m_area = new QMdiArea(this);
    m_area->setObjectName(QStringLiteral("MDIArea"));
    m_area->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_area->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setCentralWidget(m_area);
    // The progress of a transfer stays in view: a window brought forward meanwhile goes under it, once
    // the area has raised it.
    connect(m_area, &QMdiArea::subWindowActivated, this, &FrmMain::keepWaitWindowOnTop, Qt::QueuedConnection);

    buildMenus();

    QSize size = kInitialSize;
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        size = size.boundedTo(screen->availableGeometry().size() * 9 / 10);
    resize(size);
}

FrmMain::~FrmMain() {
    // The windows may still reach the services in their destructors: they go while the main
    // window and its context are whole.
    delete m_aboutBox;
    qDeleteAll(m_area->subWindowList());
}

void FrmMain::buildMenus() {
    QMenuBar* bar = menuBar();
    auto addBarEntry = [&](const char* name, const QString& caption) {
        auto* action = new QAction(caption, this);
        action->setObjectName(QString::fromLatin1(name));
        bar->addAction(action);
        return action;
    };
    auto addMenuEntry = [&](const char* name, const QString& caption) {
        auto* action = new QAction(caption, this);
        action->setObjectName(QString::fromLatin1(name));
        m_mnuAnalyse->addAction(action);
        return action;
    };
    auto addMenuSeparator = [&](const char* name) {
        m_mnuAnalyse->addSeparator()->setObjectName(QString::fromLatin1(name));
    };

    m_mnuPort = addBarEntry("mnuPort", QStringLiteral("&Sélection Port"));
    addBarEntry("sep3", kBarSeparator);
    m_mnuSave_As = addBarEntry("mnuSave_As", QStringLiteral("&Enregistrer Sous ..."));
    m_mnuSave_As->setEnabled(false);
    addBarEntry("sep4", kBarSeparator);

    m_mnuAnalyse = new QMenu(QStringLiteral("&Analyse"), this);
    m_mnuAnalyse->setObjectName(QStringLiteral("mnuAnalyse"));
    m_mnuAnalyse->menuAction()->setObjectName(QStringLiteral("mnuAnalyse"));
    bar->addMenu(m_mnuAnalyse);
    QAction* graph = addMenuEntry("mnuGraphique", QStringLiteral("Graphique Leq"));
    QAction* tabLeq = addMenuEntry("mnuTab_Leq", QStringLiteral("Tableau Leq"));
    addMenuSeparator("sep1");
    QAction* events = addMenuEntry("mnuEvenements", QStringLiteral("Tableau Evénements"));
    addMenuSeparator("sep2");
    QAction* params = addMenuEntry("mnuParametres", QStringLiteral("Tableau Paramètres"));
    // Added after the entries of the original program, which keep their places and captions.
    addMenuSeparator("sepStatistiques");
    QAction* stats = addMenuEntry("mnuStatistiques", QStringLiteral("Statistiques"));
    QAction* exportData = addMenuEntry("mnuExporter", QStringLiteral("Exporter ..."));

    // The archive of every download, beside the analysis menu whose windows it feeds.
    addBarEntry("sep7", kBarSeparator);
    m_mnuArchives = new QMenu(QStringLiteral("&Archives"), this);
    m_mnuArchives->setObjectName(QStringLiteral("mnuArchivesMenu"));
    m_mnuArchives->menuAction()->setObjectName(QStringLiteral("mnuArchivesMenu"));
    bar->addMenu(m_mnuArchives);
    QAction* archives = m_mnuArchives->addAction(QStringLiteral("Archives ..."));
    archives->setObjectName(QStringLiteral("mnuArchives"));
    connect(archives, &QAction::triggered, this, &FrmMain::showArchives);
    QAction* compliance = m_mnuArchives->addAction(QStringLiteral("Conformité ..."));
    compliance->setObjectName(QStringLiteral("mnuConformite"));
    connect(compliance, &QAction::triggered, this, &FrmMain::showCompliance);

    addBarEntry("sep5", kBarSeparator);
    m_mnuAbout = addBarEntry("mnuAbout", QStringLiteral("A Propos de ..."));
    addBarEntry("sep6", kBarSeparator);
    m_mnuQuitter = addBarEntry("mnuQuitter", QStringLiteral("&Quitter"));

    connect(m_mnuPort, &QAction::triggered, this, [this] { open(WindowId::frmPort); });
    connect(m_mnuSave_As, &QAction::triggered, this, &FrmMain::saveAsRequested);
    connect(graph, &QAction::triggered, this, [this] { runAnalysisCommand(AnalysisCommand::mnuGraphique); });
    connect(tabLeq, &QAction::triggered, this, [this] { runAnalysisCommand(AnalysisCommand::mnuTab_Leq); });
    connect(events, &QAction::triggered, this,
            [this] { runAnalysisCommand(AnalysisCommand::mnuEvenements); });
    connect(params, &QAction::triggered, this,
            [this] { runAnalysisCommand(AnalysisCommand::mnuParametres); });
    connect(stats, &QAction::triggered, this,
            [this] { runAnalysisCommand(AnalysisCommand::mnuStatistiques); });
    connect(exportData, &QAction::triggered, this,
            [this] { RunExportCommand(m_context.store, m_context.ui); });
    connect(m_mnuAbout, &QAction::triggered, this, &FrmMain::showAbout);
    connect(m_mnuQuitter, &QAction::triggered, this, &FrmMain::quit);
}

// --- MainShell -----------------------------------------------------------------------------------

void FrmMain::setCaption(const QString& caption) {
    setWindowTitle(caption);
}
QString FrmMain::caption() const {
    return windowTitle();
}

QAction* FrmMain::menuAction(MenuEntry entry) const {
    switch (entry) {
    case MenuEntry::mnuPort:
        return m_mnuPort;
    case MenuEntry::mnuSave_As:
        return m_mnuSave_As;
    case MenuEntry::mnuAnalyse:
        return m_mnuAnalyse->menuAction();
    case MenuEntry::mnuAbout:
        return m_mnuAbout;
    case MenuEntry::mnuQuitter:
        return m_mnuQuitter;
    }
    return nullptr;
}

void FrmMain::setMenuEnabled(MenuEntry entry, bool enabled) {
    if (QAction* action = menuAction(entry)) action->setEnabled(enabled);
    // The archive windows load data and close windows as the analysis commands do: one lock for both.
    if (entry == MenuEntry::mnuAnalyse) m_mnuArchives->menuAction()->setEnabled(enabled);
}

bool FrmMain::isMenuEnabled(MenuEntry entry) const {
    const QAction* action = menuAction(entry);
    return action && action->isEnabled();
}

void FrmMain::setMainEnabled(bool enabled) {
    setEnabled(enabled);
}
bool FrmMain::isMainEnabled() const {
    return isEnabled();
}

// --- WindowHost ----------------------------------------------------------------------------------

void FrmMain::open(WindowId id) {
    if (window(id))
        unloadWindow(id);
    else
        slot(id) = nullptr; // a window that closed itself and is not gone yet
    QWidget* created = m_factory ? m_factory(id, m_context) : nullptr;
    if (!created) return;
    // A window that unloaded itself during its load (its flag is already down) is not shown.
    if (!isTrue(openFlag(m_context.store, id))) {
        created->deleteLater();
        return;
    }
    slot(id) = created;
    show(created);
}

QWidget* FrmMain::window(WindowId id) const {
    QWidget* loaded = slot(id);
    return loaded && isTrue(openFlag(m_context.store, id)) ? loaded : nullptr;
}

void FrmMain::show(QWidget* child) {
    if (!child) return;
    // A window keeps the size and the place it gave itself; one that did not place itself is centred.
    const bool placed = child->testAttribute(Qt::WA_Moved);
    const QPoint place = child->pos();
    const bool sized = child->testAttribute(Qt::WA_Resized);
    const QSize size = child->size();

    // Closing a window unloads it: the next open() builds it afresh.
    child->setAttribute(Qt::WA_DeleteOnClose);
    QMdiSubWindow* frame = m_area->addSubWindow(child);
    frame->setAttribute(Qt::WA_DeleteOnClose);
    // A window that closes itself leaves no empty frame behind.
    connect(child, &QObject::destroyed, frame, &QObject::deleteLater);
    child->installEventFilter(this);
    if (sized) frame->resize(size.grownBy(frame->contentsMargins()));
    const QSize room = growToHold(frame->size());
    if (placed) {
        frame->move(place);
    } else {
        frame->move(qMax(0, (room.width() - frame->width()) / 2),
                    qMax(0, (room.height() - frame->height()) / 3));
    }
    frame->show();
    child->show();
}

QSize FrmMain::growToHold(const QSize& frameSize) {
    // A window taller or wider than the work area would be cut: the main window grows to hold it, as
    // far as the screen allows (a maximised window stays as it is and the area scrolls).
    const QSize room = m_area->viewport()->size();
    const QSize missing(qMax(0, frameSize.width() - room.width()),
                        qMax(0, frameSize.height() - room.height()));
    if (missing == QSize(0, 0) || isMaximized() || isFullScreen()) return room;
    QSize wanted = size() + missing;
    if (const QScreen* shown = screen()) wanted = wanted.boundedTo(shown->availableGeometry().size());
    const QSize grown = wanted - size();
    resize(wanted);
    return room + grown;
}

void FrmMain::unloadWindow(WindowId id) {
    QPointer<QWidget> loaded = slot(id);
    slot(id) = nullptr;
    if (loaded && !loaded->close()) slot(id) = loaded; // the window refused: it stays loaded
}

void FrmMain::closeOpenWindows() {
    CloseOpenWindows(m_context.store, *this);
}

bool FrmMain::eventFilter(QObject* watched, QEvent* event) {
    // A window hidden or shown by its own code takes its frame with it (the data-source dialog hides
    // during a transfer). The frame's own minimise and shade also hide the window: those are left alone.
    if (event->type() == QEvent::HideToParent || event->type() == QEvent::ShowToParent) {
        auto* child = qobject_cast<QWidget*>(watched);
        auto* frame = child ? qobject_cast<QMdiSubWindow*>(child->parentWidget()) : nullptr;
        if (frame && frame->widget() == child) {
            if (event->type() == QEvent::HideToParent && child->isHidden() && !frame->isMinimized() &&
                !frame->isShaded())
                frame->hide();
            else if (event->type() == QEvent::ShowToParent && frame->isHidden())
                frame->show();
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

// --- Commands ------------------------------------------------------------------------------------

void FrmMain::runAnalysisCommand(AnalysisCommand command) {
    PrepareAnalysisCommand(m_context.store, *this, command);
    open(WindowId::frmData_Type);
}

void FrmMain::showAbout() {
    if (m_aboutBox) {
        m_aboutBox->raise();
        m_aboutBox->activateWindow();
        return;
    }
    auto* about = new FrmAbout(m_context);
    m_aboutBox = about;
    connect(about, &FrmAbout::closed, this, [this] { m_aboutBox = nullptr; });
    // The about box is not a child of the main window, which is disabled while it shows and would
    // disable it too; the window system still keeps it above the main window, centred on it.
    about->move(frameGeometry().center() - about->rect().center());
    about->winId();
    if (about->windowHandle() && windowHandle()) about->windowHandle()->setTransientParent(windowHandle());
    about->show();
}

void FrmMain::showArchives() {
    if (m_archives) {
        if (auto* frame = m_archives->parentWidget()) frame->showNormal();
        m_archives->setFocus();
        refreshArchives();
        return;
    }
    auto* archives = new FrmArchives(m_context);
    m_archives = archives;
    show(archives);
    archives->setFocus();
}

void FrmMain::showCompliance() {
    if (m_compliance) {
        if (auto* frame = m_compliance->parentWidget()) frame->showNormal();
        m_compliance->setFocus();
        return;
    }
    auto* compliance = new ComplianceWindow(m_context);
    m_compliance = compliance;
    show(compliance);
    compliance->setFocus();
}

void FrmMain::refreshArchives() {
    if (auto* archives = qobject_cast<FrmArchives*>(m_archives.data())) archives->refresh();
}

void FrmMain::closeAbout() {
    if (m_aboutBox) m_aboutBox->close();
}

void FrmMain::quit() {
    if (m_quitCheck && !m_quitCheck()) return;
    PrepareQuit(m_context.store, *this);
    close();
}

void FrmMain::closeEvent(QCloseEvent* event) {
    // Closing the main window ends the program: it is never refused, and every window still open
    // runs its own close logic first (the transfer window stops a transfer in progress).
    closeAbout();
    closeOpenWindows();
    m_closed = true;
    event->accept();
    Q_EMIT closed();
}

void FrmMain::changeEvent(QEvent* event) {
    if (event->type() == QEvent::WindowStateChange) {
        const Qt::WindowStates state = windowState();
        if (state & Qt::WindowMinimized)
            applyWaitWindowRule(MainWindowState::Minimised);
        else if (state & Qt::WindowMaximized)
            applyWaitWindowRule(MainWindowState::Maximised);
        else
            applyWaitWindowRule(MainWindowState::Normal);
    }
    QMainWindow::changeEvent(event);
}

void FrmMain::keepWaitWindowOnTop() {
    QWidget* wait = window(WindowId::frmWait);
    if (auto* frame = wait ? qobject_cast<QMdiSubWindow*>(wait->parentWidget()) : nullptr) frame->raise();
}

void FrmMain::applyWaitWindowRule(MainWindowState state) {
    QWidget* wait = window(WindowId::frmWait);
    if (!wait) return;
    switch (WaitWindowChangeOn(m_context.store, state)) {
    case WaitWindowChange::Hide:
        wait->hide();
        break;
    case WaitWindowChange::Show:
        wait->show();
        break;
    case WaitWindowChange::None:
        break;
    }
}
