#include "ui/compliance/ComplianceWindow.h"
#include "paint/ComplianceBandPlot.h"
#include "paint/ComplianceReportPdf.h"
#include "sim/Generator.h"
#include "support/EnvironmentGuard.h"
#include "support/PdfPages.h"
#include "ui/compliance/ComplianceBandWidget.h"
#include "ui/tables/TablesUiFixture.h"
#include "ui/widgets/TypedDateEdit.h"

#include <QCalendarWidget>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTableWidget>
#include <QTextCharFormat>
#include <QTest>
#include <QWheelEvent>

namespace {
struct ComplianceWindowTest : TablesUiTest {
    void SetUp() override {
        TablesUiTest::SetUp();
        env.set("VORL_ARCHIVE", "off");
        GeneratorOptions options;
        options.start = QDate(2009, 3, 2);
        options.days = 3;
        GenerateIntoStore(store, options);
    }
    EnvironmentGuard env;
};
} // namespace

// The window shows a report night by night: the table row of each night, the episodes of the chosen
// one, an episode clicked shown on the plot; "Calculer" builds the report of the data in memory and
// "Imprimer" prints one page per night after the summary.
TEST_F(ComplianceWindowTest, FillsNightsAndEpisodesFromAReportAndPrintsIt) {
    ComplianceWindow window(ctx);
    window.setAttribute(Qt::WA_DeleteOnClose, false);
    window.show();
    window.compute();
    ASSERT_TRUE(ui.messages.empty()) << ui.messages.front().text.toStdString();
    ASSERT_NE(window.report(), nullptr);
    EXPECT_EQ(window.nightTable()->rowCount(), static_cast<int>(window.report()->nights.size()));
    EXPECT_GE(window.nightTable()->rowCount(), 2);

    const auto preset = FindCompliancePreset(QStringLiteral("Jeune public — A"));
    window.setReport(BuildComplianceReport(ComplianceInputFromStore(store), SettingsForPreset(*preset),
                                           QDate(2009, 3, 2), QDate(2009, 3, 4)));
    const ComplianceReport& report = *window.report();
    ASSERT_EQ(window.nightTable()->rowCount(), static_cast<int>(report.nights.size()));
    for (int row = 0; row < window.nightTable()->rowCount(); ++row) {
        window.nightTable()->selectRow(row);
        const NightReport& night = report.nights[static_cast<std::size_t>(row)];
        EXPECT_EQ(window.nightTable()->item(row, 8)->text().toInt(), static_cast<int>(night.episodes.size()));
        ASSERT_EQ(window.episodeList()->count(), static_cast<int>(night.episodes.size()));
        const auto runs = BandEpisodeRuns(night);
        ASSERT_EQ(runs.size(), night.episodes.size());
        for (int k = 0; k < window.episodeList()->count(); ++k) {
            window.episodeList()->scrollToItem(window.episodeList()->item(k));
            const QRect item = window.episodeList()->visualItemRect(window.episodeList()->item(k));
            QTest::mouseClick(window.episodeList()->viewport(), Qt::LeftButton, {}, item.center());
            const BandView& view = window.bandPlot()->view();
            EXPECT_EQ(view.selectedEpisode.value_or(-1), k);
            EXPECT_LE(view.first, runs[static_cast<std::size_t>(k)].first);
            EXPECT_GE(view.last, runs[static_cast<std::size_t>(k)].second);
            EXPECT_TRUE(window.bandPlot()
                            ->readOut(runs[static_cast<std::size_t>(k)].first)
                            .contains(QStringLiteral("dépassement")));
        }
    }
    EXPECT_GT(report.episodeCount, 0);

    // The wheel zooms around the pointer; the pointer reads the window under it into the read-out.
    ComplianceBandWidget* plot = window.bandPlot();
    plot->showWholeNight();
    const QPointF middle(plot->width() / 2.0, plot->height() / 2.0);
    QWheelEvent wheel(middle, plot->mapToGlobal(middle), {}, QPoint(0, 120), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(plot, &wheel);
    const int nightWindows = static_cast<int>(
        report.nights[static_cast<std::size_t>(window.nightTable()->currentRow())].band.size());
    EXPECT_LT(plot->view().last - plot->view().first, nightWindows);
    EXPECT_LT(plot->view().first, nightWindows / 2);
    EXPECT_GT(plot->view().last, nightWindows / 2);
    QTest::mouseMove(plot, middle.toPoint());
    ASSERT_TRUE(plot->view().cursor);
    EXPECT_EQ(window.findChild<QLabel*>(QStringLiteral("ReadOut"))->text(),
              plot->readOut(*plot->view().cursor));

    window.printReport();
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_GE(pdfPages(printer.path), 1 + static_cast<int>(report.nights.size()));
}

namespace {
void chooseComplianceWindowPreset(ComplianceWindow& window, const QString& name) {
    for (QComboBox* combo : window.findChildren<QComboBox*>())
        if (const int item = combo->findText(name); item >= 0) return combo->setCurrentIndex(item);
    FAIL() << "no preset " << name.toStdString();
}
} // namespace

// From 1024×700 up every button is in view and the first column of the nights says the verdict in words.
TEST_F(ComplianceWindowTest, FitsASmallScreenWithTheVerdictFirst) {
    ComplianceWindow window(ctx);
    window.setAttribute(Qt::WA_DeleteOnClose, false);
    EXPECT_LE(window.minimumSizeHint().height(), 700);
    EXPECT_LE(window.minimumSizeHint().width(), 1024);
    window.resize(1024, 700);
    window.show();
    chooseComplianceWindowPreset(window, QStringLiteral("Jeune public — A"));
    window.compute();
    QCoreApplication::processEvents();
    for (QPushButton* button : window.findChildren<QPushButton*>()) {
        const QRect inWindow(button->mapTo(&window, QPoint(0, 0)), button->size());
        EXPECT_TRUE(window.rect().contains(inWindow)) << button->text().toStdString();
    }
    QTableWidget* nights = window.nightTable();
    EXPECT_EQ(nights->horizontalHeaderItem(0)->text(), QStringLiteral("Verdict"));
    EXPECT_LE(nights->columnViewportPosition(0) + nights->columnWidth(0), nights->viewport()->width());
    const QStringList words = {QStringLiteral("dépassement certain"), QStringLiteral("dépassement possible"),
                               QStringLiteral("conforme"), QStringLiteral("incomplet")};
    for (int row = 0; row < nights->rowCount(); ++row)
        EXPECT_TRUE(words.contains(nights->item(row, 0)->text()))
            << nights->item(row, 0)->text().toStdString();
}

// A report computed under other choices is not printed or exported; "Calculer" offers it again.
// Computing again with an episode chosen leaves the plot on the new report.
TEST_F(ComplianceWindowTest, ChangedChoicesWithholdTheOldReportAndRecomputingIsSafe) {
    ComplianceWindow window(ctx);
    window.setAttribute(Qt::WA_DeleteOnClose, false);
    window.show();
    chooseComplianceWindowPreset(window, QStringLiteral("Jeune public — A"));
    window.compute();
    ASSERT_TRUE(window.reportCurrent());
    int row = 0;
    while (row < window.nightTable()->rowCount() && window.nightTable()->item(row, 8)->text() == "0")
        ++row;
    ASSERT_LT(row, window.nightTable()->rowCount());
    window.nightTable()->selectRow(row);
    QListWidget* episodes = window.episodeList();
    ASSERT_GT(episodes->count(), 0);
    QTest::mouseClick(episodes->viewport(), Qt::LeftButton, {},
                      episodes->visualItemRect(episodes->item(0)).center());
    EXPECT_EQ(window.bandPlot()->view().selectedEpisode.value_or(-1), 0);

    chooseComplianceWindowPreset(window, QStringLiteral("Ancien décret"));
    EXPECT_FALSE(window.reportCurrent());
    window.exportPdf();
    window.printReport();
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_FALSE(QFile::exists(printer.path));

    window.compute(); // with the episode still chosen: the old report is let go only once nothing reads it
    EXPECT_TRUE(window.reportCurrent());
    EXPECT_EQ(window.bandPlot()->report(), window.report());
    EXPECT_EQ(window.report()->settings.limitDb, 105.0);
}

// Touchpads send small wheel steps; they add up to the zoom of a notch.
TEST_F(ComplianceWindowTest, SmallWheelStepsAddUp) {
    ComplianceWindow window(ctx);
    window.setAttribute(Qt::WA_DeleteOnClose, false);
    window.show();
    window.compute();
    ComplianceBandWidget* plot = window.bandPlot();
    plot->showWholeNight();
    const QPointF middle(plot->width() / 2.0, plot->height() / 2.0);
    const auto wheel = [&](int delta) {
        QWheelEvent event(middle, plot->mapToGlobal(middle), {}, QPoint(0, delta), Qt::NoButton,
                          Qt::NoModifier, Qt::ScrollUpdate, false);
        QCoreApplication::sendEvent(plot, &event);
    };
    wheel(30);
    EXPECT_EQ(plot->view().last, -1) << "a quarter notch does not zoom yet";
    wheel(30);
    wheel(30);
    wheel(30);
    EXPECT_GE(plot->view().last, 0) << "four quarters make a notch";
}

// The window answers the keys, the typed dates and the export as the program's other windows do:
// Return computes, digits give a date, the days with records are bold in the pop-ups, the export says
// where it wrote, Escape closes.
TEST_F(ComplianceWindowTest, KeysTypedDatesAndExportAnswerAsElsewhere) {
    ComplianceWindow window(ctx);
    window.setAttribute(Qt::WA_DeleteOnClose, false);
    window.show();
    const QList<TypedDateEdit*> pickers = window.findChildren<TypedDateEdit*>();
    ASSERT_EQ(pickers.size(), 2);
    for (TypedDateEdit* picker : pickers) {
        EXPECT_EQ(picker->calendarWidget()->dateTextFormat(QDate(2009, 3, 3)).fontWeight(), QFont::Bold);
        EXPECT_NE(picker->calendarWidget()->dateTextFormat(QDate(2009, 2, 20)).fontWeight(), QFont::Bold);
    }
    QTest::keyClicks(pickers[0], QStringLiteral("02/03/2009"));
    EXPECT_EQ(pickers[0]->date(), QDate(2009, 3, 2));

    QTest::keyClick(window.nightTable(), Qt::Key_Return);
    ASSERT_NE(window.report(), nullptr);
    EXPECT_TRUE(window.reportCurrent());
    const QString pdf = dir.filePath(QStringLiteral("rapport.pdf"));
    ui.saveAnswers.push_back(pdf);
    window.exportPdf();
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages.back().icon, MessageIcon::Information);
    EXPECT_TRUE(ui.messages.back().text.contains(pdf));
    EXPECT_TRUE(QFile::exists(pdf));

    QTest::keyClick(window.nightTable(), Qt::Key_Escape);
    EXPECT_FALSE(window.isVisible());
}
