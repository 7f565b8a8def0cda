#include "ui/shell/QtTranslations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace {
// The few words of Qt's file dialogs that its French catalogue lacks (the kind column of a folder …).
class MissingQtWords : public QTranslator {
public:
    using QTranslator::QTranslator;
    bool isEmpty() const override { return false; }
    QString translate(const char* context, const char* source, const char* /*disambiguation*/,
                      int /*n*/) const override {
        if (qstrcmp(context, "QAbstractFileIconProvider") != 0 && qstrcmp(context, "QFileDialog") != 0)
            return {};
        static const struct {
            const char* english;
            const char* french;
        } words[] = {{"Folder", "Dossier"},     {"Drive", "Lecteur"},      {"File", "Fichier"},
                     {"%1 File", "Fichier %1"}, {"Shortcut", "Raccourci"}, {"Alias", "Alias"}};
        for (const auto& word : words)
            if (qstrcmp(source, word.english) == 0) return QString::fromUtf8(word.french);
        return {};
    }
};
} // namespace

bool installQtFrenchTranslations(QCoreApplication& app) {
    // qtbase_fr holds the texts of QtWidgets and QtPrintSupport; the translator lives as long as the
    // application because Qt keeps only a pointer to it.
    auto* translator = new QTranslator(&app);
    if (!translator->load(QStringLiteral("qtbase_fr"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    // Installed last, asked first: it answers only the words the catalogue is missing.
    return QCoreApplication::installTranslator(translator) &&
           QCoreApplication::installTranslator(new MissingQtWords(&app));
}
