#include "cli/TableCommands.h"
#include "core/files/SaveFile.h"

#include "sim/Generator.h"

#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "GeneratedFiles.h"
#include "PdfWords.h"

namespace {
struct Captured {
    QString outText, errText;
    QTextStream out{&outText}, err{&errText};
    CliStreams io{out, err};
    QStringList outLines() {
        out.flush();
        QStringList lines = outText.split(QLatin1Char('\n'));
        if (!lines.isEmpty() && lines.last().isEmpty()) lines.removeLast();
        return lines;
    }
};

void putRow(LeqTable& table, int r, std::array<int16_t, 8> cells) {
    for (int c = 1; c <= 8; ++c)
        table(r, c) = cells[static_cast<size_t>(c - 1)];
}

// Two days of generation-5 data: Leq10 and Leq1 rows on 5 March 2009, one Leq1 row on the 6th.
DataStore generation5Store() {
    DataStore store;
    store.Device_Version = 5;
    store.Leq_Records.fill(255);
    putRow(store.Leq_Records, 1, {10, 14, 5, 10, 3, 9, 75, 0});
    putRow(store.Leq_Records, 2, {11, 14, 5, 1, 3, 9, 88, 0});
    putRow(store.Leq_Records, 3, {20, 14, 5, 10, 3, 9, 76, 0});
    putRow(store.Leq_Records, 4, {0, 9, 6, 1, 3, 9, 2, 1});
    store.Event_Records.fill(255);
    store.Param_Change_Records.fill(255);
    store.Param_Block[160] = 172;
    store.Param_Block[161] = 108;
    store.Param_Block[2366] = 4;
    store.Param_Block[2367] = 2;
    return store;
}

DataStore generation3Store() {
    DataStore store;
    store.Device_Version = 3;
    store.Leq_Records.fill(255);
    putRow(store.Leq_Records, 1, {10, 14, 5, 0, 3, 9, 0, 95});
    putRow(store.Leq_Records, 2, {20, 14, 5, 0, 3, 9, 1, 3});
    store.Event_Records.fill(255);
    return store;
}
} // namespace

TEST(TableCommand, Generation5LeqPrintsTheLeq10BlockThenTheLeq1Block) {
    DataStore store = generation5Store();
    Captured c;
    ASSERT_EQ(printTable(store, TableKind::Leq, QDate(2009, 3, 5), QDate(2009, 3, 6), c.io), 0);
    const QStringList lines = c.outLines();
    ASSERT_EQ(lines.size(), 8) << c.outText.toStdString();
    EXPECT_EQ(lines[0], QStringLiteral("QLV 40 - FirmWare Version : 5.6 - Numéro de Série : 00000042"));
    EXPECT_TRUE(lines[1].startsWith(QStringLiteral("Tableau des valeurs Leq 10 minutes du  Jeudi   05")));
    EXPECT_TRUE(lines[2].endsWith(QStringLiteral("de  14 h. 00  à  14 h. 10   :  Niveau Leq 10 =   75 dB.")));
    EXPECT_TRUE(lines[3].endsWith(QStringLiteral("de  14 h. 10  à  14 h. 20   :  Niveau Leq 10 =   76 dB.")));
    EXPECT_TRUE(lines[4].startsWith(QStringLiteral("Tableau des valeurs Leq 1 minute du ")));
    EXPECT_TRUE(lines[5].endsWith(QStringLiteral("de  14 h. 10  à  14 h. 11   :  Niveau Leq 1 =   88 dB.")));
    EXPECT_TRUE(lines[6].isEmpty());
    EXPECT_TRUE(lines[7].contains(QStringLiteral("Vendredi  06")));
    EXPECT_TRUE(lines[7].endsWith(QStringLiteral("Niveau Leq 1 =  102 dB.")));
}

TEST(TableCommand, KindsAndGenerations) {
    struct Case {
        const char* name;
        bool generation5;
        TableKind kind;
        int status;
        int lines;
    } cases[] = {
        {"gen5 leq10", true, TableKind::Leq10, 0, 4},   {"gen5 leq1", true, TableKind::Leq1, 0, 5},
        {"gen5 events", true, TableKind::Events, 0, 8}, {"gen3 leq", false, TableKind::Leq, 0, 4},
        {"gen3 leq10", false, TableKind::Leq10, 0, 4},  {"gen3 leq1", false, TableKind::Leq1, 2, 0},
    };
    for (const auto& t : cases) {
        DataStore store = t.generation5 ? generation5Store() : generation3Store();
        Captured c;
        EXPECT_EQ(printTable(store, t.kind, QDate(2009, 3, 5), QDate(2009, 3, 6), c.io), t.status) << t.name;
        EXPECT_EQ(c.outLines().size(), t.lines) << t.name << '\n' << c.outText.toStdString();
        EXPECT_EQ(c.errText.isEmpty(), t.status == 0) << t.name;
    }
}

