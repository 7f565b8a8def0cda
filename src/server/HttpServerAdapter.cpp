#include "server/HttpServerAdapter.h"

#include <QAbstractHttpServer>
#include <QHttpServerRequest>
#include <QHttpServerResponder>
#include <QMetaEnum>
#include <QTcpServer>

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

void write(const QHttpServerRequest& request, const HttpResponse& response, QHttpServerResponder responder) {
    responder.writeStatusLine(QHttpServerResponder::StatusCode(response.status));
    for (const auto& [name, value] : response.headers)
        responder.writeHeader(name, value);
    responder.writeHeader("Content-Length", QByteArray::number(response.body.size()));
    // An answer to HEAD says how long the body would be and sends none; writing the empty body still ends
    // the head.
    responder.writeBody(request.method() == QHttpServerRequest::Method::Head ? QByteArray() : response.body);
}

class RoutedServer : public QAbstractHttpServer {
public:
    explicit RoutedServer(RouteTable routes) : m_routes(std::move(routes)) {}

protected:
    bool handleRequest(const QHttpServerRequest& request, QTcpSocket* socket) override {
        RouteContext context;
        const HttpResponse response = m_routes.handle(toRequest(request), context);
        write(request, response, makeResponder(request, socket));
        return true;
    }
    void missingHandler(const QHttpServerRequest& request, QTcpSocket* socket) override {
        HttpResponse response =
            jsonError(404, QStringLiteral("not_found"), QStringLiteral("Cette adresse n'existe pas."));
        addSecurityHeaders(response);
        write(request, response, makeResponder(request, socket));
    }

private:
    RouteTable m_routes;
};
} // namespace

HttpServerAdapter::HttpServerAdapter(RouteTable routes)
    : m_server(std::make_unique<RoutedServer>(std::move(routes))) {}

HttpServerAdapter::~HttpServerAdapter() = default;

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
