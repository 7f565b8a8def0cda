#include "core/stats/StatsReport.h"

#include "core/store/Labels.h"
#include "core/tables/FirmwareVersion.h"
#include "core/tables/PeriodDialog.h"
#include "core/tables/TablePrintLayout.h"

#include <QJsonArray>
#include <QJsonObject>

namespace {
QString dateText(const QDate& day) {
    return day.toString(QStringLiteral("dd/MM/yyyy"));
}

// "Samedi 01 Mars 2008 12 h.": the noon a day of the statistics starts or ends at.
QString dayNoonText(const QDate& day) {
    return WeekdayLabelOf(day).trimmed() + QStringLiteral(" ") + TwoDigits(day.day()) + QStringLiteral(" ") +
           MonthLabel(day.month()).trimmed() + QStringLiteral(" ") + QString::number(day.year()) +
           QStringLiteral(" ") + TwoDigits(kStatsDayStartHour) + QStringLiteral(" h.");
}

QString stampText(const QDateTime& stamp) {
    return stamp.toString(QStringLiteral("dd/MM/yyyy  HH:mm"));
}

QString dbText(double value) {
    return QString::number(value, 'f', 1);
}

QString thresholdSourceText(ThresholdSource source) {
    switch (source) {
    case ThresholdSource::Recorded:
        return QStringLiteral("ceux de l'appareil (historique des paramètres, état de la fenêtre)");
    case ThresholdSource::Typed:
        return QStringLiteral("seuils saisis");
    case ThresholdSource::ParameterZone:
        return QStringLiteral("seuils des paramètres en cours");
    }
    return {};
}

QString thresholdSourceKey(ThresholdSource source) {
    switch (source) {
    case ThresholdSource::Recorded:
        return QStringLiteral("recorded");
    case ThresholdSource::Typed:
        return QStringLiteral("typed");
    case ThresholdSource::ParameterZone:
        return QStringLiteral("parameters");
    }
    return {};
}

// Lines stay under 95 characters so that the printed page holds them.
void appendSummary(QStringList& lines, const QString& indent, const QString& kind, const LevelSummary& s) {
    if (s.count == 0) {
        lines << indent + kind + QStringLiteral(" : aucune valeur enregistrée.");
        return;
    }
    lines << indent + kind + QStringLiteral(" : ") + QString::number(s.count) +
                 QStringLiteral(" valeurs,  Leq moyen = ") + dbText(*s.energyAverage) +
                 QStringLiteral(" dB.");
    lines << indent + QStringLiteral("    max = ") + QString::number(s.maximum) + QStringLiteral(" dB le ") +
                 stampText(s.maximumAt) + QStringLiteral(",  min = ") + QString::number(s.minimum) +
                 QStringLiteral(" dB le ") + stampText(s.minimumAt) + QStringLiteral(".");
}

void appendPart(QStringList& lines, const QString& name, const PartStats& part, int generation) {
    lines << QStringLiteral("    ") + name;
    appendSummary(lines, QStringLiteral("      "), TenMinuteKindName(generation), part.tenMinute);
    if (generation == 5)
        appendSummary(lines, QStringLiteral("      "), QStringLiteral("Leq1"), part.oneMinute);
    lines << QStringLiteral("      Minutes enregistrées au-dessus du seuil : ") +
                 QString::number(part.minutesAbove) + QStringLiteral(".");
    lines << QStringLiteral("      Coupures 10 secondes : ") + QString::number(part.tenSecondCuts) +
                 QStringLiteral(",  coupures générales : ") + QString::number(part.generalCuts) +
                 QStringLiteral(".");
}

QVariant optionalDb(const std::optional<double>& value) {
    return value ? QVariant(*value) : QVariant();
}

QList<QVariant> summaryRow(const QString& section, const QVariant& day, const QVariant& part,
                           const QString& kind, const LevelSummary& s) {
    const bool any = s.count > 0;
    return {section,
            day,
            part,
            kind,
            s.count,
            optionalDb(s.energyAverage),
            any ? QVariant(s.maximum) : QVariant(),
            any ? QVariant(IsoStamp(s.maximumAt)) : QVariant(),
            any ? QVariant(s.minimum) : QVariant(),
            any ? QVariant(IsoStamp(s.minimumAt)) : QVariant()};
}

QJsonObject rowObject(const QStringList& columns, const QList<QVariant>& row) {
    QJsonObject object;
    for (qsizetype i = 0; i < columns.size() && i < row.size(); ++i)
        object.insert(columns[i], QJsonValue::fromVariant(row[i]));
    return object;
}
} // namespace

