#pragma once

#include "support/Fakes.h"
#include "support/PdfPrinterSource.h"
#include "ui/shell/AppContext.h"
#include "ui/tables/TablePrinting.h"

#include <QPdfWriter>
#include <QPointer>
#include <QTemporaryDir>
#include <QWidget>
#include <functional>
#include <gtest/gtest.h>
#include <map>

// A work area for the table windows: it creates the windows it is asked to open through the given
// factories and unloads them the way the main window does (their own close logic runs).
namespace {
class TablesWindowHost : public WindowHost {
public:
    explicit TablesWindowHost(DataStore& store) : m_store(store) {}
    ~TablesWindowHost() override {
        for (auto& [id, window] : m_windows)
            delete window.data();
    }

    void open(WindowId id) override {
        opened.push_back(id);
        if (QWidget* old = window(id)) {
            old->close();
            delete old;
        }
        auto factory = factories.find(id);
        if (factory != factories.end()) m_windows[id] = factory->second();
    }
    QWidget* window(WindowId id) const override {
        auto it = m_windows.find(id);
        return it == m_windows.end() ? nullptr : it->second.data();
    }
    void show(QWidget* window) override { window->show(); }
    void closeOpenWindows() override {
        ++closeOpenWindowsCalls;
        CloseOpenWindows(m_store, *this);
    }
    void unloadWindow(WindowId id) override {
        unloaded.push_back(id);
        if (QWidget* w = window(id)) w->close();
        openFlag(m_store, id) = kFalse;
    }
    // Keeps a window made by the test so the housekeeping can close it.
    void adopt(WindowId id, QWidget* window) { m_windows[id] = window; }

    std::map<WindowId, std::function<QWidget*()>> factories;
    std::vector<WindowId> opened, unloaded;
    int closeOpenWindowsCalls = 0;

private:
    DataStore& m_store;
    std::map<WindowId, QPointer<QWidget>> m_windows;
};

class TablesPortProber : public PortProber {
public:
    bool canOpen(int) override { return false; }
};

class TablesTransferRunner : public TransferRunner {
public:
    void runTransfer(DataStore&) override {}
};

// Everything a window needs, from fakes.
struct TablesUiTest : ::testing::Test {
    DataStore store;
    FakeUiServices ui;
    FakeClock clock;
    FakeMainShell shell;
    TablesWindowHost host{store};
    PortTable ports;
    TablesPortProber prober;
    TablesTransferRunner transfer;
    ArchiveWorker archive;
    AppContext ctx{store, ui, clock, shell, host, ports, prober, transfer, archive};
    QTemporaryDir dir;
    PdfPrinterSource printer;

    void SetUp() override {
        printer.path = dir.filePath(QStringLiteral("print.pdf"));
        setPrinterSource(&printer);
    }
    void TearDown() override { setPrinterSource(nullptr); }
};
} // namespace
