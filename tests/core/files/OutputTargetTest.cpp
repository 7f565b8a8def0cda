#include "core/files/OutputTarget.h"
#include "support/FileSizeLimit.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <optional>
#include <sys/stat.h>

namespace {
QByteArray contentOf(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeFile(const QString& path, const QByteArray& content) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(content) == content.size();
}
} // namespace

TEST(OutputTarget, FailedWriteKeepsThePreviousFileAndSaysWhy) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("out.pdf"));
    ASSERT_TRUE(writeFile(path, "previous"));
    const QByteArray big(64 * 1024, 'x');
    QString error;
    {
        FileSizeLimit fullDisk(4096);
        EXPECT_FALSE(writeThroughTemporaryFile(path, big, error));
    }
    EXPECT_EQ(contentOf(path), "previous");
    EXPECT_TRUE(error.contains(path)) << error.toStdString();
    EXPECT_FALSE(error.contains(QStringLiteral("Unknown error"))) << error.toStdString();
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 1) << "no temporary file left behind";

    ASSERT_TRUE(writeThroughTemporaryFile(path, big, error)) << error.toStdString();
    EXPECT_EQ(contentOf(path), big);
}

// A whole buffer and a file written piece by piece take and refuse the same targets, for the same
// reason, and a refused target is left as it was.
TEST(OutputTarget, WholeAndStreamedWritesTakeTheSameTargets) {
    QTemporaryDir dir;
    const QString fifo = dir.filePath(QStringLiteral("fifo"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QString existing = dir.filePath(QStringLiteral("existing.csv"));
    ASSERT_TRUE(writeFile(existing, "previous"));
    const struct Case {
        const char* name;
        QString path;
        bool taken;
    } cases[] = {
        {"new file", dir.filePath(QStringLiteral("new.csv")), true},
        {"existing file", existing, true},
        {"pipe", fifo, false},
        {"folder", dir.path(), false},
        {"device", QStringLiteral("/dev/null"), false},
        {"standard output not given", QStringLiteral("-"), false},
        {"missing folder", dir.filePath(QStringLiteral("nowhere/out.csv")), false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QString wholeError, streamedError;
        const bool whole = writeThroughTemporaryFile(c.path, "data", wholeError);
        CheckedOutputFile streamed(c.path);
        const bool pieces = streamed.open(streamedError) && streamed.write("da") && streamed.write("ta") &&
                            streamed.commit(streamedError);
        EXPECT_EQ(whole, c.taken) << wholeError.toStdString();
        EXPECT_EQ(pieces, c.taken) << streamedError.toStdString();
        EXPECT_EQ(wholeError, streamedError);
        EXPECT_FALSE(wholeError.contains(QStringLiteral("Unknown error"))) << wholeError.toStdString();
        if (c.taken) {
            EXPECT_EQ(contentOf(c.path), "data");
        }
    }
    EXPECT_FALSE(QFileInfo(fifo).isFile()) << "the pipe is not replaced by a file";
    EXPECT_FALSE(QFileInfo::exists(QStringLiteral("-")));

    // "-" is standard output for a caller that gives one.
    QBuffer out;
    out.open(QIODevice::WriteOnly);
    CheckedOutputFile toOut(QStringLiteral("-"), &out);
    QString error;
    ASSERT_TRUE(toOut.open(error) && toOut.write("data") && toOut.commit(error)) << error.toStdString();
    EXPECT_EQ(out.data(), "data");
}

TEST(OutputTarget, WrittenPdfMustBeWhole) {
    QTemporaryDir dir;
    const QByteArray whole = "%PDF-1.4\n1 0 obj\n<< >>\nendobj\ntrailer\n<< >>\n%%EOF\n";
    struct Case {
        const char* name;
        std::optional<QByteArray> content; // nullopt: no file
        bool sound;
    };
    const Case cases[] = {
        {"complete", whole, true},        {"cut short", whole.left(whole.size() - 10), false},
        {"empty", QByteArray(), false},   {"not a PDF", "PNG" + whole.mid(3), false},
        {"missing", std::nullopt, false},
    };
    for (const Case& c : cases) {
        const QString path = dir.filePath(QString::fromLatin1(c.name) + QStringLiteral(".pdf"));
        if (c.content) {
            ASSERT_TRUE(writeFile(path, *c.content));
        }
        EXPECT_EQ(checkWrittenPdf(path).isEmpty(), c.sound) << c.name;
    }
}
