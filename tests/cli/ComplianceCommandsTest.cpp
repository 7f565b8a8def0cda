#include "CliRun.h"
#include "PdfWords.h"
#include "TwoEveningsFile.h"
#include "core/archive/Archive.h"
#include "core/compliance/ComplianceReport.h"
#include "core/stats/ThresholdTimeline.h"
#include "paint/ComplianceReportPdf.h"
#include "support/PdfPages.h"

#include <QCryptographicHash>
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
        ArchiveLocation where = ParseArchiveLocation(location).value();
        auto archive = Archive::open(where).value();
        ASSERT_TRUE(archive);
        const ImportResult imported = ImportSaveFile(*archive, file);
        ASSERT_TRUE(imported.ok()) << imported.error().toStdString();
        serial = imported->serial;
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
    // A venue that had the device on those nights gives its rows; one that had none has no report.
    QString venue, empty;
    {
        auto archive = Archive::open(ParseArchiveLocation(location).value()).value();
        const qint64 id = archive->addVenue(QStringLiteral("Le Zinc")).value();
        ASSERT_TRUE(archive->attachDevice(id, archive->devices()->front().id, {}, {}));
        venue = QString::number(id);
        empty = QString::number(archive->addVenue(QStringLiteral("La Cave")).value());
    }
    const CliRun byVenue =
        runVorlCli(QStringList{"compliance", "--venue", venue, "--archive", location} + rest);
    EXPECT_EQ(byVenue.out.toStdString(), fromArchive.out.toStdString()) << byVenue.err.toStdString();
    EXPECT_EQ(runVorlCli(QStringList{"compliance", "--venue", empty, "--archive", location} + rest).status,
              1);

    // The report's words too, nights after the transfer included: the same causes and notes (only the
    // data it rests on differ: a file, or archived downloads).
    const auto withoutSources = [](const QString& report) {
        QStringList lines = report.split(QLatin1Char('\n'));
        const qsizetype from = lines.indexOf(QStringLiteral("Données :")),
                        to = lines.indexOf(QStringLiteral("Notes :"));
        if (from >= 0 && to > from) lines.remove(from, to - from);
        return lines;
    };
    QStringList archiveText;
    for (const QStringList& nights : {QStringList{"--from", "02/03/2009", "--to", "06/03/2009"},
                                      QStringList{"--from", "05/03/2009", "--to", "06/03/2009"}}) {
        const QStringList fileText = withoutSources(runVorlCli(QStringList{"compliance", file} + nights).out);
        archiveText = withoutSources(
            runVorlCli(QStringList{"compliance", "--serial", serial, "--archive", location} + nights).out);
        EXPECT_EQ(archiveText.join('\n').toStdString(), fileText.join('\n').toStdString());
    }
    EXPECT_FALSE(archiveText.join('\n').contains(QStringLiteral("avant le premier enregistrement 24 h")));
}

// Nothing is dropped from the PDF: a long period's summary, a night's many episodes and events go on
// over further pages, each page numbered out of the real count.
TEST(ComplianceReportPdf, LongNightsAndPeriodsContinueOnFurtherPagesWithoutLosingAnything) {
    if (!havePoppler()) GTEST_SKIP() << "pdftotext is not installed";
    QTemporaryDir dir;
    for (int nights : {1, 45}) {
        ComplianceReport report;
        report.device = QStringLiteral("QLV 40");
        report.from = QDate(2026, 1, 1);
        report.to = report.from.addDays(nights - 1);
        report.noteLines = {QStringLiteral("une note")};
        for (int n = 0; n < nights; ++n) {
            NightReport night;
            night.day = report.from.addDays(n);
            report.nights.push_back(night);
        }
        NightReport& busy = report.nights.front();
        for (int k = 0; k < 60; ++k) {
            ExceedanceEpisode e;
            e.firstStart = DeviceTime(busy.day, QTime(13, 0)).addSecs(60 * 20 * k);
            e.end = e.firstStart.addSecs(60 * 15);
            busy.episodes.push_back(e);
        }
        for (int k = 0; k < 120; ++k)
            busy.events.push_back({DeviceTime(busy.day, QTime(14, 0)).addSecs(60 * k),
                                   EventKind::GeneralCut,
                                   QStringLiteral("Coupure%1").arg(k),
                                   {},
                                   {},
                                   {}});
        const QString pdf = dir.filePath(QStringLiteral("long.pdf"));
        QString error;
        ASSERT_TRUE(WriteComplianceReportPdf(report, pdf, error)) << error.toStdString();
        const int pages = pdfPages(pdf);
        EXPECT_GT(pages, 1 + nights);
        QString text;
        for (const PdfWord& word : pdfWords(pdf))
            text += word.text + QLatin1Char(' ');
        for (const NightReport& night : report.nights)
            EXPECT_TRUE(
                text.contains(night.day.toString(QStringLiteral("dd/MM/yyyy")) + QStringLiteral(" →")))
                << nights << " nights: " << night.day.toString().toStdString();
        for (int k = 0; k < 120; ++k)
            EXPECT_TRUE(text.contains(QStringLiteral("Coupure%1 ").arg(k))) << k;
        EXPECT_EQ(text.count(QStringLiteral(" – ")), 60);
        EXPECT_FALSE(text.contains(QStringLiteral("autre(s)")));
        EXPECT_TRUE(text.contains(QStringLiteral("Page %1 / %1").arg(pages)));
    }
}

