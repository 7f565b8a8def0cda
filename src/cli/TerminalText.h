#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <memory>

// Texts that vorl-cli prints but did not write itself (names and venues read from an archive, file
// names) may hold anything: an escape sequence, a carriage return, a newline forging another line,
// a bidirectional override. They are printed with such characters escaped: "\n", "\r", "\t", "\e",
// "\xNN" for other control bytes and bytes of a file name that are not UTF-8, "\u{NNNN}" for the
// invisible format characters.
QString TerminalText(const QString& text);

// Arguments as the program got them: bytes that are not UTF-8 (an accented name from an old memory
// stick) are kept, each as one character U+DC80..U+DCFF, so that the name still opens its file.
QStringList ArgumentsFromBytes(int argc, char** argv);

// The bytes of a name kept by ArgumentsFromBytes: the file's name on the disk.
QByteArray NativeFileName(const QString& name);

// Whether a name holds bytes that are not UTF-8.
bool HasRawBytes(const QString& name);

// Arguments with bytes that are not UTF-8 and that name an existing file: each is replaced by a
// link of a UTF-8 name to that file, in a private folder made when needed, which lives as long as
// `folder`, so that every command opens it. OriginalFileName gives back the name as typed.
QStringList LinkRawFileNames(const QStringList& arguments, std::unique_ptr<QTemporaryDir>& folder);
QString OriginalFileName(const QString& path);
