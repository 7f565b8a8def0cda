#pragma once

#include "core/files/SaveFile.h"
#include "sim/Generator.h"
#include "support/Fakes.h"

#include <QFile>
#include <QTemporaryDir>
#include <memory>

// Stores are large: tests keep them on the heap.
inline std::unique_ptr<DataStore> generatedStore(int generation, int days = 3, uint32_t seed = 7) {
    auto store = std::make_unique<DataStore>();
    GenerateIntoStore(*store, {generation, QDate(2009, 3, 5), days, seed});
    return store;
}

inline QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline bool writeAll(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

inline QByteArray savedBytes(const DataStore& store, int generation, const QString& path) {
    if (!WriteSaveFile(store, path, generation, generation == 3 ? 4096 : 8192)) return {};
    return readAll(path);
}

// A UI fake that also remembers every change of the mouse cursor.
class CursorRecordingUi : public FakeUiServices {
public:
    void setBusyCursor(bool busy) override {
        FakeUiServices::setBusyCursor(busy);
        cursorChanges.push_back(busy);
    }
    std::vector<bool> cursorChanges;
};
