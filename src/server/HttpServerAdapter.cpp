#include "server/HttpServerAdapter.h"

#include "core/archive/Archive.h"

#include <QAbstractHttpServer>
#include <QHttpServerRequest>
#include <QHttpServerResponder>
#include <QMetaEnum>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThreadPool>
#include <atomic>
#include <map>
#include <unordered_map>

namespace {
QByteArray methodName(QHttpServerRequest::Method method) {
    const char* key = QMetaEnum::fromType<QHttpServerRequest::Method>().valueToKey(int(method));
    return key ? QByteArray(key).toUpper() : QByteArrayLiteral("UNKNOWN");
}

HttpRequest toRequest(const QHttpServerRequest& request) {
    HttpRequest converted;
    converted.method = methodName(request.method());
    converted.path = request.url().path(QUrl::FullyDecoded);
    converted.query = request.query();
    converted.headers = request.headers();
    converted.body = request.body();
    return converted;
}

void write(bool head, const HttpResponse& response, QHttpServerResponder& responder) {
    responder.writeStatusLine(QHttpServerResponder::StatusCode(response.status));
    for (const auto& [name, value] : response.headers)
        responder.writeHeader(name, value);
    responder.writeHeader("Content-Length", QByteArray::number(response.body.size()));
    // An answer to HEAD says how long the body would be and sends none; writing the empty body still ends
    // the head.
    responder.writeBody(head ? QByteArray() : response.body);
}

// Each worker thread keeps its own connection per server (a connection belongs to one thread); it is
// closed on that thread when the pool ends the thread.
thread_local std::map<const ServerBackend*, std::unique_ptr<Archive>> workerArchives;

// The worker's archive, opened on first use and reopened after a failure; the reason when there is none.
ArchiveResult<Archive*> workerArchive(const ServerBackend& backend) {
    std::unique_ptr<Archive>& slot = workerArchives[&backend];
    if (!slot) {
        auto opened = backend.openArchive();
        if (!opened) return ArchiveResult<Archive*>::failure(opened.error());
        slot = std::move(opened).value();
    }
    if (const ArchiveStatus connected = slot->ensureConnected(); !connected) {
        slot.reset();
        return ArchiveResult<Archive*>::failure(connected.error());
    }
    return slot.get();
}

HttpResponse answer(const ServerBackend& backend, const HttpRequest& request, const QString& peer,
                    const std::function<void(std::function<void(Archive&)>)>& afterAnswer) {
    RouteContext context;
    context.peer = peer;
    context.afterAnswer = afterAnswer;
    if (backend.openArchive) {
        const auto archive = workerArchive(backend);
        if (!archive) {
            // The reason stays in the server's journal: it may name the archive's host.
            qWarning("vorl-server: archive indisponible : %s", qUtf8Printable(archive.error()));
            HttpResponse refused = archiveUnavailable();
            addSecurityHeaders(refused);
            return refused;
        }
        context.archive = *archive;
    }
    return backend.routes.handle(request, context, backend.gate);
}

class RoutedServer : public QAbstractHttpServer {
public:
    RoutedServer(std::shared_ptr<const ServerBackend> backend, QThreadPool* pool)
        : m_backend(std::move(backend)), m_pool(pool) {}

protected:
    bool handleRequest(const QHttpServerRequest& request, QTcpSocket* socket) override {
        HttpRequest converted = toRequest(request);
        // The front end on this machine gives the client's address; without one, the socket's.
        QString peer = QString::fromLatin1(httpHeader(converted.headers, "X-Real-IP"));
        if (peer.isEmpty()) peer = request.remoteAddress().toString();
        const bool head = request.method() == QHttpServerRequest::Method::Head;
        auto responder = std::make_shared<QHttpServerResponder>(makeResponder(request, socket));
        QPointer<QTcpSocket> alive(socket);
        QPointer<QAbstractHttpServer> self(this);
        std::shared_ptr<const ServerBackend> backend = m_backend;
        m_pool->start([backend, converted = std::move(converted), peer, head, responder, alive, self,
                       gone = firstSight(socket)]() mutable {
            // A client that gave up before a worker was free is not answered: a crowd that left
            // does not keep the workers from those still waiting.
            if (gone->load()) return;
            std::vector<std::function<void(Archive&)>> later;
            HttpResponse response =
                answer(*backend, converted, peer, [&later](auto work) { later.push_back(std::move(work)); });
            if (!self) return;
            QMetaObject::invokeMethod(
                self.data(),
                [response = std::move(response), head, responder = std::move(responder), alive, self,
                 later = std::move(later)]() mutable {
                    // A client that left meanwhile gets nothing.
                    if (alive) write(head, response, *responder);
                    for (auto& work : later)
                        static_cast<RoutedServer*>(self.data())->startLater(std::move(work));
                },
                Qt::QueuedConnection);
        });
        return true;
    }
    void missingHandler(const QHttpServerRequest& request, QTcpSocket* socket) override {
        HttpResponse response =
            jsonError(404, QStringLiteral("not_found"), QStringLiteral("Cette adresse n'existe pas."));
        addSecurityHeaders(response);
        QHttpServerResponder responder = makeResponder(request, socket);
        write(request.method() == QHttpServerRequest::Method::Head, response, responder);
    }

public:
    // On the event loop, which owns the pool: work for after an answer, behind every request (which
    // go at the pool's default priority).
    void startLater(std::function<void(Archive&)> work) {
        m_pool->start(
            [backend = m_backend, work = std::move(work)] {
                if (!backend->openArchive) return;
                if (const auto archive = workerArchive(*backend)) work(**archive);
            },
            -1);
    }

private:
    // A connection met for the first time is set up; its flag, raised on the event loop when the client
    // closes it, is read by the workers.
    std::shared_ptr<std::atomic_bool> firstSight(QTcpSocket* socket) {
        const auto known = m_gone.find(socket);
        if (known != m_gone.end()) return known->second;
        // A request read from what a client sent just before closing comes after its disconnection.
        auto gone = std::make_shared<std::atomic_bool>(socket->state() != QAbstractSocket::ConnectedState);
        m_gone.emplace(socket, gone);
        // An answer leaves in blocks: with Nagle's rule each block after the first would wait for the
        // client's delayed acknowledgement (40 ms on a kept-alive connection).
        socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
        connect(socket, &QAbstractSocket::disconnected, this, [gone] { gone->store(true); });
        connect(socket, &QObject::destroyed, this, [this, socket, gone] {
            gone->store(true);
            m_gone.erase(socket);
        });
        return gone;
    }

