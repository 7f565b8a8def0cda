#include "server/auth/ServerAccess.h"

#include "core/archive/Archive.h"
#include "core/archive/ArchiveServerTables.h"
#include "server/auth/Secrets.h"
#include "server/auth/Sessions.h"

#include <QDateTime>

namespace {
constexpr qint64 kTouchEverySeconds = 60; // a session's or a token's last use: written at most once a minute

HttpResponse unauthenticated() {
    return jsonError(401, QStringLiteral("unauthenticated"), QStringLiteral("Connexion requise."));
}

HttpResponse badToken() {
    HttpResponse response = jsonError(401, QStringLiteral("bad_token"),
                                      QStringLiteral("Jeton d'appareil absent, inconnu ou révoqué."));
    response.setHeader("WWW-Authenticate", "Bearer");
    return response;
}

HttpResponse foreignOrigin() {
    return jsonError(403, QStringLiteral("foreign_origin"),
                     QStringLiteral("Requête d'un autre site refusée."));
}

bool writes(const HttpRequest& request) {
    return request.method == "POST" || request.method == "DELETE" || request.method == "PUT" ||
           request.method == "PATCH";
}

// The CSRF token of a request: its header, or the "csrf" field of a form.
QByteArray csrfOf(const HttpRequest& request) {
    const QByteArray header = httpHeader(request.headers, "X-CSRF-Token");
    if (!header.isEmpty()) return header;
    return formField(request, "csrf").toUtf8();
}
} // namespace

std::optional<ParsedToken> parseDeviceToken(const QByteArray& text) {
    if (!text.startsWith("vorl1_")) return std::nullopt;
    const qsizetype dot = text.indexOf('.');
    if (dot < 0) return std::nullopt;
    const QByteArray id = text.mid(6, dot - 6);
    const QByteArray secret = text.mid(dot + 1);
    if (id.isEmpty() || id.size() > 18 || secret.size() != 43) return std::nullopt;
    for (const char c : id)
        if (c < '0' || c > '9') return std::nullopt;
    for (const char c : secret)
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
              c == '_'))
            return std::nullopt;
    return ParsedToken{id.toLongLong(), secret};
}

ServerAccess::ServerAccess(AccessSettings settings) : m_settings(std::move(settings)) {}

qint64 ServerAccess::now() const {
    return m_settings.now ? m_settings.now() : QDateTime::currentSecsSinceEpoch();
}

bool ServerAccess::sameOrigin(const HttpRequest& request) const {
    const QByteArray origin = httpHeader(request.headers, "Origin");
    if (origin.isEmpty()) return true; // not a browser's request: the CSRF token still decides
    if (!m_settings.origins.isEmpty()) return m_settings.origins.contains(QString::fromLatin1(origin));
    const QByteArray host = httpHeader(request.headers, "Host");
    QByteArray scheme = httpHeader(request.headers, "X-Forwarded-Proto");
    if (scheme.isEmpty()) scheme = "http";
    return !host.isEmpty() && origin == scheme + "://" + host;
}

std::optional<HttpResponse> ServerAccess::operator()(const HttpRequest& request, RouteAccess access,
                                                     RouteContext& context) const {
    context.now = now();
    switch (access) {
    case RouteAccess::Public:
        if (writes(request) && !sameOrigin(request)) return foreignOrigin();
        return std::nullopt;
    case RouteAccess::DeviceToken:
        return deviceToken(request, context);
    case RouteAccess::Session:
        break;
    }
    return session(request, context);
}

std::optional<HttpResponse> ServerAccess::session(const HttpRequest& request, RouteContext& context) const {
    if (!context.archive) return archiveUnavailable();
    const QByteArray value = Sessions::cookie(request, Sessions::kCookieName);
    if (value.isEmpty() || value.size() > 64) return unauthenticated();
    ArchiveServerTables tables(*context.archive);
    const QString key = Secrets::sha256Hex(value);
    const auto found = tables.session(key);
    if (!found) {
        qWarning("vorl-server: %s", qUtf8Printable(found.error()));
        return archiveUnavailable();
    }
    if (!*found) return unauthenticated();
    const ServerSession& session = **found;
    const qint64 at = now();
    const auto user = tables.user(session.userId);
    if (!user) {
        qWarning("vorl-server: %s", qUtf8Printable(user.error()));
        return archiveUnavailable();
    }
    // Idle too long, too old, or opened before the account's password, role or venues changed.
    if (!*user || (*user)->rightsVersion != session.rightsVersion ||
        at - session.lastSeen > Sessions::kIdleSeconds || at - session.created > Sessions::kLifetimeSeconds) {
        (void)tables.endSession(key);
        return unauthenticated();
    }
    if (writes(request)) {
        if (!sameOrigin(request)) return foreignOrigin();
        if (!Secrets::sameBytes(csrfOf(request), session.csrf.toLatin1()))
            return jsonError(403, QStringLiteral("bad_csrf"),
                             QStringLiteral("Jeton de formulaire absent ou périmé."));
    }
    const auto role = parseUserRole((*user)->role);
    std::vector<qint64> granted;
    std::vector<VenueDevice> stays;
    if (role == UserRole::Venue) {
        auto grants = tables.grantsOf(session.userId);
        auto where = context.archive->venueDevices();
        if (!grants || !where) {
            qWarning("vorl-server: %s", qUtf8Printable(grants ? where.error() : grants.error()));
            return archiveUnavailable();
        }
        granted = *std::move(grants);
        stays = *std::move(where);
    }
    if (at - session.lastSeen >= kTouchEverySeconds) (void)tables.touchSession(key, at);
    context.signedIn =
        Principal{(*user)->id, (*user)->name, role.value_or(UserRole::Venue), session.csrf.toLatin1()};
    context.visible = scopeOf(context.signedIn.role, granted, stays);
    context.user = &context.signedIn;
    context.scope = &context.visible;
    context.sessionKey = value;
    return std::nullopt;
}

std::optional<HttpResponse> ServerAccess::deviceToken(const HttpRequest& request,
                                                      RouteContext& context) const {
    if (!context.archive) return archiveUnavailable();
    const QByteArray authorization = httpHeader(request.headers, "Authorization");
    if (!authorization.startsWith("Bearer ")) return badToken();
    const auto parsed = parseDeviceToken(authorization.mid(7).trimmed());
    if (!parsed) return badToken();
    ArchiveServerTables tables(*context.archive);
    const auto row = tables.token(parsed->id);
    if (!row) {
        qWarning("vorl-server: %s", qUtf8Printable(row.error()));
        return archiveUnavailable();
    }
    // The hash is compared whether the token exists or not, so that the answer takes as long.
    const QByteArray offered = Secrets::sha256Hex(parsed->secret).toLatin1();
    const QByteArray stored = *row ? (*row)->secretSha256.toLatin1() : QByteArray(64, '0');
    if (!Secrets::sameBytes(offered, stored) || !*row || (*row)->revoked != 0) return badToken();
    // Its last use is written at most once a minute, as a session's: a PC sending its queue again and
    // again does not make every request a write.
    const qint64 at = now();
    if (at - (*row)->lastUsed >= kTouchEverySeconds) (void)tables.tokenUsed(parsed->id, at, context.peer);
    context.tokenDevice = (*row)->deviceId;
    return std::nullopt;
}
