#include "CliRun.h"
#include "PdfWords.h"
#include "support/PdfPages.h"

#include <QFile>
#include <QImage>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <cmath>
#include <gtest/gtest.h>
#include <map>
#include <vector>

namespace {
QStringList windowArgs(const char* days = "1") {
    return {QStringLiteral(VORL_SOURCE_DIR "/samples/gen5-7days.qlv"), QStringLiteral("--start"),
            QStringLiteral("24/03/2009"), QStringLiteral("--days"), QString::fromLatin1(days)};
}

} // namespace

TEST(GraphEnlargedCommand, WritesTheEnlargedZoomedAndPrintedGraphs) {
    QTemporaryDir dir;
    struct Case {
        QStringList extra;
        const char* file;
    } cases[] = {
        {{"--enlarged", "leq1"}, "leq1.png"},
        {{"--enlarged", "leq10", "--zoom", "14,30,60,110"}, "zoom.png"},
        {{"--enlarged", "LEQ10", "--zoom", "30,14,110,60"}, "zoom.pdf"},
        {{"--enlarged", "leq1", "--print-layout"}, "page.pdf"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        const QString out = dir.filePath(QString::fromLatin1(c.file));
        const CliRun run = runVorlCli(QStringList{QStringLiteral("graph")} + windowArgs() + c.extra +
                                      QStringList{QStringLiteral("--out"), out});
        ASSERT_EQ(run.status, 0) << run.err.toStdString() << run.out.toStdString();
        if (out.endsWith(QLatin1String(".png"))) {
            // The enlarged box, 15060 x 8300 twips, at twice the screen's pixels.
            EXPECT_EQ(QImage(out).size(), QSize(2008, 1106));
        } else {
            EXPECT_EQ(pdfPages(out), 1);
        }
    }
}

TEST(GraphEnlargedCommand, RefusesWhatTheWindowRefuses) {
    QTemporaryDir dir;
    const QString png = dir.filePath(QStringLiteral("never.png"));
    struct Case {
        QStringList extra;
        const char* why;
    } cases[] = {
        {{"--enlarged", "leq10", "--zoom", "14,30,60"}, "three numbers"},
        {{"--enlarged", "leq10", "--zoom", "14,30,sixty,110"}, "not a number"},
        {{"--enlarged", "leq10", "--zoom", "20,19.5,60,110"}, "less than a unit leftwards"},
        {{"--enlarged", "leq10", "--zoom", "14,30,90,87"}, "3 dB down"},
        {{"--enlarged", "leq10", "--zoom", "14,14.02,60,110"}, "rounds to no width"},
        {{"--zoom", "14,30,60,110"}, "no graph named"},
        {{"--enlarged", "leq100"}, "no such graph"},
        {{"--enlarged", "leq10", "--zoom", "14,30,60,110", "--print-layout"}, "zoomed page"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        const CliRun run = runVorlCli(QStringList{QStringLiteral("graph")} + windowArgs() + c.extra +
                                      QStringList{QStringLiteral("--out"), png});
        EXPECT_NE(run.status, 0);
        EXPECT_FALSE(run.err.isEmpty());
        EXPECT_FALSE(QFile::exists(png));
    }
}

// The printed page shows the window's three labels under the box as the window does: each text
// centred on the box, so the three lines share one middle whatever their lengths.
TEST(GraphEnlargedCommand, PrintedPageCentresTheLabels) {
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("page.pdf"));
    ASSERT_EQ(runVorlCli(QStringList{QStringLiteral("graph")} + windowArgs("7") +
                         QStringList{QStringLiteral("--enlarged"), QStringLiteral("leq10"),
                                     QStringLiteral("--print-layout"), QStringLiteral("--out"), pdf})
                  .status,
              0);
    const QList<PdfWord> words = pdfWords(pdf);
    if (words.isEmpty()) GTEST_SKIP() << "pdftotext not available";
    // Each line's extent, and its first word.
    struct Extent {
        double left = 1e9, right = -1e9;
        QString first;
    };
    std::map<double, Extent> lines;
    for (const PdfWord& w : words) {
        Extent& e = lines[std::round(w.y)];
        if (e.first.isEmpty()) e.first = w.text;
        e.left = std::min(e.left, w.x);
        e.right = std::max(e.right, w.right);
    }
    std::vector<double> middles;
    for (const auto& [top, extent] : lines)
        if (extent.first == QLatin1String("QLV") || extent.first == QLatin1String("Graphique"))
            middles.push_back((extent.left + extent.right) / 2);
    ASSERT_EQ(middles.size(), 3u);
    for (double middle : middles)
        EXPECT_NEAR(middle, middles.front(), 3.0);
}
