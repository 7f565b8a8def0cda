#include "server/api/ApiFormat.h"

#include <QUrl>

QJsonValue apiTime(const QDateTime& time) {
    if (!time.isValid()) return QJsonValue::Null;
    return time.toString(QStringLiteral("yyyy-MM-ddTHH:mm"));
}

QJsonObject apiCounts(const RecordCounts& counts) {
    return {{QStringLiteral("leq"), counts.leq},
            {QStringLiteral("leq1"), counts.leq1},
            {QStringLiteral("leq10"), counts.leq10},
            {QStringLiteral("events"), counts.events},
            {QStringLiteral("param_changes"), counts.paramChanges}};
}

QJsonObject apiDevice(const ArchivedDevice& device) {
    return {{QStringLiteral("id"), device.id},
            {QStringLiteral("serial"), device.serial},
            {QStringLiteral("generation"), device.generation},
            {QStringLiteral("venue"), device.venue},
            {QStringLiteral("first_record"), apiTime(device.firstRecord)},
            {QStringLiteral("last_record"), apiTime(device.lastRecord)},
            {QStringLiteral("last_transfer"), apiTime(device.lastDownload)},
            {QStringLiteral("downloads"), device.downloads}};
}

HttpResponse archiveFailure(const QString& reason) {
    qWarning("vorl-server: %s", qUtf8Printable(reason));
    return jsonError(500, QStringLiteral("archive_error"),
                     QStringLiteral("L'archive n'a pas pu être lue. Réessayez plus tard."));
}

HttpResponse notFound() {
    return jsonError(404, QStringLiteral("not_found"), QStringLiteral("Cette adresse n'existe pas."));
}

HttpResponse attachment(const QByteArray& body, const QByteArray& type, const QString& fileName) {
    HttpResponse response;
    response.body = body;
    response.setHeader("Content-Type", type);
    QByteArray ascii;
    for (const QChar c : fileName) {
        const char16_t u = c.unicode();
        ascii += (u >= 0x20 && u < 0x7f && u != '"' && u != '\\' && u != '/' && u != ';') ? char(u) : '_';
    }
    response.setHeader("Content-Disposition", "attachment; filename=\"" + ascii + "\"; filename*=UTF-8''" +
                                                  QUrl::toPercentEncoding(fileName));
    return response;
}
