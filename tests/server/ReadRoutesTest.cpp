#include "core/archive/Archive.h"
#include "server/ServerRoutes.h"
#include "sim/History.h"

#include <QCryptographicHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {
// An archive of three generated weekly downloads of one device, and the routes as a signed-in user of
// the given scope would meet them.
class ReadRoutesArchive : public ::testing::Test {
protected:
    void SetUp() override {
        auto opened = Archive::open(*ParseArchiveLocation(m_dir.filePath(QStringLiteral("a.sqlite"))));
        ASSERT_TRUE(opened) << opened.error().toStdString();
        m_archive = std::move(opened).value();
        HistoryOptions options;
        options.weeks = 3;
        options.missedWeek = 0;
        for (const HistoryReading& reading : GenerateHistory(options))
            ASSERT_TRUE(m_archive->importDownload(reading.data, 5, {SourceKind::File, QStringLiteral("f")}));
        m_device = m_archive->devices()->front().id;
        m_user.name = QStringLiteral("anne");
        m_user.role = UserRole::Admin;
        m_user.csrf = "0123";
        m_scope.everything = true;
    }

    HttpResponse get(const QString& target) {
        HttpRequest request;
        request.method = "GET";
        const qsizetype question = target.indexOf(QLatin1Char('?'));
        request.path = target.left(question);
        if (question >= 0) request.query = QUrlQuery(target.mid(question + 1));
        RouteContext context;
        context.archive = m_archive.get();
        const AccessGate gate = [this](const HttpRequest&, RouteAccess, RouteContext& c) {
            c.user = &m_user;
            c.scope = &m_scope;
            return std::optional<HttpResponse>();
        };
        return m_routes.handle(request, context, gate);
    }

    QString device(const char* rest = "") const {
        return QStringLiteral("%1%2").arg(m_device).arg(QLatin1String(rest));
    }

    QTemporaryDir m_dir;
    std::unique_ptr<Archive> m_archive;
    qint64 m_device = 0;
    Principal m_user;
    VisibleScope m_scope;
    const RouteTable m_routes = serverRoutes();
};
} // namespace

TEST_F(ReadRoutesArchive, ApiAnswersWhatTheScopeAllowsAndSaysWhatIsWrong) {
    struct Case {
        QString target;
        bool venueScope; // a venue account whose only device is another one
        int status;
        QString error;
        QByteArray type;
    };
    const QString compliance = "/api/v1/devices/" + device("/compliance");
    const Case cases[] = {
        {"/api/v1/devices", false, 200, "", "application/json; charset=utf-8"},
        {"/api/v1/devices/" + device("/downloads"), false, 200, "", "application/json; charset=utf-8"},
        {"/api/v1/devices/" + device("/downloads"), true, 404, "not_found", ""},
        {"/api/v1/devices/999/downloads", false, 404, "not_found", ""},
        {"/api/v1/downloads/1/original", true, 404, "not_found", ""},
        {compliance + "?from=2026-06-02&to=2026-06-08&format=csv", false, 200, "", "text/csv; charset=utf-8"},
        {compliance + "?from=2026-06-02&to=2026-06-03&preset=jeune-c&format=text", false, 200, "",
         "text/plain; charset=utf-8"},
        {compliance + "?from=2026-06-02&to=2026-06-03&format=pdf", false, 200, "", "application/pdf"},
        {compliance + "?from=2026-06-02&to=2026-06-08", true, 404, "not_found", ""},
        {compliance + "?from=2026-6-2&to=2026-06-08", false, 400, "bad_date", ""},
        {compliance + "?from=2026-06-09&to=2026-06-08", false, 400, "bad_period", ""},
        {compliance + "?from=2025-01-01&to=2026-06-08", false, 400, "period_too_long", ""},
        {compliance + "?from=2026-01-01&to=2026-06-08&format=pdf", false, 400, "period_too_long", ""},
        {compliance + "?from=2026-06-02&to=2026-06-08&preset=Décret", false, 400, "bad_preset", ""},
        {compliance + "?from=2026-06-02&to=2026-06-08&preset=decret-a&limit=80", false, 400, "bad_preset",
         ""},
        {compliance + "?from=2026-06-02&to=2026-06-08&limit=30", false, 400, "bad_limit", ""},
        {compliance + "?from=2026-06-02&to=2026-06-08&format=xml", false, 400, "bad_format", ""},
        {"/api/v1/devices/" + device("/export?what=events&from=2026-06-02&to=2026-06-08&format=csv"), false,
         200, "", "text/csv; charset=utf-8"},
        {"/api/v1/devices/" + device("/export?what=levels&from=2026-06-02&to=2026-06-08&format=json"), true,
         404, "not_found", ""},
        {"/api/v1/devices/" + device("/export?what=leq&from=2026-06-02&to=2026-06-08&format=csv"), false, 400,
         "bad_what", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.target.toStdString() + (c.venueScope ? " (venue)" : ""));
        m_scope = {};
        m_scope.everything = !c.venueScope;
        if (c.venueScope) m_scope.windows.push_back({1, m_device + 1, {}, {}});
        const HttpResponse response = get(c.target);
        EXPECT_EQ(response.status, c.status) << response.body.left(300).constData();
        EXPECT_EQ(response.header("Cache-Control"), "no-store");
        if (!c.error.isEmpty()) {
            EXPECT_EQ(QJsonDocument::fromJson(response.body).object().value("error").toString(), c.error);
        }
        if (!c.type.isEmpty()) {
            EXPECT_EQ(response.header("Content-Type"), c.type);
        }
    }
}

