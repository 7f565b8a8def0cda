#include "server/RouteTable.h"

#include <QStringList>
#include <algorithm>

void RouteTable::add(const QByteArray& method, const QString& path, RouteHandler handler) {
    m_routes.append({method, path, std::move(handler)});
}

HttpResponse RouteTable::handle(const HttpRequest& request) const {
    QList<QByteArray> allowed;
    HttpResponse response;
    bool answered = false;
    for (const Route& route : m_routes) {
        if (route.path != request.path) continue;
        if (route.method == request.method) {
            response = route.handler(request);
            answered = true;
            break;
        }
        if (!allowed.contains(route.method)) allowed.append(route.method);
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
