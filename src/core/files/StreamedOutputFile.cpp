#include "core/files/StreamedOutputFile.h"

#include "core/files/OutputTarget.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace {
QString failure(const QString& path, const QSaveFile& file, const QString& fallback) {
    QString reason = file.error() == QFileDevice::NoError ? QString() : file.errorString();
    if (reason.isEmpty() || reason == QLatin1String("Unknown error")) reason = fallback;
    return QStringLiteral("cannot write %1: %2").arg(path, reason);
}
} // namespace

StreamedOutputFile::StreamedOutputFile(const QString& path) : m_path(path), m_file(path) {}

StreamedOutputFile::~StreamedOutputFile() {
    if (m_file.isOpen()) m_file.cancelWriting();
}

bool StreamedOutputFile::open(QString& error) {
    if (const QString problem = outputTargetProblem(m_path); !problem.isEmpty()) {
        error = problem;
        return false;
    }
    if (!m_file.open(QIODevice::WriteOnly)) {
        error = failure(m_path, m_file, QStringLiteral("cannot create a temporary file there"));
        return false;
    }
    return true;
}

bool StreamedOutputFile::write(const QByteArray& bytes) {
    qint64 done = 0;
    while (!m_failed && done < bytes.size()) {
        // A short write is followed by another, which then reports why the disk took no more.
        const qint64 written = m_file.write(bytes.constData() + done, bytes.size() - done);
        if (written <= 0 || m_file.error() != QFileDevice::NoError) {
            m_failed = true;
            m_reason = failure(m_path, m_file, QString::fromLocal8Bit(std::strerror(errno)));
        }
        done += std::max<qint64>(written, 0);
    }
    return !m_failed;
}

bool StreamedOutputFile::commit(QString& error) {
    // A full disk shows on the last flush at the latest; file systems that allocate late only on sync.
    if (m_failed || !m_file.flush() || m_file.error() != QFileDevice::NoError) {
        error = m_failed ? m_reason
                         : failure(m_path, m_file, QStringLiteral("the disk took only part of the file"));
        m_file.cancelWriting();
        return false;
    }
#ifdef Q_OS_UNIX
    if (::fsync(m_file.handle()) != 0 && errno != EINVAL && errno != EROFS) {
        error =
            QStringLiteral("cannot write %1: %2").arg(m_path, QString::fromLocal8Bit(std::strerror(errno)));
        m_file.cancelWriting();
        return false;
    }
#endif
    if (!m_file.commit()) {
        error = failure(m_path, m_file, QStringLiteral("the file could not be renamed into place"));
        return false;
    }
    return true;
}
