#include "core/graphs/GraphTestSupport.h"
#include "support/FakeWindowHost.h"
#include "ui/graphs/FrmGraphiqueLeq.h"
#include "ui/graphs/FrmInGraphique.h"
#include "ui/widgets/GraphPicture.h"
#include "ui/widgets/Twips.h"

#include <QDateEdit>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <gtest/gtest.h>

using namespace graphtest;

namespace {
template <class T> T* namedChild(QWidget* window, const char* name) {
    T* found = window->findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(found, nullptr) << name;
    return found;
}

void click(QWidget* window, const char* name) {
    QTest::mouseClick(namedChild<QPushButton>(window, name), Qt::LeftButton);
}

// The 9 March 2007 window with three Leq10 and four Leq1 records (generation 5) or six Leq records
// (generation 3).
void fillGraphWindow(DataStore& store, int generation) {
    store.Device_Version = static_cast<int16_t>(generation);
    store.Leq_Records.fill(255);
    store.Event_Records.fill(255);
    store.Param_Change_Records.fill(255);
    store.Param_Block[2191] = 22;
    store.Param_Block[2193] = 6;
    store.Param_Block[2177] = 85;
    store.Param_Block[2181] = 75;
    int row = 1;
    for (int i = 0; i < (generation == 3 ? 6 : 3); ++i, ++row)
        setLevel(store.Leq_Records, row, at(9, 3, 2007, 13, 10 * i), 80 + i, generation, 10);
    if (generation == 5)
        for (int i = 0; i < 4; ++i, ++row)
            setLevel(store.Leq_Records, row, at(9, 3, 2007, 20, i), 90 + i, generation, 1);
    setWindow(store, 9, 3, 2007, 1);
    store.Graph_Day_Level = 105;
    store.Graph_Night_Level = 95;
}

QStringList graphListLines(QListWidget* list) {
    QStringList lines;
    for (int i = 0; i < list->count(); ++i)
        lines.append(list->item(i)->text());
    return lines;
}
} // namespace

TEST(FrmInGraphique, ThresholdButtonTogglesBetweenTypedAndDeviceValues) {
    FakeAppContext app;
    app.store.Day_Level_Text = QStringLiteral("105");
    app.store.Night_Level_Text = QStringLiteral("95");
    app.store.Day_Night_Hour_Text = QStringLiteral("22");
    app.store.Night_Day_Hour_Text = QStringLiteral("6");
    auto* dialog = new frmInGraphique(app.ctx, WindowId::frmInGraphique);
    app.windows.adopt(WindowId::frmInGraphique, dialog);
    EXPECT_EQ(app.store.Open_frmInGraphique, kTrue);
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Paramètres du graphique Leq"));

    auto* change = namedChild<QPushButton>(dialog, "Cmd_Change_Parametres");
    auto* day = namedChild<QLineEdit>(dialog, "txt_Leq_Jour");
    auto* nightDay = namedChild<QLineEdit>(dialog, "txt_Heure_Nuit_Jour");
    EXPECT_EQ(change->text(), QStringLiteral("Changement des paramètres de seuil"));
    EXPECT_FALSE(day->isEnabled());
    EXPECT_EQ(day->text(), QStringLiteral("105"));
    EXPECT_EQ(nightDay->text(), QStringLiteral("6"));

    QTest::mouseClick(change, Qt::LeftButton);
    EXPECT_EQ(change->text(), QStringLiteral("Remettre les paramètres par défaut"));
    EXPECT_TRUE(day->isEnabled());
    EXPECT_TRUE(day->text().isEmpty());
    EXPECT_TRUE(nightDay->text().isEmpty());

    QTest::mouseClick(change, Qt::LeftButton);
    EXPECT_EQ(change->text(), QStringLiteral("Changement des paramètres de seuil"));
    EXPECT_FALSE(nightDay->isEnabled());
    EXPECT_EQ(nightDay->text(), QStringLiteral("6"));

    // The design caption makes the button do nothing.
    change->setText(QStringLiteral("Changement des paramètres de seuils"));
    QTest::mouseClick(change, Qt::LeftButton);
    EXPECT_EQ(change->text(), QStringLiteral("Changement des paramètres de seuils"));
    EXPECT_FALSE(day->isEnabled());
}

TEST(FrmInGraphique, OffersTheRememberedDayAndLength) {
    for (auto [text, option] :
         {std::pair{"1", "Option_1_Jour"}, {"3", "Option_3_Jours"}, {"7", "Option_7_Jours"}}) {
        FakeAppContext app;
        app.store.Graph_Days_Text = QString::fromLatin1(text);
        app.store.Start_Day = QStringLiteral("28");
        app.store.Start_Month = QStringLiteral("2");
        app.store.Start_Year = QStringLiteral("2008");
        auto* dialog = new frmInGraphique(app.ctx, WindowId::frmInGraphique_v5);
        app.windows.adopt(WindowId::frmInGraphique_v5, dialog);
        EXPECT_TRUE(namedChild<QRadioButton>(dialog, option)->isChecked()) << text;
        EXPECT_EQ(namedChild<QDateEdit>(dialog, "DTPicker1")->date(), QDate(2008, 2, 28));
        EXPECT_EQ(dialog->findChild<QPushButton*>(QStringLiteral("Cmd_Change_Parametres")), nullptr);
    }
    FakeAppContext fresh;
    fresh.store.Graph_Days_Text.clear();
    auto* dialog = new frmInGraphique(fresh.ctx, WindowId::frmInGraphique_v5);
    fresh.windows.adopt(WindowId::frmInGraphique_v5, dialog);
    EXPECT_EQ(namedChild<QDateEdit>(dialog, "DTPicker1")->date(), QDate::currentDate());
    for (const char* option : {"Option_1_Jour", "Option_3_Jours", "Option_7_Jours"})
        EXPECT_FALSE(namedChild<QRadioButton>(dialog, option)->isChecked());
}

