#include "core/archive/Archive.h"
#include "core/archive/ArchiveServerTables.h"
#include "core/files/SaveFile.h"
#include "server/ServerRoutes.h"
#include "server/auth/Passwords.h"
#include "server/auth/Secrets.h"
#include "server/auth/ServerAccess.h"
#include "server/auth/Sessions.h"
#include "sim/History.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {
const QByteArray kPassword = "un mot de passe assez long";

QByteArray saveFileBytes(DeviceData data) {
    DataStore store;
    store.commit(std::move(data));
    return SaveFileContent(store, 5, 8192);
}

// Two venues, each with its own device and three weekly downloads; an administrator and a venue
// account that sees the first venue only; the real routes behind the real gate.
class ServerAccessTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(Passwords::ready());
        auto opened = Archive::open(*ParseArchiveLocation(m_dir.filePath(QStringLiteral("a.sqlite"))));
        ASSERT_TRUE(opened) << opened.error().toStdString();
        archive = std::move(opened).value();
        for (const uint32_t seed : {7u, 8u}) {
            HistoryOptions options;
            options.weeks = 3;
            options.missedWeek = 0;
            options.seed = seed;
            for (const HistoryReading& reading : GenerateHistory(options)) {
                const ImportResult imported = archive->importDownload(
                    reading.data, 5, {SourceKind::File, QStringLiteral("f")}, saveFileBytes(reading.data));
                ASSERT_TRUE(imported) << imported.error().toStdString();
                lastDownload[seed == 7 ? 0 : 1] = imported->downloadId;
                device[seed == 7 ? 0 : 1] = imported->deviceId;
                lastReading[seed == 7 ? 0 : 1] = reading.data;
            }
        }
        ASSERT_NE(device[0], device[1]);
        ArchiveServerTables tables(*archive);
        for (int i = 0; i < 2; ++i) {
            venue[i] = *archive->addVenue(QStringLiteral("Lieu %1").arg(i));
            ASSERT_TRUE(archive->attachDevice(venue[i], device[i], {}, {}));
        }
        const QString hash = Passwords::hash(kPassword);
        ASSERT_TRUE(tables.addUser(QStringLiteral("anne"), QStringLiteral("admin"), hash));
        const auto venueUser = tables.addUser(QStringLiteral("bar"), QStringLiteral("venue"), hash);
        ASSERT_TRUE(venueUser && tables.grant(*venueUser, venue[0]));
    }

    HttpResponse send(const QByteArray& method, const QString& target, HttpHeaders headers = {},
                      const QByteArray& body = {}) {
        HttpRequest request;
        request.method = method;
        const qsizetype question = target.indexOf(QLatin1Char('?'));
        request.path = target.left(question);
        if (question >= 0) request.query = QUrlQuery(target.mid(question + 1));
        headers.append(qMakePair(QByteArray("Host"), QByteArray("bruit.test")));
        request.headers = headers;
        request.body = body;
        RouteContext context;
        context.archive = archive.get();
        context.peer = QStringLiteral("127.0.0.1");
        return routes.handle(request, context, gate);
    }

    // The cookie value and CSRF token of a new session, or empty ones.
    std::pair<QByteArray, QByteArray> signIn(const char* user, const QByteArray& password = kPassword) {
        const HttpResponse r =
            send("POST", QStringLiteral("/api/v1/session"),
                 {{"Content-Type", "application/x-www-form-urlencoded"}},
                 "user=" + QByteArray(user) + "&password=" + QUrl::toPercentEncoding(password));
        if (r.status != 200) return {};
        const QByteArray cookie = r.header("Set-Cookie");
        const QByteArray value =
            cookie.mid(cookie.indexOf('=') + 1, cookie.indexOf(';') - cookie.indexOf('=') - 1);
        return {value, QJsonDocument::fromJson(r.body)[QStringLiteral("csrf")].toString().toLatin1()};
    }

    HttpResponse asUser(const QByteArray& session, const QByteArray& method, const QString& target,
                        HttpHeaders headers = {}) {
        headers.append(qMakePair(QByteArray("Cookie"), "other=1; " + Sessions::kCookieName + "=" + session));
        return send(method, target, headers);
    }

    // The audit trail's actions, in order, read past the program.
    QStringList auditedActions() {
        QStringList actions;
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("audit"));
            db.setDatabaseName(m_dir.filePath(QStringLiteral("a.sqlite")));
            if (db.open()) {
                QSqlQuery query(QStringLiteral("SELECT action FROM server_audit ORDER BY id"), db);
                while (query.next())
                    actions << query.value(0).toString();
            }
        }
        QSqlDatabase::removeDatabase(QStringLiteral("audit"));
        return actions;
    }

    QTemporaryDir m_dir;
    std::unique_ptr<Archive> archive;
    qint64 device[2] = {}, venue[2] = {}, lastDownload[2] = {};
    DeviceData lastReading[2];
    qint64 clock = 1'800'000'000;
    const RouteTable routes = serverRoutes();
    const AccessGate gate = ServerAccess(AccessSettings{{}, [this] { return clock; }});
};

