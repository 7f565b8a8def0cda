#include "core/archive/ArchiveServerTables.h"

#include "core/archive/Archive.h"
#include "core/archive/ArchiveDatabase.h"
#include "core/archive/ArchiveValidation.h"

#include <QDateTime>
#include <QSqlQuery>
#include <limits>

namespace {
constexpr qint64 kMaxId = std::numeric_limits<qint64>::max();
constexpr qint64 kMaxTime = qint64{1} << 40; // seconds: far beyond any clock this program meets

QString readFailure(ArchiveDatabase& db) {
    return QStringLiteral("Lecture de l'archive impossible : ") + db.lastError();
}

// A text column that takes no NULL: a null string is bound as an empty one.
QString text(const QString& value, int maxLength) {
    return value.isNull() ? QStringLiteral("") : value.left(maxLength);
}

bool isRole(const QString& role) {
    return role == QLatin1String("admin") || role == QLatin1String("operator") ||
           role == QLatin1String("venue");
}
} // namespace

ArchiveServerTables::ArchiveServerTables(Archive& archive) : m_archive(archive) {}

ArchiveResult<QSqlQuery> ArchiveServerTables::select(const QString& sql, const QVariantList& values) {
    ArchiveDatabase& db = *m_archive.m_db;
    QSqlQuery query(db.db());
    query.setForwardOnly(true);
    if (!db.execPrepared(query, sql, values)) return ArchiveResult<QSqlQuery>::failure(readFailure(db));
    return query;
}

ArchiveStatus ArchiveServerTables::write(const QString& sql, const QVariantList& values,
                                         bool mustChangeOneRow) {
    ArchiveDatabase& db = *m_archive.m_db;
    QSqlQuery query(db.db());
    if (!db.execPrepared(query, sql, values))
        return ArchiveStatus::failure(QStringLiteral("Écriture dans l'archive impossible : ") +
                                      db.lastError());
    if (mustChangeOneRow && query.numRowsAffected() != 1)
        return ArchiveStatus::failure(QStringLiteral("Introuvable dans l'archive."));
    return ArchiveOk();
}

ArchiveResult<qint64> ArchiveServerTables::addUser(const QString& name, const QString& role,
                                                   const QString& passwordHash) {
    using Result = ArchiveResult<qint64>;
    if (name.isEmpty() || name.size() > 64 || name.trimmed() != name)
        return Result::failure(QStringLiteral("Le nom d'utilisateur doit compter de 1 à 64 caractères, sans "
                                              "espace au début ni à la fin."));
    if (!isRole(role)) return Result::failure(QStringLiteral("Rôle inconnu : %1").arg(role));
    const auto existing = user(name);
    if (!existing) return Result::failure(existing.error());
    if (*existing) return Result::failure(QStringLiteral("L'utilisateur « %1 » existe déjà.").arg(name));
    ArchiveDatabase& db = *m_archive.m_db;
    const QVariant id =
        db.scalar(QStringLiteral("INSERT INTO server_users (name, role, password_hash, created_at) "
                                 "VALUES (?, ?, ?, ?) RETURNING id"),
                  {name, role, passwordHash, QDateTime::currentDateTimeUtc().toString(Qt::ISODate)});
    if (!id.isValid())
        return Result::failure(QStringLiteral("Écriture dans l'archive impossible : ") + db.lastError());
    return id.toLongLong();
}

