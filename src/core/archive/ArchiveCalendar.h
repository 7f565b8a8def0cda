#pragma once

#include "core/archive/ArchiveTypes.h"
#include "core/compliance/ComplianceNights.h"

#include <QDate>
#include <QDateTime>
#include <QString>
#include <cstdint>
#include <optional>
#include <vector>

// The rules of the Archives window's coverage calendar: how a day is drawn, which months show, how
// old the last download is, and which days the user has chosen. No widget here: the window paints
// what these say.

// How loud a day's noon-to-noon span was, against the limit of the data's weighting: the colour of the
// nights no legal limit fits (Type M), whose verdict says nothing.
enum class Loudness { NoLevel, Quiet, NearLimit, OverLimit };

// Levels this close under the limit (dB) already count as near it.
constexpr int kNearLimitMargin = 3;
// The memory of a device holds about a week: a download older than this is due.
constexpr int kDownloadDueAfterDays = 6;

Loudness LoudnessOf(const std::optional<int>& highestLevel, int limitDb);

// Colours as 0xRRGGBB. A covered day is filled with the colour of its night's verdict (VerdictColour),
// or of its loudness when the night has no legal limit (partly covered: only its lower half); a day not
// covered up to today is left pale and hatched, so gaps stand out at a glance; a day after today is
// plain: nothing can be there yet.
uint32_t LoudnessColour(Loudness loudness);
constexpr uint32_t kGapColour = 0xECEFF1;
constexpr uint32_t kGapHatchColour = 0x607D8B;
constexpr uint32_t kFutureColour = 0xFFFFFF;
constexpr uint32_t kFutureEdgeColour = 0xCFD8DC;
constexpr uint32_t kDueColour = 0xC62828;

struct CalendarCell {
    QDate day;
    DayCover cover = DayCover::None;
    bool future = false; // after today, with nothing recorded
    // The verdict of the night that starts at noon of the day, against the legal preset of its weighting;
    // none for a night without one (Type M): its loudness colours it.
    std::optional<Verdict> verdict;
    Loudness loudness = Loudness::NoLevel;
    // "samedi 13 juin 2026 : couvert, nuit conforme (Décret 2017 — A), Leq10 max 98 dB"
    QString toolTip;
    uint32_t colour() const { return verdict ? VerdictColour(*verdict) : LoudnessColour(loudness); }
};

// One row per month, from the month of the first day covered to the month of today (or of the last
// day covered, when the device's clock runs ahead of the PC's).
struct CalendarMonth {
    int year = 0;
    int month = 0;
    std::vector<CalendarCell> days; // the month's days; a day outside the coverage is None
};

// nights: the verdicts of the coverage's nights (ArchivedNightVerdicts), in any order; today: the PC's
// date, so that the days since the last download show as not covered (invalid: up to the last day).
std::vector<CalendarMonth> BuildCalendar(const Coverage& coverage, const std::vector<JudgedNight>& nights,
                                         const QDate& today);

// Whole days since the last download (today counts from its date); nothing when there is none.
std::optional<int> DaysSinceDownload(const QDateTime& lastDownload, const QDate& today);
bool DownloadIsDue(const std::optional<int>& days);
// "Dernier téléchargement : 29/11/2026, il y a 10 jours" (", hier", ", aujourd'hui"), "Aucun
// téléchargement".
QString DaysSinceText(const QDateTime& lastDownload, const QDate& today);

// The days chosen on the calendar: a click chooses one day, a shift-click or a drag stretches the
// choice from the day first clicked.
class CalendarSelection {
public:
    void click(const QDate& day, bool extend);
    void clear() { *this = {}; }
    bool isEmpty() const { return !m_first.isValid(); }
    bool contains(const QDate& day) const { return !isEmpty() && day >= m_first && day <= m_last; }
    QDate first() const { return m_first; }
    QDate last() const { return m_last; }
    int dayCount() const { return isEmpty() ? 0 : static_cast<int>(m_first.daysTo(m_last)) + 1; }

private:
    QDate m_anchor, m_first, m_last;
};
