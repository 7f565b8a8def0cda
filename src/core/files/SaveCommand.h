#pragma once

#include "core/files/SaveProgress.h"
#include "core/platform/Clock.h"
#include "core/platform/MainShell.h"
#include "core/platform/UiServices.h"
#include "core/store/DataStore.h"

#include <QDate>
#include <QString>
#include <functional>

// The save progress window as the save command drives it: the user interface shows a window, the
// tests record the calls.
class SaveProgressSink {
public:
    virtual ~SaveProgressSink() = default;
    virtual void open(const SaveProgressView& view) = 0;
    virtual void step(const SaveProgressView& view) = 0;
    virtual void close() = 0;
};

// What the save command works with.
struct SaveCommandEnv {
    DataStore& store;
    UiServices& ui;
    MainShell& shell;
    Clock& clock;
    SaveProgressSink& progress;
    std::function<void()> closeOpenWindows;
    std::function<QDate()> today = {}; // empty: the system date
};

enum class SaveResult { Saved, NoData, Cancelled, Failed };

// Generation and number of level rows a save writes for the store's generation.
struct SaveLayout {
    int generation;
    int leqRows;
};
SaveLayout SaveLayoutFor(int deviceVersion);

// "Données QLV 40 du dd <month> yyyy au dd <month> yyyy" from the first and last rows of rows 1..rows
// with a valid date; "" when no row has one.
QString DefaultSaveName(const LeqTable& records, int rows);
// The name offered for the store: the days of a period loaded from the archive, else as above.
QString DefaultSaveName(const DataStore& store, int rows);
// "Sauvegarde QLV 40 du dd-mm-yyyy", the name offered when the first attempt failed.
QString DatedSaveName(const QDate& today);
// The name as written always ends in ".qlv" in lower case, the only names the data-source dialog
// opens again: "x.QLV" becomes "x.qlv", any other name gets ".qlv" added ("foo.txt.qlv").
QString WithSaveExtension(const QString& path);

// The "&Enregistrer Sous ..." command: asks for a file, writes the store with its progress window and
// keeps the main menus locked meanwhile. When the name written differs from the one chosen and that
// file exists, the user is asked before it is replaced ("Non" shows the file dialog again). A first attempt
// that fails (no dated record, file not written) is retried once under a name made of today's date.
SaveResult SaveDataAs(SaveCommandEnv& env, int generation, int leqRows);
inline SaveResult SaveDataAs(SaveCommandEnv& env) {
    const SaveLayout layout = SaveLayoutFor(env.store.Device_Version);
    return SaveDataAs(env, layout.generation, layout.leqRows);
}
