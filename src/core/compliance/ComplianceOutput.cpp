#include "core/compliance/ComplianceReport.h"

#include <QJsonArray>
#include <QJsonObject>

#include <cmath>
#include <cstdlib>

namespace {
const QString kDate = QStringLiteral("dd/MM/yyyy");
const QString kDateTime = QStringLiteral("dd/MM/yyyy hh:mm");
const QChar kNoBreakSpace(0x00A0);

// "1 fenêtre conforme", "2 fenêtres conformes"; French puts 0 in the singular.
QString counted(int n, const QString& one, const QString& many) {
    return FrenchCount(n) + QLatin1Char(' ') + (n > 1 ? many : one);
}

QString atText(const BoundAt& bound) {
    return QStringLiteral(" (fenêtre du ") + bound.start.toString(kDateTime) + QLatin1Char(')');
}

QJsonValue boundJson(const std::optional<double>& db) {
    return db ? QJsonValue(*db) : QJsonValue();
}

QJsonObject boundAtJson(const BoundAt& bound, bool upper) {
    QJsonObject o;
    o[QStringLiteral("db")] = boundJson(bound.db);
    o[QStringLiteral("start")] =
        bound.db && bound.start.isValid() ? QJsonValue(ComplianceStamp(bound.start)) : QJsonValue();
    if (upper) {
        o[QStringLiteral("unbounded")] = bound.unbounded;
        o[QStringLiteral("unbounded_windows")] = bound.unboundedWindows;
    }
    return o;
}

QJsonObject countsJson(const VerdictCounts& c) {
    return {{QStringLiteral("certain"), c.certain},
            {QStringLiteral("possible"), c.possible},
            {QStringLiteral("conforme"), c.compliant},
            {QStringLiteral("incomplet"), c.incomplete},
            {QStringLiteral("sans_verdict"), c.none}};
}

// Stable keys of the unknown causes, in the order of UnknownCause.
constexpr std::array<const char*, kUnknownCauseCount> kCauseCodes = {
    "before_data", "after_data", "outside_archive", "power_cut", "restart", "sensor_fault", "calibration"};

QJsonObject minutesJson(const MinuteAccount& m) {
    QJsonObject unknown;
    for (int i = 0; i < kUnknownCauseCount; ++i)
        if (m.unknown[static_cast<std::size_t>(i)] > 0)
            unknown[QLatin1String(kCauseCodes[static_cast<std::size_t>(i)])] =
                m.unknown[static_cast<std::size_t>(i)];
    return {{QStringLiteral("covered"), m.covered},
            {QStringLiteral("unknown"), m.unknownTotal()},
            {QStringLiteral("unknown_by_cause"), unknown}};
}
} // namespace

QString FrenchCount(int n) {
    QString digits = QString::number(std::abs(static_cast<long long>(n)));
    for (qsizetype i = digits.size() - 3; i > 0; i -= 3)
        digits.insert(i, kNoBreakSpace);
    return n < 0 ? QStringLiteral("-") + digits : digits;
}

QString FrenchDb(const std::optional<double>& db, Weighting weighting) {
    if (!db) return {};
    return BoundText(db).replace(QLatin1Char('.'), QLatin1Char(',')) + kNoBreakSpace +
           (weighting == Weighting::A ? QStringLiteral("dB(A)") : QStringLiteral("dB"));
}

QString ComplianceDurationText(int minutes) {
    return FrenchCount(minutes / 60) + QStringLiteral(" h ") +
           QStringLiteral("%1 min").arg(minutes % 60, 2, 10, QLatin1Char('0'));
}

QString ComplianceCountsText(const ComplianceReport& report, const VerdictCounts& c) {
    if (report.scope == VerdictScope::None)
        return counted(c.none, QStringLiteral("fenêtre"), QStringLiteral("fenêtres")) +
               QStringLiteral(", sans verdict");
    return counted(c.certain, QStringLiteral("dépassement certain"),
                   QStringLiteral("dépassements certains")) +
           QStringLiteral(", ") +
           counted(c.possible, QStringLiteral("dépassement possible"),
                   QStringLiteral("dépassements possibles")) +
           QStringLiteral(", ") +
           counted(c.compliant, QStringLiteral("fenêtre conforme"), QStringLiteral("fenêtres conformes")) +
           QStringLiteral(", ") +
           counted(c.incomplete, QStringLiteral("fenêtre incomplète"),
                   QStringLiteral("fenêtres incomplètes"));
}