// Every caption of both dialogs is readable whole: no label runs under the box beside it or past
// its frame, no frame title past its frame.
TEST(FrmInGraphique, CaptionsFitTheirControls) {
    for (WindowId id : {WindowId::frmInGraphique, WindowId::frmInGraphique_v5}) {
        FakeAppContext app;
        auto* dialog = new frmInGraphique(app.ctx, id);
        app.windows.adopt(id, dialog);
        for (QLabel* label : dialog->findChildren<QLabel*>()) {
            if (label->wordWrap()) continue;
            const int needed = QFontMetrics(label->font()).horizontalAdvance(label->text());
            EXPECT_LE(needed, label->width()) << label->objectName().toStdString();
            if (auto* frame = qobject_cast<QGroupBox*>(label->parentWidget())) {
                EXPECT_LE(label->geometry().right(), frame->width()) << label->objectName().toStdString();
            }
        }
        for (QGroupBox* frame : dialog->findChildren<QGroupBox*>()) {
            const int needed = QFontMetrics(frame->font()).horizontalAdvance(frame->title());
            EXPECT_LT(needed, frame->width()) << frame->objectName().toStdString();
            for (QLineEdit* box : frame->findChildren<QLineEdit*>())
                for (QLabel* label : frame->findChildren<QLabel*>()) {
                    const QRect a = label->geometry(), b = box->geometry();
                    const bool sameRow = a.top() < b.bottom() && b.top() < a.bottom();
                    if (sameRow && a.left() < b.left()) {
                        EXPECT_LE(label->x() + QFontMetrics(label->font()).horizontalAdvance(label->text()),
                                  b.left())
                            << label->objectName().toStdString();
                    }
                }
        }
    }
}

TEST(FrmInGraphique, BadThresholdBoxKeepsTheDialogOpen) {
    FakeAppContext app;
    auto* dialog = new frmInGraphique(app.ctx, WindowId::frmInGraphique);
    app.windows.adopt(WindowId::frmInGraphique, dialog);
    click(dialog, "Cmd_Change_Parametres");
    namedChild<QLineEdit>(dialog, "txt_Leq_Jour")->setText(QStringLiteral("cent"));
    namedChild<QLineEdit>(dialog, "txt_Leq_Nuit")->setText(QStringLiteral("95"));
    namedChild<QLineEdit>(dialog, "txt_Heure_Jour_Nuit")->setText(QStringLiteral("22"));
    namedChild<QLineEdit>(dialog, "txt_Heure_Nuit_Jour")->setText(QStringLiteral("6"));
    namedChild<QRadioButton>(dialog, "Option_3_Jours")->setChecked(true);
    const QString startBefore = app.store.Start_Day;
    click(dialog, "Cmd_Ok");
    ASSERT_EQ(app.ui.messages.size(), 1u);
    EXPECT_EQ(app.ui.messages[0].icon, MessageIcon::Warning);
    EXPECT_TRUE(app.ui.messages[0].text.contains(QStringLiteral("Niveau Leq Jour")));
    EXPECT_TRUE(app.windows.opened.empty());
    EXPECT_EQ(app.store.Open_frmInGraphique, kTrue);
    EXPECT_EQ(app.store.Start_Day, startBefore);

    // Corrected, Ok stores the window and opens the graph.
    namedChild<QLineEdit>(dialog, "txt_Leq_Jour")->setText(QStringLiteral(" 105 "));
    namedChild<QDateEdit>(dialog, "DTPicker1")->setDate(QDate(2007, 12, 31));
    click(dialog, "Cmd_Ok");
    EXPECT_EQ(app.windows.opened, std::vector<WindowId>{WindowId::frmGraphique_Leq});
    EXPECT_EQ(app.store.Graph_Days, 3);
    EXPECT_EQ(app.store.Graph_Days_Text, QStringLiteral("3"));
    EXPECT_EQ(app.store.Graph_Day_Level, 105);
    EXPECT_EQ(app.store.End_Day + "/" + app.store.End_Month + "/" + app.store.End_Year,
              QStringLiteral("3/1/2008"));
}

