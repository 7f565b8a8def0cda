#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QList>
#include <QPair>
#include <QString>
#include <QUrlQuery>

// A request and a response as the routes see them, whatever HTTP library carries them.
using HttpHeaders = QList<QPair<QByteArray, QByteArray>>;

// The value of a header by its name, compared without case; empty when absent.
QByteArray httpHeader(const HttpHeaders& headers, const QByteArray& name);

struct HttpRequest {
    QByteArray method; // upper case, as sent: "GET", "POST"…
    QString path;      // decoded, without the query
    QUrlQuery query;
    HttpHeaders headers;
    QByteArray body;
};

// A field of a form body (application/x-www-form-urlencoded: '+' is a space); empty when absent or
// when the body is no such form.
QString formField(const HttpRequest& request, const QByteArray& name);
bool hasFormField(const HttpRequest& request, const QByteArray& name);

struct HttpResponse {
    int status = 200;
    HttpHeaders headers;
    QByteArray body;

    QByteArray header(const QByteArray& name) const { return httpHeader(headers, name); }
    // Replaces every header of that name.
    void setHeader(const QByteArray& name, const QByteArray& value);
};

// A JSON body, with its content type.
HttpResponse jsonResponse(int status, const QJsonObject& body);
// The API's error body: {"error":"<code>","message":"<texte>"}.
HttpResponse jsonError(int status, const QString& code, const QString& message);
// The archive cannot be reached just now: its French text, and the API's 503 with Retry-After.
QString archiveUnavailableText();
HttpResponse archiveUnavailable();
