#include "cli/TerminalText.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QTemporaryDir>

#include <sys/stat.h>
#include <unistd.h>

namespace {
constexpr char16_t kRawByteBase = 0xDC00; // a byte b >= 0x80 that is not UTF-8: U+DC00 + b

bool isRawByte(char16_t c) {
    return c >= 0xDC80 && c <= 0xDCFF;
}

// Characters that change how a terminal shows what follows, or that hide themselves.
bool isFormatCharacter(char32_t c) {
    return (c >= 0x200B && c <= 0x200F) || (c >= 0x2028 && c <= 0x202E) || (c >= 0x2060 && c <= 0x2069) ||
           c == 0x061C || c == 0xFEFF || c == 0x00AD;
}

QString hex(uint value, int width) {
    return QString::number(value, 16).toUpper().rightJustified(width, QLatin1Char('0'));
}

// The length of the valid UTF-8 sequence at bytes[i], or 0.
int utf8Length(const QByteArray& bytes, qsizetype i) {
    const auto b0 = static_cast<unsigned char>(bytes[i]);
    int length = b0 < 0x80 ? 1 : (b0 >> 5) == 0x6 ? 2 : (b0 >> 4) == 0xE ? 3 : (b0 >> 3) == 0x1E ? 4 : 0;
    if (length == 0 || i + length > bytes.size()) return 0;
    const QStringView decoded = QString::fromUtf8(bytes.mid(i, length));
    // The decoder replaces an overlong, surrogate or cut sequence; a real U+FFFD is three bytes EF BF BD.
    if (decoded.contains(QChar(0xFFFD)) && bytes.mid(i, length) != QByteArray("\xEF\xBF\xBD")) return 0;
    return length;
}
} // namespace

QString TerminalText(const QString& text) {
    QString shown;
    shown.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (isRawByte(c)) {
            shown += QStringLiteral("\\x") + hex(c - kRawByteBase, 2);
            continue;
        }
        char32_t code = c;
        if (QChar::isHighSurrogate(c) && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            code = QChar::surrogateToUcs4(c, text[i + 1].unicode());
        if (code == '\n')
            shown += QStringLiteral("\\n");
        else if (code == '\r')
            shown += QStringLiteral("\\r");
        else if (code == '\t')
            shown += QStringLiteral("\\t");
        else if (code == 0x1B)
            shown += QStringLiteral("\\e");
        else if (code < 0x20 || (code >= 0x7F && code < 0xA0))
            shown += QStringLiteral("\\x") + hex(code, 2);
        else if (isFormatCharacter(code) || QChar::isSurrogate(code))
            shown += QStringLiteral("\\u{") + hex(code, 4) + QLatin1Char('}');
        else if (code > 0xFFFF) {
            shown += text.mid(i, 2);
            ++i;
        } else
            shown += QChar(c);
    }
    return shown;
}

QStringList ArgumentsFromBytes(int argc, char** argv) {
    QStringList arguments;
    for (int a = 0; a < argc; ++a) {
        const QByteArray bytes(argv[a]);
        QString argument;
        for (qsizetype i = 0; i < bytes.size();) {
            const int length = utf8Length(bytes, i);
            if (length == 0) {
                argument += QChar(kRawByteBase + static_cast<unsigned char>(bytes[i]));
                ++i;
            } else {
                argument += QString::fromUtf8(bytes.mid(i, length));
                i += length;
            }
        }
        arguments << argument;
    }
    return arguments;
}

QByteArray NativeFileName(const QString& name) {
    QByteArray bytes;
    qsizetype start = 0;
    for (qsizetype i = 0; i <= name.size(); ++i) {
        if (i < name.size() && !isRawByte(name[i].unicode())) continue;
        bytes += name.mid(start, i - start).toUtf8();
        if (i < name.size()) bytes += static_cast<char>(name[i].unicode() - kRawByteBase);
        start = i + 1;
    }
    return bytes;
}

bool HasRawBytes(const QString& name) {
    for (const QChar c : name)
        if (isRawByte(c.unicode())) return true;
    return false;
}

namespace {
QHash<QString, QString>& linkedNames() {
    static QHash<QString, QString> names;
    return names;
}
} // namespace

QStringList LinkRawFileNames(const QStringList& arguments, std::unique_ptr<QTemporaryDir>& folder) {
    QStringList result = arguments;
    for (int i = 1; i < result.size(); ++i) {
        const QByteArray native = NativeFileName(result[i]);
        struct stat info {};
        if (!HasRawBytes(result[i]) || ::stat(native.constData(), &info) != 0) continue;
        if (!folder) folder = std::make_unique<QTemporaryDir>();
        if (!folder->isValid()) continue;
        QByteArray target = native;
        if (!target.startsWith('/')) target = QFile::encodeName(QDir::currentPath()) + '/' + target;
        const QString link = folder->filePath(QString::number(i) + QLatin1Char('-') +
                                              TerminalText(result[i].section(QLatin1Char('/'), -1)));
        if (::symlink(target.constData(), QFile::encodeName(link).constData()) != 0) continue;
        linkedNames().insert(link, result[i]);
        result[i] = link;
    }
    return result;
}

QString OriginalFileName(const QString& path) {
    return linkedNames().value(path, path);
}
