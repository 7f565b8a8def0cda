#include "TablesUiFixture.h"
#include "cli/PdfWords.h"
#include "core/tables/TableTestData.h"
#include "support/PdfPages.h"
#include "ui/tables/FrmInTableau.h"
#include "ui/tables/FrmTableauEvenements.h"
#include "ui/tables/FrmTableauLeq.h"
#include "ui/tables/FrmTableauLeqV5.h"
#include "ui/widgets/Twips.h"

#include <QLabel>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QProcess>
#include <QPushButton>
#include <QTest>

using namespace tabletest;

namespace {
QStringList listLines(QWidget* window, const char* name) {
    auto* list = window->findChild<QListWidget*>(QString::fromLatin1(name));
    QStringList lines;
    if (!list) return lines;
    for (int i = 0; i < list->count(); ++i)
        lines.append(list->item(i)->text());
    return lines;
}

QString labelText(QWidget* window, const char* name) {
    auto* label = window->findChild<QLabel*>(QString::fromLatin1(name));
    return label ? label->text() : QStringLiteral("<missing>");
}

QPushButton* button(QWidget* window, const char* name) {
    return window->findChild<QPushButton*>(QString::fromLatin1(name));
}

QString pdfText(const QString& path) {
    QProcess process;
    process.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), path, QStringLiteral("-")});
    process.waitForFinished(20000);
    // Blanks do not survive text extraction exactly: compare words.
    return QString::fromUtf8(process.readAllStandardOutput()).simplified();
}

} // namespace

struct TableWindowsTest : TablesUiTest {
    void SetUp() override {
        TablesUiTest::SetUp();
        store.Leq_Records.fill(255);
        store.Event_Records.fill(255);
        setPeriod(store, QStringLiteral("05/03/2009"), QStringLiteral("06/03/2009"));
        host.factories[WindowId::frmInTableau] = [this] { return createFrmInTableau(ctx); };
    }
};

TEST_F(TableWindowsTest, LeqWindowShowsTheTableOfThePeriod) {
    store.Device_Version = 3;
    putRows(store.Leq_Records,
            {{10, 14, 5, 0, 3, 9, 0, 95}, {20, 14, 5, 0, 3, 9, 1, 3}, {0, 9, 6, 0, 3, 9, 0, 80}});
    auto* window = new frmTableau_Leq(ctx);
    EXPECT_EQ(store.Open_frmTableau_Leq, kTrue);
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Tableau des valeurs Leq."));
    EXPECT_EQ(labelText(window, "Label_Serial_Number"),
              QStringLiteral("QLV 40 - FirmWare Version : 3.2 - Numéro de Série : 00000000"));
    EXPECT_EQ(labelText(window, "Label_Entete"), window->view().heading);
    EXPECT_EQ(listLines(window, "List_Leq"), window->view().list.lines);
    EXPECT_EQ(listLines(window, "List_Leq").size(), 4);
    const QFont font = window->findChild<QListWidget*>(QStringLiteral("List_Leq"))->font();
    EXPECT_EQ(font.family(), QStringLiteral("DejaVu Sans Mono"));
    EXPECT_EQ(font.pointSize(), 8);
    EXPECT_FALSE(font.bold());
    EXPECT_FALSE(button(window, "Cmd_Print")->isHidden());
    EXPECT_EQ(button(window, "Cmd_New_Tableau")->x(), twips(4980));

    QTest::mouseClick(button(window, "Cmd_Exit"), Qt::LeftButton);
    EXPECT_EQ(store.Open_frmTableau_Leq, kFalse);
    EXPECT_TRUE(window->isHidden());
    delete window;
}

TEST_F(TableWindowsTest, EmptyPeriodShowsTheMessageInBigBoldType) {
    struct Case {
        const char* name;
        std::function<QWidget*()> make;
        const char* list;
        int newLeft;
    } cases[] = {
        {"Leq", [this] { return new frmTableau_Leq(ctx); }, "List_Leq", 5850},
        {"Leq V5 (Leq10)", [this] { return new frmTableau_Leq_V5(ctx); }, "List_Leq10", 5850},
        {"Leq V5 (Leq1)", [this] { return new frmTableau_Leq_V5(ctx); }, "List_Leq1", 5850},
        {"events", [this] { return new frmTableau_Evenements(ctx); }, "List_Evenements", 6630},
    };
    for (const Case& c : cases) {
        std::unique_ptr<QWidget> window(c.make());
        auto* list = window->findChild<QListWidget*>(QString::fromLatin1(c.list));
        ASSERT_TRUE(list) << c.name;
        EXPECT_EQ(list->count(), 6) << c.name;
        EXPECT_TRUE(list->item(0)->text().isEmpty()) << c.name;
        EXPECT_TRUE(list->item(5)->text().contains(QStringLiteral("pour cette période !!!"))) << c.name;
        EXPECT_EQ(list->font().pointSize(), 12) << c.name;
        EXPECT_TRUE(list->font().bold()) << c.name;
        EXPECT_TRUE(button(window.get(), "Cmd_Print")->isHidden()) << c.name;
        EXPECT_EQ(button(window.get(), "Cmd_New_Tableau")->x(), twips(c.newLeft)) << c.name;
    }
}

