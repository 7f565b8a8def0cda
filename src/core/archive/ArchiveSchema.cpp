// The schema of the archive: its versions, the steps from one to the next, the constraints on what
// any program may write into it.
#include "core/archive/ArchiveDatabase.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QSqlQuery>
#include <QStringList>

namespace {

// Every schema in order; an archive is brought from its own to the newest by the steps after it.
constexpr SchemaVersion kSteps[] = {{1, 0}, {2, 0}, {2, 1}, {2, 2}, {2, 3}, {2, 4}};

// A record date-time yymmddhhmm as the device's validity test accepts it (years 2000-2099: the
// transfer time of the PC may end a download's coverage).
QString stampRule(const QString& column) {
    return QStringLiteral("(%1 BETWEEN 1010000 AND 9912312359 AND %1 % 100 < 60 AND %1 / 100 % 100 < 24 "
                          "AND %1 / 10000 % 100 BETWEEN 1 AND 31 AND %1 / 1000000 % 100 BETWEEN 1 AND 12)")
        .arg(column);
}

struct CheckRule {
    const char* table;
    const char* name;
    QString condition; // "$" stands before each column name
};

std::vector<CheckRule> checkRules() {
    const QString order = QStringLiteral("($minute_order IS NULL OR $minute_order >= 0)");
    return {
        {"devices", "devices_generation", QStringLiteral("$generation IN (3, 5)")},
        {"devices", "devices_venue", QStringLiteral("length($venue) <= 200")},
        {"downloads", "downloads_source", QStringLiteral("$source_kind IN (0, 1)")},
        {"downloads", "downloads_counts",
         QStringLiteral("$n_leq >= 0 AND $n_leq1 >= 0 AND $n_leq10 >= 0 AND $n_events >= 0 AND "
                        "$n_changes >= 0 AND $original_size >= 0")},
        {"downloads", "downloads_cover_from",
         QStringLiteral("$cover_from IS NULL OR ") + stampRule(QStringLiteral("$cover_from"))},
        {"downloads", "downloads_cover_to",
         QStringLiteral("$cover_to IS NULL OR ") + stampRule(QStringLiteral("$cover_to"))},
        {"downloads", "downloads_cover_order",
         QStringLiteral("$cover_from IS NULL OR $cover_to IS NULL OR $cover_from <= $cover_to")},
        {"levels", "levels_values",
         stampRule(QStringLiteral("$stamp")) +
             QStringLiteral(" AND $dup_rank >= 0 AND $b7 <> 255 AND $b8 <> 255 AND ") + order},
        {"events", "events_values",
         stampRule(QStringLiteral("$stamp")) +
             QStringLiteral(" AND $dup_rank >= 0 AND $b7 <> 255 AND $b8 <> 255 AND ") + order},
        {"param_changes", "param_changes_values",
         stampRule(QStringLiteral("$stamp")) + QStringLiteral(" AND $dup_rank >= 0 AND ") + order},
    };
}

} // namespace

QString ArchiveDatabase::tooNewText(SchemaVersion found) {
    return QStringLiteral("Cette archive a été écrite par une version plus récente de VORL Analyser "
                          "(schéma %1, ce programme connaît le schéma %2) : mettez le programme à jour "
                          "pour l'utiliser. L'archive n'a pas été modifiée.")
        .arg(found.text(), kSchemaVersion.text());
}

QString ArchiveDatabase::foreignOwner() {
    if (isSqlite()) return {};
    return scalar(
               QStringLiteral("SELECT min(tableowner) FROM pg_tables WHERE schemaname = current_schema() AND "
                              "tablename IN ('schema_version', 'devices', 'downloads', 'levels', 'events', "
                              "'param_changes') AND tableowner <> current_user"))
        .toString();
}

