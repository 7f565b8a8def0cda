#pragma once

#include "server/RouteTable.h"

#include <QStringList>
#include <functional>

// The one gate every request passes before its route (RouteTable's AccessGate): the session of a
// signed-in user and what it may see, the token of a venue PC, and, on every POST and DELETE, the
// Origin check and the session's CSRF token.
struct AccessSettings {
    // The site's own origins as browsers send them ("https://bruit.example.org"); empty: the origin
    // of the request's own Host, as the front end forwards it (X-Forwarded-Proto, Host).
    QStringList origins;
    std::function<qint64()> now; // seconds since the epoch; the system clock when unset
};

class ServerAccess {
public:
    explicit ServerAccess(AccessSettings settings);
    std::optional<HttpResponse> operator()(const HttpRequest& request, RouteAccess access,
                                           RouteContext& context) const;

    // Whether the request's Origin, when it sends one, is the site's own.
    bool sameOrigin(const HttpRequest& request) const;
    qint64 now() const;

private:
    std::optional<HttpResponse> session(const HttpRequest& request, RouteContext& context) const;
    std::optional<HttpResponse> deviceToken(const HttpRequest& request, RouteContext& context) const;
    AccessSettings m_settings;
};

// A device token as a venue PC sends it: "vorl1_<id>.<secret>".
struct ParsedToken {
    qint64 id = 0;
    QByteArray secret;
};
std::optional<ParsedToken> parseDeviceToken(const QByteArray& text);
