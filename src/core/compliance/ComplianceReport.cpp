#include "core/compliance/ComplianceReport.h"

#include "core/compliance/ComplianceBounds.h"
#include "core/stats/ThresholdTimeline.h"

#include <QCryptographicHash>

#include <algorithm>
#include <limits>

namespace {
const QTime kNoon(12, 0);
constexpr qint64 kNoEpisodeEnd = std::numeric_limits<qint64>::min();

bool mattersToInspector(EventKind kind) {
    switch (kind) {
    case EventKind::CoverOpened:
    case EventKind::PowerCut:
    case EventKind::SensorFault:
    case EventKind::Calibration:
    case EventKind::ParameterChange:
    case EventKind::TenSecondCut:
    case EventKind::GeneralCut:
        return true;
    default:
        return false;
    }
}

// The highest finite upper bound, and the windows that have none.
void raiseUpper(BoundAt& bound, const WindowResult& w) {
    if (!w.upperDb) {
        bound.unbounded = true;
        ++bound.unboundedWindows;
        return;
    }
    if (w.mostEnergy <= bound.energy) return;
    bound.energy = w.mostEnergy;
    bound.start = w.localStart;
    bound.db = w.upperDb;
}

// The highest lower bound that proves something (an empty one proves nothing).
void raiseLower(BoundAt& bound, const WindowResult& w) {
    if (!w.lowerDb || w.leastEnergy <= bound.energy) return;
    bound.energy = w.leastEnergy;
    bound.start = w.localStart;
    bound.db = w.lowerDb;
}

void raise(BoundAt& bound, const BoundAt& other) {
    const int unboundedWindows = bound.unboundedWindows + other.unboundedWindows;
    const bool unbounded = bound.unbounded || other.unbounded;
    if (other.energy > bound.energy) bound = other;
    bound.unboundedWindows = unboundedWindows;
    bound.unbounded = unbounded;
}

bool isExceedance(Verdict verdict) {
    return verdict == Verdict::Certain || verdict == Verdict::Possible;
}

QString frenchDecimal(double db) {
    return QString::number(db, 'f', 1).replace(QLatin1Char('.'), QLatin1Char(','));
}

QString limitLabelOf(const ComplianceSettings& settings) {
    if (!settings.limitDb) return QStringLiteral("aucune limite (niveaux et bornes seulement)");
    const QString duration = QStringLiteral(" sur %1 min").arg(settings.durationMinutes);
    if (settings.preset) {
        const QString unit =
            settings.preset->weighting == Weighting::A ? QStringLiteral("dB(A)") : QStringLiteral("dB(C)");
        return settings.preset->name + QStringLiteral(" : ") + frenchDecimal(*settings.limitDb) +
               QChar(0x00A0) + unit + duration;
    }
    return QStringLiteral("limite libre : ") + frenchDecimal(*settings.limitDb) + QChar(0x00A0) +
           QStringLiteral("dB") + duration;
}

QStringList noteLinesOf(const ComplianceReport& report) {
    QStringList lines;
    lines << QStringLiteral("Les niveaux enregistrés sont des décibels entiers : chaque valeur est prise "
                            "à 0,5 dB près.");
    if (report.generation == 5)
        lines << QStringLiteral("Une minute sans Leq1 enregistré est prise sous le niveau de consigne en "
                                "vigueur, lu comme le seuil du gabarit (fenêtre et historique des paramètres "
                                "compris ; le plus haut des deux quand il change dans la minute) : c'est une "
                                "hypothèse.");
    else
        lines << QStringLiteral("Sans valeurs Leq1, seules les valeurs sur dix minutes bornent le niveau.");
    lines << QStringLiteral("Dix minutes entièrement enregistrées sans valeur sur dix minutes sont prises "
                            "sous 70 dB.");
    lines << QStringLiteral("Une fenêtre qui touche une minute inconnue est « incomplet », sauf "
                            "dépassement certain (les minutes inconnues comptent pour 0).");
    lines << QStringLiteral("Les bornes sont arrondies au dixième vers l'extérieur.");
    if (report.weighting == Weighting::M)
        lines << QStringLiteral("La pondération Type M ne correspond à aucune limite légale.");
    if (report.weighting == Weighting::A)
        lines << QStringLiteral("Mesures pondérées A : la limite de 118 dB(C) ne peut pas être contrôlée "
                                "à partir de ces enregistrements.");
    if (report.scope == VerdictScope::ComplianceOnly)
        lines << QStringLiteral("Mesures linéaires : un niveau linéaire n'est jamais inférieur au niveau "
                                "pondéré C ; une borne sous la limite prouve la conformité, un dépassement "
                                "reste au plus « dépassement possible ».");
    if (report.scope == VerdictScope::None && report.settings.limitDb)
        lines << QStringLiteral("La pondération des mesures (") + WeightingText(report.weighting) +
                     QStringLiteral(") ne permet pas de juger cette limite : niveaux et bornes seulement.");
    const ComplianceNotes& n = report.notes;
    if (n.capsDropped > 0)
        lines << QStringLiteral("%1 bloc(s) de dix minutes : le niveau de consigne a été abandonné pour "
                                "rejoindre la valeur enregistrée.")
                     .arg(n.capsDropped);
    if (n.intervalsDropped > 0)
        lines << QStringLiteral("%1 valeur(s) sur dix minutes contredisent les Leq1 et sont ignorées.")
                     .arg(n.intervalsDropped);
    if (n.offGridTenMinute > 0)
        lines << QStringLiteral("%1 valeur(s) sur dix minutes hors de la grille de leur enregistrement, "
                                "ignorées.")
                     .arg(n.offGridTenMinute);
    if (n.straddlingTenMinute > 0)
        lines << QStringLiteral("%1 valeur(s) sur dix minutes à cheval sur une interruption, ignorées.")
                     .arg(n.straddlingTenMinute);
    if (n.repeatedHourRecords > 0)
        lines << QStringLiteral("%1 enregistrement(s) dans l'heure répétée d'un changement d'heure : de "
                                "deux horodatages égaux, le premier est pris dans le premier passage.")
                     .arg(n.repeatedHourRecords);
    if (n.eitherPassRecords > 0)
        lines << QStringLiteral(
                     "%1 enregistrement(s) de l'heure répétée sans double : ils peuvent appartenir "
                     "à l'un ou l'autre passage, et les bornes valent pour les deux.")
                     .arg(n.eitherPassRecords);
    if (n.windowsOnCaps > 0)
        lines << QStringLiteral("%1 fenêtre(s) dont le verdict repose sur le niveau de consigne, là où "
                                "l'historique des paramètres le documente.")
                     .arg(n.windowsOnCaps);
    // Only a log that starts after the first night's noon leaves power cuts of the period unknown.
    if (n.eventLogStartsLater &&
        (!n.eventLogStart.isValid() || n.eventLogStart > DeviceTime(report.from, kNoon))) {
        const QString since =
            n.eventLogStart.isValid()
                ? QStringLiteral("avant le ") + n.eventLogStart.toString(QStringLiteral("dd/MM/yyyy à hh:mm"))
                : QStringLiteral("de la période");
        lines << QStringLiteral("Le journal des événements commence après les niveaux : les coupures "
                                "d'alimentation ") +
                     since + QStringLiteral(" ne sont pas connues.");
    }
    return lines;
}
} // namespace

