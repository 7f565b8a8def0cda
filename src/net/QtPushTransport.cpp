#include "net/QtPushTransport.h"

#include "core/push/PushServerUrl.h"

#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QSslConfiguration>
#include <QTimer>

namespace {
// The server answers with a few lines of JSON; more is not its answer.
constexpr qint64 kLongestAnswer = 256 * 1024;
constexpr qint64 kLongestCaFile = 4 * 1024 * 1024;
} // namespace

std::unique_ptr<QtPushTransport> QtPushTransport::create(const QString& caFile, QString& reason) {
    std::unique_ptr<QtPushTransport> transport(new QtPushTransport);
    if (caFile.isEmpty()) return transport;
    const QString source = QStringLiteral("Le fichier de certificats %1").arg(caFile);
    const QFileInfo info(caFile);
    if (!info.isFile() || info.size() > kLongestCaFile) {
        reason = info.exists() ? QStringLiteral("%1 n'est pas un fichier PEM ordinaire.").arg(source)
                               : QStringLiteral("%1 n'existe pas.").arg(source);
        return nullptr;
    }
    QFile file(caFile);
    if (!file.open(QIODevice::ReadOnly)) {
        reason = QStringLiteral("%1 ne peut pas être lu : %2.").arg(source, file.errorString());
        return nullptr;
    }
    transport->m_authorities = QSslCertificate::fromData(file.readAll(), QSsl::Pem);
    if (transport->m_authorities.isEmpty()) {
        reason = QStringLiteral("%1 ne contient aucun certificat PEM.").arg(source);
        return nullptr;
    }
    return transport;
}

void QtPushTransport::setTimeouts(int silenceMs, int totalMs) {
    m_silenceMs = silenceMs;
    m_totalMs = totalMs;
}

PushReply QtPushTransport::post(const QUrl& url, const PushHeaders& headers, const QByteArray& body) {
    QNetworkRequest request(url);
    for (const auto& [name, value] : headers)
        request.setRawHeader(name, value);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
    request.setTransferTimeout(m_silenceMs);
    if (!m_authorities.isEmpty()) {
        QSslConfiguration tls = QSslConfiguration::defaultConfiguration();
        tls.setCaCertificates(m_authorities);
        request.setSslConfiguration(tls);
    }
    // A proxy of the environment has no business between this machine and itself.
    m_manager.setProxy(IsLoopbackHost(url.host()) ? QNetworkProxy(QNetworkProxy::NoProxy)
                                                  : QNetworkProxy(QNetworkProxy::DefaultProxy));

    PushReply result;
    std::unique_ptr<QNetworkReply> reply(m_manager.post(request, body));
    QEventLoop loop;
    QTimer deadline;
    deadline.setSingleShot(true);
    bool tooLong = false, timedOut = false;
    QObject::connect(reply.get(), &QNetworkReply::readyRead, &loop, [&] {
        result.body += reply->read(kLongestAnswer + 1 - result.body.size());
        if (result.body.size() > kLongestAnswer) {
            tooLong = true;
            reply->abort();
        }
    });
    QObject::connect(&deadline, &QTimer::timeout, &loop, [&] {
        timedOut = true;
        reply->abort();
    });
    QObject::connect(reply.get(), &QNetworkReply::finished, &loop, &QEventLoop::quit);
    deadline.start(m_totalMs);
    if (!reply->isFinished()) loop.exec();
    // An aborted reply is closed and has nothing more to give.
    if (!tooLong && reply->isOpen()) result.body += reply->read(kLongestAnswer + 1 - result.body.size());

    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (tooLong || result.body.size() > kLongestAnswer) {
        result.networkError = QStringLiteral("réponse trop longue");
    } else if (timedOut) {
        result.networkError = QStringLiteral("pas de réponse en %1 s").arg(m_totalMs / 1000);
    } else if (status > 0) {
        result.status = status;
        for (const auto& [name, value] : reply->rawHeaderPairs())
            result.headers.insert(name.toLower(), value);
    } else if (reply->error() == QNetworkReply::OperationCanceledError) {
        result.networkError = QStringLiteral("pas de réponse en %1 s").arg(m_silenceMs / 1000);
    } else {
        result.networkError = reply->errorString();
    }
    if (!result.answered()) result.body.clear();
    return result;
}
