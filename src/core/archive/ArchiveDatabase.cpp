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
    const SchemaVersion version = archive->schemaVersion();
    if (version.major < 0)
        return fail(QStringLiteral("L'archive %1 est illisible ou endommagée : %2")
                        .arg(location.displayText(), archive->lastError()));
    if (version.major > kSchemaVersion.major) return fail(tooNewText(version));
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

bool ArchiveDatabase::exec(QSqlQuery& query, const QString& sql) {
    if (query.exec(sql)) return true;
    setError(describe(query.lastError()));
    return false;
}

bool ArchiveDatabase::exec(const QString& sql) {
    QSqlQuery query(m_db);
    return exec(query, sql);
}

bool ArchiveDatabase::execPrepared(QSqlQuery& query) {
    if (query.exec()) return true;
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