TEST(TableCommand, StartAfterEndPrintsThePeriodMessage) {
    DataStore store = generation3Store();
    Captured c;
    EXPECT_EQ(printTable(store, TableKind::Events, QDate(2010, 1, 1), QDate(2009, 12, 31), c.io), 1);
    EXPECT_EQ(c.outLines(),
              (QStringList{"Pb de paramètres !!!", "Veuillez entrer des dates cohérentes SVP !!!"}));
    Captured sameDay;
    EXPECT_EQ(printTable(store, TableKind::Leq, QDate(2009, 3, 5), QDate(2009, 3, 5), sameDay.io), 0);
    EXPECT_TRUE(sameDay.outLines().value(1).endsWith(QStringLiteral("2009 :")));
}

TEST(ParamsCommand, CaptionsAndValuesInWindowOrder) {
    DataStore store = generation5Store();
    store.Param_Block[2176] = 1;
    store.Param_Block[2177] = 2;
    store.Param_Block[6] = 0x08;
    store.Transfer_Date = QStringLiteral("07/03/2009");
    store.Transfer_Time = QStringLiteral("10:20:30");
    Captured c;
    ASSERT_EQ(printParameters(store, std::nullopt, c.io), 0);
    const QStringList lines = c.outLines();
    ASSERT_EQ(lines.size(), 15) << c.outText.toStdString();
    EXPECT_EQ(lines[0], QStringLiteral("Paramètres  du    au   Samedi  07   Mars    2009  à  10 : 20"));
    EXPECT_EQ(lines[1], QStringLiteral("Version FirmWare :\tVersion 5.6"));
    EXPECT_EQ(lines[3], QStringLiteral("Niveau Leq Jour :\t102"));
    EXPECT_EQ(lines[11], QStringLiteral("\tAnalyse : Pondérée Type M."));
    EXPECT_EQ(lines[14], QStringLiteral("Etat de la Coupure Finale :\tDésactivée"));

    DataStore v3 = generation3Store();
    Captured c3;
    ASSERT_EQ(printParameters(v3, std::nullopt, c3.io), 0);
    EXPECT_EQ(c3.outLines().size(), 9);
    EXPECT_EQ(c3.outLines().first(), QStringLiteral("Version FirmWare :\tVersion 3.2"));
}

TEST(ParamsCommand, ChosenChangeAndMissingEntries) {
    DataStore store = generation5Store();
    ParamChangeTable& t = store.Param_Change_Records;
    const int16_t change[8] = {5, 8, 5, 0, 3, 9, 0x0C, 0};
    for (int col = 1; col <= 8; ++col)
        t(1, col) = change[col - 1];
    t(1, 29) = 0;
    t(1, 30) = 77;
    Captured c;
    ASSERT_EQ(printParameters(store, 0, c.io), 0);
    EXPECT_TRUE(c.outLines().contains(QStringLiteral("Niveau Leq Jour :\t77")));
    EXPECT_TRUE(c.outLines().contains(QStringLiteral("\tAnalyse : Pondérée Type A.")));
    for (int k : {1, -1}) {
        Captured missing;
        EXPECT_EQ(printParameters(store, k, missing.io), 2) << k;
    }
    DataStore v3 = generation3Store();
    Captured c3;
    EXPECT_EQ(printParameters(v3, 0, c3.io), 2);
}

TEST(TableCommand, ArgumentErrorsExitWithTwo) {
    const QStringList bad[] = {
        {"vorl-cli", "table"},
        {"vorl-cli", "table", "leq", "file.qlv"},
        {"vorl-cli", "table", "daily", "file.qlv", "--from", "01/01/2009", "--to", "02/01/2009"},
        {"vorl-cli", "table", "leq", "file.qlv", "--from", "31/02/2009", "--to", "02/03/2009"},
        {"vorl-cli", "table", "leq", "file.qlv", "--from", "01/01/2009", "--to"},
        {"vorl-cli", "params"},
        {"vorl-cli", "params", "file.qlv", "--change", "newest"},
    };
    for (const QStringList& args : bad) {
        Captured c;
        EXPECT_EQ(runCli(args, c.io), 2) << args.join(' ').toStdString();
    }
}