QString withIds(const QString& pattern, qint64 id) {
    return QString(pattern).replace(QStringLiteral("{id}"), QString::number(id));
}

// Built from the route table: a route added later is covered without a line here.
TEST_F(ServerAccessTest, EveryRouteRefusesWhoeverItDoesNotKnow) {
    const auto [session, csrf] = signIn("bar");
    ASSERT_FALSE(session.isEmpty());
    for (const RouteTable::Route& route : routes.routes()) {
        SCOPED_TRACE(route.method.toStdString() + ' ' + route.pattern.toStdString());
        const QString path = withIds(route.pattern, device[1]);
        const HttpResponse anonymous = send(route.method, path);
        switch (route.access) {
        case RouteAccess::Public:
            continue;
        case RouteAccess::DeviceToken:
            EXPECT_EQ(anonymous.status, 401);
            EXPECT_EQ(anonymous.header("WWW-Authenticate"), "Bearer");
            continue;
        case RouteAccess::Session:
            break;
        }
        if (route.pattern.startsWith(QLatin1String("/api/")))
            EXPECT_EQ(anonymous.status, 401);
        else
            EXPECT_EQ(anonymous.status, 303);
        EXPECT_EQ(anonymous.header("Cache-Control"), "no-store");
        // A venue account asking for another venue's device, venue or download meets the answer of an
        // unknown one.
        if (!route.pattern.contains(QLatin1String("{id}")) || route.method != "GET") continue;
        // The id a route takes: a venue's, a download's or a device's, of the first or second venue.
        const auto idOf = [&](int n) {
            return route.pattern.contains(QLatin1String("venues")) ||
                           route.pattern.startsWith(QLatin1String("/lieux"))
                       ? venue[n]
                   : route.pattern.contains(QLatin1String("downloads/")) ? lastDownload[n]
                                                                         : device[n];
        };
        const qint64 other = idOf(1);
        const HttpResponse foreign =
            asUser(session, route.method,
                   withIds(route.pattern, other) +
                       "?from=2026-06-02&to=2026-06-03&format=csv&what=levels&nuit=2026-06-02");
        const HttpResponse unknown =
            asUser(session, route.method,
                   withIds(route.pattern, 999999) +
                       "?from=2026-06-02&to=2026-06-03&format=csv&what=levels&nuit=2026-06-02");
        EXPECT_EQ(foreign.status, 404);
        EXPECT_EQ(foreign.status, unknown.status);
        const HttpResponse own =
            asUser(session, route.method,
                   withIds(route.pattern, idOf(0)) +
                       "?from=2026-06-02&to=2026-06-03&format=csv&what=levels&nuit=2026-06-02");
        EXPECT_NE(own.status, 404) << own.body.toStdString();
    }
}

