#include "CliRun.h"
#include "PdfWords.h"
#include "TwoEveningsFile.h"
#include "core/archive/Archive.h"
#include "core/compliance/ComplianceReport.h"
#include "paint/ComplianceReportPdf.h"
#include "support/PdfPages.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {
using ComplianceCli = TwoEveningsFile;

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
          QStringList{"--limit", "100", "--duration", "61"}, QStringList{"--format", "xml"},
          QStringList{"--limit", "nan"}, QStringList{"--limit", "0"}, QStringList{"--limit", "140.5"}}) {
        const CliRun run =
            runVorlCli(QStringList{"compliance", file, "--from", "02/03/2009", "--to", "03/03/2009"} + extra);
        EXPECT_EQ(run.status, 2) << extra.join(' ').toStdString();
        EXPECT_TRUE(run.out.isEmpty());
    }
}
} // namespace

// The PDF: a summary page, then a page per night, the model's notes on each of them.
TEST_F(ComplianceCli, PdfHasASummaryAndAPagePerNightEachWithTheNotes) {
    if (!havePoppler()) GTEST_SKIP() << "pdftotext is not installed";
    const QStringList period = {"compliance", file, "--from", "02/03/2009", "--to", "03/03/2009"};
    const CliRun json = runVorlCli(period + QStringList{"--format", "json"});
    ASSERT_EQ(json.status, 0);
    const QJsonObject report = QJsonDocument::fromJson(json.out.toUtf8()).object();
    const QJsonArray notes = report.value(QStringLiteral("notes")).toArray();
    ASSERT_FALSE(notes.isEmpty());

    const QString pdf = dir.filePath(QStringLiteral("bar.pdf"));
    const CliRun run = runVorlCli(period + QStringList{"--format", "pdf", "--out", pdf});
    ASSERT_EQ(run.status, 0) << run.err.toStdString();
    const int pages = 1 + static_cast<int>(report.value(QStringLiteral("nights")).toArray().size());
    ASSERT_EQ(pdfPages(pdf), pages);
    QStringList texts(pages);
    for (const PdfWord& word : pdfWords(pdf))
        texts[word.page - 1] += word.text + QLatin1Char(' ');
    for (int page = 0; page < pages; ++page)
        for (const QJsonValue& note : notes)
            EXPECT_TRUE(texts[page].contains(note.toString().simplified()))
                << page << ": " << note.toString().toStdString();
    EXPECT_TRUE(texts[1].contains(QStringLiteral("Nuit du 02/03/2009")));

    // A PDF that cannot be written says why and leaves no file.
    const QString blocked = dir.filePath(QStringLiteral("missing/bar.pdf"));
    const CliRun refused = runVorlCli(period + QStringList{"--format", "pdf", "--out", blocked});
    EXPECT_EQ(refused.status, 1);
    EXPECT_TRUE(refused.err.contains(blocked));
    EXPECT_FALSE(QFile::exists(blocked));
}

// The same nights read from an archive holding the file give the same rows as the file itself.
TEST_F(ComplianceCli, NightsFromTheArchiveGiveTheRowsOfTheFile) {
    const QString location = dir.filePath(QStringLiteral("archive.sqlite"));
    QString serial;
    {
        ArchiveLocation where;
        ASSERT_TRUE(ParseArchiveLocation(location, where));
        auto archive = Archive::open(where);
        ASSERT_TRUE(archive);
        const ImportResult imported = ImportSaveFile(*archive, file);
        ASSERT_TRUE(imported.ok()) << imported.error.toStdString();
        serial = imported.serial;
    }
    const QStringList rest = {"--from", "02/03/2009", "--to", "03/03/2009", "--format", "csv"};
    const CliRun fromFile = runVorlCli(QStringList{"compliance", file} + rest);
    const CliRun fromArchive =
        runVorlCli(QStringList{"compliance", "--serial", serial, "--archive", location} + rest);
    ASSERT_EQ(fromArchive.status, 0) << fromArchive.err.toStdString();
    const QStringList want = fromFile.out.split(QLatin1Char('\n')),
                      got = fromArchive.out.split(QLatin1Char('\n'));
    ASSERT_EQ(got.size(), want.size());
    for (qsizetype i = 0; i < got.size(); ++i)
        ASSERT_EQ(got[i].toStdString(), want[i].toStdString()) << "row " << i;
    EXPECT_EQ(
        runVorlCli(QStringList{"compliance", "--serial", "nobody", "--archive", location} + rest).status, 1);
}

// A period longer than the summary page holds goes on over further pages, every night on one of them.
TEST(ComplianceReportPdf, LongPeriodsContinueTheSummaryWithoutLosingANight) {
    if (!havePoppler()) GTEST_SKIP() << "pdftotext is not installed";
    QTemporaryDir dir;
    for (int nights : {1, 45, 120}) {
        ComplianceReport report;
        report.device = QStringLiteral("QLV 40");
        report.from = QDate(2026, 1, 1);
        report.to = report.from.addDays(nights - 1);
        report.noteLines = {QStringLiteral("une note")};
        for (int n = 0; n < nights; ++n)
            report.nights.push_back(NightReport{report.from.addDays(n), {}, {}, {}, {}, {}, {}, {}});
        const QString pdf = dir.filePath(QStringLiteral("long.pdf"));
        QString error;
        ASSERT_TRUE(WriteComplianceReportPdf(report, pdf, error)) << error.toStdString();
        const int summaryPages = ComplianceSummaryPageCount(report);
        ASSERT_EQ(pdfPages(pdf), summaryPages + nights);
        QString summary;
        for (const PdfWord& word : pdfWords(pdf))
            if (word.page <= summaryPages) summary += word.text + QLatin1Char(' ');
        for (const NightReport& night : report.nights)
            EXPECT_TRUE(
                summary.contains(night.day.toString(QStringLiteral("dd/MM/yyyy")) + QStringLiteral(" →")))
                << nights << " nights: " << night.day.toString().toStdString();
    }
}
