#include "core/archive/ArchiveDatabase.h"

#include <QAtomicInt>
#include <QDir>
#include <QFileInfo>
#include <QSqlError>
#include <QStringList>

namespace {
QAtomicInt g_connectionCounter;

// How long a writer waits for another one (the window and a scheduled vorl-cli) before giving up.
constexpr int kBusyTimeoutMs = 10000;

QString tooNewText(int found) {
    return QStringLiteral("Cette archive a été écrite par une version plus récente de VORL Analyser "
                          "(schéma %1, ce programme connaît le schéma %2) : mettez le programme à jour "
                          "pour l'utiliser. L'archive n'a pas été modifiée.")
        .arg(found)
        .arg(ArchiveDatabase::kSchemaVersion);
}
} // namespace

ArchiveDatabase::ArchiveDatabase(const ArchiveLocation& location, const QString& connectionName)
    : m_location(location), m_connectionName(connectionName) {}

ArchiveDatabase::~ArchiveDatabase() {
    if (m_db.isOpen()) m_db.close();
    m_db = QSqlDatabase();
    QSqlDatabase::removeDatabase(m_connectionName);
}

std::unique_ptr<ArchiveDatabase> ArchiveDatabase::connect(const ArchiveLocation& location, QString* error) {
    auto fail = [error](const QString& text) {
        if (error) *error = MaskPasswords(text);
        return nullptr;
    };
    if (location.isOff()) return fail(QStringLiteral("L'archivage est désactivé (VORL_ARCHIVE=off)."));
    const QString name = QStringLiteral("vorl-archive-%1").arg(g_connectionCounter.fetchAndAddRelaxed(1));
    std::unique_ptr<ArchiveDatabase> archive(new ArchiveDatabase(location, name));
    const bool sqlite = location.engine == ArchiveEngine::Sqlite;
    const QString driver = sqlite ? QStringLiteral("QSQLITE") : QStringLiteral("QPSQL");
    if (!QSqlDatabase::isDriverAvailable(driver))
        return fail(
            QStringLiteral("Le pilote %1 de Qt SQL n'est pas installé : l'archive %2 ne peut pas être "
                           "ouverte.")
                .arg(driver, location.displayText()));
    archive->m_db = QSqlDatabase::addDatabase(driver, name);
    QSqlDatabase& db = archive->m_db;
    if (sqlite) {
        // A "file:" URI (file:/media/archive.sqlite?mode=ro) is handed to SQLite as it is.
        const bool uri = location.path.startsWith(QLatin1String("file:"));
        const QFileInfo info(location.path);
        if (!uri && !QDir().mkpath(info.absolutePath()))
            return fail(QStringLiteral("Impossible de créer le dossier de l'archive : ") +
                        info.absolutePath());
        db.setDatabaseName(location.path);
        db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1%2")
                                 .arg(kBusyTimeoutMs)
                                 .arg(uri ? QStringLiteral(";QSQLITE_OPEN_URI") : QString()));
    } else {
        // Empty parts are left to the client library and its environment (PGHOST, PGPASSWORD, ~/.pgpass...).
        db.setHostName(location.host);
        if (location.port > 0) db.setPort(location.port);
        db.setUserName(location.user);
        db.setPassword(location.password);
        db.setDatabaseName(location.database);
        db.setConnectOptions(QStringLiteral("connect_timeout=10;application_name=vorl-analyser"));
    }
    if (!db.open())
        return fail(QStringLiteral("Impossible d'ouvrir l'archive %1 : %2")
                        .arg(location.displayText(), archive->describe(db.lastError())));
    if (sqlite) {
        // WAL lets a reader and a writer work at the same time; a read-only file keeps its journal mode.
        QSqlQuery pragma(db);
        pragma.exec(QStringLiteral("PRAGMA journal_mode=WAL"));
        pragma.exec(QStringLiteral("PRAGMA synchronous=NORMAL"));
        pragma.exec(QStringLiteral("PRAGMA foreign_keys=ON"));
    }
    const int version = archive->schemaVersion();
    if (version < 0)
        return fail(QStringLiteral("L'archive %1 est illisible ou endommagée : %2")
                        .arg(location.displayText(), archive->lastError()));
    if (version > kSchemaVersion) return fail(tooNewText(version));
    if (version < kSchemaVersion && !archive->migrate())
        return fail(QStringLiteral("Impossible de préparer l'archive %1 : %2")
                        .arg(location.displayText(), archive->lastError()));
    return archive;
}

QString ArchiveDatabase::describe(const QSqlError& error) const {
    // One line: a driver's text may span several, and the console prints a message as two lines.
    QString text = error.text().simplified();
    if (text.isEmpty()) text = QStringLiteral("erreur inconnue");
    if (!m_location.password.isEmpty()) text.replace(m_location.password, QStringLiteral("****"));
    return MaskPasswords(text);
}

void ArchiveDatabase::setError(const QString& text) {
    m_lastError = MaskPasswords(text);
    if (!m_location.password.isEmpty()) m_lastError.replace(m_location.password, QStringLiteral("****"));
}