ArchiveResult<std::optional<ServerUser>> ArchiveServerTables::userWhere(const QString& condition,
                                                                        const QVariant& value) {
    using Result = ArchiveResult<std::optional<ServerUser>>;
    auto read = select(QStringLiteral("SELECT id, name, role, password_hash, rights_version, failed_logins, "
                                      "blocked_until FROM server_users WHERE ") +
                           condition,
                       {value});
    if (!read) return Result::failure(read.error());
    QSqlQuery& query = *read;
    if (!query.next()) return std::optional<ServerUser>();
    ServerUser user;
    const auto id = ArchiveCheck::integer(query.value(0), 1, kMaxId);
    const auto rights = ArchiveCheck::integer(query.value(4), 0, kMaxId);
    const auto failed = ArchiveCheck::integer(query.value(5), 0, std::numeric_limits<int>::max());
    const auto blocked = ArchiveCheck::integer(query.value(6), 0, kMaxTime);
    user.name = query.value(1).toString();
    user.role = query.value(2).toString();
    user.passwordHash = query.value(3).toString();
    if (!id || !rights || !failed || !blocked || !isRole(user.role) || user.passwordHash.isEmpty())
        return Result::failure(ArchiveCheck::damaged(QStringLiteral("server_users"),
                                                     ArchiveCheck::shown(query.value(0)),
                                                     QStringLiteral("compte impossible")));
    user.id = *id;
    user.rightsVersion = *rights;
    user.failedLogins = static_cast<int>(*failed);
    user.blockedUntil = *blocked;
    return std::optional<ServerUser>(user);
}

ArchiveResult<std::optional<ServerUser>> ArchiveServerTables::user(const QString& name) {
    return userWhere(QStringLiteral("name = ?"), name);
}

ArchiveResult<std::optional<ServerUser>> ArchiveServerTables::user(qint64 id) {
    return userWhere(QStringLiteral("id = ?"), id);
}

ArchiveStatus ArchiveServerTables::bumpRights(qint64 userId) {
    if (const ArchiveStatus bumped =
            write(QStringLiteral("UPDATE server_users SET rights_version = rights_version + 1 WHERE id = ?"),
                  {userId}, true);
        !bumped)
        return bumped;
    return write(QStringLiteral("DELETE FROM server_sessions WHERE user_id = ?"), {userId});
}

ArchiveStatus ArchiveServerTables::setPassword(qint64 userId, const QString& passwordHash) {
    if (const ArchiveStatus set =
            write(QStringLiteral("UPDATE server_users SET password_hash = ?, failed_logins = "
                                 "0, blocked_until = 0 WHERE id = ?"),
                  {passwordHash, userId}, true);
        !set)
        return set;
    return bumpRights(userId);
}

ArchiveStatus ArchiveServerTables::grant(qint64 userId, qint64 venueId) {
    const auto venues = m_archive.venues();
    if (!venues) return ArchiveStatus::failure(venues.error());
    if (std::none_of(venues->begin(), venues->end(),
                     [venueId](const ArchivedVenue& v) { return v.id == venueId; }))
        return ArchiveStatus::failure(QStringLiteral("Lieu inconnu dans l'archive : %1").arg(venueId));
    const auto granted = grantsOf(userId);
    if (!granted) return ArchiveStatus::failure(granted.error());
    if (std::find(granted->begin(), granted->end(), venueId) != granted->end()) return ArchiveOk();
    if (const ArchiveStatus added = write(
            QStringLiteral("INSERT INTO server_grants (user_id, venue_id) VALUES (?, ?)"), {userId, venueId});
        !added)
        return added;
    return bumpRights(userId);
}

ArchiveResult<std::vector<qint64>> ArchiveServerTables::grantsOf(qint64 userId) {
    using Result = ArchiveResult<std::vector<qint64>>;
    auto read = select(
        QStringLiteral("SELECT venue_id FROM server_grants WHERE user_id = ? ORDER BY venue_id"), {userId});
    if (!read) return Result::failure(read.error());
    QSqlQuery& query = *read;
    std::vector<qint64> venues;
    while (query.next()) {
        const auto venue = ArchiveCheck::integer(query.value(0), 1, kMaxId);
        if (!venue)
            return Result::failure(ArchiveCheck::damaged(
                QStringLiteral("server_grants"), QString::number(userId), QStringLiteral("lieu impossible")));
        venues.push_back(*venue);
    }
    return venues;
}

