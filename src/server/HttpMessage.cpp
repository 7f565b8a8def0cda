#include "server/HttpMessage.h"

#include <QJsonDocument>

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
