#pragma once

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QString>
#include <QUrl>
#include <utility>

using PushHeaders = QList<std::pair<QByteArray, QByteArray>>;

// What came back from one request: the server's answer, or why none came.
struct PushReply {
    int status = 0;                       // the HTTP status; 0 when no answer came
    QString networkError;                 // why no answer came (refused connection, TLS, timeout)
    QMap<QByteArray, QByteArray> headers; // names in lower case
    QByteArray body;

    bool answered() const { return status > 0; }
    QByteArray header(const char* lowerCaseName) const { return headers.value(QByteArray(lowerCaseName)); }
};

// The one thing sending needs from the network: a POST and its answer. The real one waits in the event
// loop (never spinning); the tests give scripted answers.
class PushTransport {
public:
    virtual ~PushTransport() = default;
    virtual PushReply post(const QUrl& url, const PushHeaders& headers, const QByteArray& body) = 0;
};