QString ComplianceMinutesText(const MinuteAccount& m) {
    QString line = QStringLiteral("couvert ") + ComplianceDurationText(m.covered) +
                   QStringLiteral(", inconnu ") + ComplianceDurationText(m.unknownTotal());
    QStringList causes;
    for (int i = 0; i < kUnknownCauseCount; ++i)
        if (m.unknown[static_cast<std::size_t>(i)] > 0)
            causes << UnknownCauseText(static_cast<UnknownCause>(i)) + QLatin1Char(' ') +
                          ComplianceDurationText(m.unknown[static_cast<std::size_t>(i)]);
    if (!causes.isEmpty())
        line += QStringLiteral(" (") + causes.join(QStringLiteral(", ")) + QLatin1Char(')');
    return line;
}

QString ComplianceUpperText(const ComplianceReport& report, const BoundAt& bound, bool withTime) {
    QString text = bound.db ? FrenchDb(bound.db, report.weighting) + (withTime ? atText(bound) : QString())
                            : QStringLiteral("aucune borne finie");
    if (bound.unboundedWindows > 0)
        text += QStringLiteral(" ; ") + counted(bound.unboundedWindows,
                                                QStringLiteral("fenêtre sans borne haute"),
                                                QStringLiteral("fenêtres sans borne haute"));
    return text;
}

QString ComplianceLowerText(const ComplianceReport& report, const BoundAt& bound, bool withTime) {
    if (!bound.db) return QStringLiteral("aucune");
    return FrenchDb(bound.db, report.weighting) + (withTime ? atText(bound) : QString());
}

QString ComplianceEpisodeText(const ComplianceReport& report, const ExceedanceEpisode& e) {
    return e.firstStart.toString(kDateTime) + QStringLiteral(" – ") +
           e.end.toString(QStringLiteral("hh:mm")) + QStringLiteral(" : ") +
           VerdictText(e.certain ? Verdict::Certain : Verdict::Possible) + QStringLiteral(", borne haute ") +
           (e.highestUpper.unbounded ? QStringLiteral("non bornée")
                                     : FrenchDb(e.highestUpper.db, report.weighting)) +
           QStringLiteral(", borne basse ") +
           (e.highestLower.db ? FrenchDb(e.highestLower.db, report.weighting) : QStringLiteral("aucune"));
}

QString ComplianceEventText(const ComplianceEvent& event) {
    QString line = event.stamp.toString(kDateTime) + QLatin1Char(' ') + event.text;
    if (!event.changes.isEmpty())
        line += QStringLiteral(" (") + event.changes.join(QStringLiteral(" ; ")) + QLatin1Char(')');
    else if (event.thresholdBefore && event.thresholdAfter && *event.thresholdBefore != *event.thresholdAfter)
        line +=
            QStringLiteral(" (seuil %1 dB → %2 dB)").arg(*event.thresholdBefore).arg(*event.thresholdAfter);
    return line;
}

QStringList ComplianceSourceLines(const ComplianceReport& report) {
    QStringList lines;
    for (const ReportSource& s : report.sources) {
        QString line = !s.id.isEmpty()          ? QStringLiteral("Téléchargement n° ") + s.id
                       : s.sha256Kind.isEmpty() ? QStringLiteral("Données en mémoire")
                                                : QStringLiteral("Fichier");
        line += QStringLiteral(", transfert du ") +
                (s.transfer.isEmpty() ? QStringLiteral("(inconnu)") : s.transfer);
        line += QStringLiteral(", SHA-256 ") +
                (s.sha256Kind.isEmpty() ? QString() : s.sha256Kind + QLatin1Char(' ')) +
                (s.sha256.isEmpty() ? QStringLiteral("non disponible") : s.sha256);
        lines << line;
    }
    return lines;
}

QString BoundText(const std::optional<double>& db) {
    return db ? QString::number(*db, 'f', 1) : QString();
}

