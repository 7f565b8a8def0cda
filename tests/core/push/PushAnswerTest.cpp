#include "core/push/PushAnswer.h"

#include <gtest/gtest.h>

namespace {
PushReply pushAnswerReply(int status, const char* body, QMap<QByteArray, QByteArray> headers = {}) {
    PushReply reply;
    reply.status = status;
    reply.body = body;
    reply.headers = std::move(headers);
    return reply;
}
} // namespace

// Each answer of the server, and what it does to the file sent and to the files after it.
TEST(PushAnswer, EachAnswerMeansOneAction) {
    const char* archived = R"({"download":7,"device":2,"status":"archived","new":{"levels":120,"events":1,)"
                           R"("params":0},"covers":{"from":"2023-11-20T12:00","to":"2023-11-23T09:14"}})";
    PushReply network;
    network.networkError = QStringLiteral("Connection refused");
    const struct Case {
        PushReply reply;
        PushAction action;
        bool stopsQueue;
        qint64 retryAfterMs;
        const char* reasonHas;
    } cases[] = {
        {pushAnswerReply(201, archived), PushAction::Accepted, false, -1, ""},
        {pushAnswerReply(200, R"({"download":7,"device":2,"status":"already_archived"})"),
         PushAction::Accepted, false, -1, ""},
        {pushAnswerReply(400, R"({"error":"unreadable","message":"En-tête inconnu"})"), PushAction::Refused,
         false, -1, "En-tête inconnu"},
        {pushAnswerReply(401, R"({"error":"unauthorized","message":"Jeton révoqué"})",
                         {{"www-authenticate", "Bearer"}}),
         PushAction::Held, true, -1, "Jeton révoqué"},
        {pushAnswerReply(403, R"({"error":"wrong_device","message":"Autre appareil"})"), PushAction::Refused,
         false, -1, "Autre appareil"},
        {pushAnswerReply(413, ""), PushAction::Refused, false, -1, "trop gros"},
        {pushAnswerReply(415, "<html>"), PushAction::Refused, false, -1, "type de contenu"},
        {pushAnswerReply(404, ""), PushAction::Refused, true, -1, "HTTP 404"},
        {pushAnswerReply(429, "", {{"retry-after", "7"}}), PushAction::Retry, true, 7000, "HTTP 429"},
        {pushAnswerReply(500, "", {{"retry-after", "Wed, 21 Oct 2015 07:28:00 GMT"}}), PushAction::Retry,
         true, -1, "HTTP 500"},
        {pushAnswerReply(
             503, "",
             {{"retry-after", "Wed, 21 Oct 2015 07:28:00 GMT"}, {"date", "Wed, 21 Oct 2015 07:27:30 GMT"}}),
         PushAction::Retry, true, 30000, "HTTP 503"},
        {pushAnswerReply(
             503, "",
             {{"retry-after", "Wed, 21 Oct 2015 07:28:00 GMT"}, {"date", "Thu, 22 Oct 2015 07:28:00 GMT"}}),
         PushAction::Retry, true, 0, "HTTP 503"},
        {pushAnswerReply(503, "", {{"retry-after", "99999999"}}), PushAction::Retry, true, 24 * 3600 * 1000,
         "HTTP 503"},
        {network, PushAction::Retry, true, -1, "Connection refused"},
        // Not the server's own acceptance (a proxy's page, another web server): the file stays queued.
        {pushAnswerReply(200, "<html>OK</html>"), PushAction::Held, true, -1, "inattendue"},
        {pushAnswerReply(201, R"({"status":"already_archived","download":7})"), PushAction::Held, true, -1,
         "inattendue"},
        {pushAnswerReply(302, "", {{"location", "https://elsewhere/"}}), PushAction::Held, true, -1,
         "HTTP 302"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reply.status);
        const PushAnswer a = ReadPushAnswer(c.reply);
        EXPECT_EQ(a.action, c.action);
        EXPECT_EQ(a.stopsQueue, c.stopsQueue);
        EXPECT_EQ(a.retryAfterMs, c.retryAfterMs);
        EXPECT_TRUE(a.reason.contains(QString::fromUtf8(c.reasonHas))) << a.reason.toStdString();
    }
    const PushAnswer first = ReadPushAnswer(cases[0].reply);
    EXPECT_EQ(first.newLevels, 120);
    EXPECT_EQ(first.newEvents, 1);
    EXPECT_EQ(first.coversTo, QDateTime(QDate(2023, 11, 23), QTime(9, 14)));
    EXPECT_TRUE(ReadPushAnswer(cases[1].reply).alreadyArchived);
}
