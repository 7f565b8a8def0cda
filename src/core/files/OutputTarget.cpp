#include "core/files/OutputTarget.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>
#include <cstring>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace {
QString kindOf(const QFileInfo& target) {
    if (target.isDir()) return QStringLiteral("a folder");
    return QStringLiteral("not a regular file (a device, pipe or socket)");
}

QString failure(const QString& path, const QString& reason) {
    return QStringLiteral("cannot write %1: %2").arg(path, reason);
}

// The reason of the last system call, when there is one.
QString systemReason(const QString& fallback) {
    return errno != 0 ? QString::fromLocal8Bit(std::strerror(errno)) : fallback;
}

// Standard output's own reason; a device that is not a file may give none.
QString standardOutputReason(const QIODevice& device) {
    const auto* file = qobject_cast<const QFileDevice*>(&device);
    if (file) return outputFailureReason(*file, QStringLiteral("standard output took only part of the data"));
    const QString reason = device.errorString();
    return reason.isEmpty() || reason == QLatin1String("Unknown error")
               ? QStringLiteral("standard output took only part of the data")
               : reason;
}
} // namespace

QString outputTargetProblem(const QString& path, StandardOutput standardOutput) {
    if (path.isEmpty()) return QStringLiteral("no file name given");
    if (isStandardOutputName(path))
        return standardOutput == StandardOutput::Allowed
                   ? QString()
                   : QStringLiteral("this output cannot go to standard output; name a file");
    const QFileInfo target(path); // follows symbolic links
    if (!target.exists()) {
        if (target.isSymLink()) return QStringLiteral("%1 is a symbolic link to nothing").arg(path);
        return {};
    }
    if (target.isFile()) return {};
    return QStringLiteral("%1 is %2; name a regular file").arg(path, kindOf(target));
}

QString outputFailureReason(const QFileDevice& file, const QString& fallback) {
    if (file.error() == QFileDevice::NoError) return fallback;
    const QString reason = file.errorString();
    return reason.isEmpty() || reason == QLatin1String("Unknown error") ? fallback : reason;
}

CheckedOutputFile::CheckedOutputFile(const QString& path, QIODevice* standardOutput)
    : m_path(path), m_standardOutput(isStandardOutputName(path) ? standardOutput : nullptr), m_file(path) {}

CheckedOutputFile::~CheckedOutputFile() {
    if (m_file.isOpen()) m_file.cancelWriting();
}

bool CheckedOutputFile::open(QString& error) {
    if (m_standardOutput) {
        if (m_standardOutput->isWritable()) return true;
        error = QStringLiteral("standard output cannot be written");
        return false;
    }
    if (const QString problem = outputTargetProblem(m_path); !problem.isEmpty()) {
        error = problem;
        return false;
    }
    if (!m_file.open(QIODevice::WriteOnly)) {
        error = failure(m_path,
                        outputFailureReason(m_file, QStringLiteral("cannot create a temporary file there")));
        return false;
    }
    return true;
}

QIODevice& CheckedOutputFile::device() {
    return m_standardOutput ? *m_standardOutput : static_cast<QIODevice&>(m_file);
}

bool CheckedOutputFile::write(const QByteArray& bytes) {
    QIODevice& out = device();
    qint64 done = 0;
    while (!m_failed && done < bytes.size()) {
        // A short write is followed by another, which then reports why the disk took no more.
        errno = 0;
        const qint64 written = out.write(bytes.constData() + done, bytes.size() - done);
        if (written <= 0 || (!m_standardOutput && m_file.error() != QFileDevice::NoError)) {
            m_failed = true;
            m_reason =
                m_standardOutput
                    ? standardOutputReason(out)
                    : outputFailureReason(m_file, systemReason(QStringLiteral("the disk took only part of "
                                                                              "the file")));
        }
        done += std::max<qint64>(written, 0);
    }
    return !m_failed;
}

bool CheckedOutputFile::commit(QString& error) {
    if (m_standardOutput) {
        auto* file = qobject_cast<QFileDevice*>(m_standardOutput);
        if (!m_failed && (!file || (file->flush() && file->error() == QFileDevice::NoError))) return true;
        error = QStringLiteral("cannot write to standard output: ") +
                (m_failed ? m_reason : standardOutputReason(*m_standardOutput));
        return false;
    }
    // A full disk shows on the last flush at the latest; file systems that allocate late only on sync.
    errno = 0;
    if (m_failed || !m_file.flush() || m_file.error() != QFileDevice::NoError) {
        error = failure(m_path,
                        m_failed ? m_reason
                                 : outputFailureReason(m_file, systemReason(QStringLiteral(
                                                                   "the disk took only part of the file"))));
        m_file.cancelWriting();
        return false;
    }
#ifdef Q_OS_UNIX
    if (::fsync(m_file.handle()) != 0 && errno != EINVAL && errno != EROFS) {
        error = failure(m_path, QString::fromLocal8Bit(std::strerror(errno)));
        m_file.cancelWriting();
        return false;
    }
#endif
    if (!m_file.commit()) {
        error = failure(
            m_path, outputFailureReason(m_file, QStringLiteral("the file could not be renamed into place")));
        return false;
    }
    return true;
}

bool writeThroughTemporaryFile(const QString& path, const QByteArray& content, QString& error) {
    CheckedOutputFile file(path);
    if (!file.open(error)) return false;
    file.write(content); // a failed write is told by commit
    return file.commit(error);
}

bool writeFileReplacing(const QString& path, const QByteArray& content, QString& reason) {
    if (writeThroughTemporaryFile(path, content, reason)) return true;
    const QString prefix = failure(path, QString());
    if (reason.startsWith(prefix)) reason = reason.mid(prefix.size());
    return false;
}

QString checkWrittenPdf(const QString& path) {
    const QFileInfo info(path);
    if (!info.exists()) return QStringLiteral("%1 was not written").arg(path);
    if (!info.isFile()) return QStringLiteral("%1 is not a regular file").arg(path);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return failure(path, file.errorString());
    if (!file.read(5).startsWith("%PDF-")) return QStringLiteral("%1 is not a PDF file").arg(path);
    // The writer ends the file with its end mark, possibly followed by a line end.
    constexpr qint64 kTail = 64;
    if (file.size() > kTail) file.seek(file.size() - kTail);
    if (!file.read(kTail).trimmed().endsWith("%%EOF"))
        return QStringLiteral("%1 is incomplete (the disk may be full)").arg(path);
    return {};
}
