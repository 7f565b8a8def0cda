#include "cli/CliOutput.h"

#include "cli/TerminalText.h"
#include "core/files/OutputTarget.h"

#include <QFileDevice>
#include <QIODevice>

bool checkOutputTarget(const QString& command, const QString& path, StandardOutput standardOutput,
                       CliStreams& io) {
    if (isStandardOutputName(path)) {
        if (standardOutput == StandardOutput::Allowed) return true;
        io.err << "vorl-cli " << command << ": this output cannot go to standard output; name a file\n";
        return false;
    }
    // A name the program could only write under other bytes than those typed is refused.
    const QString problem = HasRawBytes(path)
                                ? TerminalText(path) + QStringLiteral(" is not a UTF-8 name; name the "
                                                                      "file in UTF-8")
                                : outputTargetProblem(path);
    if (problem.isEmpty()) return true;
    io.err << "vorl-cli " << command << ": " << problem << '\n';
    return false;
}

int writeData(const QString& command, const QString& path, const QByteArray& data, CliStreams& io) {
    QString error;
    if (path.isEmpty() || isStandardOutputName(path)) {
        io.out << QString::fromUtf8(data);
        if (standardOutputWritten(io, error)) return 0;
        io.err << "vorl-cli " << command << ": cannot write to standard output: " << error << '\n';
        return 1;
    }
    if (writeThroughTemporaryFile(path, data, error)) return 0;
    io.err << "vorl-cli " << command << ": " << error << '\n';
    return 1;
}

int writeBytes(const QString& command, const QString& path, const QByteArray& data, CliStreams& io) {
    if (!path.isEmpty() && !isStandardOutputName(path)) return writeData(command, path, data, io);
    QString error;
    QIODevice* device = io.out.device();
    if (!device) {
        // A stream on a text (the tests): one character per byte.
        io.out << QString::fromLatin1(data);
    } else if (standardOutputWritten(io, error)) {
        auto* file = qobject_cast<QFileDevice*>(device);
        if (device->write(data) != data.size() || (file && !file->flush())) {
            error = device->errorString();
            io.err << "vorl-cli " << command << ": cannot write to standard output: " << error << '\n';
            return 1;
        }
    }
    if (standardOutputWritten(io, error)) return 0;
    io.err << "vorl-cli " << command << ": cannot write to standard output: " << error << '\n';
    return 1;
}
