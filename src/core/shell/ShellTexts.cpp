#include "core/shell/ShellTexts.h"

#include <QStringList>
#include <initializer_list>

QString MainCaption() {
    return QStringLiteral("VORL Analyser - QLV 40 - Version 5.6");
}
QString SplashTitle() {
    return QStringLiteral("VORL Analyser");
}
QString SplashProductName() {
    return QStringLiteral("QLV 40 - Version 5.6");
}

QString AboutLineBreak() {
    return QStringLiteral("\n\r");
}

namespace {
// The first text replaces the label's caption; every further one is appended after a line break.
QString joinAppended(std::initializer_list<QString> texts) {
    QString caption;
    bool first = true;
    for (const QString& text : texts) {
        if (!first) caption += AboutLineBreak();
        caption += text;
        first = false;
    }
    return caption;
}
} // namespace

AboutTexts BuildAboutTexts() {
    AboutTexts texts;
    texts.lblTitle = QStringLiteral("LOGICIEL D'ANALYSE DES DONNEES DU QLV 40");
    texts.lblVersion = QStringLiteral("Version 5.6");
    texts.Label_Version = QStringLiteral("Version : 11092009");
    texts.cmdOK = QStringLiteral("Ok");

    texts.lblDescription = joinAppended({
        QStringLiteral("*  Description de l'application :"),
        QStringLiteral("Ce logiciel est un logiciel d'analyse des données enregistrées par le QLV 40."),
        QStringLiteral("Ces données peuvent être récupérées sous forme de tableau, de graphique ou être "
                       "sauvegardées."),
    });
    texts.Label_System_Exploitation = joinAppended({
        QStringLiteral("*  Systèmes d'exploitation :"),
        QStringLiteral("    _ Windows 2000."),
        QStringLiteral("    _ Windows XP."),
    });
    texts.Label_Resolution = joinAppended({
        QStringLiteral("*  Résolutions compatibles :"),
        QStringLiteral("    _ 800 x 600."),
        QStringLiteral("    _ 1024 x 768."),
        QStringLiteral("    _ 1152 x 864 ou +  (Recommandé)."),
    });
    // The closing sentence stands apart from the version list: an empty line before it.
    texts.Label_FirmWare = joinAppended({
                               QStringLiteral("*  Compatibilté Firmware QLV 40 :"),
                               QStringLiteral("    _ Version 3.2 ( Liaison Série + Adaptateur USB VORL)."),
                               QStringLiteral("    _ Version 5.X ( Liaison Série + Adaptateur USB VORL )."),
                           }) +
                           AboutLineBreak() + AboutLineBreak() +
                           QStringLiteral("*  Toutes les sauvegardes des différentes versions de Firmware de "
                                          "QLV 40 ci-dessus sont compatibles avec ce logiciel.");
    return texts;
}

QString NormaliseLineBreaks(const QString& text) {
    QString result;
    result.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c != QLatin1Char('\n') && c != QLatin1Char('\r')) {
            result += c;
            continue;
        }
        result += QLatin1Char('\n');
        // The other character of a two-character break belongs to the same break.
        const QChar partner = c == QLatin1Char('\n') ? QLatin1Char('\r') : QLatin1Char('\n');
        if (i + 1 < text.size() && text.at(i + 1) == partner) ++i;
    }
    return result;
}
