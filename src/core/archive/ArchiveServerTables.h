#pragma once

#include "core/archive/ArchiveResult.h"

#include <QSqlQuery>
#include <QString>
#include <optional>
#include <vector>

class Archive;

// An account of the web server. The hash is the password's Argon2id string; rightsVersion changes with
// the password, the role or the venues granted, which ends every session opened before.
struct ServerUser {
    qint64 id = 0;
    QString name;
    QString role; // admin, operator or venue
    QString passwordHash;
    qint64 rightsVersion = 1;
    int failedLogins = 0;    // since the last good password
    qint64 blockedUntil = 0; // seconds since the epoch; 0 when not held back
};

// The wrong passwords given for a name since its last good one.
struct LoginHold {
    int failedLogins = 0;
    qint64 blockedUntil = 0; // seconds since the epoch; 0 when not held back
};

// A signed-in browser. Only the SHA-256 of the cookie's value is kept.
struct ServerSession {
    qint64 userId = 0;
    qint64 rightsVersion = 0;
    QString csrf;
    qint64 created = 0; // seconds since the epoch
    qint64 lastSeen = 0;
};

// A venue PC's token: only the SHA-256 of its secret is kept.
struct DeviceTokenRow {
    qint64 id = 0;
    qint64 deviceId = 0;
    QString secretSha256;
    qint64 created = 0;
    qint64 revoked = 0;  // 0 while it is live
    qint64 lastUsed = 0; // 0 when never used
};

// The web server's own tables on an archive's connection: accounts and their venues, sessions, device
// tokens and the audit trail. Every value read is checked before use, as everywhere in the archive.
class ArchiveServerTables {
public:
    explicit ArchiveServerTables(Archive& archive);

    static constexpr int kMaxLiveTokens = 2; // per device: the one in use and its replacement

    ArchiveResult<qint64> addUser(const QString& name, const QString& role, const QString& passwordHash);
    ArchiveResult<std::optional<ServerUser>> user(const QString& name);
    ArchiveResult<std::optional<ServerUser>> user(qint64 id);
    // A new password, role or venue ends the sessions the account had.
    ArchiveStatus setPassword(qint64 userId, const QString& passwordHash);
    ArchiveStatus grant(qint64 userId, qint64 venueId);
    ArchiveResult<std::vector<qint64>> grantsOf(qint64 userId);
    // Wrong passwords given for a name, account or not (the key is the name's SHA-256): a name that
    // exists is held back exactly as one that does not, so the back-off tells nothing of who has an
    // account. A good password clears its count.
    ArchiveResult<LoginHold> loginHold(const QString& nameSha256);
    ArchiveStatus recordLoginFailure(const QString& nameSha256, qint64 blockedUntil);
    ArchiveStatus clearLoginHold(const QString& nameSha256);

    ArchiveStatus addSession(const QString& idSha256, const ServerSession& session);
    ArchiveResult<std::optional<ServerSession>> session(const QString& idSha256);
    ArchiveStatus touchSession(const QString& idSha256, qint64 now);
    ArchiveStatus endSession(const QString& idSha256);
    // Sessions idle since before idleBefore or opened before openedBefore.
    ArchiveStatus endStaleSessions(qint64 idleBefore, qint64 openedBefore);

    // Refused when the device has kMaxLiveTokens live tokens already.
    ArchiveResult<qint64> addToken(qint64 deviceId, const QString& secretSha256, qint64 now);
    ArchiveResult<std::optional<DeviceTokenRow>> token(qint64 id);
    ArchiveStatus tokenUsed(qint64 id, qint64 now, const QString& address);
    ArchiveStatus revokeToken(qint64 id, qint64 now);

    // Who did what: a sign-in, an original or a report fetched, a download sent.
    ArchiveStatus audit(const QString& user, const QString& action, const QString& target,
                        const QString& address);

private:
    // A read of the archive's connection, forward only; the French reason when it failed.
    ArchiveResult<QSqlQuery> select(const QString& sql, const QVariantList& values);
    ArchiveStatus write(const QString& sql, const QVariantList& values, bool mustChangeOneRow = false);
    ArchiveStatus bumpRights(qint64 userId);
    ArchiveResult<std::optional<ServerUser>> userWhere(const QString& condition, const QVariant& value);
    Archive& m_archive;
};
