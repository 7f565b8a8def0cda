#pragma once

#include "core/archive/ArchiveTypes.h"

#include <QDate>
#include <QDateTime>
#include <QString>
#include <cstdint>
#include <optional>
#include <vector>

// The rules of the Archives window's coverage calendar: how a day is drawn, which months show, how
// old the last download is, and which days the user has chosen. No widget here: the window paints
// what these say.

// How loud a day's noon-to-noon span was, against the limit of the data's weighting.
enum class Loudness { NoLevel, Quiet, NearLimit, OverLimit };

// Levels this close under the limit (dB) already count as near it.
constexpr int kNearLimitMargin = 3;
// The memory of a device holds about a week: a download older than this is due.
constexpr int kDownloadDueAfterDays = 6;

Loudness LoudnessOf(const std::optional<int>& highestLevel, int limitDb);

// Colours as 0xRRGGBB. A covered day is filled with the colour of its loudness (partly covered: only
// its lower half); a day not covered is left pale and hatched, so gaps stand out at a glance.
uint32_t LoudnessColour(Loudness loudness);
constexpr uint32_t kGapColour = 0xECEFF1;
constexpr uint32_t kGapHatchColour = 0x607D8B;
constexpr uint32_t kDueColour = 0xC62828;

struct CalendarCell {
    QDate day;
    DayCover cover = DayCover::None;
    Loudness loudness = Loudness::NoLevel;
    QString toolTip; // "lundi 3 mars 2025 : couvert en partie, Leq10 max 98 dB"
};

// One row per month, from the month of the first day to the month of the last.
struct CalendarMonth {
    int year = 0;
    int month = 0;
    std::vector<CalendarCell> days; // the month's days; a day outside the coverage is None
};

std::vector<CalendarMonth> BuildCalendar(const Coverage& coverage);

// Whole days since the last download (today counts from its date); nothing when there is none.
std::optional<int> DaysSinceDownload(const QDateTime& lastDownload, const QDate& today);
bool DownloadIsDue(const std::optional<int>& days);
// "Dernier téléchargement : il y a 3 jours", "aujourd'hui", "Aucun téléchargement".
QString DaysSinceText(const std::optional<int>& days);

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
