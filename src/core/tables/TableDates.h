#pragma once

#include <QString>
#include <cstdint>

// A record's date and time as the table lines handle them: the calendar year (2000 + year column),
// month, day, hour and minute. Values come straight from the cells, so any of them may be out of
// range; every routine here copes with that.
struct RecordStamp {
    int year = 2000;
    int month = 1;
    int day = 1;
    int hour = 0;
    int minute = 0;

    bool sameDate(const RecordStamp& other) const {
        return year == other.year && month == other.month && day == other.day;
    }
};

template <class Table> RecordStamp recordStamp(const Table& table, int row) {
    return RecordStamp{2000 + table(row, 6), table(row, 5), table(row, 3), table(row, 2), table(row, 1)};
}

// Days in a month as the device software counts them: February has 29 days in every year divisible
// by 4. A month outside 1..12 counts 31 days so that a broken record still gives a line.
int lastDayOfMonth(int month, int year);

// The stamp moved back by `minutes` (less than an hour), field by field: a negative minute borrows an
// hour, a negative hour a day, a day of 0 or less the last day of the previous month (January going
// back to December of the previous year).
RecordStamp stepBack(RecordStamp stamp, int minutes);

// Minutes since a fixed origin, with out-of-range months and days rolled over like a calendar
// serial date, so that the difference of two stamps is defined for any cell values.
int64_t stampMinutes(const RecordStamp& stamp);

// The fixed-width weekday label of the stamp's date ("" when the date does not exist).
QString weekdayOf(const RecordStamp& stamp);
