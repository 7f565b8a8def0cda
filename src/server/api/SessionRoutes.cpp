#include "server/api/SessionRoutes.h"

#include "server/auth/Passwords.h"
#include "server/auth/Secrets.h"
#include "server/auth/Sessions.h"
#include "server/pages/PageRender.h"
#include "server/pages/PageTemplates.h"

#include <QDateTime>
#include <QUrl>

namespace {
const QByteArray kLoginCookie = QByteArrayLiteral("__Host-vorl_login");

qint64 now(const RouteContext& context) {
    return context.now ? context.now : QDateTime::currentSecsSinceEpoch();
}

// Only a path of this site: never an address elsewhere.
QString localPath(const QString& path) {
    return path.startsWith(QLatin1Char('/')) && !path.startsWith(QLatin1String("//")) &&
                   !path.contains(QLatin1Char('\\'))
               ? path
               : QStringLiteral("/");
}

// The login form carries a token that must match a cookie of its own: a form posted from another
// site cannot sign anybody in (the session's own token takes over once signed in).
HttpResponse loginForm(const QString& next, const QString& user, const QString& error, int status) {
    const QByteArray token = Secrets::randomText(24);
    PageData body;
    body.set("csrf", token.toStdString());
    body.set("next", text(localPath(next)));
    body.set("user", text(user));
    if (!error.isEmpty()) body.set("error", text(error));
    HttpResponse response = renderPage(QStringLiteral("Connexion"), kLoginTemplate, body, nullptr, status);
    response.setHeader("Set-Cookie", kLoginCookie + '=' + token +
                                         "; Secure; HttpOnly; SameSite=Strict; Path=/; Max-Age=3600");
    response.setHeader("Cache-Control", "no-store");
    return response;
}

HttpResponse loginPage(const HttpRequest& request, RouteContext&) {
    return loginForm(request.query.queryItemValue(QStringLiteral("suite"), QUrl::FullyDecoded), {}, {}, 200);
}

Sessions::SignIn attempt(const HttpRequest& request, RouteContext& context) {
    const QByteArray password = formField(request, "password").toUtf8();
    return Sessions::signIn(*context.archive, formField(request, "user"),
                            password.left(Passwords::kMaxLength), context.peer,
                            Sessions::cookie(request, Sessions::kCookieName), now(context));
}

// The site's page for an archive that cannot be reached just now.
HttpResponse unavailablePage() {
    return messagePage(503, QStringLiteral("Indisponible"), archiveUnavailableText(), nullptr);
}

HttpResponse apiSignIn(const HttpRequest& request, RouteContext& context) {
    for (const QByteArray& field : {QByteArrayLiteral("user"), QByteArrayLiteral("password")})
        if (formField(request, field).isEmpty())
            return jsonError(400, QStringLiteral("missing_field"),
                             QStringLiteral("Champ manquant : %1.").arg(QString::fromLatin1(field)));
    if (!context.archive) return archiveUnavailable();
    const Sessions::SignIn result = attempt(request, context);
    switch (result.outcome) {
    case Sessions::SignIn::Outcome::SignedIn: {
        HttpResponse response =
            jsonResponse(200, {{QStringLiteral("user"), result.user.name},
                               {QStringLiteral("role"), userRoleName(result.user.role)},
                               {QStringLiteral("csrf"), QString::fromLatin1(result.user.csrf)}});
        response.setHeader("Set-Cookie", Sessions::setCookieHeader(result.cookieValue));
        response.setHeader("Cache-Control", "no-store");
        return response;
    }
    case Sessions::SignIn::Outcome::BadCredentials:
        return jsonError(401, QStringLiteral("bad_credentials"),
                         QStringLiteral("Utilisateur ou mot de passe incorrect."));
    case Sessions::SignIn::Outcome::HeldBack:
        return Sessions::heldBack(result.retryAfter);
    case Sessions::SignIn::Outcome::Failed:
        break;
    }
    qWarning("vorl-server: %s", qUtf8Printable(result.error));
    return archiveUnavailable();
}

HttpResponse apiSignOut(const HttpRequest&, RouteContext& context) {
    Sessions::signOut(*context.archive, context.sessionKey);
    HttpResponse response;
    response.status = 204;
    response.setHeader("Set-Cookie", Sessions::clearCookieHeader());
    return response;
}

HttpResponse formSignIn(const HttpRequest& request, RouteContext& context) {
    const QString next = formField(request, "suite");
    const QString user = formField(request, "user");
    const QByteArray expected = Sessions::cookie(request, kLoginCookie);
    if (expected.isEmpty() || !Secrets::sameBytes(formField(request, "csrf").toUtf8(), expected))
        return loginForm(next, user,
                         QStringLiteral("Le formulaire a expiré : saisissez à nouveau vos identifiants."),
                         403);
    if (user.isEmpty() || formField(request, "password").isEmpty())
        return loginForm(next, user, QStringLiteral("Saisissez l'utilisateur et le mot de passe."), 400);
    if (!context.archive) return unavailablePage();
    const Sessions::SignIn result = attempt(request, context);
    switch (result.outcome) {
    case Sessions::SignIn::Outcome::SignedIn: {
        HttpResponse response = redirectTo(localPath(next).toUtf8());
        response.headers.append({"Set-Cookie", Sessions::setCookieHeader(result.cookieValue)});
        response.headers.append(
            {"Set-Cookie", kLoginCookie + "=; Secure; HttpOnly; SameSite=Strict; Path=/; Max-Age=0"});
        return response;
    }
    case Sessions::SignIn::Outcome::BadCredentials:
        return loginForm(next, user, QStringLiteral("Utilisateur ou mot de passe incorrect."), 401);
    case Sessions::SignIn::Outcome::HeldBack: {
        HttpResponse response = loginForm(
            next, user, QStringLiteral("Trop d'essais : réessayez dans %1 secondes.").arg(result.retryAfter),
            429);
        response.setHeader("Retry-After", QByteArray::number(result.retryAfter));
        return response;
    }
    case Sessions::SignIn::Outcome::Failed:
        break;
    }
    qWarning("vorl-server: %s", qUtf8Printable(result.error));
    return unavailablePage();
}

HttpResponse formSignOut(const HttpRequest&, RouteContext& context) {
    Sessions::signOut(*context.archive, context.sessionKey);
    HttpResponse response = redirectTo("/connexion");
    response.setHeader("Set-Cookie", Sessions::clearCookieHeader());
    return response;
}
} // namespace

void addSessionRoutes(RouteTable& routes) {
    routes.add("POST", QStringLiteral("/api/v1/session"), RouteAccess::Public, apiSignIn);
    routes.add("DELETE", QStringLiteral("/api/v1/session"), RouteAccess::Session, apiSignOut);
    routes.add("GET", QStringLiteral("/connexion"), RouteAccess::Public, loginPage);
    routes.add("POST", QStringLiteral("/connexion"), RouteAccess::Public, formSignIn);
    routes.add("POST", QStringLiteral("/deconnexion"), RouteAccess::Session, formSignOut);
}
