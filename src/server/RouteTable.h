#pragma once

#include "server/HttpMessage.h"
#include "server/RouteContext.h"

#include <functional>
#include <optional>

using RouteHandler = std::function<HttpResponse(const HttpRequest&, RouteContext&)>;

// Lets a request through to a route of the given access, filling the context (user, scope, device of
// a token), or gives the refusal (401, 403, 429…). The one place where rights are checked.
using AccessGate = std::function<std::optional<HttpResponse>(const HttpRequest&, RouteAccess, RouteContext&)>;

// Method and path pattern to handler. A pattern's "{id}" segment takes a decimal number of at most
// 18 digits, given to the handler in RouteContext::pathArguments. Every answer, a route's or a
// refusal, leaves with the security headers.
class RouteTable {
public:
    struct Route {
        QByteArray method;
        QString pattern;
        RouteAccess access;
        RouteHandler handler;
    };

    void add(const QByteArray& method, const QString& pattern, RouteAccess access, RouteHandler handler);
    // 404 for an unknown path, 405 with Allow for a known path and another method; otherwise the gate
    // decides (without a gate only public routes are answered: 401 for the others).
    HttpResponse handle(const HttpRequest& request, RouteContext& context, const AccessGate& gate = {}) const;
    HttpResponse handle(const HttpRequest& request) const;
    const QList<Route>& routes() const { return m_routes; }

    // The path arguments when path matches pattern.
    static std::optional<QStringList> match(const QString& pattern, const QString& path);

private:
    QList<Route> m_routes;
};

// The headers every response carries.
void addSecurityHeaders(HttpResponse& response);
