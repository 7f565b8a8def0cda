#pragma once

#include "core/store/DataStore.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <cstdint>

// The date-time of a record as one number that sorts like the record and reads like it:
// yymmddhhmm (2603291459 is 29/03/2026 14:59). A day the calendar lacks (31/02), which the device's
// validity test lets through, is no date: the archive neither stores nor reads such rows.
namespace Stamp {
inline int64_t of(int year, int month, int day, int hour, int minute) {
    return (((static_cast<int64_t>(year) * 100 + month) * 100 + day) * 100 + hour) * 100 + minute;
}
template <class Table> int64_t ofRow(const Table& table, int row) {
    return of(table(row, 6), table(row, 5), table(row, 3), table(row, 2), table(row, 1));
}
inline int minute(int64_t s) {
    return static_cast<int>(s % 100);
}
inline int hour(int64_t s) {
    return static_cast<int>(s / 100 % 100);
}
inline int day(int64_t s) {
    return static_cast<int>(s / 10000 % 100);
}
inline int month(int64_t s) {
    return static_cast<int>(s / 1000000 % 100);
}
inline int year(int64_t s) {
    return static_cast<int>(s / 100000000);
}
// Device time as a UTC QDateTime (no time-zone rule applies); null for a day the month lacks.
QDateTime toDateTime(int64_t s);
int64_t fromDateTime(const QDateTime& t);
inline int64_t dayStart(const QDate& d) {
    return of(d.year() - 2000, d.month(), d.day(), 0, 0);
}
inline int64_t dayEnd(const QDate& d) {
    return of(d.year() - 2000, d.month(), d.day(), 23, 59);
}
} // namespace Stamp

// The device's clock as read from a transfer date and time text ("dd/mm/yyyy", "hh:mm(:ss)"); invalid
// when the texts are not those.
QDateTime TransferDateTime(const QString& date, const QString& time);

// The save-file form of a data set: the canonical content of a download. withLastLine false leaves
// out the transfer date line, so that a transfer and the file saved from it have the same hash.
QByteArray SaveFileBytes(const DeviceData& data, int generation, bool withLastLine);
QString ContentHash(const DeviceData& data, int generation); // SHA-256 of the form without last line, hex

// The eight raw serial cells as stored ("12,0,3,...") and the generation-specific level of a row.
QString SerialCellsText(const ParamZone& block);
inline int LevelOf(int generation, int c7, int c8) {
    return generation == 3 ? c7 * 100 + c8 : c8 * 100 + c7;
}

// The parameter zone as archived with a download (compressed 16-bit cells) back into a data set:
// Param_Block for generation 5; Param_Block_V3 and the Param_Block built from it for generation 3.
// False, with data unchanged, when the bytes are not a zone of that generation.
bool RestoreParamZone(const QByteArray& archived, int generation, DeviceData& data);
