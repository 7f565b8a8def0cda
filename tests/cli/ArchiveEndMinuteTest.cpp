#include "cli/CliRun.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

// A download ends on the same minute whichever command shows it: list's "covers A - B", coverage's
// covered span and its last download; the gaps start the minute after.
TEST(ArchiveEndMinute, ListAndCoverageNameTheSameLastMinute) {
    QTemporaryDir dir;
    const QString archive = dir.filePath(QStringLiteral("archive.sqlite"));
    const CliRun generated = runVorlCli({"generate", "--history", dir.filePath(QStringLiteral("history")),
                                         "--weeks", "3", "--start", "07/09/2026"});
    ASSERT_EQ(generated.status, 0) << generated.err.toStdString();
    ASSERT_EQ(runVorlCli(QStringList{"archive", "import", "--archive", archive} +
                         generated.out.trimmed().split('\n'))
                  .status,
              0);
    const CliRun list = runVorlCli({"archive", "list", "--archive", archive});
    QStringList listed;
    const QRegularExpression covers(QStringLiteral(" covers (\\S+ \\S+) - (\\S+ \\S+) "));
    for (auto it = covers.globalMatch(list.out); it.hasNext();)
        listed << it.next().captured(2);
    ASSERT_EQ(listed.size(), 2) << list.out.toStdString(); // the second week was missed

    const CliRun json = runVorlCli({"archive", "coverage", "--archive", archive, "--device", "1", "--format",
                                    "json", "--from", "07/09/2026", "--to", "30/09/2026"});
    const QJsonObject coverage = QJsonDocument::fromJson(json.out.toUtf8()).object();
    QStringList ends;
    for (const QJsonValue span : coverage.value("covered").toArray())
        ends << span.toObject().value("to").toString();
    EXPECT_EQ(ends, listed);
    EXPECT_EQ(coverage.value("last_download").toString(), listed.last());
    const QDateTime firstEnd = QDateTime::fromString(listed.first(), QStringLiteral("dd/MM/yyyy hh:mm"));
    QStringList gapStarts;
    for (const QJsonValue gap : coverage.value("gaps").toArray())
        gapStarts << gap.toObject().value("from").toString();
    EXPECT_TRUE(gapStarts.contains(firstEnd.addSecs(60).toString(QStringLiteral("dd/MM/yyyy hh:mm"))))
        << json.out.toStdString();
}
