#include "support/FakeWindowHost.h"
#include "ui/app/FrmDataType.h"
#include "ui/graphs/FrmInGraphique.h"
#include "ui/tables/FrmInTableau.h"

#include <QTest>
#include <gtest/gtest.h>

// Return acts as Ok and Escape as Annuler in every dialog window, whichever control has the focus.
TEST(DialogKeys, ReturnPressesOkAndEscapeCancels) {
    struct Case {
        WindowId dialog;
        QWidget* (*create)(AppContext&);
        const char* focused; // the control that receives the key
        WindowId next;       // what Ok opens
    } cases[] = {
        {WindowId::frmData_Type, createFrmDataType, "Option_Last_Data", WindowId::frmInTableau},
        {WindowId::frmData_Type, createFrmDataType, "Cmd_Search", WindowId::frmInTableau},
        {WindowId::frmInTableau, createFrmInTableau, "DTP_Jour_End", WindowId::frmTableau_Leq_V5},
        {WindowId::frmInGraphique, createFrmInGraphique, "DTPicker1", WindowId::frmGraphique_Leq},
        {WindowId::frmInGraphique_v5, createFrmInGraphiqueV5, "Option_3_Jours", WindowId::frmGraphique_Leq},
    };
    for (const Case& c : cases) {
        for (Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape}) {
            SCOPED_TRACE(::testing::Message() << windowName(c.dialog) << " " << c.focused << " " << key);
            FakeAppContext app;
            app.store.Requested_View = QStringLiteral("Tableau Leq");
            app.store.Data_Loaded = kTrue;
            app.store.Graph_Days_Text = QStringLiteral("1");
            app.store.Day_Level_Text = app.store.Night_Level_Text = QStringLiteral("95");
            app.store.Day_Night_Hour_Text = app.store.Night_Day_Hour_Text = QStringLiteral("7");
            app.windows.factories[c.dialog] = [&] { return c.create(app.ctx); };
            app.windows.open(c.dialog);
            QWidget* focused =
                app.windows.window(c.dialog)->findChild<QWidget*>(QString::fromLatin1(c.focused));
            ASSERT_NE(focused, nullptr);

            QTest::keyClick(focused, key);

            const bool ok = key != Qt::Key_Escape;
            EXPECT_FALSE(isTrue(openFlag(app.store, c.dialog)));
            EXPECT_EQ(isTrue(openFlag(app.store, c.next)), ok);
            EXPECT_TRUE(app.ui.messages.empty());
        }
    }
}

// A disabled Ok ignores Return: the data-source dialog with nothing chosen stays open.
TEST(DialogKeys, DisabledOkIgnoresReturn) {
    FakeAppContext app;
    app.store.Com_Port = 3; // a port but no data: no option is selected
    app.windows.factories[WindowId::frmData_Type] = [&] { return createFrmDataType(app.ctx); };
    app.windows.open(WindowId::frmData_Type);
    QTest::keyClick(app.windows.window(WindowId::frmData_Type), Qt::Key_Return);
    EXPECT_TRUE(isTrue(app.store.Open_frmData_Type));
    EXPECT_EQ(app.windows.opened.size(), 1u);
}
