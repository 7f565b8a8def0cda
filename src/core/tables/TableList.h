#pragma once

#include <QStringList>

// What a table window puts into one list box: its lines, and whether they are a no-value message
// (shown 12-point bold) rather than table lines (8-point).
struct TableList {
    QStringList lines;
    bool message = false;

    bool operator==(const TableList&) const = default;
};

// A no-value message as the lists show it: `emptyLines` empty lines, then the message line.
inline TableList messageList(int emptyLines, const QString& text) {
    TableList list;
    for (int i = 0; i < emptyLines; ++i)
        list.lines.append(QString());
    list.lines.append(text);
    list.message = true;
    return list;
}
