#include "TablesUiFixture.h"
#include "ui/tables/FrmParametresV4.h"
#include "ui/widgets/Twips.h"

#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTest>

namespace {
QString text(QWidget* window, const char* name) {
    auto* label = window->findChild<QLabel*>(QString::fromLatin1(name));
    return label ? label->text() : QStringLiteral("<missing>");
}

bool shown(QWidget* window, const char* name) {
    auto* widget = window->findChild<QWidget*>(QString::fromLatin1(name));
    return widget && !widget->isHidden();
}

void putChange(DataStore& store, int row, int day, int a, int b, int dayLevel) {
    ParamChangeTable& t = store.Param_Change_Records;
    const int16_t cells[8] = {0, 12, static_cast<int16_t>(day), 0,
                              3, 9,  static_cast<int16_t>(a),   static_cast<int16_t>(b)};
    for (int c = 1; c <= 8; ++c)
        t(row, c) = cells[c - 1];
    t(row, 29) = static_cast<int16_t>(dayLevel / 100);
    t(row, 30) = static_cast<int16_t>(dayLevel % 100);
}
} // namespace

struct FrmParametresTest : TablesUiTest {
    void SetUp() override {
        TablesUiTest::SetUp();
        store.Param_Block[160] = 172;
        store.Param_Block[161] = 108; // 5.6
        store.Param_Block[2176] = 1;
        store.Param_Block[2177] = 5;
        store.Param_Block[2191] = 22;
        store.Param_Block[2193] = 7;
        store.Param_Block[6] = 0x4C;
        store.Param_Block[7] = 0x40;
        store.Param_Change_Records.fill(255);
        putChange(store, 1, 5, 0x08, 0x20, 90);
        putChange(store, 2, 6, 0x04, 0x40, 95);
        store.Transfer_Date = QStringLiteral("10/03/2009");
        store.Transfer_Time = QStringLiteral("14:07:00");
    }
};

TEST_F(FrmParametresTest, Generation5ShowsTheCurrentParametersAndTheHistory) {
    std::unique_ptr<frmParametres_v4> window(new frmParametres_v4(ctx));
    EXPECT_EQ(store.Open_frmParametres_v4, kTrue);
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Paramètres du QLV 40"));
    EXPECT_EQ(text(window.get(), "Label_Version_FirmWare"), QStringLiteral("Version 5.6"));
    EXPECT_EQ(text(window.get(), "Label_Niveau_Leq_Jour"), QStringLiteral("105"));
    EXPECT_EQ(text(window.get(), "Label_Heure_Nuit_Jour"), QStringLiteral("07"));
    EXPECT_EQ(text(window.get(), "Label_Analyse"), QStringLiteral("Analyse : Pondérée Type A."));
    EXPECT_EQ(text(window.get(), "Label_Relais"), QStringLiteral("Norm. Fermé."));
    EXPECT_EQ(text(window.get(), "Label6"), QStringLiteral("Niveau Leq Jour Fenêtre :"));
    EXPECT_TRUE(shown(window.get(), "Label_Niveau_Public"));
    EXPECT_TRUE(shown(window.get(), "Label2"));
    EXPECT_EQ(window->findChild<QLabel*>(QStringLiteral("Label_Entete"))->y(), twips(30));
    EXPECT_EQ(window->palette().color(QPalette::Window), QColor(197, 207, 237));

    auto* combo = window->findChild<QComboBox*>(QStringLiteral("Combo_Jour"));
    ASSERT_TRUE(combo);
    EXPECT_FALSE(combo->isHidden());
    ASSERT_EQ(combo->count(), 2);
    EXPECT_TRUE(combo->itemText(0).startsWith(QStringLiteral("Vendredi 06")));
    EXPECT_EQ(combo->currentText(), combo->itemText(0));
    EXPECT_EQ(text(window.get(), "Label_Date"),
              QStringLiteral("Paramètres  du  ") + combo->itemText(0) +
                  QStringLiteral("  au   Mardi   10   Mars    2009  à  14 : 07"));
}

