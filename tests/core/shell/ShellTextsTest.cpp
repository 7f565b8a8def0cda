#include "core/shell/ShellTexts.h"

#include <gtest/gtest.h>

TEST(AboutTexts, AppendedTextsArePrecededByLineFeedThenCarriageReturn) {
    const AboutTexts t = BuildAboutTexts();
    const QString br = QStringLiteral("\n\r");
    EXPECT_EQ(
        t.lblDescription,
        QStringLiteral("*  Description de l'application :") + br +
            QStringLiteral("Ce logiciel est un logiciel d'analyse des données enregistrées par le QLV 40.") +
            br +
            QStringLiteral("Ces données peuvent être récupérées sous forme de tableau, de graphique ou être "
                           "sauvegardées."));
    EXPECT_EQ(t.Label_System_Exploitation, QStringLiteral("*  Systèmes d'exploitation :") + br +
                                               QStringLiteral("    _ Windows 2000.") + br +
                                               QStringLiteral("    _ Windows XP."));
    EXPECT_EQ(t.Label_Resolution, QStringLiteral("*  Résolutions compatibles :") + br +
                                      QStringLiteral("    _ 800 x 600.") + br +
                                      QStringLiteral("    _ 1024 x 768.") + br +
                                      QStringLiteral("    _ 1152 x 864 ou +  (Recommandé)."));
    // The last sentence of the firmware list is set apart by an empty line: two pairs.
    EXPECT_EQ(t.Label_FirmWare,
              QStringLiteral("*  Compatibilté Firmware QLV 40 :") + br +
                  QStringLiteral("    _ Version 3.2 ( Liaison Série + Adaptateur USB VORL).") + br +
                  QStringLiteral("    _ Version 5.X ( Liaison Série + Adaptateur USB VORL ).") + br + br +
                  QStringLiteral(
                      "*  Toutes les sauvegardes des différentes versions de Firmware de QLV 40 ci-dessus "
                      "sont compatibles avec ce logiciel."));
    EXPECT_EQ(t.lblTitle, QStringLiteral("LOGICIEL D'ANALYSE DES DONNEES DU QLV 40"));
    EXPECT_EQ(t.lblVersion, QStringLiteral("Version 5.6"));
    EXPECT_EQ(t.Label_Version, QStringLiteral("Version : 11092009"));
    EXPECT_EQ(t.cmdOK, QStringLiteral("Ok"));
}

TEST(NormaliseLineBreaks, EveryKindOfBreakBecomesOneLineFeed) {
    const std::pair<const char*, const char*> cases[] = {
        {"a\n\rb", "a\nb"},
        {"a\r\nb", "a\nb"},
        {"a\nb", "a\nb"},
        {"a\rb", "a\nb"},
        {"a\n\r\n\rb", "a\n\nb"},
        {"a\r\n\r\nb", "a\n\nb"},
        {"a\n\nb", "a\n\nb"},
        {"a\r\rb", "a\n\nb"},
        {"\n\r", "\n"},
        {"a\n\r", "a\n"},
        {"", ""},
        {"plain", "plain"},
    };
    for (const auto& [in, out] : cases)
        EXPECT_EQ(NormaliseLineBreaks(QString::fromLatin1(in)), QString::fromLatin1(out)) << in;
}
