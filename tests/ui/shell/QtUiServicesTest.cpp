#include "ui/shell/QtUiServices.h"
#include "ui/shell/QtTranslations.h"
#include "ui/widgets/Pictures.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QTranslator>
#include <gtest/gtest.h>

TEST(QtUiServices, FileFiltersAreTranslatedToQtsForm) {
    const std::pair<const char*, const char*> cases[] = {
        {"Sauvegarde QLV 40 (*.qlv)|*.qlv", "Sauvegarde QLV 40 (*.qlv)"},
        {"Texte|*.txt", "Texte (*.txt)"},
        {"Textes|*.txt;*.csv", "Textes (*.txt *.csv)"},
        {"A (*.a)|*.a|B|*.b", "A (*.a);;B (*.b)"},
        {"Tous|", "Tous (*)"},
        {"|*.qlv", "(*.qlv)"},
        {"", ""},
    };
    for (const auto& [filter, expected] : cases)
        EXPECT_EQ(QtUiServices::qtFileFilter(QString::fromLatin1(filter)), QString::fromLatin1(expected))
            << filter;
}

TEST(QtUiServices, BusyCursorIsSetOnceAndRemovedOnce) {
    QtUiServices ui;
    ui.setBusyCursor(true);
    ui.setBusyCursor(true);
    ASSERT_NE(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
    ui.setBusyCursor(false);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    ui.setBusyCursor(false);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST(QtUiServices, AMessageStaysAnswerableWhenItsWindowIsDisabled) {
    QWidget parent;
    parent.show();
    parent.setEnabled(false); // as during the splash or the about box
    QtUiServices ui;
    ui.setParentWindow(&parent);
    ui.setBusyCursor(true);

    bool seen = false;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        seen = true;
        EXPECT_TRUE(box->isEnabled());
        EXPECT_EQ(box->icon(), QMessageBox::Critical);
        EXPECT_EQ(box->windowTitle(), QStringLiteral("Erreur de transmission (Erreur 01)"));
        EXPECT_EQ(box->text(), QStringLiteral("Erreur 01"));
        EXPECT_EQ(QApplication::overrideCursor(), nullptr); // the hourglass gives way to the box
        box->accept();
    });
    ui.message(MessageIcon::Critical, QStringLiteral("Erreur de transmission (Erreur 01)"),
               QStringLiteral("Erreur 01"));
    EXPECT_TRUE(seen);
    ASSERT_NE(QApplication::overrideCursor(), nullptr); // and comes back after it
    ui.setBusyCursor(false);
}

TEST(Pictures, AMissingPictureGivesAnEmptyPictureAndEveryNamedPictureIsInstalled) {
    EXPECT_TRUE(loadPicture(QStringLiteral("Absent.bmp")).isNull());
    for (const char* name : {"Logo Vorl.bmp", "QLV 30-2 Back.bmp", "Ok.bmp", "New Graphique.bmp",
                             "Zoom Leq 1.bmp", "Zoom Leq 10.bmp", "No Zoom Leq 1.bmp", "No Zoom Leq 10.bmp",
                             "Print.bmp", "New Tableau.bmp", "Exit.jpg"})
        EXPECT_FALSE(loadPicture(QString::fromLatin1(name)).isNull()) << name;
}

namespace {
// Answers the next file dialog with a typed name, as a user would, once it is shown.
void answerFileDialog(const QString& typed) {
    QTimer::singleShot(0, [typed] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (!dialog) return answerFileDialog(typed); // not shown yet
        if (typed.isNull()) return dialog->reject();
        dialog->selectFile(typed);
        static_cast<QDialog*>(dialog)->accept(); // QFileDialog hides it; the dialog still checks the name
    });
}
} // namespace

TEST(QtUiServices, SaveDialogGivesTheNameTheWriterWillUse) {
    EXPECT_EQ(QtUiServices::defaultSuffix(QStringLiteral("Sauvegarde QLV 40 (*.qlv)|*.qlv")),
              QStringLiteral("qlv"));
    EXPECT_EQ(QtUiServices::defaultSuffix(QStringLiteral("Tous|*")), QString());
    EXPECT_EQ(QtUiServices::defaultSuffix(QStringLiteral("Tous")), QString());

    QTemporaryDir dir;
    const QString filter = QStringLiteral("Sauvegarde QLV 40 (*.qlv)|*.qlv");
    QtUiServices ui;
    struct Case {
        QString typed;
        std::optional<QString> chosen;
    } cases[] = {
        {dir.filePath(QStringLiteral("Données QLV 40 du 05 Mars 2009 au 12 Mars 2009")),
         dir.filePath(QStringLiteral("Données QLV 40 du 05 Mars 2009 au 12 Mars 2009.qlv"))},
        {dir.filePath(QStringLiteral("chantier.qlv")), dir.filePath(QStringLiteral("chantier.qlv"))},
        {QString(), std::nullopt}, // cancelled
    };
    for (const Case& c : cases) {
        answerFileDialog(c.typed);
        EXPECT_EQ(ui.saveFileName(QStringLiteral("Données QLV 40 du 05 Mars 2009 au 12 Mars 2009"), filter),
                  c.chosen)
            << c.typed.toStdString();
    }
}

TEST(QtUiServices, StandardDialogButtonsSpeakFrench) {
    ASSERT_TRUE(installQtFrenchTranslations(*QCoreApplication::instance()));
    QMessageBox box(QMessageBox::Question, QStringLiteral("t"), QStringLiteral("x"),
                    QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    const QString cancel = box.button(QMessageBox::Cancel)->text();
    QString yes = box.button(QMessageBox::Yes)->text();
    const QString folderKind = QFileIconProvider().type(QFileInfo(QDir::tempPath()));
    for (QTranslator* translator : QCoreApplication::instance()->findChildren<QTranslator*>()) {
        QCoreApplication::removeTranslator(translator);
        delete translator;
    }
    EXPECT_EQ(cancel, QStringLiteral("Annuler"));
    EXPECT_EQ(yes.remove(QLatin1Char('&')), QStringLiteral("Oui"));
    EXPECT_EQ(folderKind, QStringLiteral("Dossier")); // the kind column of the file dialogs
}