TEST(TableCommand, ReadsSaveFiles) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("data.qlv"));
    DataStore written = generation5Store();
    ASSERT_TRUE(WriteSaveFile(written, path, 5, 8192));

    Captured fromFile;
    EXPECT_EQ(
        runCli({"vorl-cli", "table", "leq", path, "--from", "05/03/2009", "--to", "06/03/2009"}, fromFile.io),
        0);
    Captured fromMemory;
    DataStore store = generation5Store();
    printTable(store, TableKind::Leq, QDate(2009, 3, 5), QDate(2009, 3, 6), fromMemory.io);
    EXPECT_EQ(fromFile.outLines(), fromMemory.outLines());

    Captured reversed;
    EXPECT_EQ(runCli({"vorl-cli", "table", "events", path, "--from", "06/03/2009", "--to", "05/03/2009"},
                     reversed.io),
              1);
    EXPECT_EQ(reversed.outLines().size(), 2);

    Captured params;
    EXPECT_EQ(runCli({"vorl-cli", "params", path}, params.io), 0);
    EXPECT_EQ(params.outLines().size(), 15);
}

TEST(TableCommand, Leq1OfAGeneration3FileIsAnError) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("v3.qlv"));
    ASSERT_TRUE(WriteSaveFile(generation3Store(), path, 3, 4096));
    Captured c;
    EXPECT_EQ(runCli({"vorl-cli", "table", "leq1", path, "--from", "05/03/2009", "--to", "05/03/2009"}, c.io),
              2);
    Captured leq;
    EXPECT_EQ(
        runCli({"vorl-cli", "table", "leq", path, "--from", "05/03/2009", "--to", "05/03/2009"}, leq.io), 0);
    EXPECT_EQ(leq.outLines().size(), 4);
}

TEST(PrintCommand, DescribesThePagesOrWritesAPdf) {
    DataStore store = generation5Store();
    Captured layout;
    ASSERT_EQ(
        printTablePrintout(store, TableKind::Leq, QDate(2009, 3, 5), QDate(2009, 3, 6), QString(), layout.io),
        0);
    const QStringList lines = layout.outLines();
    // Leq10 part: serial, heading, 2 lines, page number; Leq1 part: serial, heading, 3 lines, page number.
    ASSERT_EQ(lines.size(), 11) << layout.outText.toStdString();
    EXPECT_EQ(lines[0],
              QStringLiteral("1\t3300\t200\tQLV 40 - FirmWare Version : 5.6 - Numéro de Série : 00000042"));
    EXPECT_TRUE(lines[2].startsWith(QStringLiteral("1\t2350\t1200\t        Le ")));
    EXPECT_EQ(lines[4], QStringLiteral("1\t5000\t15500\t Page   1"));
    EXPECT_EQ(lines[10], QStringLiteral("2\t5000\t15500\t Page   1"));

    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("events.pdf"));
    Captured written;
    EXPECT_EQ(
        printTablePrintout(store, TableKind::Events, QDate(2009, 3, 5), QDate(2009, 3, 5), pdf, written.io),
        0);
    QFile file(pdf);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.read(5).startsWith("%PDF"));

    Captured reversed;
    EXPECT_EQ(
        printTablePrintout(store, TableKind::Events, QDate(2009, 3, 6), QDate(2009, 3, 5), pdf, reversed.io),
        1);
    EXPECT_EQ(reversed.outLines().size(), 2);
}