namespace {
// "YYYY-MM-DDTHH:MM" into `out` (17 bytes with the terminator); formatted by hand, as a CSV of six months
// writes half a million of them.
char* putDigits(char* out, long long value, int width) {
    for (int i = width - 1; i >= 0; --i, value /= 10)
        out[i] = static_cast<char>('0' + value % 10);
    return out + width;
}

void writeStamp(const QDateTime& local, char* out) {
    const QDate d = local.date();
    const QTime t = local.time();
    out = putDigits(out, d.year(), 4);
    *out++ = '-';
    out = putDigits(out, d.month(), 2);
    *out++ = '-';
    out = putDigits(out, d.day(), 2);
    *out++ = 'T';
    out = putDigits(out, t.hour(), 2);
    *out++ = ':';
    out = putDigits(out, t.minute(), 2);
    *out = '\0';
}

// By hand rather than "%.1f", whose decimal mark follows the locale.
void appendBound(QByteArray& row, const std::optional<double>& db) {
    if (!db) return;
    const long long tenths = std::llround(*db * 10);
    if (tenths < 0) row.append('-');
    const long long whole = std::llabs(tenths) / 10;
    char text[24];
    int width = 1;
    for (long long v = whole; v >= 10; v /= 10)
        ++width;
    char* end = putDigits(text, whole, width);
    *end++ = '.';
    end = putDigits(end, std::llabs(tenths) % 10, 1);
    row.append(text, end - text);
}
} // namespace

QString ComplianceStamp(const QDateTime& local) {
    char text[17];
    writeStamp(local, text);
    return QString::fromLatin1(text);
}

namespace {
// A window's time, with its UTC offset ("+02:00") where the local time reads twice.
void writeWindowTime(const QDateTime& local, const std::optional<int>& utcOffset, char* out) {
    writeStamp(local, out);
    if (!utcOffset) return;
    out += 16;
    *out++ = *utcOffset < 0 ? '-' : '+';
    out = putDigits(out, std::abs(*utcOffset) / 60, 2);
    *out++ = ':';
    out = putDigits(out, std::abs(*utcOffset) % 60, 2);
    *out = '\0';
}
} // namespace

QByteArray ComplianceCsvRow(const WindowResult& w) {
    char start[23], end[23];
    writeWindowTime(w.localStart, w.startUtcOffset, start);
    writeWindowTime(w.localEnd, w.endUtcOffset, end);
    QByteArray row;
    row.reserve(64);
    row.append(start).append(',').append(end).append(',');
    appendBound(row, w.lowerDb);
    row.append(',');
    appendBound(row, w.upperDb);
    row.append(',').append(VerdictCode(w.verdict).toLatin1()).append('\n');
    return row;
}

QStringList ComplianceTextLines(const ComplianceReport& r) {
    QStringList lines;
    lines << QStringLiteral("Conformité du niveau sonore") << r.device;
    lines << QStringLiteral("Période : du ") + r.from.toString(kDate) + QStringLiteral(" 12 h au ") +
                 r.to.addDays(1).toString(kDate) + QStringLiteral(" 12 h");
    lines << QStringLiteral("Limite : ") + r.limitLabel;
    lines << QStringLiteral("Pondération des mesures : ") + WeightingText(r.weighting);
    lines << QString();
    lines << QStringLiteral("Sur la période :");
    lines << QStringLiteral("  Borne haute la plus élevée : ") + ComplianceUpperText(r, r.highestUpper);
    lines << QStringLiteral("  Borne basse la plus élevée : ") + ComplianceLowerText(r, r.highestLower);
    lines << QStringLiteral("  Fenêtres : ") + ComplianceCountsText(r, r.counts);
    lines << QStringLiteral("  Épisodes de dépassement : ") + FrenchCount(r.episodeCount);
    lines << QStringLiteral("  Temps : ") + ComplianceMinutesText(r.minutes);
    for (const NightReport& night : r.nights) {
        lines << QString();
        lines << QStringLiteral("Nuit du ") + night.day.toString(kDate) + QStringLiteral(" au ") +
                     night.day.addDays(1).toString(kDate) + QStringLiteral(" :");
        lines << QStringLiteral("  Borne haute la plus élevée : ") +
                     ComplianceUpperText(r, night.highestUpper);
        lines << QStringLiteral("  Borne basse la plus élevée : ") +
                     ComplianceLowerText(r, night.highestLower);
        lines << QStringLiteral("  Fenêtres : ") + ComplianceCountsText(r, night.counts);
        lines << QStringLiteral("  Temps : ") + ComplianceMinutesText(night.minutes);
        for (const ExceedanceEpisode& e : night.episodes)
            lines << QStringLiteral("  Épisode ") + ComplianceEpisodeText(r, e);
        for (const ComplianceEvent& event : night.events)
            lines << QStringLiteral("  Événement : ") + ComplianceEventText(event);
    }
    lines << QString() << QStringLiteral("Données :");
    for (const QString& source : ComplianceSourceLines(r))
        lines << QStringLiteral("  - ") + source;
    lines << QStringLiteral("  - SHA-256 du CSV de la même période et limite : ") + r.csvSha256;
    lines << QString() << QStringLiteral("Notes :");
    for (const QString& note : r.noteLines)
        lines << QStringLiteral("  - ") + note;
    return lines;
}