TEST_F(ReadRoutesArchive, OriginalsComeBackByteForByteUnderTheirHash) {
    const QJsonArray downloads = QJsonDocument::fromJson(get("/api/v1/devices/" + device("/downloads")).body)
                                     .object()
                                     .value("downloads")
                                     .toArray();
    ASSERT_EQ(downloads.size(), 3);
    for (const QJsonValue& download : downloads) {
        const QString sha256 = download.toObject().value("sha256").toString();
        const HttpResponse original = get(
            QStringLiteral("/api/v1/downloads/%1/original").arg(download.toObject().value("id").toInteger()));
        ASSERT_EQ(original.status, 200);
        EXPECT_EQ(QCryptographicHash::hash(original.body, QCryptographicHash::Sha256).toHex(),
                  sha256.toLatin1());
        EXPECT_EQ(original.header("ETag"), '"' + sha256.toLatin1() + '"');
        EXPECT_TRUE(original.header("Content-Disposition").contains("filename*=UTF-8''"));
    }
}

TEST_F(ReadRoutesArchive, PagesShowTheArchiveAndEscapeWhatItHolds) {
    ASSERT_TRUE(m_archive->setVenue(m_device, QStringLiteral("<script>alert(1)</script> & Cie")));
    const QString venue = QString::number(m_archive->venues()->front().id);
    struct Case {
        QString target;
        QByteArray type;
        QByteArray contains;
    };
    const Case cases[] = {
        {"/", "text/html; charset=utf-8", "&lt;script&gt;alert(1)&lt;/script&gt; &amp; Cie"},
        {"/appareils/" + device("?du=2026-06-02&au=2026-06-08"), "text/html; charset=utf-8",
         "<svg class=\"calendar\""},
        {"/appareils/" + device("/nuit?jour=2026-06-05"), "text/html; charset=utf-8",
         "nuit.svg?jour=2026-06-05"},
        {"/appareils/" + device("/nuit.svg?jour=2026-06-05"), "image/svg+xml", "<svg"},
        {"/lieux/" + venue + "?du=2026-06-02&au=2026-06-08", "text/html; charset=utf-8",
         "/appareils/" + device("/nuit?jour=2026-06-05").toUtf8()},
        {"/rapports", "text/html; charset=utf-8", "lieu-" + venue.toUtf8()},
        {"/static/vorl.css", "text/css; charset=utf-8", "@media"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.target.toStdString());
        const HttpResponse response = get(c.target);
        EXPECT_EQ(response.status, 200);
        EXPECT_EQ(response.header("Content-Type"), c.type);
        EXPECT_TRUE(response.body.contains(c.contains)) << response.body.left(2000).constData();
        EXPECT_FALSE(response.body.contains("<script>"));
    }
}

