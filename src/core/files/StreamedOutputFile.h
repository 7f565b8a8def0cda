#pragma once

#include <QByteArray>
#include <QSaveFile>
#include <QString>

// A file written piece by piece (a long CSV, the pages of a PDF) with the checks of
// writeThroughTemporaryFile: the target must be a file that may be replaced, the pieces go to a
// temporary file beside it, which is synced and renamed over the target only when every byte reached
// the disk. Until commit() succeeds the previous file stays as it was; a file never committed is removed.
class StreamedOutputFile {
public:
    explicit StreamedOutputFile(const QString& path);
    ~StreamedOutputFile();
    StreamedOutputFile(const StreamedOutputFile&) = delete;
    StreamedOutputFile& operator=(const StreamedOutputFile&) = delete;

    // False with the reason ("cannot write PATH: ...") when the target is refused or no temporary file
    // can be made.
    bool open(QString& error);
    // The temporary file, for writers that take a device.
    QIODevice& device() { return m_file; }
    // False once a write failed; the reason comes with commit().
    bool write(const QByteArray& bytes);
    // Flushes, syncs and renames; false with the reason, leaving the previous file whole.
    bool commit(QString& error);

private:
    QString m_path;
    QSaveFile m_file;
    bool m_failed = false;
    QString m_reason; // of the first failed write
};
