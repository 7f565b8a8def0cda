#include "ui/widgets/TypedDateEdit.h"

#include <QLineEdit>
#include <QTest>
#include <gtest/gtest.h>

// Digits typed into a picker give that date whatever the display format; anything else leaves the date.
TEST(TypedDateEdit, TypedDigitsGiveTheDateInEveryDisplayFormat) {
    const QDate shown(2026, 10, 18);
    struct Case {
        const char* keys;
        Qt::Key finish; // pressed after the keys; Key_unknown: none
        QDate expected;
    } cases[] = {
        {"12/10/2026", Qt::Key_unknown, QDate(2026, 10, 12)},
        {"1/2/2027", Qt::Key_Return, QDate(2027, 2, 1)},
        {"03/04", Qt::Key_Tab, QDate(2026, 4, 3)},
        {"7", Qt::Key_Return, QDate(2026, 10, 7)},
        {"31/02/2026", Qt::Key_unknown, shown},
        {"12/10/20", Qt::Key_Escape, shown},
        {"45", Qt::Key_Return, shown},
        {"01/01/1999", Qt::Key_unknown, shown}, // before the device's century
    };
    for (const char* format : {"dd MMMM yyyy", "dddd dd MMMM yyyy"}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(::testing::Message() << format << " " << c.keys);
            TypedDateEdit picker;
            picker.setLocale(QLocale(QLocale::French, QLocale::France));
            picker.setDisplayFormat(QString::fromLatin1(format));
            picker.setDateRange(QDate(2000, 1, 1), QDate(2099, 12, 31));
            picker.setDate(shown);
            QTest::keyClicks(&picker, QString::fromLatin1(c.keys));
            if (c.finish != Qt::Key_unknown) QTest::keyClick(&picker, c.finish);
            EXPECT_EQ(picker.date(), c.expected);
            if (c.finish != Qt::Key_unknown || c.expected != shown) {
                EXPECT_EQ(picker.text(), picker.locale().toString(c.expected, QString::fromLatin1(format)));
            }
        }
    }
}
