#include "core/archive/ArchiveCalendar.h"

#include <gtest/gtest.h>

namespace {

TEST(ArchiveCalendar, LoudnessAgainstTheLimit) {
    const int limit = 102;
    struct Case {
        std::optional<int> highest;
        Loudness expected;
    };
    const Case cases[] = {
        {std::nullopt, Loudness::NoLevel},
        {limit - kNearLimitMargin, Loudness::Quiet},
        {limit - kNearLimitMargin + 1, Loudness::NearLimit},
        {limit, Loudness::NearLimit}, // at the limit is still allowed
        {limit + 1, Loudness::OverLimit},
    };
    for (const Case& c : cases)
        EXPECT_EQ(LoudnessOf(c.highest, limit), c.expected) << c.highest.value_or(-1);
    // Every state has its own colour, and none looks like a gap or a day to come; nor does a verdict.
    const Loudness all[] = {Loudness::NoLevel, Loudness::Quiet, Loudness::NearLimit, Loudness::OverLimit};
    for (Loudness a : all) {
        EXPECT_NE(LoudnessColour(a), kGapColour);
        EXPECT_NE(LoudnessColour(a), kFutureColour);
        for (Loudness b : all)
            if (a != b) {
                EXPECT_NE(LoudnessColour(a), LoudnessColour(b));
            }
    }
    const Verdict verdicts[] = {Verdict::Certain, Verdict::Possible, Verdict::Compliant, Verdict::Incomplete};
    for (Verdict a : verdicts) {
        EXPECT_NE(VerdictColour(a), kGapColour);
        EXPECT_NE(VerdictColour(a), kFutureColour);
        for (Verdict b : verdicts)
            if (a != b) {
                EXPECT_NE(VerdictColour(a), VerdictColour(b));
            }
    }
}

// Months run whole from the first day covered to today: a day no download covers is a gap up to
// today (the days since the last download among them) and "à venir" after it. A covered day shows its
// night's verdict, or its loudness when the night has no legal preset (Type M).
TEST(ArchiveCalendar, DayStatesUpToToday) {
    Coverage coverage;
    coverage.limitDb = 102;
    coverage.days = {{QDate(2025, 1, 30), DayCover::Partial, 90},
                     {QDate(2025, 1, 31), DayCover::Whole, 104},
                     {QDate(2025, 2, 1), DayCover::None, std::nullopt},
                     {QDate(2025, 3, 2), DayCover::Whole, 100}};
    const auto decree = FindCompliancePreset(QStringLiteral("decret-a"));
    const std::vector<JudgedNight> nights = {{QDate(2025, 1, 30), decree, Verdict::Compliant},
                                             {QDate(2025, 1, 31), decree, Verdict::Certain},
                                             {QDate(2025, 3, 2), std::nullopt, Verdict::None}};
    struct Day {
        QDate day;
        DayCover cover;
        bool future;
        std::optional<Verdict> verdict;
        Loudness loudness;
    };
    const struct Case {
        QDate today;
        std::size_t months;
        std::vector<Day> days;
    } cases[] = {
        {QDate(2025, 4, 10),
         4,
         {{QDate(2025, 1, 1), DayCover::None, false, std::nullopt, Loudness::NoLevel},
          {QDate(2025, 1, 30), DayCover::Partial, false, Verdict::Compliant, Loudness::Quiet},
          {QDate(2025, 1, 31), DayCover::Whole, false, Verdict::Certain, Loudness::OverLimit},
          {QDate(2025, 3, 2), DayCover::Whole, false, std::nullopt, Loudness::NearLimit},
          {QDate(2025, 3, 31), DayCover::None, false, std::nullopt, Loudness::NoLevel}, // since the download
          {QDate(2025, 4, 10), DayCover::None, false, std::nullopt, Loudness::NoLevel}, // today
          {QDate(2025, 4, 11), DayCover::None, true, std::nullopt, Loudness::NoLevel},
          {QDate(2025, 4, 30), DayCover::None, true, std::nullopt, Loudness::NoLevel}}},
        // A device clock ahead of the PC: the covered days after today stay covered.
        {QDate(2025, 2, 15),
         3,
         {{QDate(2025, 2, 16), DayCover::None, true, std::nullopt, Loudness::NoLevel},
          {QDate(2025, 3, 2), DayCover::Whole, false, std::nullopt, Loudness::NearLimit}}},
        // Without a date for today: up to the last day covered.
        {QDate(), 3, {{QDate(2025, 3, 31), DayCover::None, false, std::nullopt, Loudness::NoLevel}}},
    };
    for (const Case& c : cases) {
        const std::vector<CalendarMonth> months = BuildCalendar(coverage, nights, c.today);
        ASSERT_EQ(months.size(), c.months) << c.today.toString().toStdString();
        EXPECT_EQ(months[1].days.size(), 28u);
        for (const Day& d : c.days) {
            SCOPED_TRACE(d.day.toString(Qt::ISODate).toStdString());
            const CalendarCell& cell =
                months[static_cast<std::size_t>(d.day.month() - 1)].days[d.day.day() - 1];
            EXPECT_EQ(cell.day, d.day);
            EXPECT_EQ(cell.cover, d.cover);
            EXPECT_EQ(cell.future, d.future);
            EXPECT_EQ(cell.verdict, d.verdict);
            EXPECT_EQ(cell.loudness, d.loudness);
            EXPECT_EQ(cell.colour(), d.verdict ? VerdictColour(*d.verdict) : LoudnessColour(d.loudness));
        }
    }
    EXPECT_TRUE(BuildCalendar({}, {}, QDate(2025, 4, 10)).empty());
}

TEST(ArchiveCalendar, DaysSinceTheLastDownload) {
    const QDate today(2025, 6, 10);
    struct Case {
        QDateTime last;
        std::optional<int> days;
        bool due;
    };
    const Case cases[] = {
        {{}, std::nullopt, false},
        {QDateTime(today, QTime(23, 59), Qt::UTC), 0, false},
        {QDateTime(today.addDays(-kDownloadDueAfterDays), QTime(0, 0), Qt::UTC), kDownloadDueAfterDays,
         false},
        {QDateTime(today.addDays(-kDownloadDueAfterDays - 1), QTime(23, 0), Qt::UTC),
         kDownloadDueAfterDays + 1, true},
        {QDateTime(today.addDays(3), QTime(8, 0), Qt::UTC), 0, false}, // a device clock ahead of the PC
    };
    for (const Case& c : cases) {
        const std::optional<int> days = DaysSinceDownload(c.last, today);
        EXPECT_EQ(days, c.days) << c.last.toString().toStdString();
        EXPECT_EQ(DownloadIsDue(days), c.due) << c.last.toString().toStdString();
    }
    // The warning names the day of the last download.
    EXPECT_EQ(DaysSinceText(QDateTime(QDate(2026, 11, 29), QTime(6, 4), Qt::UTC), QDate(2026, 12, 9)),
              QStringLiteral("Dernier téléchargement : 29/11/2026, il y a 10 jours"));
    EXPECT_EQ(DaysSinceText({}, today), QStringLiteral("Aucun téléchargement"));
}

// A click chooses a day; shift-click and drag stretch from the day first clicked, either way.
TEST(ArchiveCalendar, Selection) {
    const QDate d(2025, 5, 10);
    struct Step {
        int offset;
        bool extend;
        int first, last;
    };
    const std::vector<std::vector<Step>> scripts = {
        {{0, false, 0, 0}},
        {{0, false, 0, 0}, {4, true, 0, 4}},
        {{0, false, 0, 0}, {-3, true, -3, 0}, {2, true, 0, 2}}, // dragging back and forth
        {{0, true, 0, 0}},                                      // shift without a first click
        {{0, false, 0, 0}, {5, true, 0, 5}, {7, false, 7, 7}},  // a new click starts again
    };
    for (const auto& script : scripts) {
        CalendarSelection selection;
        for (const Step& s : script) {
            selection.click(d.addDays(s.offset), s.extend);
            EXPECT_EQ(selection.first(), d.addDays(s.first));
            EXPECT_EQ(selection.last(), d.addDays(s.last));
            EXPECT_EQ(selection.dayCount(), s.last - s.first + 1);
        }
    }
}

} // namespace
