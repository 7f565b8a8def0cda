#include "ui/shell/QtUiServices.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QStringList>

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

std::optional<QString> QtUiServices::openFileName(const QString& fileName, const QString& filter) {
    const QString chosen =
        QFileDialog::getOpenFileName(dialogParent(), QString(), fileName, qtFileFilter(filter));
    if (chosen.isEmpty()) return std::nullopt;
    return chosen;
}

std::optional<QString> QtUiServices::saveFileName(const QString& fileName, const QString& filter) {
    const QString chosen =
        QFileDialog::getSaveFileName(dialogParent(), QString(), fileName, qtFileFilter(filter));
    if (chosen.isEmpty()) return std::nullopt;
    return chosen;
}

void QtUiServices::setBusyCursor(bool busy) {
    if (busy == m_busy) return;
    m_busy = busy;
    if (busy)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
}
