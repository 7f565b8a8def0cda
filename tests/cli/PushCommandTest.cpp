#include "cli/CliRun.h"
#include "cli/GeneratedFiles.h"
#include "cli/LinkCommands.h"
#include "sim/DeviceEmulator.h"
#include "sim/SampleDevice.h"
#include "support/EnvironmentGuard.h"
#include "support/ScaledClock.h"

#include <QDir>
#include <QTcpServer>
#include <QTcpSocket>
#include <deque>
#include <gtest/gtest.h>

namespace {
// A web server on the loopback that answers each request with the next scripted answer and keeps what
// it was sent: just enough HTTP/1.1 for one POST per connection.
class PushTestServer {
public:
    struct Request {
        QByteArray head; // request line and headers
        QByteArray body;
    };
    PushTestServer() {
        EXPECT_TRUE(m_server.listen(QHostAddress::LocalHost));
        QObject::connect(&m_server, &QTcpServer::newConnection, [this] {
            while (QTcpSocket* socket = m_server.nextPendingConnection())
                QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket] { read(socket); });
        });
    }
    QString url() const { return QStringLiteral("http://127.0.0.1:%1").arg(m_server.serverPort()); }
    void answer(const QByteArray& statusLine, const QByteArray& headers, const QByteArray& body) {
        m_answers.push_back(
            "HTTP/1.1 " + statusLine + "\r\n" + headers + "Content-Type: application/json\r\n" +
            "Content-Length: " + QByteArray::number(body.size()) + "\r\nConnection: close\r\n\r\n" + body);
    }
    std::vector<Request> requests;

private:
    void read(QTcpSocket* socket) {
        QByteArray& data = m_buffers[socket];
        data += socket->readAll();
        const qsizetype end = data.indexOf("\r\n\r\n");
        if (end < 0) return;
        const QByteArray head = data.left(end);
        qsizetype length = 0;
        for (const QByteArray& line : head.split('\n'))
            if (line.toLower().startsWith("content-length:")) length = line.mid(15).trimmed().toLongLong();
        if (data.size() < end + 4 + length) return;
        requests.push_back({head, data.mid(end + 4, length)});
        socket->write(m_answers.empty() ? QByteArray("HTTP/1.1 500 Nothing\r\nContent-Length: 0\r\n\r\n")
                                        : m_answers.front());
        if (!m_answers.empty()) m_answers.pop_front();
        socket->disconnectFromHost();
        m_buffers.remove(socket);
    }
    QTcpServer m_server;
    std::deque<QByteArray> m_answers;
    QMap<QTcpSocket*, QByteArray> m_buffers;
};

const QByteArray kPushCliToken = "vorl1_4.tr3s-secret";
const QByteArray kPushCliArchived =
    R"({"download":9,"device":4,"status":"archived","new":{"levels":4320,"events":2,"params":1},)"
    R"("covers":{"from":"2023-11-20T00:00","to":"2023-11-22T23:59"}})";

QStringList pushCliPending(const QTemporaryDir& state) {
    return QDir(state.filePath(QStringLiteral("pending"))).entryList(QDir::Files);
}
} // namespace

// Over a real socket: the file's very bytes with the token and content type, sent again after a 503
// (Retry-After: 0) until archived; then a refused token keeps the new file queued for the next run.
// The token appears in no output, even when the server echoes it.
TEST(PushCommand, SendsTheQueueToALoopbackServer) {
    GeneratedFiles files;
    ASSERT_TRUE(files.write());
    QTemporaryDir state;
    EnvironmentGuard env;
    env.set("VORL_TOKEN", kPushCliToken + "\n");
    PushTestServer server;
    server.answer("503 Service Unavailable", "Retry-After: 0\r\n", R"({"error":"busy","message":"Occupé"})");
    server.answer("201 Created", "Location: /api/v1/downloads/9\r\n", kPushCliArchived);
    server.answer("401 Unauthorized", "WWW-Authenticate: Bearer\r\n",
                  R"({"error":"unauthorized","message":"Jeton )" + kPushCliToken + R"( révoqué"})");

    const QStringList args{"--server", server.url(), "--state", state.path()};
    const CliRun sent = runVorlCli(QStringList{"push", files.gen5} + args);
    EXPECT_EQ(sent.status, 0) << sent.out.toStdString() << sent.err.toStdString();
    EXPECT_EQ(sent.out.toStdString(),
              std::string("gen5.qlv : archivé : 4320 nouveaux niveaux, 2 nouveaux événements, 1 "
                          "nouveau paramètre, du 20/11/2023 00:00 au 22/11/2023 23:59\n"));
    ASSERT_EQ(server.requests.size(), 2u);
    QFile original(files.gen5);
    ASSERT_TRUE(original.open(QIODevice::ReadOnly));
    EXPECT_EQ(server.requests[1].body, original.readAll());
    const QByteArray head = server.requests[1].head.toLower();
    EXPECT_TRUE(head.startsWith("post /api/v1/downloads http/1.1")) << head.toStdString();
    EXPECT_TRUE(head.contains("authorization: bearer " + kPushCliToken.toLower()));
    EXPECT_TRUE(head.contains("content-type: application/octet-stream"));
    EXPECT_TRUE(pushCliPending(state).isEmpty());

    const CliRun refused = runVorlCli(QStringList{"push", files.gen3} + args);
    EXPECT_EQ(refused.status, 1);
    EXPECT_TRUE(refused.out.startsWith(QStringLiteral("gen3.qlv : en attente : jeton refusé")))
        << refused.out.toStdString();
    EXPECT_EQ(pushCliPending(state).size(), 1);
    for (const CliRun& run : {sent, refused})
        EXPECT_FALSE((run.out + run.err).contains(QString::fromLatin1(kPushCliToken)));
}

// After a completed download, --push queues and sends the very bytes written to --out.
TEST(PushCommand, TransferPushesWhatItWrote) {
    EmulatorOptions options;
    options.fast = true;
    options.replyDelayMs = 10;
    DeviceEmulator emulator(MakeSampleDevice({5, 3, 0.5, false}), options);
    ASSERT_TRUE(emulator.start());
    QTemporaryDir dir;
    EnvironmentGuard env;
    env.set("VORL_TOKEN", kPushCliToken);
    PushTestServer server;
    server.answer("201 Created", "", kPushCliArchived);
    const QString out = dir.filePath(QStringLiteral("nuit.qlv"));
    ScaledClock clock(5);
    QString outText, errText;
    QTextStream outStream(&outText), errStream(&errText);
    CliStreams io{outStream, errStream};
    const int status = runTransferCommand({"--port", emulator.devicePath(), "--out", out, "--push",
                                           server.url(), "--state", dir.filePath(QStringLiteral("state"))},
                                          io, clock);
    outStream.flush();
    EXPECT_EQ(status, 0) << outText.toStdString();
    EXPECT_TRUE(outText.contains(QStringLiteral("nuit.qlv : archivé : 4320"))) << outText.toStdString();
    ASSERT_EQ(server.requests.size(), 1u);
    QFile written(out);
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    EXPECT_EQ(server.requests[0].body, written.readAll());
}
