#include "core/archive/ArchiveDatabase.h"
#include "server/ServerRoutes.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <gtest/gtest.h>

namespace {
HttpRequest routeTableRequest(const QByteArray& method, const QString& path) {
    HttpRequest request;
    request.method = method;
    request.path = path;
    return request;
}

// Every answer, refusals included, carries the security headers and a JSON type with its charset.
void expectRouteTableHeaders(const HttpResponse& response) {
    EXPECT_EQ(response.header("Content-Security-Policy"), "default-src 'self'; frame-ancestors 'none'");
    EXPECT_EQ(response.header("x-content-type-options"), "nosniff");
    EXPECT_EQ(response.header("Content-Type"), "application/json; charset=utf-8");
    EXPECT_FALSE(QJsonDocument::fromJson(response.body).isNull()) << response.body.constData();
}
} // namespace

TEST(RouteTable, AnswersKnownRoutesAndRefusesTheRest) {
    struct Case {
        QByteArray method;
        QString path;
        int status;
        QByteArray allow;
        QString error;
    };
    const Case cases[] = {
        {"GET", "/api/v1/health", 200, "", ""},
        {"POST", "/api/v1/health", 405, "GET", "method_not_allowed"},
        {"HEAD", "/api/v1/health", 405, "GET", "method_not_allowed"},
        {"DELETE", "/api/v1/health", 405, "GET", "method_not_allowed"},
        {"get", "/api/v1/health", 405, "GET", "method_not_allowed"},
        {"GET", "/api/v1/health/", 404, "", "not_found"},
        {"GET", "/api/v1/HEALTH", 404, "", "not_found"},
        {"GET", "/inconnu", 404, "", "not_found"},
        {"GET", "", 404, "", "not_found"},
        {"POST", "/api/v2/health", 404, "", "not_found"},
    };
    const RouteTable routes = serverRoutes();
    for (const Case& c : cases) {
        SCOPED_TRACE((c.method + " " + c.path.toUtf8()).constData());
        const HttpResponse response = routes.handle(routeTableRequest(c.method, c.path));
        EXPECT_EQ(response.status, c.status);
        EXPECT_EQ(response.header("Allow"), c.allow);
        expectRouteTableHeaders(response);
        const QJsonObject body = QJsonDocument::fromJson(response.body).object();
        if (c.error.isEmpty()) continue;
        EXPECT_EQ(body.value("error").toString(), c.error);
        EXPECT_FALSE(body.value("message").toString().isEmpty());
    }
}

TEST(RouteTable, HealthNamesTheProgramAndItsSchemaOnly) {
    HttpRequest request = routeTableRequest("GET", "/api/v1/health");
    request.query.addQueryItem("archive", "secret");
    const HttpResponse response = serverRoutes().handle(request);
    ASSERT_EQ(response.status, 200);
    const QJsonObject body = QJsonDocument::fromJson(response.body).object();
    EXPECT_EQ(body.keys(), (QStringList{"schema", "status", "version"}));
    EXPECT_EQ(body.value("status").toString(), "ok");
    EXPECT_EQ(body.value("version").toString(), QStringLiteral(VORL_VERSION));
    EXPECT_EQ(body.value("schema").toString(), ArchiveDatabase::kSchemaVersion.text());
}

TEST(RouteTable, AllowListsEveryMethodOfThePathAndHandlerHeadersSurvive) {
    RouteTable routes;
    const auto answer = [](int status) {
        return [status](const HttpRequest&, RouteContext&) {
            HttpResponse response = jsonResponse(status, {});
            // A route cannot weaken the policy: the table sets it last.
            response.setHeader("Content-Security-Policy", "default-src *");
            response.setHeader("ETag", "\"x\"");
            return response;
        };
    };
    routes.add("POST", "/api/v1/session", RouteAccess::Public, answer(200));
    routes.add("DELETE", "/api/v1/session", RouteAccess::Public, answer(204));
    const HttpResponse refused = routes.handle(routeTableRequest("GET", "/api/v1/session"));
    EXPECT_EQ(refused.status, 405);
    EXPECT_EQ(refused.header("Allow"), "DELETE, POST");
    const HttpResponse deleted = routes.handle(routeTableRequest("DELETE", "/api/v1/session"));
    EXPECT_EQ(deleted.status, 204);
    EXPECT_EQ(deleted.header("ETag"), "\"x\"");
    expectRouteTableHeaders(deleted);
}

TEST(RouteTable, PatternsTakeDecimalIdsOnly) {
    struct Case {
        QString path;
        std::optional<QStringList> arguments;
    };
    const QString pattern = QStringLiteral("/api/v1/devices/{id}/downloads");
    const Case cases[] = {
        {"/api/v1/devices/42/downloads", QStringList{"42"}},
        {"/api/v1/devices/123456789012345678/downloads", QStringList{"123456789012345678"}},
        {"/api/v1/devices/1234567890123456789/downloads", std::nullopt},
        {"/api/v1/devices/-1/downloads", std::nullopt},
        {"/api/v1/devices/4a/downloads", std::nullopt},
        {"/api/v1/devices//downloads", std::nullopt},
        {"/api/v1/devices/42/downloads/", std::nullopt},
        {"/api/v1/devices/42", std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(RouteTable::match(pattern, c.path), c.arguments) << c.path.toStdString();
}