TEST_F(ServerAccessTest, SignInSessionsAndTheirEnd) {
    const HttpHeaders form{{"Content-Type", "application/x-www-form-urlencoded"}};
    struct Attempt {
        const char* name;
        QByteArray body;
        HttpHeaders extra;
        int status;
        const char* error;
    };
    const Attempt attempts[] = {
        {"wrong password", "user=anne&password=faux", {}, 401, "bad_credentials"},
        {"unknown user", "user=personne&password=faux", {}, 401, "bad_credentials"},
        {"missing password", "user=anne", {}, 400, "missing_field"},
        {"foreign origin",
         "user=anne&password=x",
         {{"Origin", "https://ailleurs.test"}},
         403,
         "foreign_origin"},
    };
    for (const Attempt& a : attempts) {
        SCOPED_TRACE(a.name);
        HttpHeaders headers = form;
        headers += a.extra;
        const HttpResponse r = send("POST", QStringLiteral("/api/v1/session"), headers, a.body);
        EXPECT_EQ(r.status, a.status);
        EXPECT_EQ(QJsonDocument::fromJson(r.body)[QStringLiteral("error")].toString(),
                  QLatin1String(a.error));
        EXPECT_TRUE(r.header("Set-Cookie").isEmpty());
    }
    // An unknown user and a wrong password get the very same answer.
    EXPECT_EQ(send("POST", QStringLiteral("/api/v1/session"), form, "user=anne&password=faux").body,
              send("POST", QStringLiteral("/api/v1/session"), form, "user=personne&password=faux").body);

    const HttpResponse good = send("POST", QStringLiteral("/api/v1/session"), form,
                                   "user=anne&password=" + QUrl::toPercentEncoding(kPassword));
    ASSERT_EQ(good.status, 200);
    const QByteArray cookie = good.header("Set-Cookie");
    EXPECT_TRUE(cookie.startsWith("__Host-vorl_session="));
    EXPECT_TRUE(cookie.endsWith("; Secure; HttpOnly; SameSite=Lax; Path=/"));

    const auto [first, csrf] = signIn("anne");
    EXPECT_EQ(asUser(first, "GET", QStringLiteral("/api/v1/devices")).status, 200);
    // Who signed in and who fetched an original or a report is kept.
    EXPECT_EQ(
        asUser(first, "GET", QStringLiteral("/api/v1/downloads/%1/original").arg(lastDownload[0])).status,
        200);
    EXPECT_EQ(asUser(first, "GET",
                     QStringLiteral("/api/v1/devices/%1/compliance?from=2026-06-02&to=2026-06-03&format=csv")
                         .arg(device[0]))
                  .status,
              200);
    EXPECT_EQ(
        auditedActions().mid(auditedActions().size() - 3),
        (QStringList{QStringLiteral("connexion"), QStringLiteral("original"), QStringLiteral("rapport")}));
    // Signing in again from that browser ends its session: ids are never carried over.
    const HttpResponse again = send("POST", QStringLiteral("/api/v1/session"),
                                    {form.first(), {"Cookie", Sessions::kCookieName + '=' + first}},
                                    "user=anne&password=" + QUrl::toPercentEncoding(kPassword));
    ASSERT_EQ(again.status, 200);
    EXPECT_EQ(asUser(first, "GET", QStringLiteral("/api/v1/devices")).status, 401);

    auto [session, token] = signIn("anne");
    EXPECT_EQ(asUser(session, "DELETE", QStringLiteral("/api/v1/session")).status, 403);
    EXPECT_EQ(asUser(session, "DELETE", QStringLiteral("/api/v1/session"), {{"X-CSRF-Token", "faux"}}).status,
              403);
    EXPECT_EQ(asUser(session, "DELETE", QStringLiteral("/api/v1/session"),
                     {{"X-CSRF-Token", token}, {"Origin", "https://ailleurs.test"}})
                  .status,
              403);
    EXPECT_EQ(asUser(session, "DELETE", QStringLiteral("/api/v1/session"), {{"X-CSRF-Token", token}}).status,
              204);
    EXPECT_EQ(asUser(session, "GET", QStringLiteral("/api/v1/devices")).status, 401);

    // Idle for 30 minutes, open for 12 hours, or opened before the account's rights changed: over.
    std::tie(session, token) = signIn("anne");
    clock += Sessions::kIdleSeconds - 1;
    EXPECT_EQ(asUser(session, "GET", QStringLiteral("/api/v1/devices")).status, 200);
    clock += Sessions::kIdleSeconds + 1;
    EXPECT_EQ(asUser(session, "GET", QStringLiteral("/api/v1/devices")).status, 401);
    std::tie(session, token) = signIn("anne");
    for (int step = 0; step < 25; ++step) {
        clock += Sessions::kLifetimeSeconds / 24;
        (void)asUser(session, "GET", QStringLiteral("/api/v1/devices"));
    }
    EXPECT_EQ(asUser(session, "GET", QStringLiteral("/api/v1/devices")).status, 401);
    std::tie(session, token) = signIn("bar");
    ArchiveServerTables tables(*archive);
    ASSERT_TRUE(tables.grant((*tables.user(QStringLiteral("bar")))->id, venue[1]));
    EXPECT_EQ(asUser(session, "GET", QStringLiteral("/api/v1/devices")).status, 401);
}

