#pragma once

#include "core/archive/ArchiveLocation.h"
#include "core/archive/ArchiveResult.h"
#include "core/archive/ArchiveTypes.h"
#include "core/store/DataStore.h"

#include <QString>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class ArchiveDatabase;

// A period of an archived device put back into the shape of a memory image, ready for the store.
struct LoadedPeriod {
    int generation = 5;
    DeviceData data; // records of the period plus the context its windows need
    QString serial;
};

// Every download of every device, stitched into one history per device. One object per connection;
// not shared between threads. Every call that may fail gives an ArchiveResult: its value, or the French
// reason why it has none, never with a password in it; a failing call leaves the archive as it was.
class Archive {
public:
    // Opens (and creates or migrates) the archive. The reason, for a location that is off or that
    // cannot be opened: a corrupt file, a newer archive, a server that does not answer, a missing
    // archive that a command reading it must not create.
    static ArchiveResult<std::unique_ptr<Archive>>
    open(const ArchiveLocation& location, ArchiveOpenMode mode = ArchiveOpenMode::CreateIfMissing);
    ~Archive();
    Archive(const Archive&) = delete;
    Archive& operator=(const Archive&) = delete;

    const ArchiveLocation& location() const;
    // Before each file of a long import: a session the server lost is opened again, once.
    ArchiveStatus ensureConnected();
    SchemaVersion schemaVersion() const;

    // Imports one download in a single transaction: all of it or nothing. originalBytes are kept
    // compressed as evidence (a save file's bytes); when empty, the save-file form of the data is kept.
    // A download is its content and its transfer date-time: the same memory read later is a new
    // download (it adds no records, and covers up to its own transfer). An archive found damaged is
    // not written to.
    ImportResult importDownload(const DeviceData& data, int generation, const DownloadSource& source,
                                const QByteArray& originalBytes = {});

    // Every read gives its value or the French reason it has none (a failed query, a damaged row:
    // "Archive endommagée : table …, ligne …"), never an empty value in place of an error. Each read
    // sees one state of the archive, even while another program imports.
    // only: that device alone (none when it is not archived), without reading the others.
    ArchiveResult<std::vector<ArchivedDevice>> devices(qint64 only = 0);
    ArchiveResult<std::vector<ArchivedDownload>> downloads(qint64 deviceId);
    // The download and its device whose original is these very bytes (by their SHA-256), when one is
    // archived: the same bytes sent again are that download.
    ArchiveResult<std::optional<std::pair<qint64, qint64>>>
    downloadWithOriginal(const QString& originalSha256);
    // The device of a download; 0 when there is no such download.
    ArchiveResult<qint64> deviceOfDownload(qint64 downloadId);

    // Coverage of a device over [from, to] (whole days); null dates: from its first to its last record.
    ArchiveResult<Coverage> coverage(qint64 deviceId, QDate from = {}, QDate to = {});

    // The days first..last of a device as a memory image, with the records up to noon of the day after
    // last (the end of the night of last); its transfer time is the earlier of the download's and that
    // noon. Refused when the period does not fit the tables of the store (see longestLoadable).
    ArchiveResult<LoadedPeriod> loadPeriod(qint64 deviceId, const QDate& first, const QDate& last);
    // The last day of the longest period from first, up to last, that loadPeriod takes; the day before
    // first when first alone does not fit.
    ArchiveResult<QDate> longestLoadable(qint64 deviceId, const QDate& first, const QDate& last);

    // The night verdicts kept for the coverage calendar (see ArchiveNightVerdicts.h): for each night
    // from..to, the key of the downloads it rests on and, when one was kept under that key and this
    // model version, the verdict (a row that breaks the rules is not taken: the night is judged again).
    ArchiveResult<std::vector<NightCacheEntry>> nightVerdictCache(qint64 deviceId, const QDate& from,
                                                                  const QDate& to, int model);
    // Keeps verdicts under their keys. Rows are only added, never changed (a PC's role may insert and
    // read only); a key already kept stays as it is.
    ArchiveStatus keepNightVerdicts(qint64 deviceId, int model, const std::vector<NightCacheEntry>& nights);

    // The original bytes of a download, byte for byte.
    ArchiveResult<QByteArray> originalBytes(qint64 downloadId);

