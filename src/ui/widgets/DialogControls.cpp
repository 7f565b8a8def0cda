#include "ui/widgets/DialogControls.h"

#include "core/tables/DataSpan.h"

#include <QAbstractButton>
#include <QCalendarWidget>
#include <QDateEdit>
#include <QKeyEvent>
#include <QLabel>
#include <QPointer>
#include <QTextCharFormat>

namespace {

class DialogKeys : public QObject {
public:
    DialogKeys(QWidget* dialog, QAbstractButton* ok, QAbstractButton* cancel)
        : QObject(dialog), m_ok(ok), m_cancel(cancel) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::KeyPress) return QObject::eventFilter(watched, event);
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->modifiers() & ~(Qt::KeypadModifier | Qt::ShiftModifier))
            return QObject::eventFilter(watched, event);
        QPointer<QAbstractButton> target;
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) target = m_ok;
        if (key->key() == Qt::Key_Escape) target = m_cancel;
        if (!target) return QObject::eventFilter(watched, event);
        event->accept();
        if (target->isEnabled()) target->click(); // may close the dialog
        return true;
    }

private:
    QPointer<QAbstractButton> m_ok;
    QPointer<QAbstractButton> m_cancel;
};

} // namespace

void InstallDialogKeys(QWidget* dialog, QAbstractButton* ok, QAbstractButton* cancel) {
    dialog->installEventFilter(new DialogKeys(dialog, ok, cancel));
}

void ShowDataSpan(const DataSpan& span, QLabel* label, std::initializer_list<QDateEdit*> pickers) {
    label->setText(DataSpanText(span));
    label->setVisible(!span.isEmpty());
    QTextCharFormat bold;
    bold.setFontWeight(QFont::Bold);
    for (QDateEdit* picker : pickers)
        for (const QDate& day : span.days)
            picker->calendarWidget()->setDateTextFormat(day, bold);
}
