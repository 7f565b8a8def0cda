#pragma once

#include "core/archive/Archive.h"
#include "core/archive/ArchiveDatabase.h"

#include <QAtomicInt>
#include <QCoreApplication>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

// A plain connection to a database, past the library and its schema checks.
inline QVariant rawQuery(const ArchiveLocation& location, const QString& sql) {
    const QString name = QStringLiteral("vorl-test-raw");
    QVariant value;
    {
        const bool sqlite = location.engine == ArchiveEngine::Sqlite;
        QSqlDatabase db =
            QSqlDatabase::addDatabase(sqlite ? QStringLiteral("QSQLITE") : QStringLiteral("QPSQL"), name);
        db.setDatabaseName(sqlite ? location.path : location.database);
        db.setHostName(location.host);
        if (location.port > 0) db.setPort(location.port);
        db.setUserName(location.user);
        db.setPassword(location.password);
        if (db.open()) {
            QSqlQuery query(db);
            if (query.exec(sql)) value = query.next() ? query.value(0) : QVariant(true);
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
    return value;
}

// Drops every table of the archive, those that refer to others first, so that a test can build an
// archive of an older schema by migrating an empty database step by step.
inline bool dropEveryTable(ArchiveDatabase& db) {
    for (const char* table :
         {"server_login_holds", "server_audit", "device_tokens", "server_sessions", "server_grants",
          "server_users", "venue_devices", "venues", "night_episodes", "night_verdicts", "param_changes",
          "events", "levels", "downloads", "devices", "schema_version"})
        if (!db.exec(QStringLiteral("DROP TABLE %1").arg(QLatin1String(table)))) return false;
    return true;
}

// The archive, or nothing with the reason in `error`.
inline std::unique_ptr<Archive> openOrWhy(const ArchiveLocation& location, QString& error,
                                          ArchiveOpenMode mode = ArchiveOpenMode::CreateIfMissing) {
    auto archive = Archive::open(location, mode);
    error = archive ? QString() : archive.error();
    return archive ? std::move(archive).value() : nullptr;
}

// Every archive test runs on both engines. PostgreSQL runs when VORL_TEST_PG_URL names a server
// (postgresql://user@host:port/database) or the client's own variables do (PGHOST, as a throw-away
// cluster sets them); otherwise its cases are skipped.
enum class Engine { Sqlite, Postgres };

inline std::string engineName(const ::testing::TestParamInfo<Engine>& info) {
    return info.param == Engine::Sqlite ? "Sqlite" : "Postgres";
}

inline bool serverLocation(ArchiveLocation& admin) {
    const QString url = qEnvironmentVariable("VORL_TEST_PG_URL");
    if (!url.isEmpty()) {
        const auto parsed = ParseArchiveLocation(url);
        if (parsed) admin = *parsed;
        return parsed && admin.engine == ArchiveEngine::Postgres;
    }
    if (qEnvironmentVariableIsEmpty("PGHOST")) return false;
    admin = ArchiveLocation{};
    admin.engine = ArchiveEngine::Postgres;
    admin.database = qEnvironmentVariable("PGDATABASE", QStringLiteral("postgres"));
    return true;
}

// A new, empty archive for one test: a file in a temporary folder, or a database of its own on the server.
class ScratchArchive {
public:
    explicit ScratchArchive(Engine engine) : m_engine(engine) {
        if (engine == Engine::Sqlite) {
            location.engine = ArchiveEngine::Sqlite;
            location.path = m_dir.filePath(QStringLiteral("archive.sqlite"));
            return;
        }
        if (!serverLocation(m_admin)) return;
        static QAtomicInt counter;
        m_database = QStringLiteral("vorl_test_%1_%2")
                         .arg(QCoreApplication::applicationPid())
                         .arg(counter.fetchAndAddRelaxed(1));
        if (!adminExec(QStringLiteral("CREATE DATABASE ") + m_database)) return;
        location = m_admin;
        location.database = m_database;
    }
    ~ScratchArchive() {
        if (!m_database.isEmpty())
            adminExec(QStringLiteral("DROP DATABASE IF EXISTS %1 WITH (FORCE)").arg(m_database));
    }
    bool available() const { return location.engine != ArchiveEngine::Off; }
    // The location as vorl-cli --archive takes it; a server's password stays in the environment.
    QString text() const {
        if (location.engine == ArchiveEngine::Sqlite) return location.path;
        QString url = QStringLiteral("postgresql://") +
                      (location.user.isEmpty() ? QString() : location.user + '@') + location.host;
        if (location.port > 0) url += QStringLiteral(":%1").arg(location.port);
        return url + '/' + location.database;
    }
    QString folder() const { return m_dir.path(); }

    std::unique_ptr<Archive> open() {
        auto archive = Archive::open(location);
        EXPECT_TRUE(archive) << archive.error().toStdString();
        return archive ? std::move(archive).value() : nullptr;
    }
    // One number from the archive's tables, read past the library.
    qint64 count(const QString& sql) {
        const QVariant value = rawQuery(location, sql);
        return value.isValid() ? value.toLongLong() : -1;
    }

    ArchiveLocation location;

private:
    bool adminExec(const QString& sql) { return rawQuery(m_admin, sql).isValid(); }

    Engine m_engine;
    QTemporaryDir m_dir;
    ArchiveLocation m_admin;
    QString m_database;
};

// The fixture of the engine-parameterised tests.
class ArchiveOnEngine : public ::testing::TestWithParam<Engine> {
protected:
    void SetUp() override {
        scratch = std::make_unique<ScratchArchive>(GetParam());
        if (!scratch->available()) GTEST_SKIP() << "no PostgreSQL server given (VORL_TEST_PG_URL or PGHOST)";
    }
    std::unique_ptr<ScratchArchive> scratch;
};