QString TenMinuteKindName(int generation) {
    return generation == 3 ? QStringLiteral("Leq") : QStringLiteral("Leq10");
}

QStringList StatsTextLines(const PeriodStats& stats, const QString& serialLine) {
    QStringList lines;
    if (!serialLine.isEmpty()) lines << serialLine;
    QString heading = QStringLiteral("Statistiques des valeurs Leq du ") + dateText(stats.from);
    if (stats.to != stats.from) heading += QStringLiteral(" au ") + dateText(stats.to);
    lines << heading + QStringLiteral(" :");
    lines << kStatsNoteLines;
    lines << QStringLiteral("Seuils : ") + thresholdSourceText(stats.thresholds) + QStringLiteral(".");
    lines << QString();
    lines << QStringLiteral("Sur la période :");
    appendSummary(lines, QStringLiteral("    "), TenMinuteKindName(stats.generation), stats.tenMinute);
    if (stats.generation == 5) {
        appendSummary(lines, QStringLiteral("    "), QStringLiteral("Leq1"), stats.oneMinute);
        if (stats.oneMinutePercentiles) {
            const Percentiles& p = *stats.oneMinutePercentiles;
            lines << QStringLiteral("    Niveaux des valeurs Leq1 enregistrées : L10 = ") +
                         QString::number(p.l10) + QStringLiteral(" dB,  L50 = ") + QString::number(p.l50) +
                         QStringLiteral(" dB,  L90 = ") + QString::number(p.l90) + QStringLiteral(" dB.");
        }
    }
    if (stats.ignoredRecords > 0)
        lines << QStringLiteral("    Valeurs écartées (niveau impossible) : ") +
                     QString::number(stats.ignoredRecords) + QStringLiteral(".");
    for (const DayStats& day : stats.days) {
        lines << QString();
        lines << QStringLiteral("Du ") + dayNoonText(day.day) + QStringLiteral(" au ") +
                     dayNoonText(day.day.addDays(1)) + QStringLiteral(" :");
        appendPart(lines, QStringLiteral("Jour :"), day.dayPart, stats.generation);
        appendPart(lines, QStringLiteral("Nuit :"), day.nightPart, stats.generation);
    }
    return lines;
}

