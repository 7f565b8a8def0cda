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
    // Held back by name, whether an account has it or not: the answers never tell which names exist.
    const QString nameKey = Secrets::sha256Hex(name.toUtf8());
    const auto hold = tables.loginHold(nameKey);
    if (!hold) {
        result.error = hold.error();
        return result;
    }
    if (hold->blockedUntil > now) {
        result.outcome = SignIn::Outcome::HeldBack;
        result.retryAfter = hold->blockedUntil - now;
        return result;
    }
    const auto found =
        name.size() <= 64 ? tables.user(name) : ArchiveResult<std::optional<ServerUser>>(std::nullopt);
    if (!found) {
        result.error = found.error();
        return result;
    }
    const bool good = *found ? Passwords::verify((*found)->passwordHash, password)
                             : (Passwords::verifyAgainstNothing(password), false);
    if (!good) {
        const int failures = hold->failedLogins + 1;
        const qint64 held =
            failures < kFreeAttempts
                ? 0
                : std::min(kLongestHoldSeconds, qint64{1} << std::min(failures - kFreeAttempts, 10));
        const ArchiveStatus kept = tables.recordLoginFailure(nameKey, held ? now + held : 0);
        if (!kept) {
            result.error = kept.error();
            return result;
        }
        result.outcome = SignIn::Outcome::BadCredentials;
        return result;
    }
    const ServerUser& user = **found;
    if (!previousCookie.isEmpty()) (void)tables.endSession(Secrets::sha256Hex(previousCookie));
    (void)tables.endStaleSessions(now - kIdleSeconds, now - kLifetimeSeconds);
    const QByteArray value = Secrets::randomText(32);
    const QByteArray csrf = Secrets::randomText(32);
    ArchiveStatus stored = hold->failedLogins ? tables.clearLoginHold(nameKey) : ArchiveOk();
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
