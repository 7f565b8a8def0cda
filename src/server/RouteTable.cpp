#include "server/RouteTable.h"

#include <QStringList>
#include <QUrl>
#include <algorithm>

namespace {
bool isIdSegment(const QString& segment) {
    return !segment.isEmpty() && segment.size() <= 18 &&
           std::all_of(segment.begin(), segment.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
}
} // namespace

void RouteTable::add(const QByteArray& method, const QString& pattern, RouteAccess access,
                     RouteHandler handler) {
    m_routes.append({method, pattern, access, std::move(handler)});
}

std::optional<QStringList> RouteTable::match(const QString& pattern, const QString& path) {
    const QStringList want = pattern.split(QLatin1Char('/'));
    const QStringList got = path.split(QLatin1Char('/'));
    if (want.size() != got.size()) return std::nullopt;
    QStringList arguments;
    for (qsizetype i = 0; i < want.size(); ++i) {
        if (want.at(i) == QLatin1String("{id}")) {
            if (!isIdSegment(got.at(i))) return std::nullopt;
            arguments << got.at(i);
        } else if (want.at(i) != got.at(i)) {
            return std::nullopt;
        }
    }
    return arguments;
}

HttpResponse RouteTable::handle(const HttpRequest& request) const {
    RouteContext context;
    return handle(request, context);
}

HttpResponse RouteTable::handle(const HttpRequest& request, RouteContext& context,
                                const AccessGate& gate) const {
    QList<QByteArray> allowed;
    HttpResponse response;
    bool answered = false;
    for (const Route& route : m_routes) {
        const auto arguments = match(route.pattern, request.path);
        if (!arguments) continue;
        if (route.method != request.method) {
            if (!allowed.contains(route.method)) allowed.append(route.method);
            continue;
        }
        context.pathArguments = *arguments;
        answered = true;
        std::optional<HttpResponse> refusal;
        if (gate)
            refusal = gate(request, route.access, context);
        else if (route.access != RouteAccess::Public)
            refusal = jsonError(401, QStringLiteral("unauthenticated"), QStringLiteral("Connexion requise."));
        // A page asked for without a session leads to the login page, which comes back to it.
        if (refusal && refusal->status == 401 && !route.pattern.startsWith(QLatin1String("/api/"))) {
            refusal = HttpResponse{};
            refusal->status = 303;
            const QString back = request.query.isEmpty() ? request.path
                                                         : request.path + QLatin1Char('?') +
                                                               request.query.toString(QUrl::FullyEncoded);
            refusal->setHeader("Location", "/connexion?suite=" + QUrl::toPercentEncoding(back));
        }
        response = refusal ? *refusal : route.handler(request, context);
        // What a user or a device was let in for is never kept by a cache on the way.
        if (route.access != RouteAccess::Public) response.setHeader("Cache-Control", "no-store");
        break;
    }
    if (!answered && allowed.isEmpty()) {
        response = jsonError(404, QStringLiteral("not_found"), QStringLiteral("Cette adresse n'existe pas."));
    } else if (!answered) {
        std::sort(allowed.begin(), allowed.end());
        const QByteArray allow = allowed.join(", ");
        response = jsonError(405, QStringLiteral("method_not_allowed"),
                             QStringLiteral("Méthode non acceptée ici ; méthodes acceptées : %1.")
                                 .arg(QString::fromLatin1(allow)));
        response.setHeader("Allow", allow);
    }
    addSecurityHeaders(response);
    return response;
}

void addSecurityHeaders(HttpResponse& response) {
    response.setHeader("Content-Security-Policy", "default-src 'self'; frame-ancestors 'none'");
    response.setHeader("X-Content-Type-Options", "nosniff");
}
