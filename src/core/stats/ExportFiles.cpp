#include "core/stats/ExportFiles.h"

#include "core/files/OutputTarget.h"

#include <QDir>
#include <QFileInfo>

namespace {
constexpr ExportWhat kAll[] = {ExportWhat::Levels, ExportWhat::Events, ExportWhat::Parameters};
}

QStringList ExportFilePaths(const QString& chosenPath) {
    QString base = chosenPath;
    if (base.endsWith(QStringLiteral(".csv"), Qt::CaseInsensitive)) base.chop(4);
    QStringList paths;
    for (ExportWhat what : kAll)
        paths << base + QLatin1Char('-') + ExportFileSuffix(what) + QStringLiteral(".csv");
    return paths;
}

bool WriteExportFiles(const DataStore& store, const QString& chosenPath, QString* failedPath) {
    const QStringList paths = ExportFilePaths(chosenPath);
    for (int i = 0; i < 3; ++i) {
        // Through the one checked writer: a device or pipe is refused, a failed write keeps the old file.
        QString reason;
        if (!writeFileReplacing(paths[i], ToCsv(BuildExport(store, kAll[i])), reason)) {
            if (failedPath) *failedPath = paths[i];
            return false;
        }
    }
    return true;
}

bool RunExportCommand(const DataStore& store, UiServices& ui) {
    if (!isTrue(store.Data_Loaded)) {
        ui.message(MessageIcon::Information, kExportTitle, kExportNoData);
        return false;
    }
    const std::optional<QString> chosen = ui.saveFileName(QStringLiteral("QLV40.csv"), kExportFilter);
    if (!chosen || chosen->isEmpty()) return false;
    // The file dialog only knew the name typed, which is never written itself: the three files that
    // are written are asked about here.
    QStringList existing;
    for (const QString& path : ExportFilePaths(*chosen))
        if (QFileInfo::exists(path)) existing << QDir::toNativeSeparators(path);
    if (!existing.isEmpty() &&
        !ui.question(kExportTitle, kExportReplace + QLatin1Char('\n') + existing.join(QLatin1Char('\n')) +
                                       QLatin1Char('\n') + kExportReplaceQuestion))
        return false;
    QString failed;
    ui.setBusyCursor(true);
    const bool written = WriteExportFiles(store, *chosen, &failed);
    ui.setBusyCursor(false);
    if (!written) {
        ui.message(MessageIcon::Critical, kExportTitle,
                   kExportFailed + QDir::toNativeSeparators(failed) + QStringLiteral(" !!!"));
        return false;
    }
    QString text = kExportDone;
    for (const QString& path : ExportFilePaths(*chosen))
        text += QLatin1Char('\n') + QDir::toNativeSeparators(path);
    ui.message(MessageIcon::Information, kExportTitle, text);
    return true;
}