SchemaVersion ArchiveDatabase::schemaVersion() {
    constexpr SchemaVersion unreadable{-1, 0};
    // Any query reads the file header: a file that is not a database fails here.
    QSqlQuery query(m_db);
    // Both counts in one statement, so one snapshot: another program creating the archive at this
    // moment is seen either before or after, never half (no version table yet, but its tables there).
    const QString tables =
        isSqlite() ? QStringLiteral("SELECT coalesce(sum(type = 'table' AND name = 'schema_version'), 0), "
                                    "count(*) FROM sqlite_master")
                   : QStringLiteral("SELECT count(*) FILTER (WHERE table_name = 'schema_version'), count(*) "
                                    "FROM information_schema.tables WHERE table_schema = current_schema()");
    if (!exec(query, tables) || !query.next()) return unreadable;
    if (query.value(0).toInt() == 0) {
        // An empty database becomes an archive; any other is someone else's.
        if (query.value(1).toInt() != 0) {
            setError(QStringLiteral("ce n'est pas une archive de VORL Analyser"));
            return unreadable;
        }
        return {};
    }
    // The minor came with 2.1; older programs read the major alone and keep working.
    const QString minorColumn =
        isSqlite() ? QStringLiteral("SELECT count(*) FROM pragma_table_info('schema_version') WHERE name = "
                                    "'minor'")
                   : QStringLiteral("SELECT count(*) FROM information_schema.columns WHERE table_schema = "
                                    "current_schema() AND table_name = 'schema_version' AND column_name = "
                                    "'minor'");
    if (!exec(query, minorColumn) || !query.next()) return unreadable;
    const bool hasMinor = query.value(0).toInt() > 0;
    if (!exec(query, hasMinor ? QStringLiteral("SELECT version, minor FROM schema_version ORDER BY version "
                                               "DESC, minor DESC")
                              : QStringLiteral("SELECT max(version), 0 FROM schema_version")) ||
        !query.next())
        return unreadable;
    return {query.value(0).toInt(), query.value(1).toInt()};
}

bool ArchiveDatabase::createTables() {
    const QString id = idType();
    const QString blob = blobType();
    const QStringList statements = {
        QStringLiteral("CREATE TABLE schema_version (version INTEGER NOT NULL)"),
        // A device is its generation and the eight raw cells of its serial number: two serial
        // texts can look alike ("1" "12" and "11" "2").
        QStringLiteral(
            "CREATE TABLE devices (id %1, generation INTEGER NOT NULL, serial_cells TEXT NOT NULL, "
            "serial TEXT NOT NULL, UNIQUE (generation, serial_cells))")
            .arg(id),
        QStringLiteral("CREATE TABLE downloads (id %1, device_id BIGINT NOT NULL REFERENCES devices (id), "
                       "source_kind INTEGER NOT NULL, source_name TEXT NOT NULL, imported_at TEXT NOT NULL, "
                       "transfer_date TEXT NOT NULL, transfer_time TEXT NOT NULL, cover_from BIGINT, "
                       "cover_to BIGINT, n_leq INTEGER NOT NULL, n_leq1 INTEGER NOT NULL, n_leq10 INTEGER "
                       "NOT NULL, n_events INTEGER NOT NULL, n_changes INTEGER NOT NULL, sha256 TEXT NOT "
                       "NULL UNIQUE, param_zone %2 NOT NULL, original %2 NOT NULL, original_size BIGINT "
                       "NOT NULL)")
            .arg(id, blob),
        QStringLiteral("CREATE INDEX downloads_by_device ON downloads (device_id, cover_to)"),
        // Record identity: device, date-time, whole content and rank among identical records of one
        // download. The download that first brought a record is kept for information only.
        QStringLiteral(
            "CREATE TABLE levels (device_id BIGINT NOT NULL, stamp BIGINT NOT NULL, c4 SMALLINT NOT "
            "NULL, b7 SMALLINT NOT NULL, b8 SMALLINT NOT NULL, dup_rank SMALLINT NOT NULL, level "
            "SMALLINT NOT NULL, download_id BIGINT NOT NULL, PRIMARY KEY (device_id, stamp, c4, "
            "b7, b8, dup_rank))"),
        QStringLiteral(
            "CREATE TABLE events (device_id BIGINT NOT NULL, stamp BIGINT NOT NULL, c4 SMALLINT NOT "
            "NULL, b7 SMALLINT NOT NULL, b8 SMALLINT NOT NULL, dup_rank SMALLINT NOT NULL, "
            "download_id BIGINT NOT NULL, PRIMARY KEY (device_id, stamp, c4, b7, b8, dup_rank))"),
        QStringLiteral("CREATE TABLE param_changes (device_id BIGINT NOT NULL, stamp BIGINT NOT NULL, cells "
                       "TEXT NOT NULL, dup_rank SMALLINT NOT NULL, download_id BIGINT NOT NULL, PRIMARY KEY "
                       "(device_id, stamp, cells, dup_rank))"),
    };
    for (const QString& sql : statements)
        if (!exec(sql)) return false;
    return true;
}

