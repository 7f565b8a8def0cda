#include "core/graphs/GraphLabels.h"

#include "core/graphs/Curves.h"
#include "core/store/Labels.h"
#include "core/tables/FirmwareVersion.h"
#include "core/tables/Parameters.h"

#include <algorithm>

namespace {
QString dateText(const QString& day, const QString& month, const QString& year) {
    return day + QLatin1Char('/') + month + QLatin1Char('/') + year;
}

LevelRange rangeOf(const LeqTable& table, int first, int last, bool generation3) {
    LevelRange range;
    first = std::max(first, 1);
    last = std::min(last, LeqTable::rowCount);
    for (int row = first; row <= last; ++row) {
        const int level = recordLevel(table, row, generation3);
        if (level > range.maximum) range.maximum = level;
        if (level < range.minimum) range.minimum = level;
    }
    return range;
}

QString levelText(int hundreds, int units) {
    return QString::number(hundreds * 100 + units);
}
} // namespace

QString GraphDateLabel(const DataStore& store) {
    return QStringLiteral("Graphique Leq du  ") +
           WeekdayLabel(dateText(store.Start_Day, store.Start_Month, store.Start_Year)) + QLatin1Char(' ') +
           store.Start_Day + QLatin1Char(' ') + MonthLabel(store.Start_Month.toInt()) + QLatin1Char(' ') +
           store.Start_Year + QStringLiteral(" à 12 h. au  ") +
           WeekdayLabel(dateText(store.End_Day, store.End_Month, store.End_Year)) + QLatin1Char(' ') +
           store.End_Day + QLatin1Char(' ') + MonthLabel(store.End_Month.toInt()) + QLatin1Char(' ') +
           store.End_Year + QStringLiteral(" à 12 h.");
}

QString GraphHeaderLabel(DataStore& store) {
    BuildSerialNumber(store);
    const QString version =
        store.Device_Version == 3 ? QStringLiteral("3.2") : FirmwareVersionText(store.Param_Block);
    return QStringLiteral("QLV 40 - FirmWare Version : ") + version +
           QStringLiteral(" - Numéro de série : ") + store.Serial_Number;
}

QString AnalyseLabel(const ParamZone& zone) {
    // The weighting bits of option byte A, read the same way as the parameters window does.
    return AnalysisText(zone[6]);
}

LevelRange Leq10LevelRange(const DataStore& store) {
    if (store.Device_Version == 3)
        return rangeOf(store.Leq_Records, store.Period_First, store.Period_Last, true);
    return rangeOf(store.Leq10_Records, 1, store.Leq10_Count - 1, false);
}

LevelRange Leq1LevelRange(const DataStore& store) {
    return rangeOf(store.Leq1_Records, 1, store.Leq1_Count - 1, false);
}

QString MinimumLabel(const QString& kind, int level) {
    return QStringLiteral("Niveau %1 Minimum = %2 dB.").arg(kind).arg(level);
}

QString MaximumLabel(const QString& kind, int level) {
    return QStringLiteral("Niveau %1 Maximum = %2 dB.").arg(kind).arg(level);
}

ThresholdLabels GraphThresholdLabels(const DataStore& store) {
    ThresholdLabels labels;
    auto hourText = [](const QString& name, int hour) {
        return name + QStringLiteral(" = ") + QString::number(hour) + QStringLiteral(" hrs.");
    };
    if (store.Device_Version == 3) {
        labels.shown = true;
        labels.dayLevel = QStringLiteral("Niveau Leq Jour = %1 dB.").arg(store.Graph_Day_Level);
        labels.nightLevel = QStringLiteral(" Niveau Leq Nuit = %1 dB.").arg(store.Graph_Night_Level);
        labels.dayNightHour = hourText(QStringLiteral("Heure Jour vers Nuit"), store.Graph_Day_Night_Hour);
        labels.nightDayHour = hourText(QStringLiteral("Heure Nuit vers Jour"), store.Graph_Night_Day_Hour);
        return labels;
    }
    if (store.Template_Drawn != kTrue || store.Template_Params_Constant != kTrue) return labels;

    // Levels as (hundreds, units) cells: day, day window, night, night window; then the two hours.
    int cells[8];
    int dayNight, nightDay;
    const int row = store.Template_Param_First;
    if (row >= 1 && row <= ParamChangeTable::rowCount) {
        for (int i = 0; i < 8; ++i)
            cells[i] = store.Param_Change_Records(row, 29 + i);
        dayNight = store.Param_Change_Records(row, 44);
        nightDay = store.Param_Change_Records(row, 46);
    } else {
        // No history row was used: the template came from the current parameters.
        for (int i = 0; i < 8; ++i)
            cells[i] = store.Param_Block[2176 + i];
        dayNight = store.Param_Block[2191];
        nightDay = store.Param_Block[2193];
    }
    labels.shown = true;
    labels.windowShown = true;
    labels.dayLevel =
        QStringLiteral("Niveau Leq Jour = ") + levelText(cells[0], cells[1]) + QStringLiteral(" dB.");
    labels.dayWindowLevel =
        QStringLiteral("Niveau Leq Jour Fenetre = ") + levelText(cells[2], cells[3]) + QStringLiteral(" dB.");
    labels.nightLevel =
        QStringLiteral("Niveau Nuit Jour = ") + levelText(cells[4], cells[5]) + QStringLiteral(" dB.");
    labels.nightWindowLevel =
        QStringLiteral("Niveau Leq Nuit Fenetre = ") + levelText(cells[6], cells[7]) + QStringLiteral(" dB.");
    labels.dayNightHour = hourText(QStringLiteral("Heure Jour vers Nuit"), dayNight);
    labels.nightDayHour = hourText(QStringLiteral("Heure Nuit vers Jour"), nightDay);
    return labels;
}
