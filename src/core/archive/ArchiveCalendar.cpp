#include "core/archive/ArchiveCalendar.h"

#include <QLocale>
#include <map>

Loudness LoudnessOf(const std::optional<int>& highestLevel, int limitDb) {
    if (!highestLevel) return Loudness::NoLevel;
    if (*highestLevel > limitDb) return Loudness::OverLimit;
    if (*highestLevel > limitDb - kNearLimitMargin) return Loudness::NearLimit;
    return Loudness::Quiet;
}

uint32_t LoudnessColour(Loudness loudness) {
    switch (loudness) {
    case Loudness::Quiet:
        return 0x66BB6A; // green
    case Loudness::NearLimit:
        return 0xFFA726; // orange
    case Loudness::OverLimit:
        return 0xE53935; // red
    case Loudness::NoLevel:
        break;
    }
    return 0x90A4AE; // covered, but no level to judge: grey-blue
}

namespace {
QString coverText(DayCover cover) {
    switch (cover) {
    case DayCover::Whole:
        return QStringLiteral("couvert");
    case DayCover::Partial:
        return QStringLiteral("couvert en partie");
    case DayCover::None:
        break;
    }
    return QStringLiteral("non couvert");
}
} // namespace

std::vector<CalendarMonth> BuildCalendar(const Coverage& coverage, const std::vector<JudgedNight>& nights,
                                         const QDate& today) {
    std::vector<CalendarMonth> months;
    if (coverage.days.empty()) return months;
    const QLocale french(QLocale::French, QLocale::France);
    const QDate first = coverage.days.front().day;
    const QDate last = today.isValid() ? std::max(coverage.days.back().day, today) : coverage.days.back().day;
    std::map<QDate, const JudgedNight*> nightOf;
    for (const JudgedNight& night : nights)
        nightOf[night.day] = &night;
    std::size_t next = 0;
    for (QDate m(first.year(), first.month(), 1); m <= last; m = m.addMonths(1)) {
        CalendarMonth month{m.year(), m.month(), {}};
        for (QDate day = m; day.month() == m.month(); day = day.addDays(1)) {
            CalendarCell cell;
            cell.day = day;
            while (next < coverage.days.size() && coverage.days[next].day < day)
                ++next;
            std::optional<int> highest;
            if (next < coverage.days.size() && coverage.days[next].day == day) {
                cell.cover = coverage.days[next].cover;
                highest = coverage.days[next].highestLevel;
            }
            cell.future = today.isValid() && day > today && cell.cover == DayCover::None;
            cell.loudness = LoudnessOf(highest, coverage.limitDb);
            cell.toolTip = french.toString(day, QStringLiteral("dddd d MMMM yyyy")) + QStringLiteral(" : ");
            if (cell.future) {
                cell.toolTip += QStringLiteral("à venir");
            } else {
                cell.toolTip += coverText(cell.cover);
                const auto night = nightOf.find(day);
                if (night != nightOf.end() && night->second->preset) {
                    cell.verdict = night->second->verdict;
                    const QString verdict = *cell.verdict == Verdict::None ? QStringLiteral("sans verdict")
                                                                           : VerdictText(*cell.verdict);
                    cell.toolTip += QStringLiteral(", nuit ") + verdict + QStringLiteral(" (") +
                                    night->second->preset->name + QLatin1Char(')');
                }
                if (highest) cell.toolTip += QStringLiteral(", Leq10 max %1 dB").arg(*highest);
            }
            month.days.push_back(cell);
        }
        months.push_back(std::move(month));
    }
    return months;
}

std::optional<int> DaysSinceDownload(const QDateTime& lastDownload, const QDate& today) {
    if (!lastDownload.isValid()) return std::nullopt;
    return static_cast<int>(std::max<qint64>(0, lastDownload.date().daysTo(today)));
}

bool DownloadIsDue(const std::optional<int>& days) {
    return days && *days > kDownloadDueAfterDays;
}

QString DaysSinceText(const QDateTime& lastDownload, const QDate& today) {
    const std::optional<int> days = DaysSinceDownload(lastDownload, today);
    if (!days) return QStringLiteral("Aucun téléchargement");
    const QString text = QStringLiteral("Dernier téléchargement : ") +
                         lastDownload.date().toString(QStringLiteral("dd/MM/yyyy")) + QStringLiteral(", ");
    if (*days == 0) return text + QStringLiteral("aujourd'hui");
    if (*days == 1) return text + QStringLiteral("hier");
    return text + QStringLiteral("il y a %1 jours").arg(*days);
}

void CalendarSelection::click(const QDate& day, bool extend) {
    if (!day.isValid()) return;
    if (!extend || !m_anchor.isValid()) m_anchor = day;
    m_first = std::min(m_anchor, day);
    m_last = std::max(m_anchor, day);
}
