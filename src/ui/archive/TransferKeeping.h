#pragma once

#include "core/archive/ArchiveTypes.h"
#include "core/store/DataStore.h"

#include <QString>
#include <functional>
#include <optional>

class ArchiveWorker;
class MainShell;
class UiServices;

// What became of the data of the last transfer: archived, saved to a file, or only in memory.
// Only a transfer that completed comes here. Archiving never touches the data in memory: when it
// fails, the data stays and the user is told, and "Quitter" asks before throwing it away.
class TransferKeeping {
public:
    // Archives the transfer just completed into the program's archive, on its thread: the caption says
    // it is under way, then its outcome; a failure also gets a message box. The data is counted as
    // kept nowhere until the archive has it.
    void archiveTransfer(const DataStore& store, ArchiveWorker& archive, UiServices& ui, MainShell& shell,
                         const QString& portName);

    // The data in memory was written to a save file.
    void dataSaved(const DataStore& store);

    // True while the store still holds a transfer that is neither archived nor saved.
    bool holdsUnkeptTransfer(const DataStore& store) const;

    // Before the program ends: waits for an archiving under way, then asks whether to leave when an
    // unkept transfer would be lost. True when the program may end.
    bool confirmQuit(const DataStore& store, UiServices& ui) const;

    // Runs after each archiving that added to the archive (the Archives window shows it).
    void setArchivedHandler(std::function<void()> handler) { m_archived = std::move(handler); }

private:
    // Puts the note first in the caption, in place of the previous one.
    void setCaptionNote(MainShell& shell, const QString& note);

    ArchiveWorker* m_archive = nullptr; // the archive of the last archiving
    int m_archivings = 0;
    std::optional<DeviceData> m_unkept; // the transfer's data while it is kept nowhere else
    QString m_captionNote;              // the archive note currently shown in the caption
    std::function<void()> m_archived;
};

// The separator between the main window's status line and the note of the last archiving.
inline const QString kCaptionNoteSeparator = QStringLiteral("  |  ");
// How the status line names a period of the archive loaded into memory.
inline const QString kLoadedPeriodCaption = QStringLiteral("Archive : appareil ");
