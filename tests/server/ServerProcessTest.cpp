#include "core/archive/Archive.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {
const QString kServerProcessProgram = QStringLiteral(VORL_BINARY_DIR "/bin/vorl-server");

quint16 serverProcessFreePort() {
    QTcpServer probe;
    if (!probe.listen(QHostAddress::LocalHost, 0)) return 0;
    return probe.serverPort();
}

struct ServerProcessRun {
    int exitCode = -1;
    QString out;
    QString err;
};

ServerProcessRun serverProcessRun(const QStringList& arguments) {
    QProcess process;
    process.start(kServerProcessProgram, arguments);
    ServerProcessRun run;
    if (!process.waitForFinished(30000) || process.exitStatus() != QProcess::NormalExit) return run;
    run.exitCode = process.exitCode();
    run.out = QString::fromUtf8(process.readAllStandardOutput());
    run.err = QString::fromUtf8(process.readAllStandardError());
    return run;
}

struct ServerProcessReply {
    QByteArray head;
    QByteArray body;
};

// One answer from the connection: its head, then as many body bytes as Content-Length announces when
// withBody. The connection stays open for the next request.
ServerProcessReply serverProcessReadReply(QTcpSocket& socket, bool withBody) {
    QByteArray received;
    qsizetype split = -1;
    while ((split = received.indexOf("\r\n\r\n")) < 0 &&
           (socket.bytesAvailable() > 0 || socket.waitForReadyRead(10000)))
        received += socket.read(1);
    ServerProcessReply reply;
    if (split < 0) return reply;
    reply.head = received.left(split + 2);
    const QRegularExpressionMatch length =
        QRegularExpression("\r\nContent-Length: (\\d+)\r\n").match(QString::fromLatin1(reply.head));
    const qsizetype expected = withBody && length.hasMatch() ? length.captured(1).toLongLong() : 0;
    while (reply.body.size() < expected && (socket.bytesAvailable() > 0 || socket.waitForReadyRead(10000)))
        reply.body += socket.read(expected - reply.body.size());
    return reply;
}
} // namespace

TEST(ServerProcess, RefusesBadUseWithAMessage) {
    struct Case {
        QStringList arguments;
        int exitCode;
    };
    const Case cases[] = {
        {{"--version"}, 0},
        {{"--help"}, 0},
        {{}, 2},
        {{"nonsense"}, 2},
        {{"serve"}, 2},
        {{"serve", "--listen"}, 2},
        {{"serve", "--listen", "0.0.0.0:8080"}, 2},
        {{"serve", "--listen", "10.0.0.1:8080", "--archive", "x.sqlite"}, 2},
        {{"serve", "--listen", "127.0.0.1:70000"}, 2},
        {{"serve", "--listen", "127.0.0.1:8080", "--port", "1"}, 2},
        {{"serve", "--listen", "127.0.0.1:8080", "--archive="}, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments.join(' ').toStdString());
        const ServerProcessRun run = serverProcessRun(c.arguments);
        EXPECT_EQ(run.exitCode, c.exitCode);
        // Success speaks on standard output, refusal on standard error, never both.
        EXPECT_EQ(run.out.isEmpty(), c.exitCode != 0) << run.out.toStdString();
        EXPECT_EQ(run.err.isEmpty(), c.exitCode == 0) << run.err.toStdString();
    }
}

TEST(ServerProcess, ServesHealthOnLoopbackAndStops) {
    const quint16 port = serverProcessFreePort();
    ASSERT_NE(port, 0);
    QTemporaryDir dir;
    const QString archive = dir.filePath(QStringLiteral("archive.sqlite"));
    ASSERT_TRUE(Archive::open(*ParseArchiveLocation(archive)));
    // A missing archive is said before listening.
    const ServerProcessRun missing =
        serverProcessRun({"serve", "--listen", QStringLiteral("127.0.0.1:%1").arg(port), "--archive",
                          dir.filePath("none.sqlite")});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_TRUE(missing.err.contains(QStringLiteral("introuvable"))) << missing.err.toStdString();
    QProcess server;
    server.start(kServerProcessProgram,
                 {"serve", "--listen", QStringLiteral("127.0.0.1:%1").arg(port), "--archive", archive});
    ASSERT_TRUE(server.waitForStarted(10000));
    // The server says where it listens once the socket is open.
    ASSERT_TRUE(server.waitForReadyRead(20000)) << server.readAllStandardError().constData();
    EXPECT_TRUE(server.readAllStandardOutput().contains(QByteArray::number(port)));

    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, port);
    ASSERT_TRUE(socket.waitForConnected(10000)) << socket.errorString().toStdString();
    // A HEAD answer has no body: were one sent, it would stand before the next answer on the connection.
    socket.write("HEAD /api/v1/health HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n");
    const ServerProcessReply refused = serverProcessReadReply(socket, false);
    EXPECT_TRUE(refused.head.startsWith("HTTP/1.1 405")) << refused.head.constData();
    EXPECT_TRUE(refused.head.contains("\r\nAllow: GET\r\n")) << refused.head.constData();
    socket.write("GET /api/v1/health HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n");
    const ServerProcessReply reply = serverProcessReadReply(socket, true);
    EXPECT_TRUE(reply.head.startsWith("HTTP/1.1 200")) << reply.head.constData();
    EXPECT_TRUE(reply.head.contains("\r\nX-Content-Type-Options: nosniff\r\n")) << reply.head.constData();
    const QJsonObject body = QJsonDocument::fromJson(reply.body).object();
    EXPECT_EQ(body.value("status").toString(), "ok");
    EXPECT_EQ(body.value("version").toString(), QStringLiteral(VORL_VERSION));

    // A second server cannot take the same port: a failure, not bad use.
    const ServerProcessRun second = serverProcessRun(
        {"serve", "--listen", QStringLiteral("127.0.0.1:%1").arg(port), "--archive", archive});
    EXPECT_EQ(second.exitCode, 1) << second.err.toStdString();

    server.terminate();
    EXPECT_TRUE(server.waitForFinished(10000));
}
