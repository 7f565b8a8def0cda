#pragma once

#include "core/store/DataStore.h"
#include "core/store/WindowId.h"

#include <QDate>
#include <QString>
#include <array>
#include <optional>

// The graph dialogs' texts and the small rules their controls follow.

namespace GraphDialogTexts {
inline const QString kCaption = QStringLiteral("Paramètres du graphique Leq");
inline const QString kHeaderV3 = QStringLiteral("Paramètres des Graphiques de niveaux Leq");
inline const QString kHeaderV5 = QStringLiteral("Paramètres des Graphiques des niveaux Leq");
inline const QString kStartFrameV3 = QStringLiteral("Jour de début d'analyse :");
inline const QString kStartFrameV5 = QStringLiteral("Jour de début de l'analyse :");
inline const QString kNote =
    QStringLiteral("Attention : L'analyse commencera à MIDI, le jour de début de l'analyse.");
inline const QString kLengthFrame = QStringLiteral("Durée de l'analyse :");
inline const QString kOneDay = QStringLiteral("1 Jour.");
inline const QString kThreeDays = QStringLiteral("3 Jours.");
inline const QString kSevenDays = QStringLiteral("7 Jours.");
inline const QString kThresholdFrame = QStringLiteral("Seuils de dépassements :");
inline const QString kDayLevel = QStringLiteral("Niveau Leq Jour :");
inline const QString kNightLevel = QStringLiteral("Niveau Leq Nuit :");
inline const QString kHourFrame = QStringLiteral("Heures de passages des seuils :");
inline const QString kDayNightHour = QStringLiteral("Heure Jour vers Nuit :");
inline const QString kNightDayHour = QStringLiteral("Heure Nuit vers Jour :");
inline const QString kHours = QStringLiteral("Hrs.");
// The button's caption as designed, the one the load gives it, and the one while editing.
inline const QString kChangeDesign = QStringLiteral("Changement des paramètres de seuils");
inline const QString kChange = QStringLiteral("Changement des paramètres de seuil");
inline const QString kRestore = QStringLiteral("Remettre les paramètres par défaut");
inline const QString kOk = QStringLiteral("Ok");
inline const QString kCancel = QStringLiteral("Annuler");
} // namespace GraphDialogTexts

// The start day the dialog offers: the one last chosen, when the store remembers one.
std::optional<QDate> RememberedGraphStart(const DataStore& store);

// Which option the dialog preselects: the remembered length when it is "1", "3" or "7", else none.
int RememberedGraphDays(const DataStore& store);

// The device's own values of the four threshold boxes: day level, night level, day->night hour,
// night->day hour.
std::array<QString, 4> DeviceThresholdTexts(const DataStore& store);

// What a press of Cmd_Change_Parametres does, by its current caption: the first press lets the user
// type his own values (boxes enabled and emptied), the next one puts the device's values back.
// A caption of neither kind (the design caption) makes the press do nothing.
struct ThresholdToggle {
    bool changes = false;
    QString caption;
    bool boxesEnabled = false;
    bool refillFromDevice = false; // else the boxes are emptied
};
ThresholdToggle ToggleThresholdBoxes(const QString& caption);

// The graph dialog of the data's generation (Cmd_New_Graph goes back to it).
WindowId GraphDialogWindow(const DataStore& store);
