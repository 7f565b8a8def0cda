#include "CliRun.h"

#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {
// Two generated evenings of a generation-5 device starting on 2 March 2009 (no clock change).
class ComplianceCli : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        file = dir.filePath(QStringLiteral("bar.qlv"));
        ASSERT_EQ(runVorlCli({"generate", "--generation", "5", "--start", "02/03/2009", "--days", "2",
                              "--out", file})
                      .status,
                  0);
    }
    QTemporaryDir dir;
    QString file;
};

TEST_F(ComplianceCli, CsvHasOneRowPerWindowStartOfEachNight) {
    const QString out = dir.filePath(QStringLiteral("bar.csv"));
    const CliRun run = runVorlCli({"compliance", file, "--from", "02/03/2009", "--to", "03/03/2009",
                                   "--preset", "Jeune public — A", "--format", "csv", "--out", out});
    ASSERT_EQ(run.status, 0) << run.err.toStdString();
    QFile csv(out);
    ASSERT_TRUE(csv.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromUtf8(csv.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 1 + 2 * 24 * 60);
    EXPECT_EQ(lines.first(), QStringLiteral("debut,fin,leq_min_db,leq_max_db,verdict"));
    EXPECT_TRUE(lines[1].startsWith(QStringLiteral("2009-03-02T12:00,2009-03-02T12:15,")));
    EXPECT_TRUE(lines.last().startsWith(QStringLiteral("2009-03-04T11:59,2009-03-04T12:14,")));
    const QRegularExpression row(QStringLiteral(
        R"(^\d{4}-\d\d-\d\dT\d\d:\d\d,\d{4}-\d\d-\d\dT\d\d:\d\d,(\d+\.\d)?,(\d+\.\d)?,(certain|possible|conforme|incomplet)$)"));
    QMap<QString, int> verdicts;
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const auto match = row.match(lines[i]);
        ASSERT_TRUE(match.hasMatch()) << lines[i].toStdString();
        ++verdicts[match.captured(3)];
        if (!match.captured(1).isEmpty() && !match.captured(2).isEmpty())
            EXPECT_LE(match.captured(1).toDouble(), match.captured(2).toDouble()) << lines[i].toStdString();
    }
    // The loud evenings go past the young audience's limit; the data ends at the transfer.
    EXPECT_GT(verdicts.value(QStringLiteral("possible")) + verdicts.value(QStringLiteral("certain")), 0);
    EXPECT_GT(verdicts.value(QStringLiteral("conforme")), 0);
    EXPECT_GT(verdicts.value(QStringLiteral("incomplet")), 0);
}

TEST_F(ComplianceCli, RefusesWhatMakesNoLimit) {
    for (const QStringList& extra :
         {QStringList{"--preset", "Décret 2020"}, QStringList{"--limit", "102", "--preset", "Ancien décret"},
          QStringList{"--limit", "100", "--duration", "61"}, QStringList{"--format", "xml"}}) {
        const CliRun run =
            runVorlCli(QStringList{"compliance", file, "--from", "02/03/2009", "--to", "03/03/2009"} + extra);
        EXPECT_EQ(run.status, 2) << extra.join(' ').toStdString();
        EXPECT_TRUE(run.out.isEmpty());
    }
}
} // namespace