    // While one lives, every read of this archive sees the same state of it (a report that joins many
    // reads). Keep it short.
    class [[nodiscard]] Snapshot {
    public:
        explicit Snapshot(Archive& archive);
        ~Snapshot();
        Snapshot(const Snapshot&) = delete;
        Snapshot& operator=(const Snapshot&) = delete;
        const ArchiveStatus& status() const { return m_status; }

    private:
        Archive& m_archive;
        ArchiveStatus m_status;
    };
    // For tests: called after each statement of a read, with its number within the read.
    void setReadStatementHook(std::function<void(int)> hook);

    // Consistency checks; reports, never repairs. An archive that cannot be read gives a report whose
    // problem says so ("Lecture impossible : ...").
    VerifyReport verify();

    // A venue names the place in a caption or a line: at most kMaxVenueLength characters.
    static constexpr int kMaxVenueLength = 200;
    // Names the device's venue: the venue it is at today is renamed, or a venue of that name is made
    // holding the device from its start when it is at none. An empty name only clears the device's.
    ArchiveStatus setVenue(qint64 deviceId, const QString& venue);

    // Venues and the days their devices were there.
    ArchiveResult<std::vector<ArchivedVenue>> venues();
    ArchiveResult<std::vector<VenueDevice>> venueDevices();
    // A new venue; its id.
    ArchiveResult<qint64> addVenue(const QString& name);
    // The device is at the venue from `from` to `to` (null: open). An open stay of the device that
    // began before `from` elsewhere ends the day before; any other overlap is refused, as are an
    // unknown venue or device and a period that ends before it starts. The id of the stay.
    ArchiveResult<qint64> attachDevice(qint64 venueId, qint64 deviceId, const QDate& from, const QDate& to);

    // Removes a device and everything archived of it, its days at venues and its send tokens included (the
    // venues stay), in one transaction. On PostgreSQL only the role that owns the archive may.
    ArchiveStatus removeDevice(qint64 deviceId);

    // Where an import stands inside its transaction; tests stop an importer there.
    enum class ImportStage { DownloadRow, Levels, Records };
    void setImportStageHook(std::function<void(ImportStage)> hook) { m_stageHook = std::move(hook); }

private:
    friend class ArchiveServerTables; // the web server's accounts, sessions and tokens, on this connection
    explicit Archive(std::unique_ptr<ArchiveDatabase> db);
    // The checks of verify that say whether the archive may be written to; quick: SQLite's quicker
    // check of its file.
    ArchiveResult<VerifyReport> checkStructure(bool quick);
    // reread: also read each original again as a save file (verify); without, its hash alone (before
    // writing, which must stay quick on an archive of years).
    ArchiveStatus checkOriginals(VerifyReport& report, bool reread);
    ArchiveStatus checkBeforeWriting();
    void stage(ImportStage at) {
        if (m_stageHook) m_stageHook(at);
    }

    ArchiveResult<int> deviceGeneration(qint64 deviceId); // checked; inside a read
    std::unique_ptr<ArchiveDatabase> m_db;
    bool m_soundForWriting = false; // checked once per session, before its first write
    std::function<void(ImportStage)> m_stageHook;
};

// Reads a save file and imports it (source: the file's path unless sourceName is given, evidence: the
// bytes read). A file that is refused says why in the words of the window's message box.
ImportResult ImportSaveFile(Archive& archive, const QString& path, const QString& sourceName = {});

// Archives the data of a finished transfer at the location in force (VORL_ARCHIVE or the default
// file; locationText, when not empty, overrides it). Call it only after a transfer that completed:
// the store is read, never changed. Status Disabled when archiving is off.
ImportResult ArchiveFinishedTransfer(const DataStore& store, const QString& locationText = {},
                                     const QString& portName = {});
// The same into an archive already open, from a copy of the transfer's data.
ImportResult ArchiveTransferredData(Archive& archive, const DeviceData& data, int generation,
                                    const QString& portName);

// One short French line for the main window's caption or a console: what the import added, that it
// was already archived, or why it failed.
QString ImportResultText(const ImportResult& result);

// Writes days first..last of a device as a save file every command can read; line 6 carries the
// transfer date of the latest download covering the period's end.
ArchiveStatus ExtractPeriodToFile(Archive& archive, qint64 deviceId, const QDate& first, const QDate& last,
                                  const QString& path);
