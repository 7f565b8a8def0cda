#include "ui/tables/FrmInTableau.h"
#include "TablesUiFixture.h"
#include "core/tables/TableTestData.h"

#include <QDateEdit>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>

using namespace tabletest;

namespace {
struct Dialog {
    std::unique_ptr<frmInTableau> window;
    QDateEdit* start;
    QDateEdit* end;
    QPushButton* ok;
    explicit Dialog(AppContext& ctx) : window(new frmInTableau(ctx)) {
        start = window->findChild<QDateEdit*>(QStringLiteral("DTP_Jour_Start"));
        end = window->findChild<QDateEdit*>(QStringLiteral("DTP_Jour_End"));
        ok = window->findChild<QPushButton*>(QStringLiteral("Cmd_Ok"));
    }
};
} // namespace

struct FrmInTableauTest : TablesUiTest {
    void SetUp() override {
        TablesUiTest::SetUp();
        store.Requested_View = QStringLiteral("Tableau Leq");
        // The table windows are not what is tested here: an empty widget stands in for each.
        for (WindowId id :
             {WindowId::frmTableau_Leq, WindowId::frmTableau_Leq_V5, WindowId::frmTableau_Evenements})
            host.factories[id] = [this, id] {
                host.closeOpenWindows();
                openFlag(store, id) = kTrue;
                return new QWidget;
            };
    }
};

TEST_F(FrmInTableauTest, CaptionsTextsAndTodayAtFirstOpening) {
    struct Case {
        const char* view;
        const char* caption;
    } cases[] = {{"Tableau Leq", "Paramètres du tableau Leq"},
                 {"Tableau Evénements", "Paramètres du tableau d'événements"}};
    for (const Case& c : cases) {
        store.Requested_View = QString::fromUtf8(c.view);
        store.Start_Day = store.Start_Month = store.Start_Year = QString();
        store.End_Day = store.End_Month = store.End_Year = QString();
        Dialog dialog(ctx);
        EXPECT_EQ(dialog.window->windowTitle(), QString::fromUtf8(c.caption));
        EXPECT_EQ(store.Open_frmInTableau, kTrue);
        EXPECT_EQ(dialog.start->date(), QDate::currentDate());
        EXPECT_EQ(dialog.end->date(), QDate::currentDate());
        EXPECT_EQ(store.Start_Year, QString::number(QDate::currentDate().year()));
        EXPECT_EQ(store.Start_Day.size(), 2);
        EXPECT_EQ(dialog.window->findChild<QLabel*>(QStringLiteral("Label7"))->text(),
                  QStringLiteral("Sélectionnez les paramètres du tableau"));
        EXPECT_EQ(dialog.window->findChild<QGroupBox*>(QStringLiteral("Frame1"))->title(),
                  QStringLiteral("Dates de début et de fin de l'analyse :"));
        EXPECT_EQ(dialog.start->locale().language(), QLocale::French);
        EXPECT_TRUE(dialog.start->calendarPopup());
        EXPECT_TRUE(
            dialog.start->text().contains(QLocale(QLocale::French).monthName(QDate::currentDate().month())));
    }
}

TEST_F(FrmInTableauTest, OffersThePeriodLastUsedAndKeepsItsTextsUpToDate) {
    setPeriod(store, QStringLiteral("31/12/2009"), QStringLiteral("01/01/2010"));
    Dialog dialog(ctx);
    EXPECT_EQ(dialog.start->date(), QDate(2009, 12, 31));
    EXPECT_EQ(dialog.end->date(), QDate(2010, 1, 1));
    dialog.start->setDate(QDate(2009, 3, 5));
    EXPECT_EQ(store.Start_Day, QStringLiteral("05"));
    EXPECT_EQ(store.Start_Month, QStringLiteral("03"));
    EXPECT_EQ(store.Start_Year, QStringLiteral("2009"));
    dialog.end->setDate(QDate(2009, 4, 7));
    EXPECT_EQ(store.End_Day + store.End_Month + store.End_Year, QStringLiteral("07042009"));
}

TEST_F(FrmInTableauTest, StartAfterEndIsRefusedAndTheDialogStays) {
    setPeriod(store, QStringLiteral("02/01/2010"), QStringLiteral("01/01/2010"));
    Dialog dialog(ctx);
    QTest::mouseClick(dialog.ok, Qt::LeftButton);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].icon, MessageIcon::Critical);
    EXPECT_EQ(ui.messages[0].title, QStringLiteral("Pb de paramètres !!!"));
    EXPECT_EQ(ui.messages[0].text, QStringLiteral("Veuillez entrer des dates cohérentes SVP !!!"));
    EXPECT_TRUE(host.opened.empty());
    EXPECT_EQ(store.Open_frmInTableau, kTrue);
}

TEST_F(FrmInTableauTest, OkOpensTheTableOfTheViewAndGeneration) {
    struct Case {
        const char* view;
        int generation;
        WindowId window;
    } cases[] = {{"Tableau Leq", 3, WindowId::frmTableau_Leq},
                 {"Tableau Leq", 5, WindowId::frmTableau_Leq_V5},
                 {"Tableau Evénements", 3, WindowId::frmTableau_Evenements},
                 {"Tableau Evénements", 5, WindowId::frmTableau_Evenements}};
    for (const Case& c : cases) {
        host.opened.clear();
        store.Requested_View = QString::fromUtf8(c.view);
        store.Device_Version = static_cast<int16_t>(c.generation);
        setPeriod(store, QStringLiteral("31/12/2009"), QStringLiteral("31/12/2009")); // one day is accepted
        QPointer<frmInTableau> dialog = new frmInTableau(ctx);
        host.adopt(WindowId::frmInTableau, dialog);
        QTest::mouseClick(dialog->findChild<QPushButton*>(QStringLiteral("Cmd_Ok")), Qt::LeftButton);
        EXPECT_EQ(host.opened, std::vector<WindowId>{c.window}) << c.view << c.generation;
        EXPECT_EQ(store.Open_frmInTableau, kFalse);
        EXPECT_TRUE(ui.messages.empty());
        delete dialog.data();
        openFlag(store, c.window) = kFalse;
    }
}

TEST_F(FrmInTableauTest, EnterActsAsOk) {
    setPeriod(store, QStringLiteral("05/03/2009"), QStringLiteral("04/03/2009"));
    Dialog dialog(ctx);
    QTest::keyClick(dialog.start, Qt::Key_Return);
    EXPECT_EQ(ui.messages.size(), 1u);
    dialog.end->setDate(QDate(2009, 3, 6));
    QTest::keyClick(dialog.window->findChild<QPushButton*>(QStringLiteral("Cmd_Annuler")), Qt::Key_Enter);
    EXPECT_EQ(host.opened, std::vector<WindowId>{WindowId::frmTableau_Leq_V5});
}

TEST_F(FrmInTableauTest, CancelOnlyCloses) {
    Dialog dialog(ctx);
    QTest::mouseClick(dialog.window->findChild<QPushButton*>(QStringLiteral("Cmd_Annuler")), Qt::LeftButton);
    EXPECT_EQ(store.Open_frmInTableau, kFalse);
    EXPECT_TRUE(host.opened.empty());
    EXPECT_TRUE(ui.messages.empty());
}
