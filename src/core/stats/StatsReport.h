#pragma once

#include "core/stats/Export.h"
#include "core/stats/PeriodStats.h"
#include "core/tables/TablePrintLayout.h"

#include <QJsonDocument>
#include <QStringList>

// What every statistics output says about its figures: the device does not store every minute, and
// a day runs from noon to noon. Lines in the window and its printout, one text in the CSV and JSON
// files.
inline const QStringList kStatsNoteLines = {
    QStringLiteral(
        "Attention : le QLV 40 ne sauvegarde un niveau Leq1 que s'il atteint le niveau de consigne,"),
    QStringLiteral("et un niveau Leq10 qu'à partir de 70dB : les moyennes portent sur les seules valeurs "
                   "sauvegardées."),
    QStringLiteral("Chaque jour va de midi au lendemain midi : sa nuit est celle qui commence le soir "
                   "du jour.")};
inline const QString kStatsNote = kStatsNoteLines.join(QLatin1Char(' '));
inline const QString kStatsCaption = QStringLiteral("Statistiques");

// The text of the statistics window and of "vorl-cli stats": heading, the note, the period figures
// per kind of record, then one block per day with its day and night parts.
QStringList StatsTextLines(const PeriodStats& stats, const QString& serialLine = {});

// The same figures as rows: one "period" row per kind of record, then one "day" / "night" row per kind
// and day part; the note is the first row (section "note").
ExportTable StatsExport(const PeriodStats& stats);

// JSON: {"note", "from", "to", "generation", "thresholds", "period": [...], "days": [...]}.
QJsonDocument StatsJson(const PeriodStats& stats);

// "Leq10", "Leq" (generation 3) or "Leq1".
QString TenMinuteKindName(int generation);

// The statistics window for the store's period: serial-number label, heading and lines, and the pages of
// its printout. Rebuilds Serial_Number. A period the texts do not make is shown empty.
struct StatsView {
    QString serialLabel;
    QString heading;
    QStringList lines;
    PeriodStats stats;
};
StatsView PrepareStatsView(DataStore& store);
QList<PrintPage> StatsPages(const StatsView& view);