TEST_F(ServerAccessTest, WrongPasswordsHoldANameBackForAWhileOnlyWhetherItHasAnAccountOrNot) {
    const HttpHeaders form{{"Content-Type", "application/x-www-form-urlencoded"}};
    std::vector<HttpResponse> held;
    for (const QByteArray name : {QByteArray("anne"), QByteArray("personne")}) {
        for (int attempt = 0; attempt < Sessions::kFreeAttempts; ++attempt)
            EXPECT_EQ(send("POST", QStringLiteral("/api/v1/session"), form, "user=" + name + "&password=faux")
                          .status,
                      401);
        held.push_back(send("POST", QStringLiteral("/api/v1/session"), form,
                            "user=" + name + "&password=" + QUrl::toPercentEncoding(kPassword)));
    }
    EXPECT_EQ(held[0].status, 429);
    EXPECT_GT(held[0].header("Retry-After").toInt(), 0);
    // The answer for an account is the answer for a name no account has.
    EXPECT_EQ(held[1].status, held[0].status);
    EXPECT_EQ(held[1].header("Retry-After"), held[0].header("Retry-After"));
    EXPECT_EQ(held[1].body, held[0].body);
    clock += Sessions::kLongestHoldSeconds;
    EXPECT_FALSE(signIn("anne").first.isEmpty());
}

TEST_F(ServerAccessTest, ADeviceTokenSendsItsOwnDownloadsOnly) {
    ArchiveServerTables tables(*archive);
    const QByteArray secret = Secrets::randomText(32);
    const auto id = tables.addToken(device[0], Secrets::sha256Hex(secret), clock);
    ASSERT_TRUE(id);
    ASSERT_TRUE(tables.addToken(device[0], Secrets::sha256Hex("second"), clock));
    EXPECT_FALSE(tables.addToken(device[0], Secrets::sha256Hex("third"), clock));
    const QByteArray bearer = "Bearer vorl1_" + QByteArray::number(*id) + '.' + secret;
    HistoryOptions later;
    later.weeks = 4;
    later.missedWeek = 0;
    const QByteArray fresh = saveFileBytes(GenerateHistory(later).back().data);
    const QByteArray foreign = saveFileBytes(lastReading[1]);
    const auto downloads = [&] {
        return archive->downloads(device[0])->size() + archive->downloads(device[1])->size();
    };
    const std::size_t before = downloads();
    struct Case {
        const char* name;
        QByteArray authorization, type, body;
        int status;
    };
    const Case cases[] = {
        {"no token", {}, "application/octet-stream", fresh, 401},
        {"a token of another secret",
         "Bearer vorl1_" + QByteArray::number(*id) + '.' + Secrets::randomText(32),
         "application/octet-stream", fresh, 401},
        {"a malformed token", "Bearer vorl1_x.y", "application/octet-stream", fresh, 401},
        {"another type", bearer, "text/plain", fresh, 415},
        {"too large", bearer, "application/octet-stream", QByteArray(3 * 1024 * 1024, 'x'), 413},
        {"not a save file", bearer, "application/octet-stream", "garbage", 400},
        {"another device's file", bearer, "application/octet-stream", foreign, 403},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        HttpHeaders headers{{"Content-Type", c.type}};
        if (!c.authorization.isEmpty())
            headers.append(qMakePair(QByteArray("Authorization"), c.authorization));
        EXPECT_EQ(send("POST", QStringLiteral("/api/v1/downloads"), headers, c.body).status, c.status);
        EXPECT_EQ(downloads(), before);
    }
    const HttpHeaders good{{"Content-Type", "application/octet-stream"}, {"Authorization", bearer}};
    const HttpResponse sent = send("POST", QStringLiteral("/api/v1/downloads"), good, fresh);
    ASSERT_EQ(sent.status, 201) << sent.body.toStdString();
    EXPECT_EQ(downloads(), before + 1);
    EXPECT_EQ(
        QJsonDocument::fromJson(
            send("POST", QStringLiteral("/api/v1/downloads"), good, fresh).body)[QStringLiteral("status")]
            .toString(),
        QStringLiteral("already_archived"));
    ASSERT_TRUE(tables.revokeToken(*id, clock));
    EXPECT_EQ(send("POST", QStringLiteral("/api/v1/downloads"), good, fresh).status, 401);
}
} // namespace
