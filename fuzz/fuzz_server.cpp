// Requests to the web server: any method, path, query, headers and body, through the route table and
// every route's parameters, as an administrator, as a venue account, without a session, or through the
// real gate (cookies, tokens, CSRF fields, Origin) on a small archive with an account and a token. Nothing
// may crash or hit undefined behaviour, whatever a client sends.
#include "core/archive/Archive.h"
#include "core/archive/ArchiveServerTables.h"
#include "server/ServerRoutes.h"
#include "server/auth/Passwords.h"
#include "server/auth/ServerAccess.h"
#include "sim/History.h"

#include <QDir>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <cstddef>
#include <cstdint>

namespace {
struct FuzzServer {
    FuzzServer() {
        static int argc = 1;
        static char name[] = "fuzz_server";
        static char* argv[] = {name, nullptr};
        qputenv("QT_QPA_PLATFORM", "offscreen");
        app = std::make_unique<QGuiApplication>(argc, argv);
        archive = Archive::open(*ParseArchiveLocation(dir.filePath(QStringLiteral("a.sqlite")))).value();
        HistoryOptions options;
        options.weeks = 2;
        options.missedWeek = 0;
        for (const HistoryReading& reading : GenerateHistory(options))
            (void)archive->importDownload(reading.data, 5, {SourceKind::File, QStringLiteral("f")});
        // A venue that had the device, then none: its page and report meet both.
        if (const auto venueId = archive->addVenue(QStringLiteral("Le Zinc")))
            (void)archive->attachDevice(*venueId, 1, QDate(2026, 6, 3), QDate(2026, 6, 9));
        admin.role = UserRole::Admin;
        everything.everything = true;
        venue.windows.push_back({1, 1, QDate(2026, 6, 3), QDate(2026, 6, 9)});
        venue.venues.insert(1);
        // For the real gate: an account and a token, so that cookies, tokens and forms are all read.
        (void)Passwords::ready();
        ArchiveServerTables tables(*archive);
        (void)tables.addUser(QStringLiteral("anne"), QStringLiteral("admin"),
                             Passwords::hash("un mot de passe"));
        (void)tables.addToken(1, QStringLiteral("0").repeated(64), 0);
    }
    std::unique_ptr<QGuiApplication> app;
    QTemporaryDir dir;
    std::unique_ptr<Archive> archive;
    const RouteTable routes = serverRoutes();
    const AccessGate realGate = ServerAccess(AccessSettings{});
    Principal admin;
    VisibleScope everything, venue;
};

// The next field of the input, up to a newline.
QByteArray field(const uint8_t*& data, size_t& size) {
    const uint8_t* end = static_cast<const uint8_t*>(memchr(data, '\n', size));
    const size_t length = end ? size_t(end - data) : size;
    QByteArray value(reinterpret_cast<const char*>(data), qsizetype(length));
    const size_t used = end ? length + 1 : length;
    data += used;
    size -= used;
    return value;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static FuzzServer server;
    if (size < 1) return 0;
    const uint8_t who = data[0] % 4; // 0 administrator, 1 venue account, 2 nobody, 3 the real gate
    ++data;
    --size;
    HttpRequest request;
    request.method = field(data, size);
    request.path = QString::fromUtf8(field(data, size));
    request.query = QUrlQuery(QString::fromUtf8(field(data, size)));
    const QByteArray header = field(data, size);
    if (const qsizetype colon = header.indexOf(':'); colon > 0)
        request.headers.append({header.left(colon), header.mid(colon + 1).trimmed()});
    request.body = QByteArray(reinterpret_cast<const char*>(data), qsizetype(size));
    RouteContext context;
    context.archive = server.archive.get();
    const AccessGate gate = [&](const HttpRequest&, RouteAccess access,
                                RouteContext& c) -> std::optional<HttpResponse> {
        if (access == RouteAccess::Public) return std::nullopt;
        if (who == 2)
            return jsonError(401, QStringLiteral("unauthenticated"), QStringLiteral("Connexion requise."));
        c.user = &server.admin;
        c.scope = who == 0 ? &server.everything : &server.venue;
        c.tokenDevice = 1;
        return std::nullopt;
    };
    (void)server.routes.handle(request, context, who == 3 ? server.realGate : gate);
    return 0;
}
