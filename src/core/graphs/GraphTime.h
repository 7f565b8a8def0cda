#pragma once

#include "core/store/DataStore.h"

#include <QDate>
#include <optional>

// The time model of a graph window: the window runs from noon of the start day to noon of the end
// day (start + 1, 3 or 7 days); on the x axis noon of the start day is 12 and one unit is 1, 3 or
// 6 hours.

// Minutes of one x unit: 60 for 1 day, 180 for 3 days, 360 for 7 days.
int minutesPerUnit(int graphDays);
// Right end of the time axis (and of the template and limit lines): 37, or 41 for 7 days.
double axisEndX(int graphDays);

struct GraphSpan {
    QDate start; // noon of this day is x = 12
    QDate end;
    int days = 1;
    bool isValid() const { return start.isValid() && end.isValid(); }
};

// The window the graph dialog stored (Start_* and End_* texts, Graph_Days).
GraphSpan graphSpanOf(const DataStore& store);

// Calendar day k (0..7) of the window calendar, as numbers; nullopt when its texts make no date.
std::optional<QDate> calendarDate(const DataStore& store, int k);

// Minutes from noon of `start` to `hour`:`minute` of `date`.
qint64 minutesFromNoon(const QDate& start, const QDate& date, int hour, int minute);

// Minutes from noon of the start day to the given date-time (year within the century); nullopt when
// the cells do not make a date and time.
std::optional<qint64> minutesSinceStart(const GraphSpan& span, int day, int month, int year, int hour,
                                        int minute);

// The x of a date-time. The offset is taken in days cut to 7 decimals and divided by a minute cut to
// 7 decimals (0.0006944 day), as the device software always placed its points: a point therefore lies
// a hair right of the exact minute (12:10 of a 1-day window is x = 12.16668).
std::optional<double> timeX(const GraphSpan& span, int day, int month, int year, int hour, int minute);

// The x of a record row (columns 1, 2, 3, 5, 6 are minute, hour, day, month, year).
template <class Table> std::optional<double> recordX(const GraphSpan& span, const Table& table, int row) {
    return timeX(span, table(row, 3), table(row, 5), table(row, 6), table(row, 2), table(row, 1));
}

// A record lies inside the window when it is on the start day from 12 h, on the end day up to 11 h,
// or on a day between. Only the hour is compared: 11:59 of the end day is inside.
bool isInsideWindow(const GraphSpan& span, int day, int month, int year, int hour);

struct RowRange {
    int first = 0; // 0 = no row
    int last = 0;
    bool isEmpty() const { return first == 0 || last == 0; }
    bool operator==(const RowRange&) const = default;
};

// The rows of the window in a chronologically sorted table: the first inside row starts the range,
// the first outside row after it ends it (nothing after it is looked at); a range still open at the
// bound ends at the bound.
template <class Table> RowRange FindWindowRows(const Table& table, int bound, const GraphSpan& span) {
    RowRange range;
    if (bound > Table::rowCount) bound = Table::rowCount;
    for (int row = 1; row <= bound; ++row) {
        const bool inside = isInsideWindow(span, table(row, 3), table(row, 5), table(row, 6), table(row, 2));
        if (range.first == 0) {
            if (inside) range.first = row;
        } else if (!inside) {
            range.last = row - 1;
            break;
        }
    }
    if (range.first != 0 && range.last == 0) range.last = bound;
    if (range.last < range.first) range = {};
    return range;
}
