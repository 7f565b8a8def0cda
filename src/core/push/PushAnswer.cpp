#include "core/push/PushAnswer.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>

namespace {
// A server's message is printed on one line: a runaway one is cut.
constexpr qsizetype kLongestMessage = 300;
// Longer waits than a day are not a server's wish but a broken header.
constexpr qint64 kLongestRetryAfterSeconds = 24 * 3600;

QJsonObject bodyObject(const PushReply& reply) {
    const QJsonDocument document = QJsonDocument::fromJson(reply.body);
    return document.isObject() ? document.object() : QJsonObject();
}

QString serverMessage(const QJsonObject& body) {
    QString message = body.value(QLatin1String("message")).toString().simplified();
    if (message.size() > kLongestMessage) message = message.left(kLongestMessage) + QStringLiteral("…");
    return message;
}

// An HTTP-date ("Wed, 21 Oct 2015 07:28:00 GMT", always in GMT); invalid when it is none.
QDateTime httpDate(const QByteArray& value) {
    if (value.size() > 64 || !value.endsWith(" GMT")) return {};
    return QDateTime::fromString(QString::fromLatin1(value.chopped(4)) + QStringLiteral(" +0000"),
                                 Qt::RFC2822Date);
}

// Retry-After in seconds, or as an HTTP-date measured from the answer's own Date (the server's clock
// against itself, whatever this machine's clock says); -1 for no wish.
qint64 retryAfterMs(const PushReply& reply) {
    const QByteArray value = reply.header("retry-after").trimmed();
    if (value.isEmpty()) return -1;
    qint64 seconds = -1;
    if (value.size() <= 9 &&
        std::all_of(value.begin(), value.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        seconds = value.toLongLong();
    } else {
        const QDateTime at = httpDate(value), said = httpDate(reply.header("date").trimmed());
        if (!at.isValid() || !said.isValid()) return -1;
        seconds = qMax<qint64>(0, said.secsTo(at));
    }
    return qMin(seconds, kLongestRetryAfterSeconds) * 1000;
}

QDateTime coverTime(const QJsonObject& covers, const char* key) {
    return QDateTime::fromString(covers.value(QLatin1String(key)).toString(), Qt::ISODate);
}

PushAnswer answer(PushAction action, bool stopsQueue, const QString& reason) {
    PushAnswer a;
    a.action = action;
    a.stopsQueue = stopsQueue;
    a.reason = reason;
    return a;
}

// The server's own words when it gave some, else ours.
QString said(const QJsonObject& body, const QString& fallback) {
    const QString message = serverMessage(body);
    return message.isEmpty() ? fallback : message;
}

PushAnswer accepted(const PushReply& reply, const QJsonObject& body) {
    const QString status = body.value(QLatin1String("status")).toString();
    const bool archived = reply.status == 201 && status == QLatin1String("archived");
    const bool already = reply.status == 200 && status == QLatin1String("already_archived");
    if ((!archived && !already) || !body.value(QLatin1String("download")).isDouble())
        return answer(PushAction::Held, true,
                      QStringLiteral("réponse inattendue du serveur (HTTP %1) : est-ce bien l'adresse d'un "
                                     "serveur VORL ?")
                          .arg(reply.status));
    PushAnswer a = answer(PushAction::Accepted, false, {});
    a.alreadyArchived = already;
    const QJsonObject counts = body.value(QLatin1String("new")).toObject();
    a.newLevels = counts.value(QLatin1String("levels")).toInteger();
    a.newEvents = counts.value(QLatin1String("events")).toInteger();
    a.newParams = counts.value(QLatin1String("params")).toInteger();
    const QJsonObject covers = body.value(QLatin1String("covers")).toObject();
    a.coversFrom = coverTime(covers, "from");
    a.coversTo = coverTime(covers, "to");
    return a;
}
} // namespace

PushAnswer ReadPushAnswer(const PushReply& reply) {
    if (!reply.answered())
        return answer(PushAction::Retry, true,
                      QStringLiteral("serveur injoignable : %1").arg(reply.networkError));
    const QJsonObject body = bodyObject(reply);
    const int status = reply.status;
    if (status == 200 || status == 201) return accepted(reply, body);
    if (status == 429 || status >= 500) {
        PushAnswer a =
            answer(PushAction::Retry, true,
                   status == 429 ? QStringLiteral("le serveur reçoit trop d'envois (HTTP 429)")
                                 : QStringLiteral("le serveur est indisponible (HTTP %1)").arg(status));
        a.retryAfterMs = retryAfterMs(reply);
        return a;
    }
    switch (status) {
    case 400:
        return answer(PushAction::Refused, false,
                      said(body, QStringLiteral("le serveur ne peut pas lire ce fichier")));
    case 401:
        // The token is wrong for every file: none of them is to blame, all wait for a good one.
        return answer(PushAction::Held, true,
                      QStringLiteral("jeton refusé par le serveur (%1)")
                          .arg(said(body, QStringLiteral("absent, inconnu ou révoqué"))));
    case 403:
        return answer(PushAction::Refused, false,
                      said(body, QStringLiteral("ce fichier vient d'un autre appareil que celui du jeton")));
    case 413:
        return answer(PushAction::Refused, false,
                      said(body, QStringLiteral("fichier trop gros pour le serveur")));
    case 415:
        return answer(PushAction::Refused, false,
                      said(body, QStringLiteral("type de contenu refusé par le serveur")));
    default:
        break;
    }
    if (status >= 400)
        // Not known to concern this file alone: it is set aside, the others wait for a look at it.
        return answer(
            PushAction::Refused, true,
            QStringLiteral("HTTP %1 : %2").arg(status).arg(said(body, QStringLiteral("refus du serveur"))));
    return answer(PushAction::Held, true,
                  QStringLiteral("réponse inattendue du serveur (HTTP %1) : est-ce bien l'adresse d'un "
                                 "serveur VORL ?")
                      .arg(status));
}
