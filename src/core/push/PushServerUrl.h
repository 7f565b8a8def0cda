#pragma once

#include <QString>
#include <QUrl>

// The address of the server downloads are sent to, as given by --server or --push. Only https, except
// on this machine's loopback, where nothing crosses a network; never a user name or password in it
// (it would be printed and kept in shell histories). The path of the upload is added to the server's
// address, which may carry a path prefix of its own (a server behind a reverse proxy).
struct PushServerUrl {
    QUrl endpoint;   // where downloads are posted, when the address was accepted
    QString problem; // in French, when it was not
    bool ok() const { return problem.isEmpty(); }
};
PushServerUrl ParsePushServerUrl(const QString& text);

// localhost, 127.0.0.0/8 or ::1, as QUrl gives a host.
bool IsLoopbackHost(const QString& host);
