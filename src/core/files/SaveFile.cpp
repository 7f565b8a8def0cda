// temporary stand-in
#include "core/files/SaveFile.h"

bool LoadSaveFile(DataStore&, const QString&, UiServices&, MainShell&) {
    return false;
}

bool WriteSaveFile(const DataStore&, const QString&, int, int, const std::function<void()>&, QString* error) {
    if (error) *error = QStringLiteral("save files are not available in this build");
    return false;
}
