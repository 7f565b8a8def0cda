#include "ShellHarness.h"

#include <QMdiArea>
#include <QMdiSubWindow>
#include <gtest/gtest.h>

namespace {
QMdiArea* area(FrmMain& main) {
    return main.findChild<QMdiArea*>();
}
int frames(FrmMain& main) {
    ShellHarness::flushDeletes();
    return static_cast<int>(area(main)->subWindowList().size());
}
} // namespace

TEST(Housekeeping, ClosesExactlyTheOpenWindowsInListOrder) {
    ShellHarness h;
    // Opened in an order different from the list; frmInTableau opens and closes before.
    for (WindowId id : {WindowId::frmInGraphique_v5, WindowId::frmWait, WindowId::frmInTableau,
                        WindowId::frmTableau_Leq, WindowId::frmData_Type})
        h.main->open(id);
    h.main->window(WindowId::frmInTableau)->close();
    h.log.clear();
    EXPECT_EQ(frames(*h.main), 4);

    h.main->closeOpenWindows();

    EXPECT_EQ(h.log, (QStringList{"close frmData_Type", "close frmTableau_Leq", "close frmWait",
                                  "close frmInGraphique_v5"}));
    for (WindowId id : kClosableWindows) {
        EXPECT_EQ(openFlag(h.store, id), kFalse) << windowName(id);
        EXPECT_EQ(h.main->window(id), nullptr) << windowName(id);
    }
    EXPECT_EQ(frames(*h.main), 0);
}

TEST(Housekeeping, AWindowThatClosesItselfLeavesNoFrameAndOpensAgain) {
    ShellHarness h;
    h.main->open(WindowId::frmPort);
    QWidget* first = h.main->window(WindowId::frmPort);
    ASSERT_NE(first, nullptr);
    first->close(); // "Annuler"
    EXPECT_EQ(h.main->window(WindowId::frmPort), nullptr);
    EXPECT_EQ(frames(*h.main), 0);

    h.main->open(WindowId::frmPort);
    EXPECT_NE(h.main->window(WindowId::frmPort), nullptr);
    EXPECT_EQ(frames(*h.main), 1);
    EXPECT_EQ(h.log, (QStringList{"open frmPort", "close frmPort", "open frmPort"}));
}

TEST(Housekeeping, OpeningAnOpenWindowUnloadsTheOldOneFirst) {
    ShellHarness h;
    h.main->open(WindowId::frmData_Type);
    QPointer<QWidget> old = h.main->window(WindowId::frmData_Type);
    h.main->open(WindowId::frmData_Type);
    EXPECT_EQ(h.log, (QStringList{"open frmData_Type", "close frmData_Type", "open frmData_Type"}));
    EXPECT_NE(h.main->window(WindowId::frmData_Type), old.data());
    EXPECT_EQ(frames(*h.main), 1);
    EXPECT_TRUE(old.isNull());
}

TEST(Housekeeping, AFlagWithoutAWindowIsClearedAndAWindowClosedInItsLoadIsNotShown) {
    ShellHarness h;
    h.store.Open_frmWait_Save = kTrue; // set by a window the main window never opened
    h.main->closeOpenWindows();
    EXPECT_EQ(h.store.Open_frmWait_Save, kFalse);

    h.main->setWindowFactory([&](WindowId id, AppContext&) -> QWidget* {
        auto* w = new RecordingWindow(id, h.store, h.log);
        w->close(); // a load that gives up at once
        return w;
    });
    h.main->open(WindowId::frmTableau_Leq);
    EXPECT_EQ(h.main->window(WindowId::frmTableau_Leq), nullptr);
    EXPECT_EQ(frames(*h.main), 0);
}

TEST(Housekeeping, AWindowHiddenByItsOwnCodeTakesItsFrameAlong) {
    ShellHarness h;
    h.main->show();
    h.main->open(WindowId::frmData_Type);
    QWidget* dialog = h.main->window(WindowId::frmData_Type);
    auto* frame = qobject_cast<QMdiSubWindow*>(dialog->parentWidget());
    ASSERT_NE(frame, nullptr);

    dialog->hide(); // hidden during a transfer
    EXPECT_TRUE(frame->isHidden());
    EXPECT_EQ(h.main->window(WindowId::frmData_Type), dialog); // still loaded
    dialog->show();
    EXPECT_FALSE(frame->isHidden());

    frame->showMinimized(); // the frame's own minimise keeps the frame
    EXPECT_FALSE(frame->isHidden());
}

TEST(Housekeeping, ProgramWindowsAndPlaceholdersKeepTheirFlags) {
    ShellHarness h(/*recordingWindows=*/false);
    h.main->open(WindowId::frmPort);
    EXPECT_EQ(h.store.Open_frmPort, kTrue);
    h.main->open(WindowId::frmWait); // a progress window leaves the others open
    EXPECT_EQ(h.store.Open_frmPort, kTrue);
    h.main->open(WindowId::frmData_Type); // any other window closes them first
    EXPECT_EQ(h.store.Open_frmPort, kFalse);
    EXPECT_EQ(h.store.Open_frmWait, kFalse);
    EXPECT_EQ(h.store.Open_frmData_Type, kTrue);
    h.main->window(WindowId::frmData_Type)->close();
    EXPECT_EQ(h.store.Open_frmData_Type, kFalse);
    EXPECT_EQ(frames(*h.main), 0);
}
