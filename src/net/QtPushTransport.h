#pragma once

#include "core/push/PushTransport.h"

#include <QList>
#include <QNetworkAccessManager>
#include <QSslCertificate>
#include <memory>

// Sends over HTTP(S) with QNetworkAccessManager, waiting for each answer in an event loop. TLS is
// verified against the system's certificate store, or only against the certificates of a PEM file
// when one is given. Redirects are not followed: a POST sent elsewhere is not what the user asked.
class QtPushTransport : public PushTransport {
public:
    // Nothing, with the reason in French, when caFile (if given) holds no PEM certificate.
    static std::unique_ptr<QtPushTransport> create(const QString& caFile, QString& reason);

    PushReply post(const QUrl& url, const PushHeaders& headers, const QByteArray& body) override;

    // The longest silence of the server, and the longest whole exchange.
    void setTimeouts(int silenceMs, int totalMs);

private:
    QtPushTransport() = default;

    QNetworkAccessManager m_manager;
    QList<QSslCertificate> m_authorities; // empty: the system's store
    int m_silenceMs = 30000;
    int m_totalMs = 120000;
};
