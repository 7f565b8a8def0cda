#include "core/push/PushQueue.h"
#include "core/push/PushRun.h"
#include "support/Fakes.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <deque>
#include <gtest/gtest.h>

namespace {
// Answers in the order given (a network error once they run out), and what was sent.
class ScriptedPushTransport : public PushTransport {
public:
    PushReply post(const QUrl&, const PushHeaders& headers, const QByteArray& body) override {
        sent << body;
        lastHeaders = headers;
        if (answers.empty()) return PushReply{0, QStringLiteral("Connection refused"), {}, {}};
        PushReply reply = answers.front();
        answers.pop_front();
        return reply;
    }
    void answer(int status, const char* body, QMap<QByteArray, QByteArray> headers = {}) {
        answers.push_back(PushReply{status, {}, std::move(headers), body});
    }
    std::deque<PushReply> answers;
    QList<QByteArray> sent;
    PushHeaders lastHeaders;
};

const char* const kPushArchived = R"({"download":1,"device":1,"status":"archived","new":{}})";

QStringList pushQueueNames(const QString& folder) {
    return QDir(folder).entryList(QDir::Files, QDir::Name);
}

struct PushQueueRun {
    QTemporaryDir dir;
    ScriptedPushTransport transport;
    FakeClock clock;
    PushSettings settings{
        QUrl(QStringLiteral("https://vorl.example/api/v1/downloads")), "vorl1_3.secret", {}};

    // One run: the files given join the queue, then the queue is sent.
    PushRunResult run(const QStringList& files) {
        PushQueue queue(dir.path());
        QString reason;
        EXPECT_TRUE(queue.open(reason)) << reason.toStdString();
        for (const QString& f : files)
            EXPECT_FALSE(queue.add(f.toUtf8(), f, reason).isEmpty()) << reason.toStdString();
        return SendPushQueue(queue, transport, clock, settings);
    }
    QStringList pending() { return pushQueueNames(dir.filePath(QStringLiteral("pending"))); }
    QStringList refused() { return pushQueueNames(dir.filePath(QStringLiteral("refused"))); }
};
} // namespace

// Files left by an earlier run go first, oldest first; a refusal about one file sets that file aside
// and lets the others go; a server that stays busy keeps it and every later file for the next run,
// after bounded waits; a bad token keeps everything.
TEST(PushQueue, SendsOldestFirstAndSortsOutEachAnswer) {
    PushQueueRun q;
    // Down for the whole first run: both files stay, in their order, after the policy's tries.
    PushRunResult first = q.run({"a.qlv", "b.qlv"});
    EXPECT_FALSE(first.allAccepted());
    EXPECT_EQ(q.transport.sent, (QList<QByteArray>{"a.qlv", "a.qlv", "a.qlv", "a.qlv"}));
    EXPECT_EQ(q.clock.now, 2000 + 4000 + 8000) << "doubling waits between the tries";
    ASSERT_EQ(first.files.size(), 2u);
    EXPECT_TRUE(first.files[0].text.startsWith(QStringLiteral("en attente : serveur injoignable")));
    EXPECT_TRUE(first.files[1].text.contains(QStringLiteral("a.qlv")));
    EXPECT_EQ(q.pending(), (QStringList{"00000001-a.qlv.push", "00000002-b.qlv.push"}));

    // The earlier files go before the new one; b is refused alone, the others are taken.
    q.transport.sent.clear();
    q.clock.now = 0;
    q.transport.answer(503, "", {{"retry-after", "3"}});
    q.transport.answer(201, kPushArchived);
    q.transport.answer(400, R"({"error":"unreadable","message":"Fichier tronqué"})");
    q.transport.answer(200, R"({"download":1,"device":1,"status":"already_archived"})");
    PushRunResult second = q.run({"c.qlv"});
    EXPECT_EQ(q.transport.sent, (QList<QByteArray>{"a.qlv", "a.qlv", "b.qlv", "c.qlv"}));
    EXPECT_EQ(q.clock.now, 3000) << "the wait the server asked for";
    ASSERT_EQ(second.files.size(), 3u);
    EXPECT_TRUE(second.files[0].text.startsWith(QStringLiteral("archivé : 0 nouveau niveau")));
    EXPECT_EQ(second.files[1].text, QStringLiteral("refusé : Fichier tronqué"));
    EXPECT_EQ(second.files[2].text, QStringLiteral("déjà archivé"));
    EXPECT_TRUE(q.pending().isEmpty());
    EXPECT_EQ(q.refused(), QStringList{"00000002-b.qlv.push"});

    // A bad token keeps the file pending and stops; a wait longer than the policy allows is not
    // waited, nor tried early.
    q.transport.sent.clear();
    q.clock.now = 0;
    q.transport.answer(401, R"({"error":"unauthorized","message":"vorl1_3.secret inconnu"})");
    PushRunResult third = q.run({"d.qlv", "e.qlv"});
    EXPECT_EQ(q.transport.sent, QList<QByteArray>{"d.qlv"});
    EXPECT_FALSE(third.files[0].text.contains(QStringLiteral("secret"))) << "the token is never printed";
    EXPECT_EQ(q.pending(), (QStringList{"00000003-d.qlv.push", "00000004-e.qlv.push"}));
    q.transport.sent.clear();
    q.transport.answer(429, "", {{"retry-after", "600"}});
    PushRunResult fourth = q.run({});
    EXPECT_EQ(q.transport.sent.size(), 1);
    EXPECT_EQ(q.clock.now, 0);
    EXPECT_TRUE(fourth.files[0].text.contains(QStringLiteral("600 s")));
    EXPECT_EQ(q.pending().size(), 2);

    EXPECT_TRUE(q.transport.lastHeaders.contains({"Authorization", "Bearer vorl1_3.secret"}));
    EXPECT_TRUE(q.transport.lastHeaders.contains({"Content-Type", "application/octet-stream"}));
}

// Two runs never share a queue: the second is told, and touches nothing.
TEST(PushQueue, OneRunAtATime) {
    QTemporaryDir dir;
    PushQueue first(dir.path()), second(dir.path());
    QString reason;
    ASSERT_TRUE(first.open(reason));
    EXPECT_FALSE(second.open(reason));
    EXPECT_TRUE(reason.contains(QStringLiteral("Un autre envoi"))) << reason.toStdString();
    EXPECT_FALSE(QFileInfo(dir.path()).permissions() &
                 (QFileDevice::ReadGroup | QFileDevice::ReadOther | QFileDevice::ExeOther));
}