// A download is its content and its transfer date-time: the same memory read again later is a
// download of its own, which covers up to its own transfer. SQLite cannot drop the unique constraint
// the table was created with, so the table is copied into one without it.
bool ArchiveDatabase::addDownloadIdentity() {
    QStringList statements;
    if (isSqlite()) {
        statements = {
            QStringLiteral(
                "CREATE TABLE downloads_next (id INTEGER PRIMARY KEY, device_id BIGINT NOT NULL REFERENCES "
                "devices (id), source_kind INTEGER NOT NULL, source_name TEXT NOT NULL, imported_at TEXT NOT "
                "NULL, transfer_date TEXT NOT NULL, transfer_time TEXT NOT NULL, cover_from BIGINT, cover_to "
                "BIGINT, n_leq INTEGER NOT NULL, n_leq1 INTEGER NOT NULL, n_leq10 INTEGER NOT NULL, n_events "
                "INTEGER NOT NULL, n_changes INTEGER NOT NULL, sha256 TEXT NOT NULL, param_zone BLOB NOT "
                "NULL, original BLOB NOT NULL, original_size BIGINT NOT NULL)"),
            QStringLiteral("INSERT INTO downloads_next SELECT id, device_id, source_kind, source_name, "
                           "imported_at, transfer_date, transfer_time, cover_from, cover_to, n_leq, n_leq1, "
                           "n_leq10, n_events, n_changes, sha256, param_zone, original, original_size FROM "
                           "downloads"),
            QStringLiteral("DROP TABLE downloads"),
            QStringLiteral("ALTER TABLE downloads_next RENAME TO downloads"),
            QStringLiteral("CREATE INDEX downloads_by_device ON downloads (device_id, cover_to)"),
        };
    } else {
        statements = {QStringLiteral("ALTER TABLE downloads DROP CONSTRAINT IF EXISTS downloads_sha256_key")};
    }
    // A transfer's time has seconds, the save file written from it only hours and minutes.
    statements << QStringLiteral("CREATE UNIQUE INDEX downloads_identity ON downloads (sha256, "
                                 "transfer_date, substr(transfer_time, 1, 5))")
               // The SHA-256 of the original bytes, which a user can check against an extracted file.
               << QStringLiteral("ALTER TABLE downloads ADD COLUMN original_sha256 TEXT");
    // Each record's place among the records of its minute in the download that first brought it.
    for (const char* table : {"levels", "events", "param_changes"})
        statements
            << QStringLiteral("ALTER TABLE %1 ADD COLUMN minute_order SMALLINT").arg(QLatin1String(table));
    for (const QString& sql : statements)
        if (!exec(sql)) return false;
    return true;
}

// What no program may write, whoever wrote the archive before. PostgreSQL checks new rows only
// (NOT VALID): a row already there is verify's to report, not a reason to stop every importer. SQLite
// cannot add a constraint to a table, so triggers refuse the same rows.
bool ArchiveDatabase::addChecks() {
    for (const CheckRule& rule : checkRules()) {
        const QString table = QLatin1String(rule.table), name = QLatin1String(rule.name);
        QString condition = rule.condition;
        if (!isSqlite()) {
            if (!exec(QStringLiteral("ALTER TABLE %1 ADD CONSTRAINT %2 CHECK (%3) NOT VALID")
                          .arg(table, name, condition.remove(QLatin1Char('$')))))
                return false;
            continue;
        }
        condition.replace(QLatin1Char('$'), QStringLiteral("NEW."));
        for (const char* when : {"INSERT", "UPDATE"})
            if (!exec(QStringLiteral("CREATE TRIGGER %1_%2 BEFORE %3 ON %4 FOR EACH ROW WHEN NOT (%5) BEGIN "
                                     "SELECT RAISE(ABORT, 'CHECK constraint failed: %1'); END")
                          .arg(name, QString::fromLatin1(when).toLower(), QLatin1String(when), table,
                               condition)))
                return false;
    }
    return true;
}

