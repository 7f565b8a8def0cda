#include "core/archive/ArchiveDatabase.h"

#include "core/archive/ArchiveSession.h"

#include <QAtomicInt>
#include <QDir>
#include <QFileInfo>
#include <QSqlError>
#include <QStringList>

namespace {
QAtomicInt g_connectionCounter;

// How long a writer waits for another one (the window and a scheduled vorl-cli) before giving up.
constexpr int kBusyTimeoutMs = 10000;

// A server connection that broke (the server restarted, ended the session, or vanished).
QString connectionLostText(const QString& driverText) {
    return QStringLiteral("connexion au serveur perdue") +
           (driverText.isEmpty() ? QString() : QStringLiteral(" (") + driverText + QLatin1Char(')'));
}
} // namespace

ArchiveDatabase::ArchiveDatabase(const ArchiveLocation& location, const QString& connectionName)
    : m_location(location), m_connectionName(connectionName) {}

ArchiveDatabase::~ArchiveDatabase() {
    if (m_db.isOpen()) m_db.close();
    m_db = QSqlDatabase();
    QSqlDatabase::removeDatabase(m_connectionName);
}

ArchiveResult<std::unique_ptr<ArchiveDatabase>> ArchiveDatabase::connect(const ArchiveLocation& location,
                                                                         ArchiveOpenMode mode) {
    auto fail = [](const QString& text) {
        return ArchiveResult<std::unique_ptr<ArchiveDatabase>>::failure(MaskPasswords(text));
    };
    if (location.isOff())
        return fail(QStringLiteral("Archive désactivée : l'archivage est éteint (« off »)."));
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
    if (sqlite)
        if (const ArchiveStatus prepared = archive->prepareSqlite(mode); !prepared)
            return fail(prepared.error());
    if (!sqlite) ConfigurePostgresConnection(location, archive->m_db);
    QSqlDatabase& db = archive->m_db;
    if (!db.open())
        return fail(QStringLiteral("Impossible d'ouvrir l'archive %1 : %2")
                        .arg(location.displayText(), archive->describe(db.lastError())));
    archive->startSession();
    const SchemaVersion version = archive->schemaVersion();
    if (version.major < 0)
        return fail(QStringLiteral("L'archive %1 est illisible ou endommagée : %2")
                        .arg(location.displayText(), archive->lastError()));
    // A server's database exists once it was made for the archive: its tables are created by the first
    // command, whichever it is. A file a reading command finds without tables is no archive.
    if (version.major == 0 && mode == ArchiveOpenMode::MustBeCurrent)
        return fail(QStringLiteral("Archive introuvable : %1").arg(location.displayText()));
    if (version.major == 0 && mode == ArchiveOpenMode::MustExist && sqlite)
        return fail(QStringLiteral("Archive introuvable : %1").arg(location.displayText()));
    if (version.major > kSchemaVersion.major) return fail(tooNewText(version));
    if (version < kSchemaVersion && mode == ArchiveOpenMode::MustBeCurrent)
        return fail(QStringLiteral("L'archive %1 a le schéma %2 et ce programme le schéma %3 : mettez-la à jour "
                                   "une fois avec « vorl-server migrate » sous le rôle propriétaire de l'archive.")
                        .arg(location.displayText(), version.text(), kSchemaVersion.text()));
    if (version < kSchemaVersion && version.major > 0) {
        // The tables belong to the role that created them: the others (a PC's role) cannot change them.
        const QString owner = archive->foreignOwner();
        if (!owner.isEmpty())
            return fail(
                QStringLiteral("L'archive %1 a le schéma %2 et ce programme le schéma %3 : le rôle "
                               "propriétaire de l'archive (%4) doit la mettre à jour une fois, en lançant "
                               "par exemple « vorl-cli archive verify » sous ce rôle. L'archive n'a pas "
                               "été modifiée.")
                    .arg(location.displayText(), version.text(), kSchemaVersion.text(), owner));
    }
    if (version < kSchemaVersion)
        if (const ArchiveStatus migrated = archive->migrate(); !migrated)
            return fail(QStringLiteral("Impossible de préparer l'archive %1 : %2")
                            .arg(location.displayText(), migrated.error()));
    return archive;
}

