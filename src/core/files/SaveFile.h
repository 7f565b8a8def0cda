#pragma once

#include "core/platform/MainShell.h"
#include "core/platform/UiServices.h"
#include "core/store/DataStore.h"

#include <QByteArray>
#include <QString>
#include <functional>
#include <optional>

// Why a save file was refused: the message box that says so, in the words the window shows.
struct SaveFileProblem {
    MessageIcon icon = MessageIcon::Critical;
    QString title;
    QString text;
};

// A save file as read: its data, the generation its header names and the very bytes that were read;
// or, when it was refused, why.
struct [[nodiscard]] SaveFileRead {
    std::optional<SaveFileProblem> problem;
    DeviceData data;
    int generation = 0;
    QByteArray bytes;
    bool ok() const { return !problem; }
};

// Reads a .qlv save file without showing anything. The data starts from `base`, so that what a file
// does not carry keeps its value there (rows past a generation-3 file's). Only a regular file (or a
// link to one) is opened: a FIFO or a device would block the opening or the reading for good.
SaveFileRead ReadSaveFile(const QString& path, const DeviceData& base = DeviceData{});
// The same for bytes received some other way (a download sent to the server).
SaveFileRead ReadSaveFileFromBytes(QByteArray bytes, const DeviceData& base = DeviceData{});

// Reads a .qlv save file into the store. The file is read into a scratch data set first and
// committed only when it was read completely: a refused file leaves the store, the generation,
// the caption and the menus as they were. Shows its own messages; returns true (and sets
// Data_Loaded) on success.
bool LoadSaveFile(DataStore& store, const QString& path, UiServices& ui, MainShell& shell);

// The bytes of the store as a save file of the given generation; empty for an unknown generation or
// row count.
QByteArray SaveFileContent(const DataStore& store, int generation, int leqRows,
                           const std::function<void()>& progressStep = {});

// Writes the store as a save file of the given generation (3: 4096 level rows, 5: 8192).
// progressStep runs at each progress step of the writing. The file is replaced only when the whole
// file was written (a device, pipe or folder is refused); returns false (with the system's reason in
// *error) when it could not be written.
bool WriteSaveFile(const DataStore& store, const QString& path, int generation, int leqRows,
                   const std::function<void()>& progressStep = {}, QString* error = nullptr);
// As WriteSaveFile, for the bytes of SaveFileContent when the caller needs them too (to send them).
bool WriteSaveFileContent(const QString& path, const QByteArray& content, QString* error = nullptr);
