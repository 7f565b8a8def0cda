#include "ui/shell/QtTranslations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

bool installQtFrenchTranslations(QCoreApplication& app) {
    // qtbase_fr holds the texts of QtWidgets and QtPrintSupport; the translator lives as long as the
    // application because Qt keeps only a pointer to it.
    auto* translator = new QTranslator(&app);
    if (!translator->load(QStringLiteral("qtbase_fr"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    return QCoreApplication::installTranslator(translator);
}