ArchiveStatus ArchiveDatabase::prepareSqlite(ArchiveOpenMode mode) {
    const auto prepared = PrepareSqliteFile(m_location, mode);
    if (!prepared) return ArchiveStatus::failure(prepared.error());
    const SqliteOpening& opening = *prepared;
    m_readOnly = opening.readOnly;
    m_db.setDatabaseName(opening.name);
    m_db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1;QSQLITE_OPEN_URI%2")
                               .arg(kBusyTimeoutMs)
                               .arg(m_readOnly ? QStringLiteral(";QSQLITE_OPEN_READONLY") : QString()));
    return ArchiveOk();
}

void ArchiveDatabase::startSession() {
    m_sessionStarted = true;
    // A server session got its limits with the connection (ConfigurePostgresConnection).
    if (!isSqlite()) return;
    // WAL lets a reader and a writer work at the same time; a read-only file keeps its journal mode.
    QSqlQuery query(m_db);
    if (!m_readOnly) query.exec(QStringLiteral("PRAGMA journal_mode=WAL"));
    query.exec(QStringLiteral("PRAGMA synchronous=NORMAL"));
    query.exec(QStringLiteral("PRAGMA foreign_keys=ON"));
}

ArchiveStatus ArchiveDatabase::ensureConnected() {
    if (isSqlite() || (m_db.isOpen() && ConnectionAlive(m_db))) return ArchiveOk();
    // The server went away (a restart, a session it ended): one new session, set up as the first.
    if (m_db.isOpen()) m_db.close();
    if (!m_db.open()) {
        setError(connectionLostText(m_db.lastError().text().simplified()));
        return ArchiveStatus::failure(m_lastError);
    }
    startSession();
    return ArchiveOk();
}

QString ArchiveDatabase::describe(const QSqlError& error) const {
    // One line: a driver's text may span several, and the console prints a message as two lines.
    QString text = error.text().simplified();
    if (!m_location.password.isEmpty()) text.replace(m_location.password, QStringLiteral("****"));
    if (m_sessionStarted && !m_db.isOpen()) return MaskPasswords(connectionLostText(text));
    if (text.isEmpty()) text = QStringLiteral("erreur inconnue");
    return MaskPasswords(ArchiveFailureText(text));
}

void ArchiveDatabase::setError(const QString& text) {
    m_lastError = MaskPasswords(text);
    if (!m_location.password.isEmpty()) m_lastError.replace(m_location.password, QStringLiteral("****"));
}

bool ArchiveDatabase::begin() {
    if (m_readOnly) {
        setError(QStringLiteral("L'archive %1 est en lecture seule.").arg(m_location.displayText()));
        return false;
    }
    if (isSqlite()) return exec(QStringLiteral("BEGIN IMMEDIATE"));
    return exec(QStringLiteral("BEGIN"));
}

bool ArchiveDatabase::commit() {
    return exec(QStringLiteral("COMMIT"));
}

void ArchiveDatabase::rollback() {
    // A lost connection has no transaction left to end, and a query on it only makes Qt complain.
    if (!m_db.isOpen()) return;
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
    if (!m_db.isOpen()) {
        setError(connectionLostText({}));
        return false;
    }
    if (query.exec(sql)) {
        afterStatement();
        return true;
    }
    setError(describe(query.lastError()));
    return false;
}

bool ArchiveDatabase::execPrepared(QSqlQuery& query, const QString& sql, const QVariantList& values) {
    query.prepare(sql);
    for (const QVariant& v : values)
        query.addBindValue(v);
    return execPrepared(query);
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