void VerdictCounts::add(Verdict verdict) {
    switch (verdict) {
    case Verdict::Certain:
        ++certain;
        break;
    case Verdict::Possible:
        ++possible;
        break;
    case Verdict::Compliant:
        ++compliant;
        break;
    case Verdict::Incomplete:
        ++incomplete;
        break;
    case Verdict::None:
        ++none;
        break;
    }
}

VerdictCounts& VerdictCounts::operator+=(const VerdictCounts& o) {
    certain += o.certain;
    possible += o.possible;
    compliant += o.compliant;
    incomplete += o.incomplete;
    none += o.none;
    return *this;
}

int MinuteAccount::unknownTotal() const {
    int total = 0;
    for (int n : unknown)
        total += n;
    return total;
}

MinuteAccount& MinuteAccount::operator+=(const MinuteAccount& o) {
    covered += o.covered;
    for (std::size_t i = 0; i < unknown.size(); ++i)
        unknown[i] += o.unknown[i];
    return *this;
}

QString WeightingText(Weighting weighting) {
    switch (weighting) {
    case Weighting::A:
        return QStringLiteral("Pondérée Type A");
    case Weighting::Linear:
        return QStringLiteral("Linéaire");
    case Weighting::M:
        return QStringLiteral("Pondérée Type M");
    }
    return {};
}

QString CompliancePeriodProblem(const QDate& from, const QDate& to) {
    const QDate first(kComplianceFirstYear, 1, 1), last(kComplianceLastYear, 12, 30);
    if (!from.isValid() || !to.isValid() || from > to) return QStringLiteral("La période est invalide.");
    if (from < first || to > last)
        return QStringLiteral("Les nuits doivent être comprises entre le %1 et le %2 : l'appareil, et donc "
                              "toute archive, ne date ses enregistrements que de %3 à %4.")
            .arg(first.toString(QStringLiteral("dd/MM/yyyy")), last.toString(QStringLiteral("dd/MM/yyyy")))
            .arg(kComplianceFirstYear)
            .arg(kComplianceLastYear);
    return {};
}

