#pragma once

#include "cli/CliApp.h"

#include <QByteArray>
#include <QString>

// The files that commands write, named by --out or --pdf.
enum class StandardOutput { Refused, Allowed };

// Checks a target before any work is done: false (with the reason on standard error, naming the
// command) when it is not a file that may be replaced. "-" is standard output where `standardOutput`
// allows it, and refused elsewhere rather than becoming a file named "-".
bool checkOutputTarget(const QString& command, const QString& path, StandardOutput standardOutput,
                       CliStreams& io);

// Writes data to `path`, or to standard output when the path is empty or "-". Returns 0, or 1 after
// telling why the data could not be written.
int writeData(const QString& command, const QString& path, const QByteArray& data, CliStreams& io);

// As writeData, for bytes that are not text (a save file, an original download): they reach a file
// or standard output unchanged.
int writeBytes(const QString& command, const QString& path, const QByteArray& data, CliStreams& io);
