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
    // Every state has its own colour, and none looks like a gap.
    const Loudness all[] = {Loudness::NoLevel, Loudness::Quiet, Loudness::NearLimit, Loudness::OverLimit};
    for (Loudness a : all) {
        EXPECT_NE(LoudnessColour(a), kGapColour);
        for (Loudness b : all)
            if (a != b) {
                EXPECT_NE(LoudnessColour(a), LoudnessColour(b));
            }
    }
}

// Months run whole from the first to the last day asked; days outside the coverage list are gaps,
// and each day keeps its cover and loudness.
TEST(ArchiveCalendar, MonthsAndDayStates) {
    Coverage coverage;
    coverage.limitDb = 102;
    coverage.days = {{QDate(2025, 1, 30), DayCover::Partial, 90},
                     {QDate(2025, 1, 31), DayCover::Whole, 104},
                     {QDate(2025, 2, 1), DayCover::None, std::nullopt},
                     {QDate(2025, 3, 2), DayCover::Whole, std::nullopt}};
    const std::vector<CalendarMonth> months = BuildCalendar(coverage);
    ASSERT_EQ(months.size(), 3u);
    EXPECT_EQ(months[0].days.size(), 31u);
    EXPECT_EQ(months[1].days.size(), 28u);
    struct Case {
        std::size_t month, day;
        DayCover cover;
        Loudness loudness;
    };
    const Case cases[] = {
        {0, 1, DayCover::None, Loudness::NoLevel},     {0, 30, DayCover::Partial, Loudness::Quiet},
        {0, 31, DayCover::Whole, Loudness::OverLimit}, {1, 1, DayCover::None, Loudness::NoLevel},
        {2, 2, DayCover::Whole, Loudness::NoLevel},    {2, 31, DayCover::None, Loudness::NoLevel},
    };
    for (const Case& c : cases) {
        const CalendarCell& cell = months[c.month].days[c.day - 1];
        EXPECT_EQ(cell.day.day(), static_cast<int>(c.day));
        EXPECT_EQ(cell.cover, c.cover) << c.month << '/' << c.day;
        EXPECT_EQ(cell.loudness, c.loudness) << c.month << '/' << c.day;
    }
    EXPECT_TRUE(BuildCalendar({}).empty());
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