namespace {
const QStringList kStatsColumns = {
    QStringLiteral("section"),      QStringLiteral("day"),           QStringLiteral("part"),
    QStringLiteral("kind"),         QStringLiteral("count"),         QStringLiteral("leq_db"),
    QStringLiteral("max_db"),       QStringLiteral("max_time"),      QStringLiteral("min_db"),
    QStringLiteral("min_time"),     QStringLiteral("l10_db"),        QStringLiteral("l50_db"),
    QStringLiteral("l90_db"),       QStringLiteral("minutes_above"), QStringLiteral("cuts_10s"),
    QStringLiteral("cuts_general"), QStringLiteral("note")};

QList<QVariant> padded(QList<QVariant> row) {
    while (row.size() < kStatsColumns.size())
        row.append(QVariant());
    return row;
}

QList<QList<QVariant>> periodRows(const PeriodStats& stats) {
    QList<QList<QVariant>> rows;
    QList<QVariant> ten = padded(summaryRow(QStringLiteral("period"), {}, {},
                                            TenMinuteKindName(stats.generation).toLower(), stats.tenMinute));
    rows.append(ten);
    if (stats.generation == 5) {
        QList<QVariant> one =
            padded(summaryRow(QStringLiteral("period"), {}, {}, QStringLiteral("leq1"), stats.oneMinute));
        if (stats.oneMinutePercentiles) {
            one[10] = stats.oneMinutePercentiles->l10;
            one[11] = stats.oneMinutePercentiles->l50;
            one[12] = stats.oneMinutePercentiles->l90;
        }
        rows.append(one);
    }
    return rows;
}

QList<QList<QVariant>> partRows(const PeriodStats& stats, const DayStats& day, bool night) {
    const PartStats& part = night ? day.nightPart : day.dayPart;
    const QString name = night ? QStringLiteral("night") : QStringLiteral("day");
    const QString date = day.day.toString(Qt::ISODate);
    QList<QList<QVariant>> rows;
    QList<QVariant> ten =
        padded(summaryRow(name, date, name, TenMinuteKindName(stats.generation).toLower(), part.tenMinute));
    ten[13] = part.minutesAbove;
    ten[14] = part.tenSecondCuts;
    ten[15] = part.generalCuts;
    rows.append(ten);
    if (stats.generation == 5) {
        QList<QVariant> one = padded(summaryRow(name, date, name, QStringLiteral("leq1"), part.oneMinute));
        one[13] = part.minutesAbove;
        one[14] = part.tenSecondCuts;
        one[15] = part.generalCuts;
        rows.append(one);
    }
    return rows;
}
} // namespace

ExportTable StatsExport(const PeriodStats& stats) {
    ExportTable table{kStatsColumns, {}};
    QList<QVariant> note = padded({QStringLiteral("note")});
    note[16] = kStatsNote;
    table.rows.append(note);
    table.rows.append(periodRows(stats));
    for (const DayStats& day : stats.days) {
        table.rows.append(partRows(stats, day, false));
        table.rows.append(partRows(stats, day, true));
    }
    return table;
}

QJsonDocument StatsJson(const PeriodStats& stats) {
    QJsonObject root;
    root.insert(QStringLiteral("note"), kStatsNote);
    root.insert(QStringLiteral("from"), stats.from.toString(Qt::ISODate));
    root.insert(QStringLiteral("to"), stats.to.toString(Qt::ISODate));
    root.insert(QStringLiteral("generation"), stats.generation);
    root.insert(QStringLiteral("thresholds"), thresholdSourceKey(stats.thresholds));
    QJsonArray period, days;
    for (const QList<QVariant>& row : periodRows(stats))
        period.append(rowObject(kStatsColumns, row));
    for (const DayStats& day : stats.days)
        for (bool night : {false, true})
            for (const QList<QVariant>& row : partRows(stats, day, night))
                days.append(rowObject(kStatsColumns, row));
    root.insert(QStringLiteral("period"), period);
    root.insert(QStringLiteral("days"), days);
    return QJsonDocument(root);
}

StatsView PrepareStatsView(DataStore& store) {
    BuildSerialNumber(store);
    StatsView view;
    const QString version =
        store.Device_Version == 3 ? QStringLiteral("3.2") : FirmwareVersionText(store.Param_Block);
    view.serialLabel = QStringLiteral("QLV 40 - FirmWare Version : ") + version +
                       QStringLiteral(" - Numéro de Série : ") + store.Serial_Number;
    const QDate from = StoredPeriodStart(store).value_or(QDate());
    const QDate to = StoredPeriodEnd(store).value_or(QDate());
    view.stats = ComputePeriodStats(store, from, to);
    view.lines = StatsTextLines(view.stats);
    if (!view.lines.isEmpty()) view.heading = view.lines.takeFirst();
    return view;
}

QList<PrintPage> StatsPages(const StatsView& view) {
    PrintBlock block;
    block.serialLabel = view.serialLabel;
    block.heading = view.heading;
    block.lines = view.lines;
    return LayoutPrintBlock(block);
}
