#include "core/files/OutputTarget.h"
#include "support/FileSizeLimit.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <functional>
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

TEST(OutputTarget, OnlyRegularFilesOrNewNamesMayBeReplaced) {
    QTemporaryDir dir;
    const QString regular = dir.filePath(QStringLiteral("regular"));
    ASSERT_TRUE(writeFile(regular, "old"));
    struct Case {
        const char* name;
        std::function<QString()> make; // returns the path to check
        bool accepted;
    };
    const Case cases[] = {
        {"new name", [&] { return dir.filePath(QStringLiteral("new.pdf")); }, true},
        {"regular file", [&] { return regular; }, true},
        {"link to a regular file",
         [&] {
             const QString link = dir.filePath(QStringLiteral("to-regular"));
             QFile::link(regular, link);
             return link;
         },
         true},
        {"device", [] { return QStringLiteral("/dev/null"); }, false},
        {"link to a device",
         [&] {
             const QString link = dir.filePath(QStringLiteral("to-null.png"));
             QFile::link(QStringLiteral("/dev/null"), link);
             return link;
         },
         false},
        {"pipe",
         [&] {
             const QString fifo = dir.filePath(QStringLiteral("fifo"));
             mkfifo(QFile::encodeName(fifo).constData(), 0600);
             return fifo;
         },
         false},
        {"folder", [&] { return dir.path(); }, false},
        {"link to nothing",
         [&] {
             const QString link = dir.filePath(QStringLiteral("dangling"));
             QFile::link(dir.filePath(QStringLiteral("nowhere")), link);
             return link;
         },
         false},
    };
    for (const Case& c : cases) {
        const QString path = c.make();
        EXPECT_EQ(outputTargetProblem(path).isEmpty(), c.accepted) << c.name;
        if (c.accepted) continue;
        // Refused targets stay what they were.
        const QFileInfo before(path);
        QString error;
        EXPECT_FALSE(writeThroughTemporaryFile(path, "data", error)) << c.name;
        EXPECT_TRUE(error.contains(path)) << c.name;
        EXPECT_EQ(QFileInfo(path).isFile(), before.isFile()) << c.name;
    }
}

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
        if (c.content) ASSERT_TRUE(writeFile(path, *c.content));
        EXPECT_EQ(checkWrittenPdf(path).isEmpty(), c.sound) << c.name;
    }
}