bool ArchiveDatabase::fillOriginalHashes() {
    QSqlQuery ids(m_db);
    ids.setForwardOnly(true);
    if (!exec(ids, QStringLiteral("SELECT id FROM downloads WHERE original_sha256 IS NULL ORDER BY id")))
        return false;
    QList<qint64> pending;
    while (ids.next())
        pending << ids.value(0).toLongLong();
    ids.finish();
    for (const qint64 id : pending) {
        // An original that does not decompress keeps no hash: verify reports it.
        const QByteArray bytes = qUncompress(
            scalar(QStringLiteral("SELECT original FROM downloads WHERE id = ?"), {id}).toByteArray());
        if (!lastError().isEmpty()) return false;
        if (bytes.isEmpty()) continue;
        const QString hash =
            QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex());
        QSqlQuery update(m_db);
        update.prepare(QStringLiteral("UPDATE downloads SET original_sha256 = ? WHERE id = ?"));
        update.addBindValue(hash);
        update.addBindValue(id);
        if (!execPrepared(update)) return false;
    }
    return true;
}

// The night verdicts of the coverage calendar, kept under the key of the downloads each rests on (see
// ArchiveNightCache.cpp). No row is ever changed, so the roles that may only insert and read keep it
// up to date: those that may add downloads get the same rights on it.
bool ArchiveDatabase::addNightVerdicts() {
    if (!exec(QStringLiteral("CREATE TABLE night_verdicts (device_id BIGINT NOT NULL, night BIGINT NOT NULL, "
                             "preset TEXT NOT NULL, model INTEGER NOT NULL, sources TEXT NOT NULL, verdict "
                             "TEXT NOT NULL, PRIMARY KEY (device_id, night, preset, model, sources))")))
        return false;
    return grantAsDownloads(QStringLiteral("night_verdicts"));
}

// The episodes over the limit of the nights whose verdict says some window went over, kept beside
// their verdicts under the same key. A separate table: a program of 2.2 or 2.3 keeps adding verdicts
// without them, and the nights it kept are judged again once for their episodes.
bool ArchiveDatabase::addNightEpisodes() {
    if (!exec(QStringLiteral(
            "CREATE TABLE night_episodes (device_id BIGINT NOT NULL, night BIGINT NOT NULL, "
            "preset TEXT NOT NULL, model INTEGER NOT NULL, sources TEXT NOT NULL, certain "
            "INTEGER NOT NULL, possible INTEGER NOT NULL, PRIMARY KEY (device_id, night, "
            "preset, model, sources), CONSTRAINT night_episodes_counts CHECK (certain >= 0 AND "
            "possible >= 0))")))
        return false;
    return grantAsDownloads(QStringLiteral("night_episodes"));
}

// Rows only ever added: every role that may add downloads may read and add them.
bool ArchiveDatabase::grantAsDownloads(const QString& table) {
    if (isSqlite()) return true;
    const auto roles = rolesHolding(QStringLiteral("downloads"), QStringLiteral("INSERT"));
    if (!roles) return false;
    for (const QString& role : *roles)
        if (!exec(QStringLiteral("GRANT SELECT, INSERT ON %1 TO %2").arg(table, role))) return false;
    return true;
}

// The roles other than the one connected that hold a privilege on a table (PUBLIC as such), quoted for SQL.
std::optional<QStringList> ArchiveDatabase::rolesHolding(const QString& table, const QString& privilege,
                                                         const QString& column) {
    QSqlQuery query(m_db);
    const QString sql =
        column.isEmpty()
            ? QStringLiteral("SELECT DISTINCT grantee FROM information_schema.role_table_grants WHERE "
                             "table_schema = current_schema() AND table_name = ? AND privilege_type = ? AND "
                             "grantee <> current_user")
            : QStringLiteral("SELECT DISTINCT grantee FROM information_schema.column_privileges WHERE "
                             "table_schema = current_schema() AND table_name = ? AND privilege_type = ? AND "
                             "column_name = ? AND grantee <> current_user");
    QVariantList values = {table, privilege};
    if (!column.isEmpty()) values << column;
    if (!execPrepared(query, sql, values)) return std::nullopt;
    QStringList roles;
    while (query.next()) {
        const QString role = query.value(0).toString();
        roles << (role == QLatin1String("PUBLIC")
                      ? role
                      : QLatin1Char('"') + QString(role).replace(QLatin1Char('"'), QStringLiteral("\"\"")) +
                            QLatin1Char('"'));
    }
    return roles;
}