TEST_F(FrmParametresTest, ChoosingAnOlderChangeShowsItsParameters) {
    std::unique_ptr<frmParametres_v4> window(new frmParametres_v4(ctx));
    auto* combo = window->findChild<QComboBox*>(QStringLiteral("Combo_Jour"));
    combo->setCurrentIndex(1);
    Q_EMIT combo->activated(1);
    EXPECT_EQ(text(window.get(), "Label_Niveau_Leq_Jour"), QStringLiteral("90"));
    EXPECT_EQ(text(window.get(), "Label_Analyse"), QStringLiteral("Analyse : Pondérée Type M."));
    EXPECT_EQ(text(window.get(), "Label_Relais"), QStringLiteral("Info Non Disponible"));
    EXPECT_EQ(text(window.get(), "Label_Cut_G"), QStringLiteral("Info Non Disponible"));
    EXPECT_EQ(text(window.get(), "Label_Date"), QStringLiteral("Paramètres  du  ") + combo->itemText(1) +
                                                    QStringLiteral("  au  ") + combo->itemText(0));
    Q_EMIT combo->activated(0);
    EXPECT_EQ(text(window.get(), "Label_Niveau_Leq_Jour"), QStringLiteral("95"));
    EXPECT_EQ(text(window.get(), "Label_Relais"), QStringLiteral("Norm. Fermé."));
}

TEST_F(FrmParametresTest, TypingInTheListPutsTheNewestChangeBack) {
    std::unique_ptr<frmParametres_v4> window(new frmParametres_v4(ctx));
    window->show();
    auto* combo = window->findChild<QComboBox*>(QStringLiteral("Combo_Jour"));
    const QString newest = combo->itemText(0);
    QTest::keyClicks(combo->lineEdit(), QStringLiteral("abc"));
    EXPECT_EQ(combo->currentText(), newest);
}

TEST_F(FrmParametresTest, Generation3IsCompact) {
    store.Device_Version = 3;
    store.Param_Block[2187] = 22;
    store.Param_Block[2189] = 6;
    std::unique_ptr<frmParametres_v4> window(new frmParametres_v4(ctx));
    EXPECT_EQ(text(window.get(), "Label_Version_FirmWare"), QStringLiteral("Version 3.2"));
    EXPECT_EQ(text(window.get(), "Label_Heure_Jour_Nuit"), QStringLiteral("22"));
    EXPECT_EQ(text(window.get(), "Label_Heure_Nuit_Jour"), QStringLiteral("06"));
    for (const char* hidden : {"Label_Niveau_Public", "Label_Public", "Label_Niveau_Capteur", "Label_Capteur",
                               "Label_Relais", "Label5", "Label_Cut_Capteur", "Label10", "Label_Cut_G",
                               "Label11", "Label2", "Combo_Jour", "Label_Date"})
        EXPECT_FALSE(shown(window.get(), hidden)) << hidden;
    EXPECT_TRUE(shown(window.get(), "Label_Analyse"));
    EXPECT_EQ(window->findChild<QPushButton*>(QStringLiteral("Cmd_Print"))->y(), twips(2670));
    EXPECT_EQ(window->findChild<QWidget*>(QStringLiteral("Line1"))->geometry().bottom() + 1, twips(3270));
    EXPECT_EQ(window->height(), twips(3800));
    EXPECT_EQ(window->findChild<QLabel*>(QStringLiteral("Label_Entete"))->y(), twips(120));
}

TEST_F(FrmParametresTest, NoHistoryHidesTheList) {
    store.Param_Change_Records.fill(255);
    std::unique_ptr<frmParametres_v4> window(new frmParametres_v4(ctx));
    EXPECT_FALSE(shown(window.get(), "Combo_Jour"));
    EXPECT_TRUE(shown(window.get(), "Label_Date"));
}

