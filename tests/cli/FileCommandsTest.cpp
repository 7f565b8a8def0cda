#include "CliRun.h"
#include "cli/CliApp.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

QByteArray contents(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

TEST(FileCommands, GenerateThenInfo) {
    struct Case {
        QString generation;
        QStringList keys;
    } cases[] = {
        {QStringLiteral("5"),
         {"generation", "serial", "firmware", "first", "last", "levels", "events", "param-changes",
          "transfer"}},
        {QStringLiteral("3"), {"generation", "serial", "firmware", "first", "last", "levels", "events"}},
    };
    QTemporaryDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.generation.toStdString());
        const QString file = dir.filePath(QStringLiteral("gen%1.qlv").arg(c.generation));
        const CliRun gen = runVorlCli({"generate", "--generation", c.generation, "--start", "28/02/2008",
                                       "--days", "3", "--seed", "5", "--out", file});
        ASSERT_EQ(gen.status, 0) << gen.err.toStdString();
        EXPECT_EQ(gen.out, file + '\n');

        const CliRun info = runVorlCli({"info", file});
        ASSERT_EQ(info.status, 0);
        const QStringList lines = info.out.trimmed().split('\n');
        ASSERT_EQ(lines.size(), c.keys.size()) << info.out.toStdString();
        QMap<QString, QString> values;
        for (int i = 0; i < lines.size(); ++i) {
            const QString key = lines[i].section(QStringLiteral(": "), 0, 0);
            EXPECT_EQ(key, c.keys[i]);
            values[key] = lines[i].section(QStringLiteral(": "), 1);
        }
        EXPECT_EQ(values["generation"], c.generation);
        EXPECT_EQ(values["firmware"], c.generation == "5" ? QStringLiteral("5.5") : QStringLiteral("3.2"));
        EXPECT_TRUE(values["serial"].startsWith(QStringLiteral("40")));
        const QRegularExpression stamp(QStringLiteral("^\\d\\d/\\d\\d/\\d{4} \\d\\d:\\d\\d$"));
        for (const char* key : {"first", "last", "transfer"})
            if (values.contains(key)) {
                EXPECT_TRUE(stamp.match(values[key]).hasMatch()) << key;
            }
        EXPECT_TRUE(values["first"].startsWith(QStringLiteral("28/02/2008")));
        EXPECT_TRUE(
            values["last"].startsWith(QStringLiteral("02/03/2008"))); // the third night, past midnight
        EXPECT_GT(values["levels"].toInt(), 50);
        EXPECT_GT(values["events"].toInt(), 5);
        if (c.generation == "5") {
            EXPECT_EQ(values["param-changes"], QStringLiteral("2"));
            EXPECT_TRUE(values["transfer"].startsWith(QStringLiteral("02/03/2008")));
        }
    }
}

TEST(FileCommands, GenerateIsDeterministic) {
    QTemporaryDir dir;
    const QStringList args{"generate", "--generation", "5", "--start", "01/06/2010", "--days", "2", "--out"};
    ASSERT_EQ(runVorlCli(args + QStringList{dir.filePath("a.qlv")}).status, 0);
    ASSERT_EQ(runVorlCli(args + QStringList{dir.filePath("b.qlv")}).status, 0);
    ASSERT_EQ(runVorlCli(args + QStringList{dir.filePath("c.qlv"), "--seed", "2"}).status, 0);
    EXPECT_EQ(contents(dir.filePath("a.qlv")), contents(dir.filePath("b.qlv")));
    EXPECT_NE(contents(dir.filePath("a.qlv")), contents(dir.filePath("c.qlv")));
}

TEST(FileCommands, Check) {
    QTemporaryDir dir;
    const QString good = dir.filePath("good.qlv"), bad = dir.filePath("bad.qlv"),
                  missing = dir.filePath("no.qlv");
    ASSERT_EQ(
        runVorlCli({"generate", "--generation", "3", "--start", "05/03/2009", "--days", "1", "--out", good})
            .status,
        0);
    QFile file(bad);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QByteArray("Donn\xE9") + "es_d_un_QLV_40!!!\r\n 1 2 3");
    file.close();

    struct Case {
        QString path;
        int status;
        QString out;
    } cases[] = {
        {good, 0, "OK\n"},
        {bad, 1, "Impossible d'ouvrir le fichier\nCe fichier n'est pas un fichier de QLV 40 !!!!\n"},
        {missing, 1, "Problème de fichier\nImpossible d'ouvrir le fichier : " + missing + '\n'},
    };
    for (const Case& c : cases) {
        const CliRun run = runVorlCli({"check", c.path});
        EXPECT_EQ(run.status, c.status) << c.path.toStdString();
        EXPECT_EQ(run.out, c.out);
    }
    EXPECT_EQ(runVorlCli({"info", bad}).status, 1);
}

TEST(FileCommands, BadArgumentsAreUsageErrors) {
    const QStringList cases[] = {
        {"generate", "--generation", "4", "--start", "05/03/2009", "--days", "3", "--out", "x.qlv"},
        {"generate", "--generation", "5", "--start", "31/02/2009", "--days", "3", "--out", "x.qlv"},
        {"generate", "--generation", "5", "--start", "05/03/2009", "--days", "three", "--out", "x.qlv"},
        {"generate", "--generation", "5", "--start", "05/03/2009", "--days", "3"},
        {"generate", "--generation", "5", "--colour", "red"},
        {"info"},
        {"check", "a.qlv", "b.qlv"},
    };
    for (const QStringList& args : cases) {
        const CliRun run = runVorlCli(args);
        EXPECT_EQ(run.status, 2) << args.join(' ').toStdString();
        EXPECT_FALSE(run.err.isEmpty());
    }
}

// The committed sample files are what the program reads.
TEST(FileCommands, SamplesLoad) {
    const QDir samples(QStringLiteral(VORL_SOURCE_DIR "/samples"));
    const QStringList files = samples.entryList({QStringLiteral("*.qlv")}, QDir::Files);
    EXPECT_GE(files.size(), 3);
    for (const QString& name : files)
        EXPECT_EQ(runVorlCli({"check", samples.filePath(name)}).out, "OK\n") << name.toStdString();
}

} // namespace
