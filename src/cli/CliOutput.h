#pragma once

#include "cli/CliApp.h"
#include "core/files/OutputTarget.h"

#include <QByteArray>
#include <QString>
#include <memory>

// The files that commands write, named by --out or --pdf.

// Checks a target before any work is done: false (with the reason on standard error, naming the
// command) when it is not a file that may be replaced. "-" is standard output where `standardOutput`
// allows it, and refused elsewhere rather than becoming a file named "-".
bool checkOutputTarget(const QString& command, const QString& path, StandardOutput standardOutput,
                       CliStreams& io);

// How bytes sent to standard output become text when it is a stream over a text (the tests): UTF-8
// for data, one character per byte for bytes that are not text.
enum class OutputBytes { Text, Binary };

// A CheckedOutputFile whose "-" is the command's standard output.
class CliOutputFile {
public:
    CliOutputFile(CliStreams& io, const QString& path, OutputBytes bytes = OutputBytes::Text);
    ~CliOutputFile();
    CliOutputFile(const CliOutputFile&) = delete;
    CliOutputFile& operator=(const CliOutputFile&) = delete;
    bool open(QString& error);
    bool write(const QByteArray& bytes) { return m_file->write(bytes); }
    bool commit(QString& error) { return m_file->commit(error); }

private:
    CliStreams& m_io;
    std::unique_ptr<QIODevice> m_text; // standard output over a text
    std::unique_ptr<CheckedOutputFile> m_file;
};

// Writes data to `path`, or to standard output when the path is empty or "-". Returns 0, or 1 after
// telling why the data could not be written.
int writeData(const QString& command, const QString& path, const QByteArray& data, CliStreams& io);

// As writeData, for bytes that are not text (a save file, an original download): they reach a file
// or standard output unchanged.
int writeBytes(const QString& command, const QString& path, const QByteArray& data, CliStreams& io);
