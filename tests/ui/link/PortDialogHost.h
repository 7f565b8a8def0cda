#pragma once

#include "core/link/TransferRunner.h"
#include "core/store/WindowId.h"
#include "ui/link/FrmPort.h"
#include "ui/shell/AppContext.h"
#include "ui/shell/WindowHost.h"

#include <QPointer>
#include <QWidget>
#include <map>
#include <vector>

// A work area without a main window: it builds frmPort for real and a bare widget for any other
// name, and records what the housekeeping asked of it.
class PortDialogHost : public WindowHost {
public:
    explicit PortDialogHost(DataStore& store) : m_store(store) {}

    void open(WindowId id) override {
        if (window(id)) unloadWindow(id);
        QWidget* created = id == WindowId::frmPort ? createFrmPort(*context) : new QWidget;
        if (id != WindowId::frmPort) openFlag(m_store, id) = kTrue;
        m_windows[id] = created;
        created->show();
    }
    QWidget* window(WindowId id) const override {
        auto it = m_windows.find(id);
        return it == m_windows.end() ? nullptr : it->second.data();
    }
    void show(QWidget* window) override { window->show(); }
    void closeOpenWindows() override {
        portFlagAtHousekeeping.push_back(m_store.Open_frmPort);
        CloseOpenWindows(m_store, *this);
    }
    void unloadWindow(WindowId id) override {
        unloaded.push_back(id);
        if (QWidget* widget = window(id)) {
            widget->close();
            if (id != WindowId::frmPort) openFlag(m_store, id) = kFalse;
        }
    }

    AppContext* context = nullptr;
    std::vector<WindowId> unloaded;
    std::vector<int16_t> portFlagAtHousekeeping; // Open_frmPort each time the housekeeping ran

private:
    DataStore& m_store;
    std::map<WindowId, QPointer<QWidget>> m_windows;
};

class CountingTransferRunner : public TransferRunner {
public:
    void runTransfer(DataStore&) override { ++runs; }
    int runs = 0;
};
