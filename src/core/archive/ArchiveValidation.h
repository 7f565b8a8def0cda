#pragma once

#include "core/archive/ArchiveTypes.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <array>
#include <cstdint>
#include <optional>
#include <vector>

class QSqlQuery;

// What a value read from the archive must be before the program uses it. The archive may have been
// written by another tool or damaged on disk: a value that this program could not have written is
// refused with a message naming the table and the row, never passed on to code that would trust it
// (a parameter zone sized for one generation and filled as the other, a cell that does not fit).
//
// One rule for dates: a stamp is a device date-time with every field in range (the device's own
// date test). A day the month lacks (31/02) is no date at all: such rows are left out wherever they
// are read, as the tables of a save file leave them out, and never stored.
namespace ArchiveCheck {

// "Archive endommagée : table levels, ligne appareil 1, 2610151230 : ..." (one line, French).
QString damaged(const QString& table, const QString& row, const QString& what);
// A value read from the archive as a message may show it: short, its control characters replaced.
QString shown(const QVariant& value);

// An integer column: the value must be an integer (not text, a fraction or null) within [low, high].
std::optional<qint64> integer(const QVariant& value, qint64 low, qint64 high);
// A stamp column (yymmddhhmm) whose fields are each in range; the day may still be one the month lacks.
std::optional<int64_t> stamp(const QVariant& value);
bool isStamp(int64_t stamp);
// A nullable stamp column as a time: nothing when damaged or on a day the month lacks; a null time for
// SQL NULL.
std::optional<QDateTime> stampTime(const QVariant& value);
// Whether the stamp's day exists in its month (the rows of a day like 31/02 are left out).
bool isCalendarDay(int64_t stamp);
// A record cell as the tables hold it (16 bits).
std::optional<int16_t> cell(const QVariant& value);

// A generation this program knows: 3 or 5.
bool isGeneration(qint64 generation);
// The eight serial cells "c0,c1,...,c7".
std::optional<std::array<int16_t, 8>> serialCells(const QVariant& value);
// The cells of a parameter-change row as stored: column 4 then columns 7.., each a 16-bit cell.
std::optional<std::vector<int16_t>> changeCells(const QVariant& value, int count);
// A transfer date or time text as line 6 of a save file carries it: short, no space, no '_', no
// control character.
bool isTransferText(const QVariant& value);
bool isSha256(const QVariant& value);

// The bytes of a compressed column, checked before they are unpacked: the size announced in the
// header must be expectedSize (or at most maxSize when expectedSize is negative), so hostile bytes
// never make the program allocate what they claim. Nothing when the bytes do not unpack to it.
std::optional<QByteArray> unpacked(const QVariant& value, qsizetype expectedSize, qsizetype maxSize = 0);

// The columns id, device_id, source_kind, source_name, imported_at, transfer_date, transfer_time,
// cover_from, cover_to, n_leq, n_leq1, n_leq10, n_events, n_changes, sha256, original_size of a
// download, from column first of the query on: what is wrong with them (French), empty when nothing.
QString downloadRowProblem(const QSqlQuery& query, int first);

// The largest original a download may hold (a save file is under 1 MB).
constexpr qint64 kMaxOriginalSize = qint64{64} * 1024 * 1024;
// The rows a download of the generation can hold, by table.
int maxLevelRows(int generation);
int maxEventRows();
int maxChangeRows();

// The SQL condition a row of levels, events or param_changes must meet (alias: the table's alias
// with its dot, or empty). The same rules as above, for reads that only see the rows in aggregate
// (a maximum, a count). For levels, generation is the device's (it decides the level column).
QString validLevelRowSql(bool sqlite, int generation, const QString& alias = {});
QString validEventRowSql(bool sqlite, const QString& alias = {});
QString validChangeRowSql(bool sqlite, const QString& alias = {});

} // namespace ArchiveCheck

class ArchiveDatabase;
template <class T> class ArchiveResult;
struct ArchiveDone;

// The record tables whose rows are checked in SQL.
enum class RecordRows { Levels, Events, ParamChanges };

namespace ArchiveCheck {
// The rows of one device's table stamped within [from, to] (every row when from is the lowest int64)
// that a read is about to use in aggregate:
// an error naming the first that breaks the rules, or why the check could not run.
ArchiveResult<ArchiveDone> recordRows(ArchiveDatabase& db, RecordRows table, qint64 deviceId, int64_t from,
                                      int64_t to, int generation);
// The coverage columns of every download of a device, which the choice of a period's download reads
// in SQL: an error naming the first download whose coverage is impossible.
ArchiveResult<ArchiveDone> downloadCovers(ArchiveDatabase& db, qint64 deviceId);
} // namespace ArchiveCheck

namespace ArchiveCheck {
// Every row of the archive against the rules above (what `verify` adds to its own checks): one
// problem per table at most for the record tables (the first damaged row), one per damaged device or
// download. An error when the archive cannot be read.
ArchiveResult<QStringList> damagedRows(ArchiveDatabase& db);
} // namespace ArchiveCheck
