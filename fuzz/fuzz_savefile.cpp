// The save-file reader on arbitrary bytes: any file a user may pick must be refused or read,
// never crash, and a refused file must leave the data in memory untouched.
#include "FuzzSupport.h"

#include "core/files/SaveFile.h"
#include "core/store/DataStore.h"

#include <QFile>
#include <QTemporaryDir>
#include <cstdlib>

namespace {

struct Fixture {
    QTemporaryDir dir;
    QString path;
    DataStore reference;
    Fixture() : path(dir.filePath(QStringLiteral("input.qlv"))) {
        reference.applyStartValues();
        reference.Leq_Records(1, 1) = 42;
        reference.Transfer_Date = QStringLiteral("01/02/2009");
    }
};

Fixture& fixture() {
    static Fixture f;
    return f;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Fixture& f = fixture();
    {
        QFile file(f.path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) std::abort();
        file.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size));
    }
    DataStore store = f.reference;
    SilentUiServices ui;
    SilentMainShell shell;
    const bool loaded = LoadSaveFile(store, f.path, ui, shell);
    if (!loaded &&
        !(store.deviceData() == f.reference.deviceData() &&
          store.Device_Version == f.reference.Device_Version && store.Data_Loaded == f.reference.Data_Loaded))
        std::abort();                                // a refused file changed the data
    if (!loaded && ui.messages() == 0) std::abort(); // refused without telling the user
    if (loaded && store.Device_Version != 3 && store.Device_Version != 5) std::abort();
    return 0;
}
