#include "cli/TableCommands.h"
#include "core/files/SaveFile.h"
#include "core/tables/ParametersForm.h"

#include "sim/Generator.h"

#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "GeneratedFiles.h"
#include "PdfWords.h"

namespace {

struct CliResult {
    int status;
    QString out;
};

CliResult cli(const QStringList& args) {
    QString out, err;
    QTextStream o(&out), e(&err);
    CliStreams io{o, e};
    const int status = runCli(QStringList{QStringLiteral("vorl-cli")} + args, io);
    o.flush();
    return {status, out};
}

// Every described text ("left<TAB>top<TAB>text", twips) is on the page in its label's band: the
// words from its left edge on, read left to right, begin with it.
void expectTextsOnPage(const QList<PdfWord>& words, const QStringList& described) {
    for (const QString& line : described) {
        const QStringList f = line.split(QLatin1Char('\t'));
        ASSERT_EQ(f.size(), 3) << line.toStdString();
        const double left = f[0].toInt() / 20.0, top = f[1].toInt() / 20.0;
        QList<PdfWord> row;
        for (const PdfWord& w : words)
            if (w.y >= top - 1 && w.y < top + 285 / 20.0 && w.x >= left - 1) row.append(w);
        std::sort(row.begin(), row.end(), [](const PdfWord& a, const PdfWord& b) { return a.x < b.x; });
        QStringList texts;
        for (const PdfWord& w : row)
            texts << w.text;
        EXPECT_TRUE(texts.join(QLatin1Char(' ')).startsWith(f[2].simplified())) << line.toStdString();
    }
}
} // namespace

// The parameters printout of the command line is the window's form on one page: every text the
// window shows (not the list, not the buttons), at its place.
TEST(ParamsPrintout, OnePageHoldingTheWindowTexts) {
    if (!havePoppler()) GTEST_SKIP() << "poppler-utils not installed";
    GeneratedFiles files;
    ASSERT_TRUE(files.write());
    QTemporaryDir& dir = files.dir;
    const QString& gen5 = files.gen5;
    const QString& gen3 = files.gen3;

    struct Case {
        QStringList args;
        QStringList expected; // texts the page must hold
        QStringList absent;   // texts it must not
    } cases[] = {
        {{gen5},
         {"Tableaux des Paramètres du QLV 40 :", "Utilitaires de Gestion", "Niveau Public :", "Version 5.5"},
         {}},
        {{gen5, "--change", "1"}, {"Paramètres  du", "Fonctionnement du Relais :"}, {}},
        {{gen3},
         {"Version 3.2", "Niveau Leq Nuit Fenêtre :", "Heure Nuit vers Jour :", "07"},
         {"Niveau Public :", "Utilitaires de Gestion", "Paramètres  du"}},
    };
    QString previousDate;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args.join(' ').toStdString());
        const CliResult described =
            cli(QStringList{QStringLiteral("print"), QStringLiteral("params")} + c.args);
        ASSERT_EQ(described.status, 0);
        QStringList lines = described.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        for (const QString& text : c.expected)
            EXPECT_TRUE(lines.filter(QLatin1Char('\t') + text).size() > 0 || lines.filter(text).size() > 0)
                << text.toStdString();
        for (const QString& text : c.absent)
            EXPECT_TRUE(lines.filter(text).isEmpty()) << text.toStdString();

        const QString pdf = dir.filePath(QStringLiteral("params.pdf"));
        QFile::remove(pdf);
        ASSERT_EQ(cli(QStringList{QStringLiteral("print"), QStringLiteral("params")} + c.args +
                      QStringList{QStringLiteral("--pdf"), pdf})
                      .status,
                  0);
        const QString info = runTool(QStringLiteral("pdfinfo"), {pdf});
        EXPECT_TRUE(info.contains(QRegularExpression(QStringLiteral("Pages:\\s+1\\n"))))
            << info.toStdString();
        expectTextsOnPage(pdfWords(pdf), lines);

        // A chosen entry shows its own period, not the one of the newest change.
        const QStringList dates = lines.filter(QStringLiteral("Paramètres  du  "));
        if (!dates.isEmpty()) {
            EXPECT_NE(dates.first(), previousDate);
            previousDate = dates.first();
        }
    }
}
