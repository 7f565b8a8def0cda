#pragma once

#include "server/ListenAddress.h"
#include "server/RouteTable.h"

#include <memory>

class QAbstractHttpServer;

// The one place that knows the HTTP library: it turns its requests into HttpRequest, asks the route
// table and writes the HttpResponse back.
class HttpServerAdapter {
public:
    explicit HttpServerAdapter(RouteTable routes);
    ~HttpServerAdapter();

    // False with the reason when the address cannot be listened on (taken, not on this machine).
    bool listen(const ListenAddress& address, QString* error);

private:
    std::unique_ptr<QAbstractHttpServer> m_server;
};
