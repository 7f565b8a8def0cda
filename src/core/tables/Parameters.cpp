#include "core/tables/Parameters.h"

#include "core/store/Labels.h"
#include "core/store/Validity.h"
#include "core/tables/FirmwareVersion.h"

namespace {
const QString kLeqJour = QStringLiteral("Label_Niveau_Leq_Jour");
const QString kLeqJourFenetre = QStringLiteral("Label_Niveau_Leq_Jour_Fenetre");
const QString kLeqNuit = QStringLiteral("Label_Niveau_Leq_Nuit");
const QString kLeqNuitFenetre = QStringLiteral("Label_Niveau_Leq_Nuit_Fenetre");
const QString kPublic = QStringLiteral("Label_Niveau_Public");
const QString kCapteur = QStringLiteral("Label_Niveau_Capteur");
const QString kHeureJourNuit = QStringLiteral("Label_Heure_Jour_Nuit");
const QString kHeureNuitJour = QStringLiteral("Label_Heure_Nuit_Jour");
const QString kAnalyse = QStringLiteral("Label_Analyse");
const QString kRelais = QStringLiteral("Label_Relais");
const QString kCutCapteur = QStringLiteral("Label_Cut_Capteur");
const QString kCutG = QStringLiteral("Label_Cut_G");

QString level(int hundreds, int units) {
    return QString::number(hundreds * 100 + units);
}

ParameterRow* findRow(QList<ParameterRow>& rows, const QString& valueControl) {
    for (ParameterRow& row : rows)
        if (row.valueControl == valueControl) return &row;
    return nullptr;
}

void setValue(ParametersView& view, const QString& valueControl, const QString& value) {
    if (ParameterRow* row = findRow(view.rows, valueControl)) row->value = value;
}

// The rows of the window in their order, with the values the generation does not have hidden.
QList<ParameterRow> emptyRows(bool generation5) {
    const auto row = [](const char* captionControl, const char* caption, const QString& valueControl,
                        bool visible) {
        return ParameterRow{QString::fromLatin1(captionControl), QString::fromUtf8(caption), valueControl,
                            QString(), visible};
    };
    return {
        row("Label_FirmWare", "Version FirmWare :", QStringLiteral("Label_Version_FirmWare"), true),
        row("Label_Serial_Number", "Numéro de Série :", QStringLiteral("Label_Numero_Serie"), true),
        row("Label_Leq_Jour", "Niveau Leq Jour :", kLeqJour, true),
        row("Label6", "Niveau Leq Jour Fenêtre :", kLeqJourFenetre, true),
        row("Label_Leq_Nuit", "Niveau Leq Nuit :", kLeqNuit, true),
        row("Label_Leq_Nuit_Fenetre", "Niveau Leq Nuit Fenêtre :", kLeqNuitFenetre, true),
        row("Label_Public", "Niveau Public :", kPublic, generation5),
        row("Label_Capteur", "Niveau Capteur :", kCapteur, generation5),
        row("Label_Heure_J_N", "Heure Jour vers Nuit :", kHeureJourNuit, true),
        row("Label_Heure_N_J", "Heure Nuit vers Jour :", kHeureNuitJour, true),
        row("", "", kAnalyse, true),
        row("Label5", "Fonctionnement du Relais :", kRelais, generation5),
        row("Label10", "Coupure si Défaut Capteur :", kCutCapteur, generation5),
        row("Label11", "Etat de la Coupure Finale :", kCutG, generation5),
    };
}

QString dateLabel(const QString& from, const QString& to) {
    return QStringLiteral("Paramètres  du  ") + from + QStringLiteral("  au  ") + to;
}
} // namespace

const ParameterRow* ParametersView::row(const QString& valueControl) const {
    for (const ParameterRow& r : rows)
        if (r.valueControl == valueControl) return &r;
    return nullptr;
}

QString ParametersView::value(const QString& valueControl) const {
    const ParameterRow* r = row(valueControl);
    return r ? r->value : QString();
}

QString RelayText(int optionB) {
    return (optionB & 0x40) ? QStringLiteral("Norm. Fermé.") : QStringLiteral("Norm. Ouvert.");
}

QString SensorCutText(int optionA) {
    return (optionA & 0x40) ? QStringLiteral("Activée.") : QStringLiteral("Désactivée.");
}

QString GeneralCutText(int optionB) {
    return (optionB & 0x20) ? QStringLiteral("Activée") : QStringLiteral("Désactivée");
}

QString AnalysisText(int optionA) {
    switch (optionA & 0x0C) {
    case 8:
        return QStringLiteral("Analyse : Pondérée Type M.");
    case 12:
        return QStringLiteral("Analyse : Pondérée Type A.");
    default:
        return QStringLiteral("Analyse : Linéaire.");
    }
}

QString ParametersFirmwareText(const DataStore& store) {
    if (store.Device_Version == 3) return QStringLiteral("Version 3.2");
    return QStringLiteral("Version ") + FirmwareVersionText(store.Param_Block);
}

