#pragma once

#include <QMap>
#include <QSet>
#include <QString>
#include <QStringList>

// The words of one vorl-server command: its positional arguments and its options, each option
// "--name VALUE" or "--name=VALUE" (an option may be given more than once where a command takes a
// list of them).
struct ServerArguments {
    QStringList positional;
    QMap<QString, QStringList> options;
    QString error; // French: what is wrong with the words; empty when they are fine

    QString value(const QString& name) const { return options.value(name).value(0); }
    bool has(const QString& name) const { return options.contains(name); }
};

ServerArguments parseServerArguments(const QStringList& words, const QSet<QString>& valued);
