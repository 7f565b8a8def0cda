#include "core/tables/TableDates.h"

#include "core/store/Labels.h"

#include <QDate>

int lastDayOfMonth(int month, int year) {
    switch (month) {
    case 4:
    case 6:
    case 9:
    case 11:
        return 30;
    case 2:
        return year % 4 == 0 ? 29 : 28;
    default:
        return 31;
    }
}

RecordStamp stepBack(RecordStamp stamp, int minutes) {
    stamp.minute -= minutes;
    if (stamp.minute < 0) {
        stamp.minute += 60;
        --stamp.hour;
    }
    if (stamp.hour < 0) {
        stamp.hour += 24;
        --stamp.day;
    }
    if (stamp.day <= 0) {
        --stamp.month;
        if (stamp.month <= 0) {
            stamp.month = 12;
            --stamp.year;
        }
        stamp.day = lastDayOfMonth(stamp.month, stamp.year);
    }
    return stamp;
}

namespace {
// Days from 1 March of year 0 of the proleptic Gregorian calendar (H. Hinnant's civil-day count),
// with the month first folded into 1..12.
int64_t civilDays(int64_t year, int64_t month, int64_t day) {
    const int64_t monthIndex = month - 1;
    year += monthIndex >= 0 ? monthIndex / 12 : (monthIndex - 11) / 12;
    month = ((monthIndex % 12) + 12) % 12 + 1;
    year -= month <= 2 ? 1 : 0;
    const int64_t era = (year >= 0 ? year : year - 399) / 400;
    const int64_t yearOfEra = year - era * 400;
    const int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5;
    const int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra + (day - 1);
}
} // namespace

int64_t stampMinutes(const RecordStamp& stamp) {
    return (civilDays(stamp.year, stamp.month, stamp.day) * 24 + stamp.hour) * 60 + stamp.minute;
}

QString weekdayOf(const RecordStamp& stamp) {
    return WeekdayLabelOf(QDate(stamp.year, stamp.month, stamp.day));
}