ArchiveResult<LoginHold> ArchiveServerTables::loginHold(const QString& nameSha256) {
    using Result = ArchiveResult<LoginHold>;
    auto read = select(
        QStringLiteral("SELECT failed_logins, blocked_until FROM server_login_holds WHERE name_sha256 = ?"),
        {nameSha256});
    if (!read) return Result::failure(read.error());
    QSqlQuery& query = *read;
    if (!query.next()) return LoginHold{};
    const auto failed = ArchiveCheck::integer(query.value(0), 0, std::numeric_limits<int>::max());
    const auto blocked = ArchiveCheck::integer(query.value(1), 0, kMaxTime);
    if (!failed || !blocked)
        return Result::failure(ArchiveCheck::damaged(QStringLiteral("server_login_holds"),
                                                     ArchiveCheck::shown(nameSha256),
                                                     QStringLiteral("compte d'essais impossible")));
    return LoginHold{static_cast<int>(*failed), *blocked};
}

ArchiveStatus ArchiveServerTables::recordLoginFailure(const QString& nameSha256, qint64 blockedUntil) {
    // Counted in the archive itself: two processes checking the same name at once both add theirs.
    return write(
        QStringLiteral("INSERT INTO server_login_holds (name_sha256, failed_logins, blocked_until) "
                       "VALUES (?, 1, ?) ON CONFLICT (name_sha256) DO UPDATE SET failed_logins = "
                       "server_login_holds.failed_logins + 1, blocked_until = excluded.blocked_until"),
        {nameSha256, blockedUntil});
}

ArchiveStatus ArchiveServerTables::clearLoginHold(const QString& nameSha256) {
    return write(QStringLiteral("DELETE FROM server_login_holds WHERE name_sha256 = ?"), {nameSha256});
}

ArchiveStatus ArchiveServerTables::addSession(const QString& idSha256, const ServerSession& session) {
    return write(
        QStringLiteral("INSERT INTO server_sessions (id_sha256, user_id, rights_version, csrf, created, "
                       "last_seen) VALUES (?, ?, ?, ?, ?, ?)"),
        {idSha256, session.userId, session.rightsVersion, session.csrf, session.created, session.lastSeen});
}

ArchiveResult<std::optional<ServerSession>> ArchiveServerTables::session(const QString& idSha256) {
    using Result = ArchiveResult<std::optional<ServerSession>>;
    auto read =
        select(QStringLiteral("SELECT user_id, rights_version, csrf, created, last_seen FROM server_sessions "
                              "WHERE id_sha256 = ?"),
               {idSha256});
    if (!read) return Result::failure(read.error());
    QSqlQuery& query = *read;
    if (!query.next()) return std::optional<ServerSession>();
    const auto user = ArchiveCheck::integer(query.value(0), 1, kMaxId);
    const auto rights = ArchiveCheck::integer(query.value(1), 0, kMaxId);
    const auto created = ArchiveCheck::integer(query.value(3), 0, kMaxTime);
    const auto seen = ArchiveCheck::integer(query.value(4), 0, kMaxTime);
    const QString csrf = query.value(2).toString();
    if (!user || !rights || !created || !seen || csrf.size() < 32)
        return Result::failure(ArchiveCheck::damaged(QStringLiteral("server_sessions"), QStringLiteral("?"),
                                                     QStringLiteral("session impossible")));
    return std::optional<ServerSession>(ServerSession{*user, *rights, csrf, *created, *seen});
}

ArchiveStatus ArchiveServerTables::touchSession(const QString& idSha256, qint64 now) {
    return write(QStringLiteral("UPDATE server_sessions SET last_seen = ? WHERE id_sha256 = ?"),
                 {now, idSha256});
}

ArchiveStatus ArchiveServerTables::endSession(const QString& idSha256) {
    return write(QStringLiteral("DELETE FROM server_sessions WHERE id_sha256 = ?"), {idSha256});
}

ArchiveStatus ArchiveServerTables::endStaleSessions(qint64 idleBefore, qint64 openedBefore) {
    return write(QStringLiteral("DELETE FROM server_sessions WHERE last_seen < ? OR created < ?"),
                 {idleBefore, openedBefore});
}

