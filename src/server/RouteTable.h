#pragma once

#include "server/HttpMessage.h"

#include <functional>

using RouteHandler = std::function<HttpResponse(const HttpRequest&)>;

// Method and path to handler. Every answer, a route's or a refusal, leaves with the security headers.
class RouteTable {
public:
    struct Route {
        QByteArray method;
        QString path;
        RouteHandler handler;
    };

    void add(const QByteArray& method, const QString& path, RouteHandler handler);
    // 404 for an unknown path, 405 with Allow for a known path and another method.
    HttpResponse handle(const HttpRequest& request) const;
    const QList<Route>& routes() const { return m_routes; }

private:
    QList<Route> m_routes;
};

// The headers every response carries.
void addSecurityHeaders(HttpResponse& response);
