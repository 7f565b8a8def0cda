#pragma once

#include <QByteArray>
#include <QSaveFile>
#include <QString>

class QFileDevice;
class QIODevice;

// Every file the program writes goes through CheckedOutputFile: save files, pictures, PDF pages,
// exported data, originals taken out of the archive.

// "-" names standard output, for the data of the commands that allow it.
enum class StandardOutput { Refused, Allowed };
inline bool isStandardOutputName(const QString& path) {
    return path == QLatin1String("-");
}

// Why `path` must not be written over, or an empty text when it may: it does not exist yet, or it is
// a regular file, directly or through symbolic links. A device, pipe, socket or folder is refused,
// since writing through a temporary file would put a regular file in its place; so is "-" where
// standard output is refused, rather than becoming a file named "-".
QString outputTargetProblem(const QString& path, StandardOutput standardOutput = StandardOutput::Refused);

// The system's reason why a file could not be written, or `fallback` when it gave none (a short write
// can leave it without): never "Unknown error".
QString outputFailureReason(const QFileDevice& file, const QString& fallback);

// A file written whole or piece by piece (a long CSV, the pages of a PDF). The target must be a file
// that may be replaced; the bytes go to a temporary file in the target's folder, which is flushed,
// synced and renamed over the target only when every byte reached the disk. Until commit() succeeds
// the previous file stays as it was; a file never committed is removed. With a standard output given,
// "-" writes there instead.
class CheckedOutputFile {
public:
    explicit CheckedOutputFile(const QString& path, QIODevice* standardOutput = nullptr);
    ~CheckedOutputFile();
    CheckedOutputFile(const CheckedOutputFile&) = delete;
    CheckedOutputFile& operator=(const CheckedOutputFile&) = delete;

    // False with the reason ("cannot write PATH: ...") when the target is refused or no temporary file
    // can be made.
    bool open(QString& error);
    // Where the bytes go, for writers that take a device.
    QIODevice& device();
    // False once a write failed; the reason comes with commit().
    bool write(const QByteArray& bytes);
    // Flushes, syncs and renames; false with the reason, leaving the previous file whole.
    bool commit(QString& error);

private:
    QString m_path;
    QIODevice* m_standardOutput;
    QSaveFile m_file;
    bool m_failed = false;
    QString m_reason; // of the first failed write
};

// A whole buffer through CheckedOutputFile: false with the reason ("cannot write PATH: No space left
// on device"), the previous file left as it was.
bool writeThroughTemporaryFile(const QString& path, const QByteArray& content, QString& error);

// As writeThroughTemporaryFile, for callers that name the file themselves: `reason` is the system's
// reason alone ("No space left on device"), or the target's problem.
bool writeFileReplacing(const QString& path, const QByteArray& content, QString& reason);

// Why a PDF file that a printer wrote directly is not sound, or an empty text: it must exist, be a
// regular file, begin as a PDF and end with the end-of-file mark that the writer puts last (a file cut
// short by a full disk lacks it).
QString checkWrittenPdf(const QString& path);
