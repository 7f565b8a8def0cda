#include "server/ListenAddress.h"

ListenAddressParse parseListenAddress(const QString& text) {
    ListenAddressParse result;
    QString host;
    QString port;
    if (text.startsWith(QLatin1Char('['))) {
        const qsizetype close = text.indexOf(QLatin1String("]:"));
        if (close < 0) {
            result.error =
                QStringLiteral("adresse d'écoute « %1 » illisible : attendu [ADRESSE]:PORT").arg(text);
            return result;
        }
        host = text.mid(1, close - 1);
        port = text.mid(close + 2);
    } else {
        const qsizetype colon = text.lastIndexOf(QLatin1Char(':'));
        if (colon <= 0 || text.indexOf(QLatin1Char(':')) != colon) {
            result.error = QStringLiteral("adresse d'écoute « %1 » illisible : attendu ADRESSE:PORT "
                                          "(une adresse IPv6 entre crochets, [::1]:PORT)")
                               .arg(text);
            return result;
        }
        host = text.left(colon);
        port = text.mid(colon + 1);
    }

    bool isNumber = !port.isEmpty() && port.size() <= 5;
    for (QChar c : port)
        isNumber = isNumber && c >= QLatin1Char('0') && c <= QLatin1Char('9');
    const int number = isNumber ? port.toInt() : 0;
    if (number < 1 || number > 65535) {
        result.error = QStringLiteral("port « %1 » invalide : un nombre de 1 à 65535 est attendu").arg(port);
        return result;
    }

    QHostAddress address;
    if (host.compare(QLatin1String("localhost"), Qt::CaseInsensitive) == 0)
        address = QHostAddress(QHostAddress::LocalHost);
    else if (!address.setAddress(host) || !address.scopeId().isEmpty()) {
        result.error = QStringLiteral("adresse « %1 » invalide : une adresse IP de bouclage est attendue "
                                      "(127.0.0.1, ::1 ou localhost)")
                           .arg(host);
        return result;
    }
    if (!address.isLoopback()) {
        result.error = QStringLiteral("adresse « %1 » refusée : le serveur n'écoute que sur une adresse de "
                                      "bouclage (127.0.0.1, ::1 ou localhost) ; un frontal TLS le publie")
                           .arg(host);
        return result;
    }
    result.ok = true;
    result.address = {address, quint16(number)};
    return result;
}
