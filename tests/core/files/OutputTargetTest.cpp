#include "core/files/OutputTarget.h"
#include "support/FileSizeLimit.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <optional>

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
