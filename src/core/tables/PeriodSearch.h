#pragma once

#include "core/store/DataStore.h"

#include <algorithm>
#include <cstdint>
#include <tuple>

// A calendar day as the period search compares it: (year, month, day), whatever the values.
struct DayKey {
    int year = 0;
    int month = 0;
    int day = 0;
    // NOLINTNEXTLINE(modernize-use-nullptr): the defaulted comparison holds no pointer
    auto operator<=>(const DayKey&) const = default;
};

// First and last row of a table that belong to a period; both 0 when none does.
struct PeriodRows {
    int32_t first = 0;
    int32_t last = 0;
    bool isEmpty() const { return first == 0 && last == 0; }
};

// The chosen period, from the six period texts of the store. A text that is not a number counts 0.
DayKey periodStart(const DataStore& store);
DayKey periodEnd(const DataStore& store);
bool isOneDayPeriod(const DataStore& store);

// The first unbroken run of rows (1..rowCount) whose date lies between start and end inclusive; the
// times are not compared. Rows are in ascending date order with the invalid rows last, so the scan
// stops at the first row after the run.
template <class Table> PeriodRows findPeriodRows(const Table& table, int rowCount, DayKey start, DayKey end) {
    PeriodRows rows;
    rowCount = std::clamp(rowCount, 0, Table::rowCount);
    for (int r = 1; r <= rowCount; ++r) {
        const DayKey date{2000 + table(r, 6), table(r, 5), table(r, 3)};
        const bool inPeriod = start <= date && date <= end;
        if (inPeriod && rows.first == 0) {
            rows.first = r;
        } else if (!inPeriod && rows.first != 0) {
            rows.last = r - 1;
            break;
        }
    }
    if (rows.first != 0 && rows.last == 0) rows.last = rowCount;
    return rows;
}

// Sets Period_First and Period_Last for the store's period on one of its tables.
void FindPeriodRows(DataStore& store, const LeqTable& table, int rowCount);
void FindPeriodRows(DataStore& store, const EventTable& table, int rowCount);
