// temporary stand-in: only the header line is read and written until the real reader and writer land.
#include "core/files/SaveFile.h"

#include <QFile>
#include <QSaveFile>

namespace {
const QString kHeaderV3 = QStringLiteral("données_d_un_QLV_40!!!");
const QString kHeaderV5 = QStringLiteral("Données_d'un_QLV_40_Version_5!!!");
} // namespace

bool LoadSaveFile(DataStore& store, const QString& path, UiServices& ui, MainShell& shell) {
    Q_UNUSED(shell);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        ui.message(MessageIcon::None, QStringLiteral("Problème de fichier"),
                   QStringLiteral("Impossible d'ouvrir le fichier : ") + path);
        return false;
    }
    const QString header = QString::fromLatin1(file.readLine()).trimmed();
    if (header == kHeaderV3 || header == kHeaderV5) {
        store.Device_Version = header == kHeaderV3 ? 3 : 5;
        store.Data_Loaded = kTrue;
        return true;
    }
    ui.message(MessageIcon::Critical, QStringLiteral("Impossible d'ouvrir le fichier"),
               QStringLiteral("Ce fichier n'est pas un fichier de QLV 40 !!!!"));
    return false;
}

bool WriteSaveFile(const DataStore& store, const QString& path, int generation, int leqRows,
                   const std::function<void()>& progressStep, QString* error) {
    Q_UNUSED(store);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        if (error) *error = file.errorString();
        return false;
    }
    file.write(((generation == 3 ? kHeaderV3 : kHeaderV5) + QStringLiteral("\r\n")).toLatin1());
    const int steps = leqRows + 4096 + (generation == 3 ? 514 / 8 : 2560 / 8 + 682 * 6);
    for (int i = 0; i < steps; ++i)
        if (progressStep) progressStep();
    if (!file.commit()) {
        if (error) *error = file.errorString();
        return false;
    }
    return true;
}
