#pragma once

#include <QDateEdit>

// A date picker that keeps its display format ("dd MMMM yyyy", "dddd dd MMMM yyyy" …) and also takes
// a date typed as digits: DD/MM/YYYY, or D/M, or just the day, the missing parts taken from the date
// shown. The digits stay as typed until the date is complete, Return, Tab or the focus leaving; a
// typed text that is no date (31/02) puts the shown date back. Escape gives up the typing. Its
// calendar pop-up shows every row of weeks whole.
class TypedDateEdit : public QDateEdit {
    Q_OBJECT
public:
    explicit TypedDateEdit(QWidget* parent = nullptr);

    // The date a typed text names, counted from base for the parts left out; null when none.
    static QDate dateFromTyped(const QString& typed, const QDate& base);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    QValidator::State validate(QString& text, int& pos) const override;

private:
    void showTyped();
    void finishTyping(bool apply);

    bool m_typing = false;
    QString m_typed;
};