int ArchiveDatabase::schemaVersion() {
    // Any query reads the file header: a file that is not a database fails here.
    QSqlQuery query(m_db);
    const QString tables = isSqlite()
                               ? QStringLiteral("SELECT count(*) FROM sqlite_master WHERE type = 'table' "
                                                "AND name = 'schema_version'")
                               : QStringLiteral("SELECT count(*) FROM information_schema.tables WHERE "
                                                "table_schema = current_schema() AND table_name = "
                                                "'schema_version'");
    if (!exec(query, tables) || !query.next()) return -1;
    if (query.value(0).toInt() == 0) {
        // An empty database becomes an archive; any other is someone else's.
        const QString any = isSqlite()
                                ? QStringLiteral("SELECT count(*) FROM sqlite_master")
                                : QStringLiteral("SELECT count(*) FROM information_schema.tables WHERE "
                                                 "table_schema = current_schema()");
        if (!exec(query, any) || !query.next()) return -1;
        if (query.value(0).toInt() != 0) {
            setError(QStringLiteral("ce n'est pas une archive de VORL Analyser"));
            return -1;
        }
        return 0;
    }
    if (!exec(query, QStringLiteral("SELECT max(version) FROM schema_version")) || !query.next()) return -1;
    return query.value(0).toInt();
}

bool ArchiveDatabase::begin() {
    if (isSqlite()) return exec(QStringLiteral("BEGIN IMMEDIATE"));
    return exec(QStringLiteral("BEGIN"));
}

bool ArchiveDatabase::commit() {
    return exec(QStringLiteral("COMMIT"));
}

void ArchiveDatabase::rollback() {
    const QString kept = m_lastError;
    QSqlQuery query(m_db);
    query.exec(QStringLiteral("ROLLBACK"));
    m_lastError = kept;
}

bool ArchiveDatabase::beginRead() {
    if (m_readDepth > 0) {
        ++m_readDepth;
        return true;
    }
    const QString begin = isSqlite() ? QStringLiteral("BEGIN DEFERRED")
                                     : QStringLiteral("BEGIN ISOLATION LEVEL REPEATABLE READ READ ONLY");
    if (!exec(begin)) return false;
    // SQLite takes its snapshot at the first read, PostgreSQL at the first statement: take it now.
    QSqlQuery first(m_db);
    if (!exec(first, QStringLiteral("SELECT count(*) FROM schema_version")) || !first.next()) {
        first.finish();
        rollback();
        return false;
    }
    first.finish();
    m_readDepth = 1;
    m_readStatements = 0;
    return true;
}

void ArchiveDatabase::endRead() {
    if (m_readDepth == 0 || --m_readDepth > 0) return;
    // Nothing was written: ending it either way only lets go of the snapshot.
    rollback();
}

void ArchiveDatabase::afterStatement() {
    if (m_readDepth > 0 && m_readHook) m_readHook(++m_readStatements);
}

bool ArchiveDatabase::exec(QSqlQuery& query, const QString& sql) {
    if (query.exec(sql)) {
        afterStatement();
        return true;
    }
    setError(describe(query.lastError()));
    return false;
}

bool ArchiveDatabase::exec(const QString& sql) {
    QSqlQuery query(m_db);
    return exec(query, sql);
}

bool ArchiveDatabase::execPrepared(QSqlQuery& query) {
    if (query.exec()) {
        afterStatement();
        return true;
    }
    setError(describe(query.lastError()));
    return false;
}

QVariant ArchiveDatabase::scalar(const QString& sql, const QVariantList& values) {
    QSqlQuery query(m_db);
    if (!query.prepare(sql)) {
        setError(describe(query.lastError()));
        return {};
    }
    for (const QVariant& value : values)
        query.addBindValue(value);
    if (!execPrepared(query) || !query.next()) return {};
    return query.value(0);
}

bool ArchiveDatabase::applySchemaStep(int version) {
    QStringList statements;
    if (version == 1) {
        const QString id = idType();
        const QString blob = blobType();
        statements = {
            QStringLiteral("CREATE TABLE schema_version (version INTEGER NOT NULL)"),
            // A device is its generation and the eight raw cells of its serial number: two serial
            // texts can look alike ("1" "12" and "11" "2").
            QStringLiteral(
                "CREATE TABLE devices (id %1, generation INTEGER NOT NULL, serial_cells TEXT NOT NULL, "
                "serial TEXT NOT NULL, UNIQUE (generation, serial_cells))")
                .arg(id),
            QStringLiteral(
                "CREATE TABLE downloads (id %1, device_id BIGINT NOT NULL REFERENCES devices (id), "
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
            QStringLiteral(
                "CREATE TABLE param_changes (device_id BIGINT NOT NULL, stamp BIGINT NOT NULL, cells "
                "TEXT NOT NULL, dup_rank SMALLINT NOT NULL, download_id BIGINT NOT NULL, PRIMARY KEY "
                "(device_id, stamp, cells, dup_rank))"),
        };
    } else if (version == 2) {
        statements = {QStringLiteral("ALTER TABLE devices ADD COLUMN venue TEXT NOT NULL DEFAULT ''")};
    }
    for (const QString& sql : statements)
        if (!exec(sql)) return false;
    if (version == 1) return exec(QStringLiteral("INSERT INTO schema_version (version) VALUES (1)"));
    return exec(QStringLiteral("UPDATE schema_version SET version = %1").arg(version));
}

bool ArchiveDatabase::migrate(int targetVersion) {
    if (!begin()) return false;
    // Two programs may create the same new archive at once: on PostgreSQL they queue on a lock held
    // until the end of the transaction, on SQLite on the write lock the transaction took.
    if (!isSqlite() && !exec(QStringLiteral("SELECT pg_advisory_xact_lock(4242014)"))) {
        rollback();
        return false;
    }
    const int current = schemaVersion();
    if (current < 0) {
        rollback();
        return false;
    }
    if (current > kSchemaVersion) {
        setError(tooNewText(current));
        rollback();
        return false;
    }
    for (int version = current + 1; version <= targetVersion; ++version)
        if (!applySchemaStep(version)) {
            rollback();
            return false;
        }
    if (!commit()) {
        rollback();
        return false;
    }
    return true;
}
