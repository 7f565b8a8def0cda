#pragma once

#include "support/Fakes.h"
#include "ui/shell/FrmMain.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QEventLoop>
#include <QStringList>
#include <QTimer>
#include <QWidget>
#include <memory>

class NoPortProber : public PortProber {
public:
    bool canOpen(int) override { return false; }
};

class NoTransferRunner : public TransferRunner {
public:
    void runTransfer(DataStore&) override {}
};

// A window that keeps its open flag like the program's windows and writes down when it opens and
// closes, so that tests can read the order of events in one list.
class RecordingWindow : public QWidget {
public:
    RecordingWindow(WindowId id, DataStore& store, QStringList& log) : m_id(id), m_store(store), m_log(log) {
        openFlag(m_store, m_id) = kTrue;
        setObjectName(QString::fromLatin1(windowName(id)));
        m_log << QStringLiteral("open ") + objectName();
        resize(200, 100);
    }

protected:
    void closeEvent(QCloseEvent* event) override {
        m_log << QStringLiteral("close ") + objectName();
        openFlag(m_store, m_id) = kFalse;
        event->accept();
    }

private:
    WindowId m_id;
    DataStore& m_store;
    QStringList& m_log;
};

// The real main window over fake services. Windows it opens are recording windows unless a test
// asks for the program's own factory.
struct ShellHarness {
    DataStore store;
    FakeUiServices ui;
    FakeClock clock;
    PortTable ports;
    NoPortProber prober;
    NoTransferRunner transfer;
    ArchiveWorker archive;
    QStringList log;
    std::unique_ptr<FrmMain> main;

    explicit ShellHarness(bool recordingWindows = true) {
        main = std::make_unique<FrmMain>(ShellServices{store, ui, clock, ports, prober, transfer, archive});
        if (recordingWindows)
            main->setWindowFactory(
                [this](WindowId id, AppContext&) -> QWidget* { return new RecordingWindow(id, store, log); });
    }
    ~ShellHarness() {
        main.reset();
        flushDeletes();
    }

    // Closed windows go at the next turn of the event loop, and their frames at the turn after.
    static void flushDeletes() {
        for (int turn = 0; turn < 3; ++turn) {
            QEventLoop loop;
            QTimer::singleShot(0, &loop, &QEventLoop::quit);
            loop.exec();
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        }
    }

    QAction* action(const char* name) const { return main->findChild<QAction*>(QString::fromLatin1(name)); }
};
