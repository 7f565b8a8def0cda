#pragma once

#include "core/store/DataStore.h"

// The date test every record kind shares: minute 0..59, hour 0..23, day 1..31, month 1..12,
// year within the century 0..98 (columns 1, 2, 3, 5, 6; column 4 never counts).
inline bool isValidRecordDate(int minute, int hour, int day, int month, int year) {
    return minute >= 0 && minute <= 59 && hour >= 0 && hour <= 23 && day >= 1 && day <= 31 && month >= 1 &&
           month <= 12 && year >= 0 && year <= 98;
}

template <class Table> bool hasValidRecordDate(const Table& table, int row) {
    return isValidRecordDate(table(row, 1), table(row, 2), table(row, 3), table(row, 5), table(row, 6));
}

// A level or event row is valid when its date is and neither byte 7 nor byte 8 holds 255.
template <class Table> bool isValidLevelOrEventRow(const Table& table, int row) {
    return hasValidRecordDate(table, row) && table(row, 7) != 255 && table(row, 8) != 255;
}

// A parameter-change row only needs a valid date.
inline bool isValidParamChangeRow(const ParamChangeTable& table, int row) { return hasValidRecordDate(table, row); }

// An event-log row is an event when exactly one of its two code bytes (columns 7 and 8) is non-zero.
inline bool isEventRow(const EventTable& table, int row) { return (table(row, 7) != 0) != (table(row, 8) != 0); }
