#include "server/api/UploadRoute.h"

#include "core/archive/Archive.h"
#include "core/archive/ArchiveRecords.h"
#include "core/archive/ArchiveServerTables.h"
#include "core/files/SaveFile.h"
#include "server/api/ApiFormat.h"
#include "server/pages/OverviewPage.h"

#include <QCryptographicHash>
#include <QJsonObject>

namespace {
HttpResponse busy(const QString& reason) {
    qWarning("vorl-server: %s", qUtf8Printable(reason));
    HttpResponse response =
        jsonError(503, QStringLiteral("archive_busy"),
                  QStringLiteral("L'archive n'a pas pu enregistrer l'envoi : réessayez plus tard."));
    response.setHeader("Retry-After", "30");
    return response;
}

HttpResponse wrongDevice() {
    return jsonError(403, QStringLiteral("wrong_device"),
                     QStringLiteral("Ce fichier vient d'un autre appareil que celui du jeton."));
}

// Nothing is stored on any refusal: the checks come before the one import transaction.
HttpResponse receiveDownload(const HttpRequest& request, RouteContext& context) {
    const QByteArray type =
        httpHeader(request.headers, "Content-Type").split(';').first().trimmed().toLower();
    if (type != "application/octet-stream")
        return jsonError(415, QStringLiteral("unsupported_type"),
                         QStringLiteral("Envoyez le fichier .qlv en application/octet-stream."));
    if (request.body.size() > kMaxUploadBytes)
        return jsonError(413, QStringLiteral("too_large"), QStringLiteral("Le fichier dépasse 2 Mio."));
    // The very bytes of an archived download (a send tried again after a lost answer) are that download,
    // found by their hash without reading them again.
    const QString originalSha256 =
        QString::fromLatin1(QCryptographicHash::hash(request.body, QCryptographicHash::Sha256).toHex());
    const auto same = context.archive->downloadWithOriginal(originalSha256);
    if (!same) return busy(same.error());
    if (*same) {
        if ((*same)->second != context.tokenDevice) return wrongDevice();
        return jsonResponse(200, {{QStringLiteral("download"), (*same)->first},
                                  {QStringLiteral("device"), (*same)->second},
                                  {QStringLiteral("status"), QStringLiteral("already_archived")}});
    }
    const SaveFileRead read = ReadSaveFileFromBytes(request.body);
    if (!read.ok() || read.bytes.isEmpty())
        return jsonError(400, QStringLiteral("unreadable"),
                         read.ok() ? QStringLiteral("Le fichier envoyé est vide.")
                                   : read.problem->title + QStringLiteral(" : ") + read.problem->text);
    auto devices = context.archive->devices(context.tokenDevice);
    if (!devices) return busy(devices.error());
    const auto device = std::find_if(devices->begin(), devices->end(),
                                     [&](const ArchivedDevice& d) { return d.id == context.tokenDevice; });
    const QString cells = SerialCellsText(read.data.Param_Block);
    QStringList tokenCells;
    if (device != devices->end())
        for (const int16_t cell : device->serialCells)
            tokenCells << QString::number(cell);
    if (device == devices->end() || device->generation != read.generation ||
        tokenCells.join(QLatin1Char(',')) != cells)
        return wrongDevice();
    const ImportResult imported = context.archive->importDownload(
        read.data, read.generation, {SourceKind::File, QStringLiteral("envoi %1").arg(context.peer)},
        read.bytes);
    if (!imported) return busy(imported.error());
    (void)ArchiveServerTables(*context.archive)
        .audit(QStringLiteral("appareil %1").arg(context.tokenDevice), QStringLiteral("envoi"),
               QStringLiteral("téléchargement %1").arg(imported->downloadId), context.peer);
    QJsonObject body{{QStringLiteral("download"), imported->downloadId},
                     {QStringLiteral("device"), imported->deviceId}};
    if (imported->status == ImportStatus::AlreadyArchived) {
        body.insert(QStringLiteral("status"), QStringLiteral("already_archived"));
        return jsonResponse(200, body);
    }
    // The overview's nights of the device are judged now, after the answer, rather than by its next reader.
    if (context.afterAnswer)
        context.afterAnswer([device = imported->deviceId, today = QDate::currentDate()](Archive& archive) {
            (void)overviewNights(archive, device, today);
        });
    body.insert(QStringLiteral("status"), QStringLiteral("archived"));
    body.insert(QStringLiteral("new"), apiCounts(imported->added));
    auto downloads = context.archive->downloads(imported->deviceId);
    if (downloads)
        for (const ArchivedDownload& d : *downloads)
            if (d.id == imported->downloadId)
                body.insert(QStringLiteral("covers"),
                            QJsonObject{{QStringLiteral("from"), apiTime(d.coverFrom)},
                                        {QStringLiteral("to"), apiTime(d.coverTo)}});
    HttpResponse response = jsonResponse(201, body);
    response.setHeader("Location",
                       "/api/v1/downloads/" + QByteArray::number(imported->downloadId) + "/original");
    return response;
}
} // namespace

void addUploadRoute(RouteTable& routes) {
    routes.add("POST", QStringLiteral("/api/v1/downloads"), RouteAccess::DeviceToken, receiveDownload);
}
