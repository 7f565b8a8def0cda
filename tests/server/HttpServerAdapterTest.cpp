#include "server/HttpServerAdapter.h"

#include "core/archive/Archive.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QSemaphore>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <atomic>
#include <gtest/gtest.h>

namespace {
void adapterProcessEventsFor(int milliseconds) {
    const QDeadlineTimer deadline(milliseconds);
    while (!deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
}

bool adapterSend(QTcpSocket& socket, quint16 port) {
    socket.connectToHost(QHostAddress::LocalHost, port);
    if (!socket.waitForConnected(5000)) return false;
    socket.write("GET /lent HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n");
    return socket.waitForBytesWritten(5000);
}

// The status line of the answer, the server's event loop running meanwhile.
QByteArray adapterStatusLine(QTcpSocket& socket) {
    const QDeadlineTimer deadline(10000);
    while (!socket.canReadLine() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    return socket.readLine().trimmed();
}
} // namespace

TEST(HttpServerAdapter, DropsARequestWhoseClientLeftBeforeAWorkerWasFree) {
    std::atomic_int answered{0};
    QSemaphore entered;
    QSemaphore release;
    ServerBackend backend;
    backend.workers = 1;
    backend.routes.add("GET", QStringLiteral("/lent"), RouteAccess::Public,
                       [&](const HttpRequest&, RouteContext&) {
                           entered.release();
                           release.acquire();
                           ++answered;
                           return jsonResponse(200, {});
                       });
    HttpServerAdapter server(std::move(backend));
    ASSERT_TRUE(server.listen(ListenAddress{QHostAddress::LocalHost, 0}, nullptr));

    // The first client holds the only worker; the second gives up while waiting for it.
    QTcpSocket holding, leaving, later;
    ASSERT_TRUE(adapterSend(holding, server.port()));
    while (!entered.tryAcquire(1, 10))
        QCoreApplication::processEvents();
    ASSERT_TRUE(adapterSend(leaving, server.port()));
    adapterProcessEventsFor(200);
    leaving.abort();
    adapterProcessEventsFor(200);
    release.release(3);
    EXPECT_EQ(adapterStatusLine(holding), "HTTP/1.1 200 OK");
    ASSERT_TRUE(adapterSend(later, server.port()));
    EXPECT_EQ(adapterStatusLine(later), "HTTP/1.1 200 OK");
    EXPECT_EQ(answered.load(), 2);
}

TEST(HttpServerAdapter, RunsWorkLeftForAfterTheAnswerOnAWorkerWithItsArchive) {
    QTemporaryDir dir;
    const auto location = ParseArchiveLocation(dir.filePath(QStringLiteral("archive.sqlite")));
    ASSERT_TRUE(location && Archive::open(*location));
    std::atomic_bool archiveGiven{false};
    QSemaphore done;
    ServerBackend backend;
    backend.workers = 1;
    backend.openArchive = [&] { return Archive::open(*location, ArchiveOpenMode::MustExist); };
    backend.routes.add("GET", QStringLiteral("/lent"), RouteAccess::Public,
                       [&](const HttpRequest&, RouteContext& context) {
                           context.afterAnswer([&](Archive& archive) {
                               archiveGiven = bool(archive.devices());
                               done.release();
                           });
                           return jsonResponse(200, {});
                       });
    HttpServerAdapter server(std::move(backend));
    ASSERT_TRUE(server.listen(ListenAddress{QHostAddress::LocalHost, 0}, nullptr));
    QTcpSocket client;
    ASSERT_TRUE(adapterSend(client, server.port()));
    EXPECT_EQ(adapterStatusLine(client), "HTTP/1.1 200 OK");
    const QDeadlineTimer deadline(10000);
    while (!done.tryAcquire(1, 10) && !deadline.hasExpired())
        QCoreApplication::processEvents();
    EXPECT_TRUE(archiveGiven.load());
}
