#include "ui/widgets/TypedDateEdit.h"

#include <QCalendarWidget>
#include <QKeyEvent>
#include <QLineEdit>
#include <QRegularExpression>

namespace {
constexpr int kLongestTyped = 10; // DD/MM/YYYY

bool isTypedCharacter(const QKeyEvent* event) {
    if (event->modifiers() & ~(Qt::ShiftModifier | Qt::KeypadModifier)) return false;
    const QString text = event->text();
    return text.size() == 1 && (text.at(0).isDigit() || text.at(0) == QLatin1Char('/'));
}
} // namespace

TypedDateEdit::TypedDateEdit(QWidget* parent) : QDateEdit(parent) {
    setCalendarPopup(true);
    // The pop-up is sized to the calendar's own hint, which leaves the sixth row of weeks touching
    // (with bold days, cut by) its lower edge: half a line more.
    QCalendarWidget* calendar = calendarWidget();
    calendar->setMinimumHeight(calendar->sizeHint().height() + calendar->fontMetrics().height() / 2);
}

QDate TypedDateEdit::dateFromTyped(const QString& typed, const QDate& base) {
    static const QRegularExpression form(QStringLiteral("^(\\d{1,2})(?:/(\\d{1,2})(?:/(\\d{4}))?)?/?$"));
    const QRegularExpressionMatch match = form.match(typed);
    if (!match.hasMatch() || !base.isValid()) return {};
    const int day = match.captured(1).toInt();
    const int month = match.captured(2).isEmpty() ? base.month() : match.captured(2).toInt();
    const int year = match.captured(3).isEmpty() ? base.year() : match.captured(3).toInt();
    return QDate(year, month, day); // invalid for 31/02 or a month 13
}

void TypedDateEdit::showTyped() {
    lineEdit()->setText(m_typed);
    lineEdit()->setCursorPosition(int(m_typed.size()));
}

void TypedDateEdit::finishTyping(bool apply) {
    if (!m_typing) return;
    m_typing = false;
    const QDate typed = apply ? dateFromTyped(m_typed, date()) : QDate();
    m_typed.clear();
    if (typed.isValid() && typed >= minimumDate() && typed <= maximumDate() && typed != date()) {
        setDate(typed);
    } else {
        // The shown date again, in the display format.
        lineEdit()->setText(textFromDateTime(dateTime()));
    }
    setSelectedSection(QDateTimeEdit::DaySection);
}

void TypedDateEdit::keyPressEvent(QKeyEvent* event) {
    if (isTypedCharacter(event)) {
        if (!m_typing) {
            m_typing = true;
            m_typed.clear();
        }
        if (m_typed.size() < kLongestTyped) m_typed += event->text();
        showTyped();
        static const QRegularExpression complete(QStringLiteral("^\\d{1,2}/\\d{1,2}/\\d{4}$"));
        if (complete.match(m_typed).hasMatch()) finishTyping(true);
        event->accept();
        return;
    }
    if (m_typing) {
        switch (event->key()) {
        case Qt::Key_Backspace:
            m_typed.chop(1);
            if (m_typed.isEmpty())
                finishTyping(false);
            else
                showTyped();
            event->accept();
            return;
        case Qt::Key_Escape:
            finishTyping(false);
            break;
        default:
            finishTyping(true);
            break;
        }
    }
    QDateEdit::keyPressEvent(event);
}

void TypedDateEdit::focusOutEvent(QFocusEvent* event) {
    finishTyping(true);
    QDateEdit::focusOutEvent(event);
}

QValidator::State TypedDateEdit::validate(QString& text, int& pos) const {
    // While digits are being typed the text is ours, not the display format's.
    if (m_typing) return QValidator::Intermediate;
    return QDateEdit::validate(text, pos);
}
