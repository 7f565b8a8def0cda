#pragma once

// The number of pages of a PDF file the program wrote (its page objects), without any tool.

#include <QFile>
#include <QRegularExpression>
#include <QString>

inline int pdfPages(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return -1;
    static const QRegularExpression page(QStringLiteral("/Type\\s*/Page(?!s)"));
    return static_cast<int>(QString::fromLatin1(file.readAll()).count(page));
}