TEST_F(TableWindowsTest, Generation5WindowFillsBothLists) {
    store.Param_Block[160] = 172;
    store.Param_Block[161] = 172;
    putRows(store.Leq_Records,
            {{10, 14, 5, 10, 3, 9, 75, 0}, {11, 14, 5, 1, 3, 9, 88, 0}, {12, 14, 5, 1, 3, 9, 89, 0}});
    std::unique_ptr<frmTableau_Leq_V5> window(new frmTableau_Leq_V5(ctx));
    EXPECT_EQ(store.Open_frmTableau_Leq_V5, kTrue);
    EXPECT_EQ(labelText(window.get(), "Label_Serial_Number"),
              QStringLiteral("QLV 40 - FirmWare Version : 5.5 - Numéro de Série : 00000000"));
    EXPECT_TRUE(labelText(window.get(), "Label_Entete10")
                    .startsWith(QStringLiteral("Tableau des valeurs Leq 10 minutes du ")));
    EXPECT_TRUE(labelText(window.get(), "Label_Entete1")
                    .startsWith(QStringLiteral("Tableau des valeurs Leq 1 minute du ")));
    EXPECT_EQ(listLines(window.get(), "List_Leq10").size(), 1);
    EXPECT_EQ(listLines(window.get(), "List_Leq1").size(), 2);
    EXPECT_EQ(store.Leq1_Count, 3);
    EXPECT_FALSE(button(window.get(), "Cmd_Print")->isHidden());
    QStringList notes;
    for (QLabel* label : window->findChildren<QLabel*>(QStringLiteral("Label1")))
        notes.append(label->text());
    EXPECT_EQ(notes.size(), 2);
}

TEST_F(TableWindowsTest, EventWindowTextsAndButtons) {
    store.Device_Version = 5;
    putRows(store.Event_Records, {{0, 22, 5, 0, 3, 9, 0, 32}, {1, 22, 5, 0, 3, 9, 0, 32}});
    std::unique_ptr<frmTableau_Evenements> window(new frmTableau_Evenements(ctx));
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Tableau des événements"));
    EXPECT_EQ(labelText(window.get(), "Label_Entete"),
              QStringLiteral("Tableau des événements du 05   Mars    2009 au 06   Mars    2009 :"));
    EXPECT_EQ(listLines(window.get(), "List_Evenements"),
              QStringList{QStringLiteral(
                  "      Le   Jeudi    05    Mars     2009   à   22 h. 01   :   Fenêtre Ouverte.")});
    EXPECT_EQ(button(window.get(), "Cmd_New_Tableau")->x(), twips(5760));
    EXPECT_EQ(button(window.get(), "Cmd_Exit")->toolTip(), QStringLiteral("Quitter le tableau d'événements"));
    EXPECT_EQ(button(window.get(), "Cmd_Print")->toolTip(),
              QStringLiteral("Imprimer ce tableau d'événements"));
    EXPECT_EQ(button(window.get(), "Cmd_New_Tableau")->toolTip(),
              QStringLiteral("Nouveau tableau d'événements"));
}

TEST_F(TableWindowsTest, NewTableauGoesBackToThePeriodDialogWithTheSamePeriod) {
    store.Requested_View = QStringLiteral("Tableau Evénements");
    QPointer<QWidget> window = new frmTableau_Evenements(ctx);
    host.adopt(WindowId::frmTableau_Evenements, window);
    QTest::mouseClick(button(window, "Cmd_New_Tableau"), Qt::LeftButton);
    EXPECT_EQ(store.Open_frmTableau_Evenements, kFalse);
    EXPECT_EQ(host.opened, std::vector<WindowId>{WindowId::frmInTableau});
    EXPECT_EQ(store.Open_frmInTableau, kTrue);
    EXPECT_EQ(store.Start_Day, QStringLiteral("05"));
    EXPECT_EQ(store.End_Day, QStringLiteral("06"));
    delete window.data();
}

TEST_F(TableWindowsTest, ExitInsideTheMainWindowClosesTheFrameToo) {
    QMdiArea area;
    auto* window = new frmTableau_Evenements(ctx);
    QPointer<QMdiSubWindow> frame = area.addSubWindow(window);
    frame->show();
    QTest::mouseClick(button(window, "Cmd_Exit"), Qt::LeftButton);
    EXPECT_EQ(store.Open_frmTableau_Evenements, kFalse);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(frame.isNull());
}

