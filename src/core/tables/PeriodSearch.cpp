#include "core/tables/PeriodSearch.h"

DayKey periodStart(const DataStore& store) {
    return DayKey{store.Start_Year.toInt(), store.Start_Month.toInt(), store.Start_Day.toInt()};
}

DayKey periodEnd(const DataStore& store) {
    return DayKey{store.End_Year.toInt(), store.End_Month.toInt(), store.End_Day.toInt()};
}

bool isOneDayPeriod(const DataStore& store) {
    return periodStart(store) == periodEnd(store);
}

namespace {
template <class Table> void storePeriodRows(DataStore& store, const Table& table, int rowCount) {
    const PeriodRows rows = findPeriodRows(table, rowCount, periodStart(store), periodEnd(store));
    store.Period_First = rows.first;
    store.Period_Last = rows.last;
}
} // namespace

void FindPeriodRows(DataStore& store, const LeqTable& table, int rowCount) {
    storePeriodRows(store, table, rowCount);
}

void FindPeriodRows(DataStore& store, const EventTable& table, int rowCount) {
    storePeriodRows(store, table, rowCount);
}
