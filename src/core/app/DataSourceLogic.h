#pragma once

#include "core/link/TransferRunner.h"
#include "core/platform/MainShell.h"
#include "core/platform/UiServices.h"
#include "core/store/DataStore.h"
#include "core/store/WindowId.h"

#include <QString>
#include <optional>

// The rules of the data-source dialog frmData_Type, which stands between an analysis command of the
// menu and the window that shows the data.

enum class DataSourceOption { None, LastData, SaveFile, Transfer };

// The dialog as its load leaves it.
struct DataSourceLoadState {
    QString frameCaption;
    bool lastDataEnabled = false;
    bool transferEnabled = false;
    DataSourceOption selected = DataSourceOption::None;
    bool okEnabled = false;
};
DataSourceLoadState DataSourceStateAtLoad(const DataStore& store);

// A save file is recognised by the last three characters of its name, "qlv" in lower case only.
bool HasSaveFileExtension(const QString& path);

// Cmd_Search: asks for a save file and sets Save_File_Path. Returns the text Text_Save_Data shows;
// a refused or cancelled choice empties both.
QString SearchSaveFile(DataStore& store, UiServices& ui);

// The day/night defaults the graph dialog offers, from the parameter zone.
void SetGraphTemplateTexts(DataStore& store);

// The window that follows the dialog for a view and a generation; none for an unknown view.
std::optional<WindowId> FollowUpWindow(const QString& requestedView, int generation);

// What Cmd_Ok does to windows: the dialog itself and the other windows of the main window.
class DataSourceWindows {
public:
    virtual ~DataSourceWindows() = default;
    virtual void setDialogVisible(bool visible) = 0;
    // Closes the dialog unless the housekeeping already did.
    virtual void closeDialog() = 0;
    // Unloads the window if it is open.
    virtual void closeWindow(WindowId id) = 0;
    virtual void openWindow(WindowId id) = 0;
};

struct DataSourceEnv {
    DataStore& store;
    UiServices& ui;
    MainShell& shell;
    TransferRunner& transfer;
    DataSourceWindows& windows;
};

enum class DataSourceResult {
    FollowUpOpened, // the data is there and the next window is open; the dialog is closed
    DialogClosed,   // the transfer did not bring data; the dialog is closed
    DialogKeptOpen, // no file or a file that could not be read: the user chooses again
};

// Cmd_Ok for the selected option; shownFile is the text of Text_Save_Data.
DataSourceResult DataSourceOk(DataSourceEnv& env, DataSourceOption option, const QString& shownFile);
