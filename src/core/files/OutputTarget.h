#pragma once

#include <QByteArray>
#include <QString>

// Files that the program writes besides the save files: pictures, PDF pages, exported data.

// Why `path` must not be written over, or an empty text when it may: it does not exist yet, or it is
// a regular file, directly or through symbolic links. A device, pipe, socket or folder is refused,
// since writing through a temporary file would put a regular file in its place.
QString outputTargetProblem(const QString& path);

// "-" names standard output for the commands that write data.
inline bool isStandardOutputName(const QString& path) {
    return path == QLatin1String("-");
}

// Writes `content` to a temporary file beside `path`, checks that every byte reached the disk, then
// renames it over `path`. On failure the previous file is left as it was and `error` gets the reason
// ("cannot write PATH: No space left on device").
bool writeThroughTemporaryFile(const QString& path, const QByteArray& content, QString& error);

// As writeThroughTemporaryFile, for callers that name the file themselves: `reason` is the system's
// reason alone ("No space left on device"), or the target's problem.
bool writeFileReplacing(const QString& path, const QByteArray& content, QString& reason);

// Why a PDF file that a printer wrote directly is not sound, or an empty text: it must exist, be a
// regular file, begin as a PDF and end with the end-of-file mark that the writer puts last (a file cut
// short by a full disk lacks it).
QString checkWrittenPdf(const QString& path);
