#pragma once

// Two save files from the project's generator for the command-line tests: three days of each
// generation from 20 November 2023, written into a temporary folder that goes with the object.

#include "core/files/SaveFile.h"
#include "sim/Generator.h"

#include <QDate>
#include <QTemporaryDir>

struct GeneratedFiles {
    QTemporaryDir dir;
    QString gen5 = dir.filePath(QStringLiteral("gen5.qlv"));
    QString gen3 = dir.filePath(QStringLiteral("gen3.qlv"));

    // False when a file could not be written.
    bool write() {
        DataStore store;
        GenerateIntoStore(store, {5, QDate(2023, 11, 20), 3, 3});
        if (!WriteSaveFile(store, gen5, 5, 8192)) return false;
        GenerateIntoStore(store, {3, QDate(2023, 11, 20), 3, 3});
        return WriteSaveFile(store, gen3, 3, 4096);
    }
};