namespace {

// Every text of the laid-out printout ("page<TAB>left<TAB>top<TAB>text") is found in the PDF on its
// page, at its place: the words whose tops lie at its top, joined, are the text.
void expectPdfMatchesLayout(const QString& pdf, const QStringList& layout) {
    const QList<PdfWord> words = pdfWords(pdf);
    ASSERT_FALSE(words.isEmpty());
    int pages = 0;
    for (const QString& entry : layout) {
        const QStringList f = entry.split(QLatin1Char('\t'));
        ASSERT_EQ(f.size(), 4) << entry.toStdString();
        const int page = f[0].toInt();
        pages = qMax(pages, page);
        const double left = f[1].toInt() / 20.0, top = f[2].toInt() / 20.0; // twips to points
        if (f[3].trimmed().isEmpty()) continue;                             // an empty line shows nothing
        QStringList found;
        double firstX = 1e9;
        for (const PdfWord& w : words)
            if (w.page == page && qAbs(w.y - top) < 2.5) {
                found << w.text;
                firstX = qMin(firstX, w.x);
            }
        EXPECT_EQ(found.join(QLatin1Char(' ')), f[3].simplified()) << entry.toStdString();
        EXPECT_GE(firstX, left - 1.0) << entry.toStdString();
    }
    const QString info = runTool(QStringLiteral("pdfinfo"), {pdf});
    EXPECT_TRUE(info.contains(QRegularExpression(QStringLiteral("Pages:\\s+%1\\n").arg(pages))))
        << info.toStdString();
}
} // namespace

// The command-line forms of the printouts, read back from the PDF files they write.
TEST(PrintCommand, PdfPagesHoldTheLaidOutTexts) {
    if (!havePoppler()) GTEST_SKIP() << "poppler-utils not installed";
    GeneratedFiles files;
    ASSERT_TRUE(files.write());
    QTemporaryDir& dir = files.dir;
    const QString& gen5 = files.gen5;
    const QString& gen3 = files.gen3;

    const QString period[] = {QStringLiteral("--from"), QStringLiteral("20/11/2023"), QStringLiteral("--to"),
                              QStringLiteral("23/11/2023")};
    const QStringList forms[] = {
        {"print", "table", "leq1", gen5, period[0], period[1], period[2], period[3]},
        {"print", "table", "leq10", gen5, period[0], period[1], period[2], period[3]},
        {"print", "table", "leq", gen5, period[0], period[1], period[2], period[3]},
        {"print", "table", "events", gen5, period[0], period[1], period[2], period[3]},
        {"print", "table", "leq", gen3, period[0], period[1], period[2], period[3]},
        {"print", "table", "leq10", gen3, "--from", "01/01/2020", "--to", "01/01/2020"}, // no value
    };
    int multiPage = 0;
    for (const QStringList& form : forms) {
        SCOPED_TRACE(form.join(' ').toStdString());
        Captured layout;
        ASSERT_EQ(runCli(QStringList{"vorl-cli"} + form, layout.io), 0);
        const QStringList lines = layout.outLines();
        ASSERT_FALSE(lines.isEmpty());
        if (lines.last().startsWith(QLatin1String("2\t"))) ++multiPage;
        // 69 lines to a page, the line tops 1000 + 200 n twips, the page number at the bottom.
        for (const QString& line : lines) {
            const QStringList f = line.split(QLatin1Char('\t'));
            const int top = f[2].toInt();
            if (f[1] == QLatin1String("2350") && top >= 1200 && top < 15500) {
                EXPECT_LE((top - 1000) / 200, 69) << line.toStdString();
            }
            if (top == 15500) {
                EXPECT_EQ(f[3], QStringLiteral(" Page   ") + QString::number(f[3].mid(8).toInt()));
            }
        }

        const QString pdf = dir.filePath(QStringLiteral("out.pdf"));
        Captured written;
        ASSERT_EQ(runCli(QStringList{"vorl-cli"} + form + QStringList{"--pdf", pdf}, written.io), 0);
        expectPdfMatchesLayout(pdf, lines);
    }
    EXPECT_GE(multiPage, 2); // the Leq1 and the whole Leq printouts run over several pages
}

TEST(PrintCommand, CommandLineFormsAndTheirErrors) {
    struct Case {
        QStringList args;
        int status;
    } cases[] = {
        {{"print", "table"}, 2},
        {{"print", "table", "daily", "f.qlv", "--from", "01/01/2009", "--to", "02/01/2009"}, 2},
        {{"print", "table", "leq", "f.qlv"}, 2},
        {{"print", "params"}, 2},
        {{"print", "params", "f.qlv", "--from", "01/01/2009"}, 2},
        {{"print", "params", "f.qlv", "--change", "x"}, 2},
        {{"print", "params", "missing.qlv", "--pdf", "x.pdf"}, 1},
        {{"print", "table", "leq", "missing.qlv", "--from", "01/01/2009", "--to", "02/01/2009"}, 1},
    };
    for (const Case& c : cases) {
        Captured out;
        EXPECT_EQ(runCli(QStringList{"vorl-cli"} + c.args, out.io), c.status)
            << c.args.join(' ').toStdString();
    }
}
