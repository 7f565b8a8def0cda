#pragma once

// Widget-side fakes for the window tests: a main-window host and an AppContext built from fakes.
// Header-only, for the ui suite (the support library itself does not link the widgets).

#include "support/FakePortProber.h"
#include "support/FakeTransferRunner.h"
#include "support/Fakes.h"
#include "ui/shell/AppContext.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QEvent>
#include <QPointer>
#include <QWidget>
#include <functional>
#include <map>
#include <vector>

// Stands for a window of another part of the program: its load runs the housekeeping (not for the
// two progress windows) and sets its flag, its close clears the flag, as every real window does.
class FakeLoadedWindow : public QWidget {
public:
    FakeLoadedWindow(DataStore& store, WindowId id, WindowCloser& closer) : m_store(store), m_id(id) {
        if (id != WindowId::frmWait && id != WindowId::frmWait_Save) CloseOpenWindows(store, closer);
        openFlag(store, id) = kTrue;
        setObjectName(QString::fromLatin1(windowName(id)));
    }
    ~FakeLoadedWindow() override { unload(); }

protected:
    void closeEvent(QCloseEvent* event) override {
        unload();
        event->accept();
    }

private:
    void unload() {
        if (m_loaded) openFlag(m_store, m_id) = kFalse;
        m_loaded = false;
    }
    DataStore& m_store;
    WindowId m_id;
    bool m_loaded = true;
};

// The main window's work area: windows are made by a factory per name (FakeLoadedWindow when none is
// given), shown as top-level widgets, and unloaded the way the real host does it (close, then deleted
// later, since a window may be unloaded from inside its own handler).
class FakeWindowHost : public WindowHost {
public:
    explicit FakeWindowHost(DataStore& store) : m_store(store) {}
    ~FakeWindowHost() override { destroyAll(); }

    // Deletes every window, those waiting for deletion included.
    void destroyAll() {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        for (auto& [id, window] : m_windows)
            delete window.data();
        for (auto& window : m_shown)
            delete window.data();
        m_windows.clear();
        m_shown.clear();
    }

    void open(WindowId id) override {
        if (window(id)) unloadWindow(id);
        opened.push_back(id);
        auto it = factories.find(id);
        QWidget* created = it != factories.end() ? it->second() : new FakeLoadedWindow(m_store, id, *this);
        m_windows[id] = created;
        created->show();
    }
    QWidget* window(WindowId id) const override {
        auto it = m_windows.find(id);
        return it == m_windows.end() ? nullptr : it->second.data();
    }
    void show(QWidget* window) override {
        m_shown.push_back(window);
        window->show();
    }
    void closeOpenWindows() override { CloseOpenWindows(m_store, *this); }
    void unloadWindow(WindowId id) override {
        unloaded.push_back(id);
        if (QWidget* w = window(id)) {
            w->close();
            w->deleteLater();
        }
        m_windows.erase(id);
        openFlag(m_store, id) = kFalse;
    }

    // Registers a window made elsewhere (a test that builds the window itself).
    void adopt(WindowId id, QWidget* window) { m_windows[id] = window; }

    std::map<WindowId, std::function<QWidget*()>> factories;
    std::vector<WindowId> opened;
    std::vector<WindowId> unloaded;

private:
    DataStore& m_store;
    std::map<WindowId, QPointer<QWidget>> m_windows;
    std::vector<QPointer<QWidget>> m_shown;
};

// Everything a window needs, from fakes. The windows go first: they still reach the context when
// they unload.
struct FakeAppContext {
    ~FakeAppContext() { windows.destroyAll(); }

    DataStore store;
    FakeUiServices ui;
    FakeClock clock;
    FakeMainShell shell;
    PortTable ports;
    FakePortProber prober;
    FakeTransferRunner transfer;
    ArchiveWorker archive; // VORL_ARCHIVE as the test set it before
    FakeWindowHost windows{store};
    AppContext ctx{store, ui, clock, shell, windows, ports, prober, transfer, archive};
};