// Venues: a place and the devices it had over time (a device swapped, repaired or rented). A device's
// records count for a venue only from its first day to its last (either open). The venue name each
// device carried until now becomes a venue of that name holding the device from its start.
bool ArchiveDatabase::addVenues() {
    const QString id = idType();
    const QStringList statements = {
        QStringLiteral("CREATE TABLE venues (id %1, name TEXT NOT NULL, created_at TEXT NOT NULL, "
                       "CONSTRAINT venues_name CHECK (length(name) BETWEEN 1 AND 200))")
            .arg(id),
        QStringLiteral("CREATE TABLE venue_devices (id %1, venue_id BIGINT NOT NULL REFERENCES venues (id), "
                       "device_id BIGINT NOT NULL REFERENCES devices (id), from_day TEXT, to_day TEXT, "
                       "CONSTRAINT venue_devices_days CHECK ((from_day IS NULL OR length(from_day) = 10) AND "
                       "(to_day IS NULL OR length(to_day) = 10) AND (from_day IS NULL OR to_day IS NULL OR "
                       "from_day <= to_day)))")
            .arg(id),
        QStringLiteral("CREATE INDEX venue_devices_by_device ON venue_devices (device_id, venue_id)"),
        // A download sent again byte for byte is found by its original's hash.
        QStringLiteral("CREATE INDEX downloads_by_original ON downloads (original_sha256)"),
        QStringLiteral("INSERT INTO venues (name, created_at) SELECT DISTINCT venue, '%1' FROM devices WHERE "
                       "venue <> ''")
            .arg(QDateTime::currentDateTimeUtc().toString(Qt::ISODate)),
        QStringLiteral("INSERT INTO venue_devices (venue_id, device_id) SELECT v.id, d.id FROM devices d "
                       "JOIN venues v ON v.name = d.venue"),
    };
    for (const QString& sql : statements)
        if (!exec(sql)) return false;
    if (isSqlite()) return true;
    // Whoever reads the devices reads their venues; whoever may name a device's venue may name and
    // attach venues.
    const auto readers = rolesHolding(QStringLiteral("devices"), QStringLiteral("SELECT"));
    const auto namers =
        rolesHolding(QStringLiteral("devices"), QStringLiteral("UPDATE"), QStringLiteral("venue"));
    if (!readers || !namers) return false;
    for (const QString& role : *readers)
        if (!exec(QStringLiteral("GRANT SELECT ON venues, venue_devices TO %1").arg(role))) return false;
    for (const QString& role : *namers)
        if (!exec(QStringLiteral("GRANT INSERT, UPDATE ON venues, venue_devices TO %1").arg(role)))
            return false;
    return true;
}

// The web server's own tables: accounts, their venues, sessions, device tokens and the audit trail.
// They hold password and token hashes: no role but the owner gets a right on them here, whatever the
// default privileges of the schema give (the server's role is granted its rights by hand).
bool ArchiveDatabase::addServerTables() {
    const QString id = idType();
    const QStringList tables = {QStringLiteral("server_users"), QStringLiteral("server_grants"),
                                QStringLiteral("server_sessions"), QStringLiteral("device_tokens"),
                                QStringLiteral("server_audit")};
    const QStringList statements = {
        QStringLiteral(
            "CREATE TABLE server_users (id %1, name TEXT NOT NULL UNIQUE, role TEXT NOT NULL, "
            "password_hash TEXT NOT NULL, rights_version INTEGER NOT NULL DEFAULT 1, failed_logins "
            "INTEGER NOT NULL DEFAULT 0, blocked_until BIGINT NOT NULL DEFAULT 0, created_at TEXT NOT "
            "NULL, CONSTRAINT server_users_role CHECK (role IN ('admin', 'operator', 'venue')), "
            "CONSTRAINT server_users_name CHECK (length(name) BETWEEN 1 AND 64))")
            .arg(id),
        QStringLiteral("CREATE TABLE server_grants (user_id BIGINT NOT NULL REFERENCES server_users (id), "
                       "venue_id BIGINT NOT NULL REFERENCES venues (id), PRIMARY KEY (user_id, venue_id))"),
        QStringLiteral("CREATE TABLE server_sessions (id_sha256 TEXT PRIMARY KEY, user_id BIGINT NOT NULL "
                       "REFERENCES server_users (id), rights_version INTEGER NOT NULL, csrf TEXT NOT NULL, "
                       "created BIGINT NOT NULL, last_seen BIGINT NOT NULL)"),
        QStringLiteral(
            "CREATE TABLE device_tokens (id %1, device_id BIGINT NOT NULL REFERENCES devices (id), "
            "secret_sha256 TEXT NOT NULL, created BIGINT NOT NULL, revoked BIGINT, last_used BIGINT, "
            "last_address TEXT)")
            .arg(id),
        QStringLiteral("CREATE TABLE server_audit (id %1, at TEXT NOT NULL, user_name TEXT NOT NULL, action "
                       "TEXT NOT NULL, target TEXT NOT NULL, address TEXT NOT NULL)")
            .arg(id),
    };
    for (const QString& sql : statements)
        if (!exec(sql)) return false;
    return revokeFromEveryone(tables);
}