TEST_F(FrmParametresTest, PrintsTheWindowImageOnWhiteAndRestoresIt) {
    std::unique_ptr<frmParametres_v4> window(new frmParametres_v4(ctx));
    window->show();
    printer.cancel = true;
    QTest::mouseClick(window->findChild<QPushButton*>(QStringLiteral("Cmd_Print")), Qt::LeftButton);
    EXPECT_FALSE(QFile::exists(printer.path));

    printer.cancel = false;
    const QString writable = printer.path;
    printer.path = dir.filePath(QStringLiteral("missing/print.pdf"));
    QTest::mouseClick(window->findChild<QPushButton*>(QStringLiteral("Cmd_Print")), Qt::LeftButton);
    ASSERT_EQ(ui.messages.size(), 1u); // the failed printout is reported, the cancel was not
    EXPECT_EQ(ui.messages[0].text, QStringLiteral("L'impression a échoué."));
    printer.path = writable;
    QTest::mouseClick(window->findChild<QPushButton*>(QStringLiteral("Cmd_Print")), Qt::LeftButton);
    ASSERT_TRUE(QFile::exists(printer.path));
    EXPECT_TRUE(shown(window.get(), "Combo_Jour"));
    EXPECT_TRUE(shown(window.get(), "Cmd_Print"));
    EXPECT_TRUE(shown(window.get(), "Cmd_Exit"));
    EXPECT_EQ(window->palette().color(QPalette::Window), QColor(197, 207, 237));

    // The page holds the window's picture on white: no blue background pixel.
    const QString base = dir.filePath(QStringLiteral("page"));
    QProcess::execute(QStringLiteral("pdftoppm"),
                      {QStringLiteral("-r"), QStringLiteral("30"), QStringLiteral("-png"),
                       QStringLiteral("-singlefile"), printer.path, base});
    const QImage page(base + QStringLiteral(".png"));
    ASSERT_FALSE(page.isNull());
    int blue = 0, dark = 0;
    for (int y = 0; y < page.height(); ++y)
        for (int x = 0; x < page.width(); ++x) {
            const QColor c = page.pixelColor(x, y);
            if (qAbs(c.red() - 197) < 6 && qAbs(c.green() - 207) < 6 && qAbs(c.blue() - 237) < 6) ++blue;
            if (c.lightness() < 128) ++dark;
        }
    EXPECT_EQ(blue, 0);
    EXPECT_GT(dark, 0); // the texts are there

    // The printout shows the chosen change, as the window does.
    auto* combo = window->findChild<QComboBox*>(QStringLiteral("Combo_Jour"));
    Q_EMIT combo->activated(1);
    QFile::remove(printer.path);
    QTest::mouseClick(window->findChild<QPushButton*>(QStringLiteral("Cmd_Print")), Qt::LeftButton);
    QProcess text;
    text.start(QStringLiteral("pdftotext"), {printer.path, QStringLiteral("-")});
    ASSERT_TRUE(text.waitForFinished(30000));
    const QString printed = QString::fromUtf8(text.readAllStandardOutput());
    EXPECT_TRUE(printed.contains(QStringLiteral("Info Non Disponible"))) << printed.toStdString();
    EXPECT_TRUE(printed.contains(QStringLiteral("Tableaux des Paramètres du QLV 40 :")));
}

// The window is built from the form its printout paints: every control of the form stands in the
// window at its place, with its text and visibility, for both generations and after a choice.
TEST_F(FrmParametresTest, WindowControlsAreTheFormsItems) {
    struct Case {
        const char* name;
        int generation;
        int change; // -1: as loaded
    } cases[] = {{"generation 5", 5, -1}, {"generation 5, older change", 5, 1}, {"generation 3", 3, -1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        store.Device_Version = static_cast<int16_t>(c.generation);
        std::unique_ptr<frmParametres_v4> window(new frmParametres_v4(ctx));
        if (c.change >= 0) window->chooseChange(c.change);
        const ParametersForm form = window->form();
        EXPECT_EQ(window->windowTitle(), form.caption);
        EXPECT_EQ(window->size(), QSize(twips(form.width), twips(form.height)));
        int labels = 0;
        for (const FormItem& item : form.items) {
            const QRect place = twipsRect(item.left, item.top, item.width, item.height);
            bool found = false;
            for (QWidget* widget : window->findChildren<QWidget*>(item.name, Qt::FindDirectChildrenOnly)) {
                if (widget->geometry() != place) continue;
                if (auto* label = qobject_cast<QLabel*>(widget)) {
                    if (label->text() != item.text) continue;
                    EXPECT_EQ(label->font().bold(), item.font.bold) << item.name.toStdString();
                    EXPECT_EQ(label->font().underline(), item.font.underline) << item.name.toStdString();
                    ++labels;
                }
                if (auto* combo = qobject_cast<QComboBox*>(widget)) {
                    EXPECT_EQ(combo->currentText(), item.text);
                }
                EXPECT_EQ(!widget->isHidden(), item.visible) << item.name.toStdString();
                found = true;
            }
            EXPECT_TRUE(found) << item.name.toStdString() << " " << item.text.toStdString();
        }
        EXPECT_EQ(labels, window->findChildren<QLabel*>(QString(), Qt::FindDirectChildrenOnly).size());
    }
}

TEST_F(FrmParametresTest, ExitClearsTheFlag) {
    std::unique_ptr<frmParametres_v4> window(new frmParametres_v4(ctx));
    QTest::mouseClick(window->findChild<QPushButton*>(QStringLiteral("Cmd_Exit")), Qt::LeftButton);
    EXPECT_EQ(store.Open_frmParametres_v4, kFalse);
}
