#pragma once

#include "core/store/DataStore.h"

#include <QString>

// The texts of the graph window's labels, from the store.

// "Graphique Leq du  Vendredi 9   Mars    2007 à 12 h. au  ..." (the fixed-width labels leave blanks).
QString GraphDateLabel(const DataStore& store);
// The device header; builds Serial_Number first.
QString GraphHeaderLabel(DataStore& store);
// The weighting of the analysis, from the option byte (Param_Block cell 6, bits 2-3).
QString AnalyseLabel(const ParamZone& zone);

// Minimum and maximum of a set of levels. They start at 125 and 60, so the minimum never shows above
// 125 dB and the maximum never below 60 dB.
struct LevelRange {
    int minimum = 125;
    int maximum = 60;
};
// Generation 3: Leq_Records rows Period_First .. Period_Last; generation 5: the Leq10 copy.
LevelRange Leq10LevelRange(const DataStore& store);
LevelRange Leq1LevelRange(const DataStore& store);
// "Niveau Leq10 Minimum = 72 dB." for kind "Leq10".
QString MinimumLabel(const QString& kind, int level);
QString MaximumLabel(const QString& kind, int level);

// The threshold and switch-hour labels. Generation 3 shows the values typed in the dialog (its window
// thresholds do not exist); generation 5 shows them only when the recorded template was drawn with
// one parameter set all along, taken from that history row or, without history, from the current
// parameters.
struct ThresholdLabels {
    bool shown = false;
    bool windowShown = false; // the two window-open thresholds
    QString dayLevel;         // Label_Niveau_Leq_Jour
    QString nightLevel;       // Label_Niveau_Leq_Nuit
    QString dayWindowLevel;   // Label_Niveau_Leq_Jour_Fenetre
    QString nightWindowLevel; // Label_Niveau_Leq_Nuit_Fenetre
    QString dayNightHour;     // Label_Heure_Jour_Nuit
    QString nightDayHour;     // Label_Heure_Nuit_Jour
};
ThresholdLabels GraphThresholdLabels(const DataStore& store);