QString ChangeDescription(const ParamChangeTable& table, int row) {
    const int minute = table(row, 1), hour = table(row, 2), day = table(row, 3);
    const int month = table(row, 5), year = table(row, 6);
    return WeekdayLabelOf(QDate(2000 + year, month, day)) + QLatin1Char(' ') + TwoDigits(day) +
           QLatin1Char(' ') + MonthLabel(month) + QLatin1Char(' ') + QString::number(2000 + year) +
           QStringLiteral("  à  ") + TwoDigits(hour) + QStringLiteral(" : ") + TwoDigits(minute);
}

QString ReadingDescription(const QString& transferDate, const QString& transferTime) {
    const QString day = transferDate.mid(0, 2);
    const QString month = transferDate.mid(3, 2);
    const QString year = transferDate.mid(6, 4);
    return WeekdayLabel(day + QLatin1Char('/') + month + QLatin1Char('/') + year) + QLatin1Char(' ') + day +
           QLatin1Char(' ') + MonthLabel(month.toInt()) + QLatin1Char(' ') + year + QStringLiteral("  à  ") +
           transferTime.mid(0, 2) + QStringLiteral(" : ") + transferTime.mid(3, 2);
}

ParametersView LoadParameters(DataStore& store) {
    ParametersView view;
    const ParamZone& block = store.Param_Block;
    view.generation5 = store.Device_Version != 3;
    view.rows = emptyRows(view.generation5);

    BuildSerialNumber(store);
    setValue(view, QStringLiteral("Label_Version_FirmWare"), ParametersFirmwareText(store));
    setValue(view, QStringLiteral("Label_Numero_Serie"), store.Serial_Number);
    setValue(view, kLeqJour, level(block[2176], block[2177]));
    setValue(view, kLeqJourFenetre, level(block[2178], block[2179]));
    setValue(view, kLeqNuit, level(block[2180], block[2181]));
    setValue(view, kLeqNuitFenetre, level(block[2182], block[2183]));
    setValue(view, kAnalyse, AnalysisText(block[6]));

    if (!view.generation5) {
        setValue(view, kHeureJourNuit, TwoDigits(block[2187]));
        setValue(view, kHeureNuitJour, TwoDigits(block[2189]));
        view.layout = ParametersLayout{true, 3270, 2670, 3800, 120, false};
        return view;
    }

    setValue(view, kPublic, level(block[2186], block[2187]));
    setValue(view, kCapteur, level(block[2188], block[2189]));
    setValue(view, kHeureJourNuit, TwoDigits(block[2191]));
    setValue(view, kHeureNuitJour, TwoDigits(block[2193]));
    setValue(view, kRelais, RelayText(block[7]));
    setValue(view, kCutCapteur, SensorCutText(block[6]));
    setValue(view, kCutG, GeneralCutText(block[7]));
    view.layout.headingTop = 30;

    // Valid changes come first in date order, so scanning from the last row finds the newest first.
    for (int r = ParamChangeTable::rowCount; r >= 1; --r) {
        if (!isValidParamChangeRow(store.Param_Change_Records, r)) continue;
        view.history.append(ChangeDescription(store.Param_Change_Records, r));
        view.historyRows.append(r);
    }
    view.newestChange = view.history.isEmpty() ? QString() : view.history.first();
    view.readingText = ReadingDescription(store.Transfer_Date, store.Transfer_Time);
    view.dateLabel = dateLabel(view.newestChange, view.readingText);
    view.dateLabelVisible = true;
    view.comboVisible = !view.newestChange.isEmpty();
    return view;
}

ParametersView ChooseParameterChange(const DataStore& store, const ParametersView& loaded, int k) {
    if (k < 0 || k >= loaded.historyRows.size()) return loaded;
    ParametersView view = loaded;
    const ParamChangeTable& t = store.Param_Change_Records;
    const int r = loaded.historyRows[k];

    view.dateLabel = dateLabel(loaded.history[k], k > 0 ? loaded.history[k - 1] : loaded.readingText);
    setValue(view, kLeqJour, level(t(r, 29), t(r, 30)));
    setValue(view, kLeqJourFenetre, level(t(r, 31), t(r, 32)));
    setValue(view, kLeqNuit, level(t(r, 33), t(r, 34)));
    setValue(view, kLeqNuitFenetre, level(t(r, 35), t(r, 36)));
    setValue(view, kPublic, level(t(r, 39), t(r, 40)));
    setValue(view, kCapteur, level(t(r, 41), t(r, 42)));
    setValue(view, kHeureJourNuit, TwoDigits(t(r, 44)));
    setValue(view, kHeureNuitJour, TwoDigits(t(r, 46)));
    setValue(view, kAnalyse, AnalysisText(t(r, 7)));
    setValue(view, kCutCapteur, SensorCutText(t(r, 7)));

    // Only firmware 5.5 records the relay and general-cut bits with each change; for the newest
    // entry the current byte still holds them.
    const bool recordsOptionB =
        loaded.value(QStringLiteral("Label_Version_FirmWare")) == QStringLiteral("Version 5.5");
    if (k == 0 || recordsOptionB) {
        const int optionB = k == 0 ? store.Param_Block[7] : t(r, 8);
        setValue(view, kRelais, RelayText(optionB));
        setValue(view, kCutG, GeneralCutText(optionB));
    } else {
        setValue(view, kRelais, kInfoNotAvailable);
        setValue(view, kCutG, kInfoNotAvailable);
    }
    return view;
}
