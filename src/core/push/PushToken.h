#pragma once

#include <QByteArray>
#include <QString>

// The device token that sending is signed with. It is taken from a file only its owner can read, or
// from the environment, never from an argument: arguments are visible to every user of the machine and
// stay in shell histories. No text of the program ever contains it.
struct PushToken {
    QByteArray value;
    QString problem; // in French, without the token, when there is none to use
    bool ok() const { return problem.isEmpty(); }
};

// The token of tokenFile when one is named (it wins over the environment), else `environment` (the value
// of VORL_TOKEN, empty when unset).
PushToken ReadPushToken(const QString& tokenFile, const QByteArray& environment);

// `text` with every occurrence of the token masked, for texts that came from elsewhere (a server's
// message) before they are printed.
QString WithoutToken(QString text, const QByteArray& token);
