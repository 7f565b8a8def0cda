#include "ShellHarness.h"

#include "core/shell/ShellTexts.h"

#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <functional>
#include <gtest/gtest.h>

namespace {
QString aboutLabelText(QWidget* box, const char* name) {
    auto* label = box->findChild<QLabel*>(QString::fromLatin1(name));
    return label ? label->text() : QStringLiteral("<missing>");
}
} // namespace

TEST(AboutBox, ShowsEveryTextWithOneLineBreakPerBreak) {
    ShellHarness h;
    h.action("mnuAbout")->trigger();
    QWidget* box = h.main->aboutBox();
    ASSERT_NE(box, nullptr);

    EXPECT_EQ(aboutLabelText(box, "lblTitle"), QStringLiteral("LOGICIEL D'ANALYSE DES DONNEES DU QLV 40"));
    EXPECT_EQ(aboutLabelText(box, "lblVersion"), QStringLiteral("Version 5.6"));
    EXPECT_EQ(aboutLabelText(box, "Label_Version"), QStringLiteral("Version : 11092009"));
    EXPECT_EQ(aboutLabelText(box, "Label_FirmWare"),
              QStringLiteral("*  Compatibilté Firmware QLV 40 :\n"
                             "    _ Version 3.2 ( Liaison Série + Adaptateur USB VORL).\n"
                             "    _ Version 5.X ( Liaison Série + Adaptateur USB VORL ).\n\n"
                             "*  Toutes les sauvegardes des différentes versions de Firmware de QLV 40 "
                             "ci-dessus sont compatibles avec ce logiciel."));
    const AboutTexts texts = BuildAboutTexts();
    EXPECT_EQ(aboutLabelText(box, "lblDescription"), NormaliseLineBreaks(texts.lblDescription));
    EXPECT_EQ(aboutLabelText(box, "Label_System_Exploitation"),
              NormaliseLineBreaks(texts.Label_System_Exploitation));
    EXPECT_EQ(aboutLabelText(box, "Label_Resolution"), NormaliseLineBreaks(texts.Label_Resolution));
    for (const char* name :
         {"lblDescription", "Label_System_Exploitation", "Label_Resolution", "Label_FirmWare"})
        EXPECT_FALSE(aboutLabelText(box, name).contains(QLatin1Char('\r'))) << name;
    EXPECT_EQ(box->findChild<QPushButton*>(QStringLiteral("cmdOK"))->text(), QStringLiteral("Ok"));
    EXPECT_FALSE(box->findChild<QLabel*>(QStringLiteral("picIcon"))->pixmap().isNull());
    EXPECT_EQ(box->palette().color(QPalette::Window), QColor(197, 207, 237));
}

TEST(AboutBox, MainWindowDisabledWhileOpenAndEnabledAgainHoweverItCloses) {
    const std::pair<const char*, std::function<void(FrmMain&, QWidget*)>> ways[] = {
        {"Ok",
         [](FrmMain&, QWidget* box) {
             QTest::mouseClick(box->findChild<QPushButton*>(QStringLiteral("cmdOK")), Qt::LeftButton);
         }},
        {"Escape", [](FrmMain&, QWidget* box) { QTest::keyClick(box, Qt::Key_Escape); }},
        {"close box", [](FrmMain&, QWidget* box) { box->close(); }},
        {"program end", [](FrmMain& main, QWidget*) { main.close(); }},
    };
    for (const auto& [way, closeIt] : ways) {
        ShellHarness h;
        h.main->show();
        h.main->showAbout();
        QPointer<QWidget> box = h.main->aboutBox();
        ASSERT_NE(box, nullptr) << way;
        EXPECT_TRUE(box->isVisible()) << way;
        EXPECT_FALSE(h.main->isEnabled()) << way;
        EXPECT_TRUE(box->isEnabled()) << way; // the box itself answers

        closeIt(*h.main, box);
        ShellHarness::flushDeletes();
        EXPECT_TRUE(h.main->isEnabled()) << way;
        EXPECT_TRUE(box.isNull()) << way;
        EXPECT_EQ(h.main->aboutBox(), nullptr) << way;
    }
}

TEST(AboutBox, ClosesTheOpenWindowsAndOpensOnlyOnce) {
    ShellHarness h;
    h.main->open(WindowId::frmPort);
    h.log.clear();
    h.main->showAbout();
    QWidget* first = h.main->aboutBox();
    h.main->showAbout();
    EXPECT_EQ(h.main->aboutBox(), first);
    EXPECT_EQ(h.log, QStringList{QStringLiteral("close frmPort")});
    h.main->closeAbout();
    EXPECT_TRUE(h.main->isEnabled());
}
