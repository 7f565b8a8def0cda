#pragma once

#include "core/archive/ArchiveResult.h"
#include "server/ListenAddress.h"
#include "server/RouteTable.h"

#include <functional>
#include <memory>

class Archive;
class QAbstractHttpServer;
class QThreadPool;

// What the server answers with: its routes, the gate that checks rights, and how a worker opens its
// own connection to the archive (none: the routes get no archive).
struct ServerBackend {
    RouteTable routes;
    AccessGate gate;
    std::function<ArchiveResult<std::unique_ptr<Archive>>()> openArchive;
    int workers = 4;
};

// The one place that knows the HTTP library: it turns its requests into HttpRequest, hands each to a
// worker thread (which has its own archive connection, so a long report or a password check never
// holds up the others nor the event loop) and writes the HttpResponse back.
class HttpServerAdapter {
public:
    explicit HttpServerAdapter(ServerBackend backend);
    ~HttpServerAdapter();

    // False with the reason when the address cannot be listened on (taken, not on this machine).
    bool listen(const ListenAddress& address, QString* error);
    // The port actually listened on (when 0 was asked for).
    quint16 port() const;

private:
    std::shared_ptr<const ServerBackend> m_backend;
    std::unique_ptr<QThreadPool> m_pool;
    std::unique_ptr<QAbstractHttpServer> m_server;
};
