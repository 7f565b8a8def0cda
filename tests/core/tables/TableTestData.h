#pragma once

#include "core/store/DataStore.h"

#include <QString>
#include <QStringList>
#include <initializer_list>

// Test data sets for the tables, built in code: rows are given as the device's eight bytes.
namespace tabletest {

struct Row {
    int minute, hour, day, kind, month, year, c7, c8;
};

// Puts the rows at the top of the table, in the given order, and marks every other row invalid
// (255 in every cell) as the classification leaves them.
template <class Table> void putRows(Table& table, std::initializer_list<Row> rows) {
    table.fill(255);
    int r = 1;
    for (const Row& row : rows) {
        const int cells[8] = {row.minute, row.hour, row.day, row.kind, row.month, row.year, row.c7, row.c8};
        for (int c = 1; c <= 8; ++c)
            table(r, c) = static_cast<int16_t>(cells[c - 1]);
        ++r;
    }
}

// Sets the six period texts from "dd/mm/yyyy" texts.
inline void setPeriod(DataStore& store, const QString& from, const QString& to) {
    const QStringList a = from.split(QLatin1Char('/'));
    const QStringList b = to.split(QLatin1Char('/'));
    store.Start_Day = a[0];
    store.Start_Month = a[1];
    store.Start_Year = a[2];
    store.End_Day = b[0];
    store.End_Month = b[1];
    store.End_Year = b[2];
}

// The part of a table line after "Le  ": weekday, date and interval, e.g. "Vendredi  29  Février   2008  de
// ...".
inline QString withoutIndent(const QString& line) {
    return line.trimmed();
}

} // namespace tabletest
