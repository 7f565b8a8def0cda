#include "cli/CliOutput.h"

#include "cli/TerminalText.h"

#include <QIODevice>
#include <QStringDecoder>

namespace {
// Bytes written to a stream over a text, as the tests give the commands for standard output.
class TextStreamDevice : public QIODevice {
public:
    TextStreamDevice(QTextStream& stream, OutputBytes bytes) : m_stream(stream), m_bytes(bytes) {
        open(QIODevice::WriteOnly);
    }

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char* data, qint64 size) override {
        // A character cut between two writes is joined by the decoder.
        if (m_bytes == OutputBytes::Binary)
            m_stream << QString::fromLatin1(data, size);
        else
            m_stream << m_decoder.decode(QByteArrayView(data, size));
        return size;
    }

private:
    QTextStream& m_stream;
    OutputBytes m_bytes;
    QStringDecoder m_decoder{QStringDecoder::Utf8};
};

int writeThrough(const QString& command, const QString& path, const QByteArray& data, CliStreams& io,
                 OutputBytes bytes) {
    CliOutputFile file(io, path.isEmpty() ? QStringLiteral("-") : path, bytes);
    QString error;
    if (file.open(error)) {
        file.write(data); // a failed write is told by commit
        if (file.commit(error)) return 0;
    }
    io.err << "vorl-cli " << command << ": " << error << '\n';
    return 1;
}
} // namespace

CliOutputFile::CliOutputFile(CliStreams& io, const QString& path, OutputBytes bytes) : m_io(io) {
    QIODevice* standardOutput = io.out.device();
    if (!standardOutput && isStandardOutputName(path)) {
        m_text = std::make_unique<TextStreamDevice>(io.out, bytes);
        standardOutput = m_text.get();
    }
    m_file = std::make_unique<CheckedOutputFile>(path, standardOutput);
}

CliOutputFile::~CliOutputFile() = default;

bool CliOutputFile::open(QString& error) {
    // What the command printed before goes first.
    m_io.out.flush();
    return m_file->open(error);
}

bool checkOutputTarget(const QString& command, const QString& path, StandardOutput standardOutput,
                       CliStreams& io) {
    // A name the program could only write under other bytes than those typed is refused.
    const QString problem = HasRawBytes(path) && !isStandardOutputName(path)
                                ? TerminalText(path) + QStringLiteral(" is not a UTF-8 name; name the "
                                                                      "file in UTF-8")
                                : outputTargetProblem(path, standardOutput);
    if (problem.isEmpty()) return true;
    io.err << "vorl-cli " << command << ": " << problem << '\n';
    return false;
}

int writeData(const QString& command, const QString& path, const QByteArray& data, CliStreams& io) {
    return writeThrough(command, path, data, io, OutputBytes::Text);
}

int writeBytes(const QString& command, const QString& path, const QByteArray& data, CliStreams& io) {
    return writeThrough(command, path, data, io, OutputBytes::Binary);
}
