#include "core/archive/ArchiveSession.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlQuery>
#include <QThread>
#include <QUrl>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
bool writable(const QString& path) {
    return ::access(QFile::encodeName(path).constData(), W_OK) == 0;
}

QString systemReason() {
    return QString::fromLocal8Bit(std::strerror(errno));
}

// Makes the folder and its missing parents; the archive's own folder is its owner's only.
bool makeFolder(const QString& folder) {
    const QFileInfo info(folder);
    if (info.exists()) return true;
    if (!makeFolder(info.absolutePath())) return false;
    return ::mkdir(QFile::encodeName(folder).constData(), 0700) == 0 || errno == EEXIST;
}

// Another program creating the same archive at this moment leaves it empty for a few milliseconds,
// until its first write; an empty file that stays empty was damaged.
bool staysEmpty(const QString& file) {
    for (int wait = 0; wait < 20; ++wait) {
        const QFileInfo info(file);
        if (info.size() > 0) return false;
        if (info.lastModified().secsTo(QDateTime::currentDateTime()) > 10) return true;
        QThread::msleep(100);
    }
    return true;
}

QString readOnlyUri(const ArchiveLocation& location, const QString& file) {
    QString uri =
        location.isSqliteUri()
            ? location.path
            : QStringLiteral("file:") +
                  QString::fromLatin1(QUrl::toPercentEncoding(QFileInfo(file).absoluteFilePath(), "/"));
    auto add = [&uri](const QString& parameter) {
        uri += (uri.contains(QLatin1Char('?')) ? QLatin1Char('&') : QLatin1Char('?')) + parameter;
    };
    if (location.sqliteUriParameter(QStringLiteral("mode")).isEmpty()) add(QStringLiteral("mode=ro"));
    // In a folder that cannot be written, SQLite cannot make the shared-memory file of a WAL archive.
    // With no write-ahead log beside it, everything is in the file, which is then read as it is.
    const QString folder = QFileInfo(file).absolutePath();
    if (!writable(folder) && !QFile::exists(file + QStringLiteral("-wal")) &&
        !QFile::exists(file + QStringLiteral("-shm")) &&
        location.sqliteUriParameter(QStringLiteral("immutable")).isEmpty())
        add(QStringLiteral("immutable=1"));
    return uri;
}

QString quotedOption(const QString& value) {
    QString quoted = value;
    quoted.replace(QLatin1Char('\\'), QStringLiteral("\\\\"))
        .replace(QLatin1Char('\''), QStringLiteral("\\'"));
    return QLatin1Char('\'') + quoted + QLatin1Char('\'');
}
} // namespace

ArchiveResult<SqliteOpening> PrepareSqliteFile(const ArchiveLocation& location, ArchiveOpenMode mode) {
    const auto refuse = [](const QString& why) { return ArchiveResult<SqliteOpening>::failure(why); };
    SqliteOpening opening;
    const QString file = location.sqliteFile();
    opening.readOnly = location.sqliteUriParameter(QStringLiteral("mode")) == QLatin1String("ro");
    bool created = false;
    if (!QFileInfo::exists(file)) {
        if (mode != ArchiveOpenMode::CreateIfMissing || opening.readOnly) {
            return refuse(QStringLiteral("Archive introuvable : %1").arg(location.displayText()));
        }
        const QString folder = QFileInfo(file).absolutePath();
        if (!makeFolder(folder)) {
            return refuse(QStringLiteral("Impossible de créer le dossier de l'archive : %1 (%2)")
                              .arg(folder, systemReason()));
        }
        const int fd =
            ::open(QFile::encodeName(file).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd >= 0) {
            ::close(fd);
            created = true;
        } else if (errno != EEXIST) {
            return refuse(QStringLiteral("Impossible de créer l'archive %1 : %2")
                              .arg(location.displayText(), systemReason()));
        }
    }
    const QFileInfo info(file);
    if (info.isFile() && info.size() == 0 && !created && staysEmpty(file)) {
        return refuse(QStringLiteral("L'archive %1 est illisible ou endommagée : le fichier est vide")
                          .arg(location.displayText()));
    }
    if (!opening.readOnly)
        opening.readOnly = info.exists() && (!writable(file) || !writable(info.absolutePath()));
    // A log that was never folded into the file can be read only through its index (-shm), which
    // SQLite must create beside it: not in a folder it may not write.
    const QString log = file + QStringLiteral("-wal");
    if (opening.readOnly && !writable(info.absolutePath()) && QFileInfo(log).size() > 0 &&
        !QFile::exists(file + QStringLiteral("-shm"))) {
        return refuse(QStringLiteral("L'archive %1 est en lecture seule et son journal %2 n'y a pas été "
                                     "intégré : ouvrez-la une fois là où elle peut être écrite.")
                          .arg(location.displayText(), log));
    }
    opening.name = opening.readOnly ? readOnlyUri(location, file) : location.path;
    return opening;
}

void ConfigurePostgresConnection(const ArchiveLocation& location, QSqlDatabase& db) {
    // Empty parts are left to the client library and its environment (PGHOST, PGPASSWORD, ~/.pgpass...).
    db.setHostName(location.host);
    if (location.port > 0) db.setPort(location.port);
    db.setUserName(location.user);
    db.setPassword(location.password);
    db.setDatabaseName(location.database);
    QList<std::pair<QString, QString>> options = {
        {QStringLiteral("connect_timeout"), QStringLiteral("10")},
        {QStringLiteral("application_name"), QStringLiteral("vorl-analyser")},
        // A peer that vanished without closing (a PC switched off mid-import) is noticed in about a
        // minute, and the server ends its session.
        {QStringLiteral("keepalives"), QStringLiteral("1")},
        {QStringLiteral("keepalives_idle"), QStringLiteral("30")},
        {QStringLiteral("keepalives_interval"), QStringLiteral("10")},
        {QStringLiteral("keepalives_count"), QStringLiteral("3")},
        // Set when the session starts: no round trip, and a new session after a lost one has them too.
        {QStringLiteral("options"), PostgresSessionSettings()},
    };
    for (const auto& parameter : location.parameters) {
        options.removeIf([&](const auto& option) { return option.first == parameter.first; });
        options.append(parameter);
    }
    QStringList text;
    for (const auto& [name, value] : options)
        text << name + QLatin1Char('=') + quotedOption(value);
    db.setConnectOptions(text.join(QLatin1Char(';')));
}

QString PostgresSessionSettings() {
    return QStringLiteral("-c idle_in_transaction_session_timeout=30s -c lock_timeout=60s "
                          "-c statement_timeout=120s");
}

bool ConnectionAlive(const QSqlDatabase& db) {
    QSqlQuery query(db);
    return query.exec(QStringLiteral("SELECT 1"));
}