TEST(FrmGraphiqueLeq, LoadFillsListsLabelsAndBoxes) {
    for (int generation : {3, 5}) {
        SCOPED_TRACE(generation);
        FakeAppContext app;
        fillGraphWindow(app.store, generation);
        auto* window = new frmGraphique_Leq(app.ctx);
        app.windows.adopt(WindowId::frmGraphique_Leq, window);
        EXPECT_EQ(app.store.Open_frmGraphique_Leq, kTrue);
        EXPECT_EQ(window->windowTitle(), GraphWindowTexts::kCaption);

        auto* leq10 = namedChild<GraphPicture>(window, "Graphique_Leq10");
        auto* leq1 = namedChild<GraphPicture>(window, "Graphique_Leq1");
        EXPECT_EQ(leq10->geometry(), twipsRect(30, 840, 7515, 3975));
        EXPECT_EQ(leq1->geometry(), twipsRect(30, 5220, 7515, 3975));
        EXPECT_EQ(namedChild<QLabel>(window, "Label_Leq10")->geometry(), twipsRect(30, 4890, 7485, 285));
        EXPECT_EQ(namedChild<QLabel>(window, "Label_Leq1")->geometry(), twipsRect(30, 9240, 7485, 285));
        EXPECT_TRUE(leq10->canvas().isNormalSize());

        auto* list10 = namedChild<QListWidget>(window, "List_Leq10");
        auto* list1 = namedChild<QListWidget>(window, "List_Leq1");
        EXPECT_FALSE(graphListLines(list10).isEmpty());
        EXPECT_EQ(list10->font().family(), QStringLiteral("DejaVu Sans Mono"));
        EXPECT_TRUE(namedChild<QLabel>(window, "Label_Date")
                        ->text()
                        .startsWith(QStringLiteral("Graphique Leq du  ")));
        EXPECT_EQ(namedChild<QLabel>(window, "Label_Mini_Leq10")->text(),
                  QStringLiteral("Niveau Leq10 Minimum = 80 dB."));
        EXPECT_TRUE(namedChild<QPushButton>(window, "Cmd_Print_Leq10")->isHidden());
        EXPECT_TRUE(namedChild<QPushButton>(window, "Cmd_Print_Leq1")->isHidden());
        EXPECT_FALSE(namedChild<QPushButton>(window, "Cmd_Zoom_Leq10")->isHidden());
        EXPECT_EQ(namedChild<QPushButton>(window, "Cmd_Zoom_Leq10")->toolTip(),
                  QStringLiteral("Agrandir le graphique Leq 10."));
        if (generation == 3) {
            EXPECT_FALSE(list1->isEnabled());
            EXPECT_TRUE(namedChild<QPushButton>(window, "Cmd_Zoom_Leq1")->isHidden());
            EXPECT_TRUE(namedChild<QLabel>(window, "Label_Mini_Leq1")->isHidden());
            EXPECT_TRUE(namedChild<QLabel>(window, "Label_Niveau_Leq_Jour_Fenetre")->isHidden());
            EXPECT_FALSE(namedChild<QLabel>(window, "Label_Niveau_Leq_Jour")->isHidden());
            EXPECT_EQ(namedChild<QLabel>(window, "Label_Niveau_Leq_Jour")->text(),
                      QStringLiteral("Niveau Leq Jour = 105 dB."));
        } else {
            EXPECT_EQ(list1->count(), 4);
            EXPECT_FALSE(namedChild<QPushButton>(window, "Cmd_Zoom_Leq1")->isHidden());
            EXPECT_EQ(namedChild<QLabel>(window, "Label_Maxi_Leq1")->text(),
                      QStringLiteral("Niveau Leq1 Maximum = 93 dB."));
        }
        // Something was drawn: the picture is not blank white.
        const QImage picture = leq10->picture();
        bool ink = false;
        for (int y = 0; y < picture.height() && !ink; y += 2)
            for (int x = 0; x < picture.width() && !ink; x += 2)
                ink = qGray(picture.pixel(x, y)) < 128;
        EXPECT_TRUE(ink);
    }
}

TEST(FrmGraphiqueLeq, EmptyWindowAndNewGraph) {
    FakeAppContext app;
    fillGraphWindow(app.store, 5);
    setWindow(app.store, 20, 3, 2007, 7);
    auto* window = new frmGraphique_Leq(app.ctx);
    app.windows.adopt(WindowId::frmGraphique_Leq, window);
    ASSERT_EQ(app.ui.messages.size(), 1u);
    EXPECT_EQ(app.ui.messages[0].title, QStringLiteral("Pas de veleur Leq !!!"));
    EXPECT_TRUE(namedChild<QPushButton>(window, "Cmd_Zoom_Leq10")->isHidden());
    EXPECT_TRUE(namedChild<QPushButton>(window, "Cmd_Zoom_Leq1")->isHidden());
    EXPECT_FALSE(namedChild<QListWidget>(window, "List_Leq10")->isEnabled());
    EXPECT_TRUE(namedChild<QLabel>(window, "Label_Mini_Leq10")->isHidden());

    click(window, "Cmd_New_Graph");
    EXPECT_EQ(app.windows.opened, std::vector<WindowId>{WindowId::frmInGraphique_v5});
    EXPECT_EQ(app.store.Open_frmGraphique_Leq, kFalse);
}
