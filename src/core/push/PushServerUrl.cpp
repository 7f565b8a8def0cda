#include "core/push/PushServerUrl.h"

#include <QStringList>

namespace {
const QString kUploadPath = QStringLiteral("api/v1/downloads");

PushServerUrl refused(const QString& text, const QString& why) {
    return {{}, QStringLiteral("Adresse du serveur refusée (%1) : %2").arg(text, why)};
}
} // namespace

bool IsLoopbackHost(const QString& host) {
    if (host.compare(QLatin1String("localhost"), Qt::CaseInsensitive) == 0) return true;
    if (host == QLatin1String("::1")) return true;
    // QUrl writes an IPv4 address as four decimal parts whatever form it was typed in.
    const QStringList parts = host.split(QLatin1Char('.'));
    if (parts.size() != 4) return false;
    for (const QString& part : parts) {
        bool ok = false;
        const int value = part.toInt(&ok);
        if (!ok || value < 0 || value > 255) return false;
    }
    return parts.first() == QLatin1String("127");
}

PushServerUrl ParsePushServerUrl(const QString& text) {
    const QUrl url(text.trimmed(), QUrl::StrictMode);
    if (!url.isValid() || url.host().isEmpty())
        return refused(text, QStringLiteral("ce n'est pas une adresse http(s)://serveur"));
    // Before anything else is said about it, so that no message repeats a password.
    if (!url.userInfo().isEmpty())
        return refused(url.toDisplayString(QUrl::RemoveUserInfo),
                       QStringLiteral("elle ne doit contenir ni nom d'utilisateur ni mot de passe (le jeton "
                                      "vient de VORL_TOKEN ou de --token-file)"));
    const QString scheme = url.scheme().toLower();
    if (scheme != QLatin1String("https") && scheme != QLatin1String("http"))
        return refused(text, QStringLiteral("seuls https:// et, sur cette machine, http:// sont acceptés"));
    if (scheme == QLatin1String("http") && !IsLoopbackHost(url.host()))
        return refused(text, QStringLiteral("http:// n'est accepté que vers cette machine (localhost, "
                                            "127.0.0.1, ::1) ; utilisez https://"));
    if (url.hasQuery() || url.hasFragment())
        return refused(text, QStringLiteral("elle ne doit contenir ni « ? » ni « # »"));
    QUrl endpoint = url;
    QString path = endpoint.path();
    if (!path.endsWith(QLatin1Char('/') + kUploadPath)) {
        if (!path.endsWith(QLatin1Char('/'))) path += QLatin1Char('/');
        endpoint.setPath(path + kUploadPath);
    }
    return {endpoint, {}};
}
