#pragma once

#include "core/archive/ArchiveResult.h"

#include <QByteArray>
#include <QDate>
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <array>
#include <compare>
#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

// Record dates and times are the device's own local clock. They are held as QDateTime in UTC so no
// time-zone rule of this PC ever shifts or merges them (the autumn repeated hour stays two hours of
// equal stamps).

// The schema of an archive as major.minor. A minor step only adds (a column, a table, an index, a
// constraint every program already satisfies), so a program that knows the major keeps reading and
// writing the archive; a major step changes what older programs rely on, and they refuse it.
struct SchemaVersion {
    int major = 0;
    int minor = 0;
    auto operator<=>(const SchemaVersion&) const = default;
    QString text() const { return QStringLiteral("%1.%2").arg(major).arg(minor); }
};

struct RecordCounts {
    int leq = 0; // generation 3 levels
    int leq1 = 0;
    int leq10 = 0;
    int events = 0;       // event-log rows
    int paramChanges = 0; // parameter-change rows
    int levels() const { return leq + leq1 + leq10; }
    int total() const { return levels() + events + paramChanges; }
    bool operator==(const RecordCounts&) const = default;
};

enum class SourceKind { Transfer, File };

// Where a download came from: a transfer from the device (name: the port, may be empty) or a save
// file (name: its path).
struct DownloadSource {
    SourceKind kind = SourceKind::File;
    QString name;
};

enum class ImportStatus {
    Imported,        // a new download row and its new records
    AlreadyArchived, // the same content read at the same moment was imported before: nothing added
    Disabled         // archiving is off: nothing was tried
};

// What an import did; a failed one is its result's error (French, for a message box; never a password).
struct ImportOutcome {
    ImportStatus status = ImportStatus::Imported;
    qint64 downloadId = 0; // the new download, or the earlier one holding the same content
    qint64 deviceId = 0;
    QString serial; // as vorl-cli info prints it
    RecordCounts added;
    RecordCounts duplicates; // records of the download the archive held already
    // The transfer time (the PC's clock) is earlier than the download's last record (the device's
    // clock): its coverage ends at that record, and one of the two clocks is wrong.
    bool transferBeforeRecords = false;
    // The download is in the archive (new or found there), rather than archiving being off.
    bool kept() const { return status != ImportStatus::Disabled; }
};
using ImportResult = ArchiveResult<ImportOutcome>;

struct ArchivedDevice {
    qint64 id = 0;
    int generation = 5;
    std::array<int16_t, 8> serialCells{}; // the eight raw cells: the identity of the device
    QString serial;                       // the serial text built from them
    QString venue;                        // the name the user gave, may be empty
    QDateTime firstRecord;                // earliest and latest level record; null when none
    QDateTime lastRecord;
    int downloads = 0;
    QDateTime lastDownload; // the latest download's end of coverage
};

struct ArchivedDownload {
    qint64 id = 0;
    qint64 deviceId = 0;
    SourceKind sourceKind = SourceKind::File;
    QString sourceName;
    QDateTime importedAt; // when it was imported (stored in UTC; local for archives written before)
    QString transferDate; // dd/mm/yyyy and hh:mm(:ss) of the download, as the save file carries them
    QString transferTime;
    QDateTime coverFrom;    // earliest level record
    QDateTime coverTo;      // transfer time, or latest record of any kind when there is none
    RecordCounts counts;    // valid rows of the download, by kind
    QString sha256;         // hex, of the canonical save-file form without its last line
    QString originalSha256; // hex, of the original bytes as extracted; empty when they are damaged
    qint64 originalSize = 0;
    bool transferBeforeRecords = false; // see ImportOutcome
};

// A place where devices record: the one a report and the server's rights are about.
struct ArchivedVenue {
    qint64 id = 0;
    QString name;
};

// A device at a venue from its first day to its last, both included; a null date leaves that end
// open. A device is at one venue at most on any day.
struct VenueDevice {
    qint64 id = 0;
    qint64 venueId = 0;
    qint64 deviceId = 0;
    QDate from, to;

    bool covers(const QDate& day) const {
        return (!from.isValid() || day >= from) && (!to.isValid() || day <= to);
    }
};

// A half-open span [from, to) of device time.
struct TimeSpan {
    QDateTime from;
    QDateTime to;
    bool operator==(const TimeSpan&) const = default;
};

enum class DayCover { None, Partial, Whole };

struct DayStatus {
    QDate day;
    DayCover cover = DayCover::None;
    // The loudest ten-minute level (generation 3: level record) of the noon-to-noon span that starts
    // at noon of this day; empty when the span has no level record.
    std::optional<int> highestLevel;
};

struct Coverage {
    std::vector<TimeSpan> covered; // union of the downloads' coverage, in order, merged
    std::vector<TimeSpan> gaps;    // holes between covered spans inside the asked period
    std::vector<DayStatus> days;   // one per calendar day of the asked period
    QDateTime lastDownload;        // end of the latest download's coverage; null when none
    int limitDb = 0;               // the limit the loudness is judged against
    QString weighting;             // "Pondérée Type A", "Pondérée Type M" or "Linéaire"
};

// A night's verdict as the archive keeps it for the coverage calendar, under the key of what it rests on.
struct NightCacheEntry {
    QDate night;       // the night starts at noon of this day
    QString sources;   // hex SHA-256 naming the downloads the night's records and coverage come from
    bool kept = false; // a verdict was found under this key (and the model version asked)
    QString preset;    // the key of the preset it was judged against; empty: none
    QString verdict;   // "certain", "possible", "conforme", "incomplet"; empty: none
    // The night's episodes over the limit, certain and possible. None: the verdict was kept by a program
    // that did not keep them (a night whose verdict says no window went over has none).
    std::optional<std::pair<int, int>> episodes;
};

struct VerifyReport {
    QStringList problems; // inconsistencies found; empty when the archive is sound
    QStringList notes;    // things that cannot be decided, e.g. a download beginning in a repeated hour
    bool ok() const { return problems.isEmpty(); }
};