ArchiveResult<qint64> ArchiveServerTables::addToken(qint64 deviceId, const QString& secretSha256,
                                                    qint64 now) {
    using Result = ArchiveResult<qint64>;
    const auto devices = m_archive.devices();
    if (!devices) return Result::failure(devices.error());
    if (std::none_of(devices->begin(), devices->end(),
                     [deviceId](const ArchivedDevice& d) { return d.id == deviceId; }))
        return Result::failure(QStringLiteral("Appareil inconnu dans l'archive : %1").arg(deviceId));
    ArchiveDatabase& db = *m_archive.m_db;
    const QVariant live = db.scalar(
        QStringLiteral("SELECT count(*) FROM device_tokens WHERE device_id = ? AND revoked IS NULL"),
        {deviceId});
    if (!live.isValid()) return Result::failure(readFailure(db));
    if (live.toLongLong() >= kMaxLiveTokens)
        return Result::failure(
            QStringLiteral("L'appareil %1 a déjà %2 jetons en service : révoquez-en un d'abord.")
                .arg(deviceId)
                .arg(kMaxLiveTokens));
    const QVariant id = db.scalar(
        QStringLiteral(
            "INSERT INTO device_tokens (device_id, secret_sha256, created) VALUES (?, ?, ?) RETURNING id"),
        {deviceId, secretSha256, now});
    if (!id.isValid())
        return Result::failure(QStringLiteral("Écriture dans l'archive impossible : ") + db.lastError());
    return id.toLongLong();
}

ArchiveResult<std::optional<DeviceTokenRow>> ArchiveServerTables::token(qint64 id) {
    using Result = ArchiveResult<std::optional<DeviceTokenRow>>;
    auto read = select(
        QStringLiteral("SELECT device_id, secret_sha256, created, revoked FROM device_tokens WHERE id = ?"),
        {id});
    if (!read) return Result::failure(read.error());
    QSqlQuery& query = *read;
    if (!query.next()) return std::optional<DeviceTokenRow>();
    const auto device = ArchiveCheck::integer(query.value(0), 1, kMaxId);
    const auto created = ArchiveCheck::integer(query.value(2), 0, kMaxTime);
    const auto revoked = query.value(3).isNull() ? std::optional<qint64>(0)
                                                 : ArchiveCheck::integer(query.value(3), 1, kMaxTime);
    const auto used = query.value(4).isNull() ? std::optional<qint64>(0)
                                              : ArchiveCheck::integer(query.value(4), 0, kMaxTime);
    if (!device || !created || !revoked || !used || !ArchiveCheck::isSha256(query.value(1)))
        return Result::failure(ArchiveCheck::damaged(QStringLiteral("device_tokens"), QString::number(id),
                                                     QStringLiteral("jeton impossible")));
    return std::optional<DeviceTokenRow>(
        DeviceTokenRow{id, *device, query.value(1).toString(), *created, *revoked, *used});
}

ArchiveStatus ArchiveServerTables::tokenUsed(qint64 id, qint64 now, const QString& address) {
    return write(QStringLiteral("UPDATE device_tokens SET last_used = ?, last_address = ? WHERE id = ?"),
                 {now, text(address, 64), id});
}

ArchiveStatus ArchiveServerTables::revokeToken(qint64 id, qint64 now) {
    return write(QStringLiteral("UPDATE device_tokens SET revoked = ? WHERE id = ? AND revoked IS NULL"),
                 {now, id}, true);
}

ArchiveStatus ArchiveServerTables::audit(const QString& user, const QString& action, const QString& target,
                                         const QString& address) {
    return write(
        QStringLiteral(
            "INSERT INTO server_audit (at, user_name, action, target, address) VALUES (?, ?, ?, ?, ?)"),
        {QDateTime::currentDateTimeUtc().toString(Qt::ISODate), text(user, 64), text(action, 64),
         text(target, 200), text(address, 64)});
}
