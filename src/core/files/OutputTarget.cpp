#include "core/files/OutputTarget.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <cstring>
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

// The device's own reason when it has one; short writes and late errors may leave it without.
QString reasonOf(const QFileDevice& file, const QString& fallback) {
    if (file.error() == QFileDevice::NoError) return fallback;
    const QString reason = file.errorString();
    return reason.isEmpty() || reason == QLatin1String("Unknown error") ? fallback : reason;
}
} // namespace

QString outputTargetProblem(const QString& path) {
    if (path.isEmpty()) return QStringLiteral("no file name given");
    const QFileInfo target(path); // follows symbolic links
    if (!target.exists()) {
        if (target.isSymLink()) return QStringLiteral("%1 is a symbolic link to nothing").arg(path);
        return {};
    }
    if (target.isFile()) return {};
    return QStringLiteral("%1 is %2; name a regular file").arg(path, kindOf(target));
}

bool writeThroughTemporaryFile(const QString& path, const QByteArray& content, QString& error) {
    if (const QString problem = outputTargetProblem(path); !problem.isEmpty()) {
        error = problem;
        return false;
    }
    // Unbuffered: every write reaches the file system at once, so a full disk shows on the write
    // that meets it and not on a flush whose failure the rename would ignore.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        error = failure(path, reasonOf(file, QStringLiteral("cannot create a temporary file there")));
        return false;
    }
    qint64 done = 0;
    while (done < content.size()) {
        // A short write is followed by another, which then reports why the disk took no more.
        const qint64 written = file.write(content.constData() + done, content.size() - done);
        if (written <= 0 || file.error() != QFileDevice::NoError) {
            error = failure(path, reasonOf(file, QStringLiteral("the disk took only part of the file")));
            file.cancelWriting();
            return false;
        }
        done += written;
    }
#ifdef Q_OS_UNIX
    // File systems that allocate late report a full disk only when the data is synced.
    if (::fsync(file.handle()) != 0 && errno != EINVAL && errno != EROFS) {
        error = failure(path, QString::fromLocal8Bit(std::strerror(errno)));
        file.cancelWriting();
        return false;
    }
#endif
    if (!file.commit()) {
        error = failure(path, reasonOf(file, QStringLiteral("the file could not be renamed into place")));
        return false;
    }
    return true;
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