// Every route, with hostile ids and parameters, answers with a status the API knows and never fails.
TEST_F(ReadRoutesArchive, HostileParametersGetAClearAnswer) {
    const QStringList ids = {"0", "1", "999999999999999999"};
    const QStringList values = {"",
                                "%00",
                                "9999-99-99",
                                "2026-02-30",
                                "1e308",
                                QString(5000, QLatin1Char('x')),
                                "\xF0\x9F\x98\x80",
                                "<svg onload=alert(1)>",
                                "2026-06-02&to=2026-06-02&format=pdf"};
    const QStringList names = {"from",   "to", "preset", "limit", "duration",
                               "format", "du", "au",     "jour",  "appareil"};
    int asked = 0;
    for (const RouteTable::Route& route : m_routes.routes()) {
        for (const QString& id : ids) {
            QString path = route.pattern;
            path.replace(QLatin1String("{id}"), id);
            for (const QString& name : names) {
                for (const QString& value : values) {
                    QUrlQuery query;
                    query.addQueryItem(QStringLiteral("from"), QStringLiteral("2026-06-02"));
                    query.addQueryItem(QStringLiteral("to"), QStringLiteral("2026-06-03"));
                    query.removeAllQueryItems(name);
                    query.addQueryItem(name, value);
                    HttpRequest request;
                    request.method = route.method;
                    request.path = path;
                    request.query = query;
                    RouteContext context;
                    context.archive = m_archive.get();
                    const AccessGate gate = [this](const HttpRequest&, RouteAccess, RouteContext& c) {
                        c.user = &m_user;
                        c.scope = &m_scope;
                        return std::optional<HttpResponse>();
                    };
                    const int status = m_routes.handle(request, context, gate).status;
                    ++asked;
                    EXPECT_TRUE(status == 200 || status == 204 || status == 303 || status == 400 ||
                                status == 404 || status == 401 || status == 403 || status == 415)
                        << route.method.constData() << ' ' << path.toStdString() << ' ' << name.toStdString()
                        << " → " << status;
                }
            }
        }
    }
    EXPECT_GT(asked, 500);
}

// A venue's report runs over the devices it had: a period across a swap is one report, each night on
// its own device; a period on which the venue had no device has none. A period on one device gives
// that device's very rows.
TEST_F(ReadRoutesArchive, VenueReportRunsOverTheDevicesItHad) {
    HistoryOptions options;
    options.weeks = 3;
    options.missedWeek = 0;
    options.seed = 11;
    for (const HistoryReading& reading : GenerateHistory(options))
        ASSERT_TRUE(m_archive->importDownload(reading.data, 5, {SourceKind::File, QStringLiteral("g")}));
    const qint64 other = m_archive->devices()->back().id;
    ASSERT_NE(other, m_device);
    const qint64 venue = m_archive->addVenue(QStringLiteral("Le Zinc")).value();
    ASSERT_TRUE(m_archive->attachDevice(venue, m_device, QDate(2026, 6, 3), QDate(2026, 6, 5)));
    ASSERT_TRUE(m_archive->attachDevice(venue, other, QDate(2026, 6, 6), {}));
    const QString base = QStringLiteral("/api/v1/venues/%1/compliance?format=csv").arg(venue);
    struct Case {
        QString period;
        int status;
        QString deviceTarget; // the device report giving the same rows; empty: none to compare
    };
    const Case cases[] = {
        {"&from=2026-06-02&to=2026-06-09", 200, ""},
        {"&from=2026-06-03&to=2026-06-05", 200, "/api/v1/devices/" + device("/compliance?format=csv")},
        {"&from=2026-06-06&to=2026-06-09", 200,
         QStringLiteral("/api/v1/devices/%1/compliance?format=csv").arg(other)},
        {"&from=2026-05-20&to=2026-06-02", 404, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.period.toStdString());
        const HttpResponse response = get(base + c.period);
        EXPECT_EQ(response.status, c.status) << response.body.left(300).constData();
        if (c.status == 200)
            EXPECT_TRUE(response.header("Content-Disposition")
                            .contains(QStringLiteral("conformite-lieu-%1-").arg(venue).toLatin1()));
        if (!c.deviceTarget.isEmpty()) EXPECT_EQ(response.body, get(c.deviceTarget + c.period).body);
    }
    // The venue's page leads each night to the device that was there.
    const QByteArray page = get(QStringLiteral("/lieux/%1?du=2026-06-04&au=2026-06-07").arg(venue)).body;
    for (const auto& [device, day] : {std::pair{m_device, "2026-06-05"}, std::pair{other, "2026-06-06"}})
        EXPECT_TRUE(
            page.contains(QStringLiteral("/appareils/%1/nuit?jour=%2").arg(device).arg(day).toUtf8()));
}
