#pragma once

#include "core/platform/MainShell.h"
#include "core/platform/UiServices.h"
#include "core/store/DataStore.h"

#include <QString>
#include <functional>

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