QJsonDocument ComplianceJson(const ComplianceReport& r) {
    QJsonObject root;
    root[QStringLiteral("device")] = r.device;
    root[QStringLiteral("from")] = r.from.toString(Qt::ISODate);
    root[QStringLiteral("to")] = r.to.toString(Qt::ISODate);
    root[QStringLiteral("generation")] = r.generation;
    root[QStringLiteral("weighting")] = WeightingText(r.weighting);
    QJsonObject limit{{QStringLiteral("label"), r.limitLabel},
                      {QStringLiteral("duration_min"), r.settings.durationMinutes}};
    limit[QStringLiteral("db")] = boundJson(r.settings.limitDb);
    if (r.settings.preset) limit[QStringLiteral("preset")] = r.settings.preset->name;
    root[QStringLiteral("limit")] = limit;
    root[QStringLiteral("period")] =
        QJsonObject{{QStringLiteral("highest_upper"), boundAtJson(r.highestUpper, true)},
                    {QStringLiteral("highest_lower"), boundAtJson(r.highestLower, false)},
                    {QStringLiteral("verdicts"), countsJson(r.counts)},
                    {QStringLiteral("episodes"), r.episodeCount},
                    {QStringLiteral("minutes"), minutesJson(r.minutes)}};
    QJsonArray nights;
    for (const NightReport& night : r.nights) {
        QJsonArray episodes, events;
        for (const ExceedanceEpisode& e : night.episodes)
            episodes.append(
                QJsonObject{{QStringLiteral("start"), ComplianceStamp(e.firstStart)},
                            {QStringLiteral("end"), ComplianceStamp(e.end)},
                            {QStringLiteral("certain"), e.certain},
                            {QStringLiteral("highest_upper"), boundAtJson(e.highestUpper, true)},
                            {QStringLiteral("highest_lower"), boundAtJson(e.highestLower, false)}});
        for (const ComplianceEvent& event : night.events) {
            QJsonObject o{{QStringLiteral("stamp"), ComplianceStamp(event.stamp)},
                          {QStringLiteral("text"), event.text}};
            if (event.thresholdBefore) o[QStringLiteral("threshold_before")] = *event.thresholdBefore;
            if (event.thresholdAfter) o[QStringLiteral("threshold_after")] = *event.thresholdAfter;
            if (!event.changes.isEmpty())
                o[QStringLiteral("changes")] = QJsonArray::fromStringList(event.changes);
            events.append(o);
        }
        nights.append(QJsonObject{{QStringLiteral("night"), night.day.toString(Qt::ISODate)},
                                  {QStringLiteral("highest_upper"), boundAtJson(night.highestUpper, true)},
                                  {QStringLiteral("highest_lower"), boundAtJson(night.highestLower, false)},
                                  {QStringLiteral("verdicts"), countsJson(night.counts)},
                                  {QStringLiteral("episodes"), episodes},
                                  {QStringLiteral("minutes"), minutesJson(night.minutes)},
                                  {QStringLiteral("events"), events}});
    }
    root[QStringLiteral("nights")] = nights;
    QJsonArray sources;
    for (const ReportSource& s : r.sources)
        sources.append(
            QJsonObject{{QStringLiteral("download"), s.id.isEmpty() ? QJsonValue() : QJsonValue(s.id)},
                        {QStringLiteral("transfer"), s.transfer},
                        {QStringLiteral("sha256"), s.sha256.isEmpty() ? QJsonValue() : QJsonValue(s.sha256)},
                        {QStringLiteral("sha256_of"), s.sha256Kind}});
    root[QStringLiteral("sources")] = sources;
    root[QStringLiteral("csv_sha256")] = r.csvSha256;
    root[QStringLiteral("notes")] = QJsonArray::fromStringList(r.noteLines);
    return QJsonDocument(root);
}
