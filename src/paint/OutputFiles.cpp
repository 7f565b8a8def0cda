#include "paint/OutputFiles.h"

#include "core/files/OutputTarget.h"

#include <QBuffer>

namespace {
QString cannotPaint(const QString& fileName) {
    return QStringLiteral("cannot write %1: the pages could not be painted").arg(fileName);
}
} // namespace

bool writePngFile(const QImage& image, const QString& fileName, QString& error) {
    // Refused before anything is drawn, so that the reason is the target's.
    if (const QString problem = outputTargetProblem(fileName); !problem.isEmpty()) {
        error = problem;
        return false;
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "PNG")) {
        error = cannotPaint(fileName);
        return false;
    }
    return writeThroughTemporaryFile(fileName, bytes, error);
}

bool writePdfFile(const QString& fileName, const std::function<bool(QPdfWriter&)>& paint, QString& error) {
    if (const QString problem = outputTargetProblem(fileName); !problem.isEmpty()) {
        error = problem;
        return false;
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    {
        // The writer finishes the document when the painting ends; it must be gone before the bytes
        // are taken.
        QPdfWriter writer(&buffer);
        if (!paint(writer)) {
            error = cannotPaint(fileName);
            return false;
        }
    }
    return writeThroughTemporaryFile(fileName, bytes, error);
}