ComplianceReport BuildComplianceReport(const ComplianceInput& input, const ComplianceSettings& settings,
                                       const QDate& from, const QDate& to,
                                       const std::function<void(const WindowResult&)>& onWindow) {
    ComplianceReport report;
    report.device = input.device;
    report.from = from;
    report.to = to;
    report.generation = input.generation;
    report.weighting = input.weighting;
    ComplianceAnalysis analysis(input, settings);
    report.settings = analysis.settings();
    report.scope = analysis.scope();
    report.limitLabel = limitLabelOf(report.settings);

    qint64 periodEpisodeEnd = kNoEpisodeEnd;
    // The CSV of the same period, hashed as it would be written, so a report names the rows it rests on.
    QCryptographicHash csv(QCryptographicHash::Sha256);
    csv.addData(QByteArray(kComplianceCsvHeader) + '\n');
    for (QDate day = from; day.isValid() && to.isValid() && day <= to; day = day.addDays(1)) {
        NightReport night;
        night.day = day;
        const QDateTime noon = DeviceTime(day, kNoon), nextNoon = DeviceTime(day.addDays(1), kNoon);
        std::optional<ExceedanceEpisode> episode;
        const auto closeEpisode = [&] {
            if (episode) night.episodes.push_back(*episode);
            episode.reset();
        };
        const auto window = [&](const WindowResult& w) {
            if (onWindow) onWindow(w);
            csv.addData(ComplianceCsvRow(w));
            raiseUpper(night.highestUpper, w);
            raiseLower(night.highestLower, w);
            night.counts.add(w.verdict);
            if (report.settings.keepWindows)
                night.band.push_back({w.localStart, w.lowerDb, w.upperDb, w.verdict});
            if (!isExceedance(w.verdict)) return;
            const qint64 end = w.start + report.settings.durationMinutes;
            // A span that overlaps or meets the episode's joins it.
            if (episode && w.start > episode->endMinute) closeEpisode();
            if (!episode) {
                episode.emplace();
                episode->firstStart = w.localStart;
                episode->firstMinute = w.start;
                // One stretch of the period, though the night cuts it at noon.
                if (w.start > periodEpisodeEnd) ++report.episodeCount;
            }
            episode->end = w.localEnd;
            episode->endMinute = end;
            periodEpisodeEnd = end;
            episode->certain = episode->certain || w.verdict == Verdict::Certain;
            raiseUpper(episode->highestUpper, w);
            raiseLower(episode->highestLower, w);
        };
        const auto minute = [&](const MinuteState& m) {
            if (m.unknown)
                ++night.minutes.unknown[static_cast<std::size_t>(*m.unknown)];
            else
                ++night.minutes.covered;
        };
        night.firstMinute = analysis.elapsedOf(noon);
        analysis.run(night.firstMinute, analysis.elapsedOf(nextNoon), window, minute);
        closeEpisode();
        auto event =
            std::lower_bound(input.events.begin(), input.events.end(), noon,
                             [](const ComplianceEvent& e, const QDateTime& t) { return e.stamp < t; });
        for (; event != input.events.end() && event->stamp < nextNoon; ++event)
            if (mattersToInspector(event->kind)) night.events.push_back(*event);

        raise(report.highestUpper, night.highestUpper);
        raise(report.highestLower, night.highestLower);
        report.counts += night.counts;
        report.minutes += night.minutes;
        report.nights.push_back(std::move(night));
    }
    report.csvSha256 = QString::fromLatin1(csv.result().toHex());
    report.notes = analysis.notes();
    report.noteLines = noteLinesOf(report);
    return report;
}

ComplianceNightBands::ComplianceNightBands(const ComplianceInput& input, const ComplianceSettings& settings)
    : m_analysis(std::make_unique<ComplianceAnalysis>(input, settings)) {}

ComplianceNightBands::~ComplianceNightBands() = default;

std::vector<BandPoint> ComplianceNightBands::band(const NightReport& night) {
    std::vector<BandPoint> band;
    const qint64 end = m_analysis->elapsedOf(DeviceTime(night.day.addDays(1), kNoon));
    m_analysis->run(night.firstMinute, end, [&](const WindowResult& w) {
        band.push_back({w.localStart, w.lowerDb, w.upperDb, w.verdict});
    });
    return band;
}
