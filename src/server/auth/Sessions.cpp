#include "server/auth/Sessions.h"

#include "core/archive/Archive.h"
#include "core/archive/ArchiveServerTables.h"
#include "server/auth/Passwords.h"
#include "server/auth/Secrets.h"

#include <algorithm>

namespace Sessions {
QByteArray cookie(const HttpRequest& request, const QByteArray& name) {
    for (const auto& [header, value] : request.headers) {
        if (header.compare("cookie", Qt::CaseInsensitive) != 0) continue;
        for (const QByteArray& part : value.split(';')) {
            const QByteArray item = part.trimmed();
            if (item.startsWith(name + '=')) return item.mid(name.size() + 1);
        }
    }
    return {};
}

QByteArray setCookieHeader(const QByteArray& value) {
    return kCookieName + '=' + value + "; Secure; HttpOnly; SameSite=Lax; Path=/";
}

QByteArray clearCookieHeader() {
    return kCookieName + "=; Secure; HttpOnly; SameSite=Lax; Path=/; Max-Age=0";
}

HttpResponse heldBack(qint64 retryAfter) {
    HttpResponse response = jsonError(429, QStringLiteral("too_many_attempts"),
                                      QStringLiteral("Trop d'essais : réessayez dans %1 s.").arg(retryAfter));
    response.setHeader("Retry-After", QByteArray::number(retryAfter));
    return response;
}

SignIn signIn(Archive& archive, const QString& name, const QByteArray& password, const QString& peer,
              const QByteArray& previousCookie, qint64 now) {
    SignIn result;
    ArchiveServerTables tables(archive);
    const auto found =
        name.size() <= 64 ? tables.user(name) : ArchiveResult<std::optional<ServerUser>>(std::nullopt);
    if (!found) {
        result.error = found.error();
        return result;
    }
    if (!*found) {
        Passwords::verifyAgainstNothing(password);
        result.outcome = SignIn::Outcome::BadCredentials;
        return result;
    }
    const ServerUser& user = **found;
    if (user.blockedUntil > now) {
        result.outcome = SignIn::Outcome::HeldBack;
        result.retryAfter = user.blockedUntil - now;
        return result;
    }
    if (!Passwords::verify(user.passwordHash, password)) {
        const int failures = user.failedLogins + 1;
        const qint64 hold =
            failures < kFreeAttempts
                ? 0
                : std::min(kLongestHoldSeconds, qint64{1} << std::min(failures - kFreeAttempts, 10));
        const ArchiveStatus kept = tables.recordLogin(user.id, false, hold ? now + hold : 0);
        if (!kept) {
            result.error = kept.error();
            return result;
        }
        result.outcome = SignIn::Outcome::BadCredentials;
        return result;
    }
    if (!previousCookie.isEmpty()) (void)tables.endSession(Secrets::sha256Hex(previousCookie));
    (void)tables.endStaleSessions(now - kIdleSeconds, now - kLifetimeSeconds);
    const QByteArray value = Secrets::randomText(32);
    const QByteArray csrf = Secrets::randomText(32);
    ArchiveStatus stored = tables.recordLogin(user.id, true, 0);
    if (stored)
        stored =
            tables.addSession(Secrets::sha256Hex(value), ServerSession{user.id, user.rightsVersion,
                                                                       QString::fromLatin1(csrf), now, now});
    if (stored) stored = tables.audit(user.name, QStringLiteral("connexion"), QString(), peer);
    if (!stored) {
        result.error = stored.error();
        return result;
    }
    result.outcome = SignIn::Outcome::SignedIn;
    result.cookieValue = value;
    result.user = Principal{user.id, user.name, parseUserRole(user.role).value_or(UserRole::Venue), csrf};
    return result;
}

void signOut(Archive& archive, const QByteArray& cookieValue) {
    if (!cookieValue.isEmpty())
        (void)ArchiveServerTables(archive).endSession(Secrets::sha256Hex(cookieValue));
}
} // namespace Sessions
