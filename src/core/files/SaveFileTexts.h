#pragma once

#include <QByteArray>
#include <QString>

// Every text the save-file reader and writer show or write, in one place.
namespace SaveFileTexts {

// First line of each generation, as bytes of the Windows-1252 code page (é is 0xE9). Compared
// byte for byte: a header typed with a capital D or saved as UTF-8 is not one of them.
inline const QByteArray kHeaderV3 = QByteArrayLiteral("donn\xE9"
                                                      "es_d_un_QLV_40!!!");
inline const QByteArray kHeaderV5 = QByteArrayLiteral("Donn\xE9"
                                                      "es_d'un_QLV_40_Version_5!!!");

inline const QString kFirmwareV3 = QStringLiteral("3.2");
inline const QString kFirmwareV5 = QStringLiteral("5.X");

// Status line of the main window once a file is open.
inline QString fileModeCaption(int comPort, const QString& firmware) {
    QString caption = QStringLiteral("VORL Analyser - QLV 40 - Version 5.5  |  ");
    if (comPort == 0)
        caption += QStringLiteral("Pas de port de COM.");
    else
        caption += QStringLiteral("Port de com. : COM ") + QString::number(comPort);
    return caption + QStringLiteral("  |  FirmWare QLV 40 : Version ") + firmware +
           QStringLiteral("  |  Mode d'ouverture de fichier actif.");
}

inline const QString kCannotOpenTitle = QStringLiteral("Problème de fichier");
inline QString cannotOpenText(const QString& path) {
    return QStringLiteral("Impossible d'ouvrir le fichier : ") + path;
}

inline const QString kNotQlvText = QStringLiteral("Ce fichier n'est pas un fichier de QLV 40 !!!!");
inline const QString kBadHeaderTitle = QStringLiteral("Impossible d'ouvrir le fichier");
inline const QString kBadDataTitle = QStringLiteral("Impossible de lire les données du fichier");
inline const QString kBadTransferFieldText =
    QStringLiteral("Ce fichier n'est pas un fichier de QLV 40 Version 5.X !!!!");

} // namespace SaveFileTexts