    std::shared_ptr<const ServerBackend> m_backend;
    QThreadPool* m_pool;
    std::unordered_map<QTcpSocket*, std::shared_ptr<std::atomic_bool>> m_gone;
};
} // namespace

HttpServerAdapter::HttpServerAdapter(ServerBackend backend)
    : m_backend(std::make_shared<const ServerBackend>(std::move(backend))),
      m_pool(std::make_unique<QThreadPool>()) {
    m_pool->setMaxThreadCount(std::max(1, m_backend->workers));
    // Workers keep their connection: a thread is not ended for being idle.
    m_pool->setExpiryTimeout(-1);
    m_server = std::make_unique<RoutedServer>(m_backend, m_pool.get());
}

HttpServerAdapter::~HttpServerAdapter() {
    // Stop taking requests, let the workers finish (their answers are dropped), then end their threads,
    // which closes their connections on the threads that opened them.
    m_server.reset();
    m_pool->waitForDone();
    m_pool.reset();
}

bool HttpServerAdapter::listen(const ListenAddress& address, QString* error) {
    auto* tcp = new QTcpServer(m_server.get());
    if (!tcp->listen(address.host, address.port)) {
        if (error)
            *error = QStringLiteral("impossible d'écouter sur %1 port %2 : %3")
                         .arg(address.host.toString())
                         .arg(address.port)
                         .arg(tcp->errorString());
        delete tcp;
        return false;
    }
    m_server->bind(tcp);
    return true;
}

quint16 HttpServerAdapter::port() const {
    const auto servers = m_server->servers();
    return servers.isEmpty() ? 0 : servers.first()->serverPort();
}
