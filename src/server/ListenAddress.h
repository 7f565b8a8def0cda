#pragma once

#include <QHostAddress>
#include <QString>

// Where the server listens: a loopback address only, the TLS front end being the only one to reach it.
struct ListenAddress {
    QHostAddress host;
    quint16 port = 0;
};

struct ListenAddressParse {
    bool ok = false;
    ListenAddress address;
    QString error; // in French, when refused
};

// "127.0.0.1:8080", "[::1]:8080" or "localhost:8080"; any address outside 127.0.0.0/8 and ::1 is refused,
// as is a port that is not a number from 1 to 65535.
ListenAddressParse parseListenAddress(const QString& text);