// What a report rests on: the SHA-256 of the file read, and of the CSV of the same period and limit.
TEST_F(ComplianceCli, ReportsNameTheFileAndTheCsvTheyRestOn) {
    const QStringList period = {"compliance", file, "--from", "02/03/2009", "--to", "03/03/2009"};
    const CliRun csv = runVorlCli(period + QStringList{"--format", "csv"});
    const CliRun json = runVorlCli(period + QStringList{"--format", "json"});
    ASSERT_EQ(json.status, 0);
    const QJsonObject report = QJsonDocument::fromJson(json.out.toUtf8()).object();
    EXPECT_EQ(
        report.value(QStringLiteral("csv_sha256")).toString(),
        QString::fromLatin1(QCryptographicHash::hash(csv.out.toUtf8(), QCryptographicHash::Sha256).toHex()));
    QFile saved(file);
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    const QJsonArray sources = report.value(QStringLiteral("sources")).toArray();
    ASSERT_EQ(sources.size(), 1);
    EXPECT_EQ(
        sources[0].toObject().value(QStringLiteral("sha256")).toString(),
        QString::fromLatin1(QCryptographicHash::hash(saved.readAll(), QCryptographicHash::Sha256).toHex()));
}

// Refused before anything is written: an output naming the input, and nights the device's dates cannot
// reach, the same for a file and for the archive.
TEST_F(ComplianceCli, RefusesToOverwriteItsInputAndPeriodsNoArchiveHolds) {
    const QString location = dir.filePath(QStringLiteral("archive.sqlite"));
    QString serial;
    {
        ArchiveLocation where = ParseArchiveLocation(location).value();
        auto archive = Archive::open(where).value();
        ASSERT_TRUE(archive);
        const ImportResult imported = ImportSaveFile(*archive, file);
        ASSERT_TRUE(imported.ok()) << imported.error().toStdString();
        serial = imported->serial;
    }
    QFile::link(file, dir.filePath(QStringLiteral("alias.qlv")));
    const auto contents = [](const QString& path) {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    };
    const QByteArray fileBefore = contents(file), archiveBefore = contents(location);
    const QStringList fromFile = {"compliance", file},
                      fromArchive = {"compliance", "--serial", serial, "--archive", location};
    const QStringList nights = {"--from", "02/03/2009", "--to", "03/03/2009"};
    struct Case {
        const char* name;
        QStringList args;
        const char* says;
    };
    const std::vector<Case> cases = {
        {"the input file", fromFile + nights + QStringList{"--format", "csv", "--out", file}, "input file"},
        {"the input through a link", fromFile + nights + QStringList{"--out", dir.filePath("alias.qlv")},
         "input file"},
        {"the archive", fromArchive + nights + QStringList{"--format", "pdf", "--out", location}, "archive"},
        {"a file, before 2000", fromFile + QStringList{"--from", "31/12/1999", "--to", "02/01/2000"}, "2098"},
        {"a file, far ahead", fromFile + QStringList{"--from", "01/01/2000", "--to", "31/12/9999"}, "2098"},
        {"the archive, far ahead", fromArchive + QStringList{"--from", "01/01/2098", "--to", "31/12/2098"},
         "2098"},
    };
    for (const Case& c : cases) {
        const CliRun run = runVorlCli(c.args);
        EXPECT_EQ(run.status, 2) << c.name << ": " << run.err.toStdString();
        EXPECT_TRUE(run.err.contains(QString::fromUtf8(c.says))) << c.name << ": " << run.err.toStdString();
        EXPECT_TRUE(run.out.isEmpty()) << c.name;
    }
    EXPECT_EQ(contents(file), fileBefore);
    EXPECT_EQ(contents(location), archiveBefore);
}