TEST_F(TableWindowsTest, LoadingATableClosesTheOtherWindows) {
    store.Open_frmInTableau = kTrue;
    store.Open_frmParametres_v4 = kTrue;
    std::unique_ptr<QWidget> window(new frmTableau_Leq(ctx));
    EXPECT_EQ(host.unloaded, (std::vector<WindowId>{WindowId::frmInTableau, WindowId::frmParametres_v4}));
    EXPECT_EQ(store.Open_frmTableau_Leq, kTrue);
}

TEST_F(TableWindowsTest, PrintWritesThePagesAndACancelPrintsNothing) {
    store.Device_Version = 3;
    putRows(store.Leq_Records, {{10, 14, 5, 0, 3, 9, 0, 95}, {20, 14, 5, 0, 3, 9, 1, 3}});
    std::unique_ptr<frmTableau_Leq> window(new frmTableau_Leq(ctx));

    printer.cancel = true;
    QTest::mouseClick(button(window.get(), "Cmd_Print"), Qt::LeftButton);
    EXPECT_EQ(printer.requests, 1);
    EXPECT_FALSE(QFile::exists(printer.path));

    printer.cancel = false;
    QTest::mouseClick(button(window.get(), "Cmd_Print"), Qt::LeftButton);
    ASSERT_TRUE(QFile::exists(printer.path));
    EXPECT_EQ(pdfPages(printer.path), 1);
    const QString text = pdfText(printer.path);
    EXPECT_TRUE(text.contains(QStringLiteral("Numéro de Série : 00000000"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("Niveau Leq = 103 dB."))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("Page 1"))) << text.toStdString();
    EXPECT_TRUE(ui.messages.empty()); // neither the cancel nor the printout said anything

    // A printer that cannot take the pages (here a PDF file in a missing folder) is reported.
    printer.path = dir.filePath(QStringLiteral("missing/print.pdf"));
    QTest::mouseClick(button(window.get(), "Cmd_Print"), Qt::LeftButton);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].title, QStringLiteral("Impression"));
    EXPECT_EQ(ui.messages[0].text, QStringLiteral("L'impression a échoué."));
}

TEST_F(TableWindowsTest, Generation5PrintoutNumbersEachPartFromOne) {
    putRows(store.Leq_Records, {{10, 14, 5, 10, 3, 9, 75, 0}});
    std::unique_ptr<frmTableau_Leq_V5> window(new frmTableau_Leq_V5(ctx));
    QTest::mouseClick(button(window.get(), "Cmd_Print"), Qt::LeftButton);
    EXPECT_EQ(pdfPages(printer.path), 2);
    const QString text = pdfText(printer.path);
    EXPECT_TRUE(text.contains(QStringLiteral("Aucune valeurs Leq1 relevée pour cette période !!!")))
        << text.toStdString();
    EXPECT_EQ(text.count(QStringLiteral("Page 1")), 2) << text.toStdString();
}

TEST_F(TableWindowsTest, PrintedLinesEndInsideThePrintableWidthOfARealPrinter) {
    if (!havePoppler()) GTEST_SKIP() << "pdftotext is needed to read the printout";
    constexpr double kA4Width = 595.276, kPointsPerMm = 72 / 25.4;
    // The longest lines: ten-minute levels of 95 and 100 dB, and events of every text length,
    // one of them with a code that has no text.
    putRows(store.Leq_Records, {{50, 23, 5, 10, 3, 9, 95, 0}, {0, 0, 6, 10, 3, 9, 0, 1}});
    putRows(store.Event_Records,
            {{0, 21, 5, 0, 3, 9, 8, 0}, {5, 21, 5, 0, 3, 9, 3, 0}, {10, 21, 5, 0, 3, 9, 0, 64}});
    const struct {
        std::function<QWidget*()> open;
        QString lastLineEnd; // the end of the longest kind of line, printed whole
    } windows[] = {{[this] { return new frmTableau_Leq_V5(ctx); }, QStringLiteral("Leq 10 = 100 dB.")},
                   {[this] { return new frmTableau_Evenements(ctx); }, QStringLiteral("Fenêtre Fermée.")}};
    for (double marginMm : {4.4, 10.0}) {
        printer.marginsMm = QMarginsF(marginMm, marginMm, marginMm, marginMm);
        const double left = marginMm * kPointsPerMm, right = kA4Width - marginMm * kPointsPerMm;
        for (const auto& w : windows) {
            std::unique_ptr<QWidget> window(w.open());
            SCOPED_TRACE(window->objectName().toStdString() + " with margins of " + std::to_string(marginMm));
            QFile::remove(printer.path);
            QTest::mouseClick(button(window.get(), "Cmd_Print"), Qt::LeftButton);
            const QList<PdfWord> words = pdfWords(printer.path);
            ASSERT_FALSE(words.isEmpty());
            for (const PdfWord& word : words) {
                EXPECT_GE(word.x, left - 0.5) << word.text.toStdString();
                EXPECT_LE(word.right, right + 0.5) << word.text.toStdString();
            }
            EXPECT_TRUE(pdfText(printer.path).contains(w.lastLineEnd));
        }
    }
}