// Wrong passwords by name, account or not, so that the back-off tells nothing of who has an account
// (the counts kept in server_users are no longer used). The server's table: no right for anyone else.
bool ArchiveDatabase::addLoginHolds() {
    return exec(QStringLiteral("CREATE TABLE server_login_holds (name_sha256 TEXT PRIMARY KEY, failed_logins "
                               "INTEGER NOT NULL, blocked_until BIGINT NOT NULL)")) &&
           revokeFromEveryone({QStringLiteral("server_login_holds")});
}

// No role but the owner keeps a right on these tables, whatever the schema's default privileges gave.
bool ArchiveDatabase::revokeFromEveryone(const QStringList& tables) {
    if (isSqlite()) return true;
    for (const QString& table : tables)
        if (!exec(QStringLiteral("REVOKE ALL ON %1 FROM PUBLIC").arg(table))) return false;
    for (const QString& table : tables)
        for (const QString& privilege : {QStringLiteral("SELECT"), QStringLiteral("INSERT"),
                                         QStringLiteral("UPDATE"), QStringLiteral("DELETE")}) {
            const auto roles = rolesHolding(table, privilege);
            if (!roles) return false;
            for (const QString& role : *roles)
                if (!exec(QStringLiteral("REVOKE ALL ON %1 FROM %2").arg(table, role))) return false;
        }
    return true;
}

ArchiveStatus ArchiveDatabase::applySchemaStep(SchemaVersion version) {
    bool done = true;
    if (version == SchemaVersion{1, 0}) {
        done = createTables() && exec(QStringLiteral("INSERT INTO schema_version (version) VALUES (1)"));
    } else if (version == SchemaVersion{2, 0}) {
        done = exec(QStringLiteral("ALTER TABLE devices ADD COLUMN venue TEXT NOT NULL DEFAULT ''"));
    } else if (version == SchemaVersion{2, 1}) {
        done =
            exec(QStringLiteral("ALTER TABLE schema_version ADD COLUMN minor INTEGER NOT NULL DEFAULT 0")) &&
            addDownloadIdentity() && addChecks() && fillOriginalHashes();
    } else if (version == SchemaVersion{2, 2}) {
        done = addNightVerdicts();
    } else if (version == SchemaVersion{2, 3}) {
        done = addVenues() && addServerTables();
    } else if (version == SchemaVersion{2, 4}) {
        done = addNightEpisodes() && addLoginHolds();
    }
    if (done && version.minor > 0)
        done = exec(QStringLiteral("UPDATE schema_version SET minor = %1").arg(version.minor));
    else if (done && version > SchemaVersion{2, 1})
        done = exec(QStringLiteral("UPDATE schema_version SET version = %1, minor = 0").arg(version.major));
    else if (done && version.major > 1)
        done = exec(QStringLiteral("UPDATE schema_version SET version = %1").arg(version.major));
    if (!done) return ArchiveStatus::failure(lastError());
    return ArchiveOk();
}

ArchiveStatus ArchiveDatabase::migrate(SchemaVersion target) {
    auto failed = [this](const QString& why) {
        rollback();
        return ArchiveStatus::failure(why);
    };
    if (!begin()) return ArchiveStatus::failure(lastError());
    // Two programs may create the same new archive at once: on PostgreSQL they queue on a lock held
    // until the end of the transaction, on SQLite on the write lock the transaction took.
    if (!isSqlite() && !exec(QStringLiteral("SELECT pg_advisory_xact_lock(4242014)")))
        return failed(lastError());
    const SchemaVersion current = schemaVersion();
    if (current.major < 0) return failed(lastError());
    if (current.major > kSchemaVersion.major) return failed(tooNewText(current));
    for (const SchemaVersion step : kSteps)
        if (step > current && step <= target)
            if (const ArchiveStatus applied = applySchemaStep(step); !applied) return failed(applied.error());
    if (!commit()) return failed(lastError());
    return ArchiveOk();
}
