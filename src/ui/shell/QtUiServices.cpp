#include "ui/shell/QtUiServices.h"

#include <QApplication>
#include <QFileDialog>
#include <QHeaderView>
#include <QMessageBox>
#include <QPushButton>
#include <QStringList>
#include <QTreeView>

namespace {
QMessageBox::Icon boxIcon(MessageIcon icon) {
    switch (icon) {
    case MessageIcon::Critical:
        return QMessageBox::Critical;
    case MessageIcon::Warning:
        return QMessageBox::Warning;
    case MessageIcon::Information:
        return QMessageBox::Information;
    case MessageIcon::None:
        return QMessageBox::NoIcon;
    }
    return QMessageBox::NoIcon;
}
} // namespace

QWidget* QtUiServices::dialogParent() const {
    // A dialog whose parent is disabled would be disabled with it and could never be answered.
    return m_parent && m_parent->isEnabled() ? m_parent.data() : nullptr;
}

void QtUiServices::message(MessageIcon icon, const QString& title, const QString& text) {
    // A box must be answerable even while a long operation shows the hourglass.
    const bool wasBusy = m_busy;
    if (wasBusy) setBusyCursor(false);
    QMessageBox box(boxIcon(icon), title, text, QMessageBox::Ok, dialogParent());
    box.exec();
    if (wasBusy) setBusyCursor(true);
}

bool QtUiServices::question(const QString& title, const QString& text) {
    const bool wasBusy = m_busy;
    if (wasBusy) setBusyCursor(false);
    QMessageBox box(QMessageBox::Question, title, text, QMessageBox::NoButton, dialogParent());
    QPushButton* yes = box.addButton(QStringLiteral("Oui"), QMessageBox::YesRole);
    QPushButton* no = box.addButton(QStringLiteral("Non"), QMessageBox::NoRole);
    // Return and Escape both answer "Non": replacing a file or leaving needs a deliberate "Oui".
    box.setDefaultButton(no);
    box.setEscapeButton(no);
    box.exec();
    if (wasBusy) setBusyCursor(true);
    return box.clickedButton() == yes;
}

QString QtUiServices::qtFileFilter(const QString& filter) {
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList entries;
    for (qsizetype i = 0; i < parts.size(); i += 2) {
        const QString description = parts.at(i).trimmed();
        if (i + 1 >= parts.size()) {
            if (!description.isEmpty()) entries << description;
            break;
        }
        QString patterns = parts.at(i + 1).trimmed();
        patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        patterns = patterns.simplified();
        if (patterns.isEmpty()) patterns = QStringLiteral("*");
        const QString shown = QLatin1Char('(') + patterns + QLatin1Char(')');
        // Qt reads the patterns from the parentheses of the description: add them when missing.
        if (description.endsWith(shown))
            entries << description;
        else if (description.isEmpty())
            entries << shown;
        else
            entries << description + QLatin1String(" (") + patterns + QLatin1Char(')');
    }
    return entries.join(QLatin1String(";;"));
}

void QtUiServices::prepareFileDialog(QFileDialog& dialog) {
    // The detail view, wide enough that names, sizes and dates are read whole, not elided.
    dialog.setViewMode(QFileDialog::Detail);
    dialog.resize(860, 520);
    if (auto* view = dialog.findChild<QTreeView*>(QStringLiteral("treeView"))) {
        QHeaderView* header = view->header();
        header->setStretchLastSection(false);
        header->setSectionResizeMode(QHeaderView::ResizeToContents);
        header->setSectionResizeMode(0, QHeaderView::Stretch);
    }
}

std::optional<QString> QtUiServices::openFileName(const QString& fileName, const QString& filter) {
    // The name given is where the dialog opens: a folder, or a file to preselect.
    QFileDialog dialog(dialogParent(), QString(), fileName, qtFileFilter(filter));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    prepareFileDialog(dialog);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    const QStringList chosen = dialog.selectedFiles();
    if (chosen.isEmpty() || chosen.first().isEmpty()) return std::nullopt;
    return chosen.first();
}

QString QtUiServices::defaultSuffix(const QString& filter) {
    const QStringList parts = filter.split(QLatin1Char('|'));
    if (parts.size() < 2) return {};
    const QString pattern = parts.at(1).split(QLatin1Char(';')).first().trimmed();
    if (!pattern.startsWith(QLatin1String("*.")) || pattern.size() < 3 ||
        pattern.indexOf(QLatin1Char('*'), 2) >= 0)
        return {};
    return pattern.mid(2);
}

std::optional<QString> QtUiServices::saveFileName(const QString& fileName, const QString& filter) {
    // The name typed without extension gets the filter's one in the dialog itself, so that the dialog
    // asks before replacing the file that will really be written ("x" is saved as "x.qlv").
    QFileDialog dialog(dialogParent(), QString(), QString(), qtFileFilter(filter));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(defaultSuffix(filter));
    prepareFileDialog(dialog);
    if (!fileName.isEmpty()) dialog.selectFile(fileName);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    const QStringList chosen = dialog.selectedFiles();
    if (chosen.isEmpty() || chosen.first().isEmpty()) return std::nullopt;
    return chosen.first();
}

void QtUiServices::setBusyCursor(bool busy) {
    if (busy == m_busy) return;
    m_busy = busy;
    if (busy)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
}
