#include "server/HttpMessage.h"

#include <QJsonDocument>
#include <optional>

QByteArray httpHeader(const HttpHeaders& headers, const QByteArray& name) {
    for (const auto& [key, value] : headers)
        if (key.compare(name, Qt::CaseInsensitive) == 0) return value;
    return {};
}

void HttpResponse::setHeader(const QByteArray& name, const QByteArray& value) {
    headers.removeIf([&](const auto& entry) { return entry.first.compare(name, Qt::CaseInsensitive) == 0; });
    headers.append({name, value});
}

HttpResponse jsonResponse(int status, const QJsonObject& body) {
    HttpResponse response;
    response.status = status;
    response.body = QJsonDocument(body).toJson(QJsonDocument::Compact);
    response.setHeader("Content-Type", "application/json; charset=utf-8");
    return response;
}

HttpResponse jsonError(int status, const QString& code, const QString& message) {
    return jsonResponse(status,
                        QJsonObject{{QStringLiteral("error"), code}, {QStringLiteral("message"), message}});
}

QString archiveUnavailableText() {
    return QStringLiteral("L'archive est momentanément indisponible.");
}

HttpResponse archiveUnavailable() {
    HttpResponse response = jsonError(503, QStringLiteral("archive_unavailable"), archiveUnavailableText());
    response.setHeader("Retry-After", "5");
    return response;
}

namespace {
std::optional<QByteArray> rawFormField(const HttpRequest& request, const QByteArray& name) {
    if (!httpHeader(request.headers, "Content-Type").startsWith("application/x-www-form-urlencoded"))
        return std::nullopt;
    for (const QByteArray& pair : request.body.split('&')) {
        const qsizetype equals = pair.indexOf('=');
        QByteArray key = equals < 0 ? pair : pair.left(equals);
        if (QByteArray::fromPercentEncoding(key.replace('+', ' ')) != name) continue;
        QByteArray value = equals < 0 ? QByteArray() : pair.mid(equals + 1);
        return QByteArray::fromPercentEncoding(value.replace('+', ' '));
    }
    return std::nullopt;
}
} // namespace

QString formField(const HttpRequest& request, const QByteArray& name) {
    return QString::fromUtf8(rawFormField(request, name).value_or(QByteArray()));
}

bool hasFormField(const HttpRequest& request, const QByteArray& name) {
    return rawFormField(request, name).has_value();
}
