#pragma once

#include "core/platform/UiServices.h"
#include "core/stats/Export.h"
#include "core/store/DataStore.h"

#include <QString>
#include <QStringList>

inline const QString kExportFilter = QStringLiteral("Fichiers CSV (*.csv)|*.csv");
inline const QString kExportTitle = QStringLiteral("Exportation des données");
inline const QString kExportNoData =
    QStringLiteral("Aucune donnée en mémoire. Veuillez d'abord lire l'appareil ou ouvrir une sauvegarde !!!");
inline const QString kExportFailed = QStringLiteral("Impossible d'écrire le fichier ");
inline const QString kExportReplace = QStringLiteral("Ces fichiers existent déjà :");
inline const QString kExportReplaceQuestion = QStringLiteral("Voulez-vous les remplacer ?");
inline const QString kExportDone = QStringLiteral("Données exportées dans les fichiers :");

// The three CSV files of one export, from the name the user chose: "mesures.csv" gives
// "mesures-niveaux.csv", "mesures-evenements.csv" and "mesures-parametres.csv" beside it.
QStringList ExportFilePaths(const QString& chosenPath);

// Writes the three files (each replaced only once it is whole). On failure, *failedPath names the file.
bool WriteExportFiles(const DataStore& store, const QString& chosenPath, QString* failedPath = nullptr);

// "Exporter ...": needs data in memory, asks for a file name, asks before replacing any of the three
// files, writes them and says where. Returns true when the files were written; a cancelled dialog or
// a "Non" writes nothing and says nothing more.
bool RunExportCommand(const DataStore& store, UiServices& ui);
