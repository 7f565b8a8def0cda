#pragma once

#include "core/archive/ArchiveLocation.h"

#include <QSqlDatabase>
#include <QStringList>

// How an archive session is opened on each engine: the SQLite file (made private when new, opened
// read-only where it cannot be written) and the PostgreSQL client options and session limits.

struct SqliteOpening {
    QString name;          // what SQLite is given: the file, or a "file:" URI
    bool readOnly = false; // the file or its folder cannot be written, or the URI says mode=ro
};

// Checks (and for an import, creates) the file of an SQLite archive before it is opened. A missing
// file is "introuvable" for MustExist; an empty file that this call did not create is damaged; a new
// file and the folder made for it are readable by their owner only. The French reason when the file
// must not be opened.
ArchiveResult<SqliteOpening> PrepareSqliteFile(const ArchiveLocation& location, ArchiveOpenMode mode);

// Sets host, user, database and the client options: the URL's parameters, a connect timeout and
// TCP keepalives, so that a server that vanished is noticed.
void ConfigurePostgresConnection(const ArchiveLocation& location, QSqlDatabase& db);

// The limits every server session runs under, so that a frozen client never holds others back: a
// transaction left idle is ended, a lock or a statement that waits too long fails.
// They are the server options of the connection.
QString PostgresSessionSettings();

// Whether the server still answers on this connection.
bool ConnectionAlive(const QSqlDatabase& db);
