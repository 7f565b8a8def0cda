#pragma once

#include "core/store/DataStore.h"

#include <QList>
#include <QString>
#include <QStringList>

// The texts of the parameters window frmParametres_v4, for the current parameters and for each
// entry of the generation-5 history of changes.

// One caption and the value label it introduces, in the window's order. Label_Analyse has no caption.
struct ParameterRow {
    QString captionControl; // "" for Label_Analyse
    QString caption;
    QString valueControl;
    QString value;
    bool visible = true;
};

// Positions and sizes (twips) that differ between the generations: generation 3 has fewer values, so
// the frames are shorter, the buttons higher and the window smaller.
struct ParametersLayout {
    bool compact = false;       // generation 3
    int frameBottom = 0;        // compact: bottom of the frame lines
    int buttonsTop = 0;         // compact: top of Cmd_Print and Cmd_Exit
    int windowHeight = 0;       // compact: height of the window
    int headingTop = 30;        // Label_Entete: 30 with the history list, 120 without
    bool showManagement = true; // the heading "Utilitaires de Gestion"
};

struct ParametersView {
    bool generation5 = true;
    QList<ParameterRow> rows;
    ParametersLayout layout;
    QStringList history;    // descriptions of the valid changes, newest first (Combo_Jour's list)
    QList<int> historyRows; // the Param_Change_Records row of each history entry
    QString newestChange;   // "" when there is no valid change
    QString readingText;    // the moment of the reading (Transfer_Date, Transfer_Time)
    QString dateLabel;      // Label_Date
    bool comboVisible = false;
    bool dateLabelVisible = false;

    const ParameterRow* row(const QString& valueControl) const;
    QString value(const QString& valueControl) const;
};

inline const QString kParametersCaption = QStringLiteral("Paramètres du QLV 40");
inline const QString kParametersHeading = QStringLiteral("Tableaux des Paramètres du QLV 40 :");
inline const QString kInfoNotAvailable = QStringLiteral("Info Non Disponible");

// Option-byte texts (A = Param_Block cell 6 or history column 7, B = cell 7 or column 8).
QString RelayText(int optionB);
QString SensorCutText(int optionA);
QString GeneralCutText(int optionB);
QString AnalysisText(int optionA);

// "Version 5.5", "Version 5.X" (unknown code), "Version 3.2" (generation 3).
QString ParametersFirmwareText(const DataStore& store);

// The description of a change: weekday, day, month label, year, "  à  ", hour " : " minute.
QString ChangeDescription(const ParamChangeTable& table, int row);
// The same for the moment of the reading, from Transfer_Date (dd/mm/yyyy) and Transfer_Time (hh:mm).
QString ReadingDescription(const QString& transferDate, const QString& transferTime);

// The window at load: the parameters in force at the reading. Rebuilds Serial_Number.
ParametersView LoadParameters(DataStore& store);

// The window after choosing history entry k (0 = newest) of a loaded view: the parameters in force
// from that change to the next one. Returns the view unchanged when k is not an entry of the list.
ParametersView ChooseParameterChange(const DataStore& store, const ParametersView& loaded, int k);
