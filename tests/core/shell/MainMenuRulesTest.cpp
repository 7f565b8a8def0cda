#include "core/shell/MainMenuRules.h"
#include "support/Fakes.h"

#include <gtest/gtest.h>

TEST(PrepareAnalysisCommand, RecordsTheViewOnlyAfterTheWindowsAreClosed) {
    // A window's close logic still sees the view it was opened for.
    const AnalysisCommand commands[] = {AnalysisCommand::mnuGraphique, AnalysisCommand::mnuTab_Leq,
                                        AnalysisCommand::mnuEvenements, AnalysisCommand::mnuParametres};
    for (AnalysisCommand command : commands) {
        DataStore store;
        store.Requested_View = QStringLiteral("Tableau Leq");
        store.Open_frmTableau_Leq = kTrue;
        store.Open_frmInTableau = kTrue;
        FakeWindowCloser closer(store);
        QStringList seen;
        struct Observer : WindowCloser {
            FakeWindowCloser& inner;
            const DataStore& store;
            QStringList& seen;
            Observer(FakeWindowCloser& i, const DataStore& s, QStringList& v) : inner(i), store(s), seen(v) {}
            void unloadWindow(WindowId id) override {
                seen << store.Requested_View;
                inner.unloadWindow(id);
            }
        } observer(closer, store, seen);

        PrepareAnalysisCommand(store, observer, command);

        EXPECT_EQ(seen, QStringList(2, QStringLiteral("Tableau Leq")));
        EXPECT_EQ(closer.closed, (std::vector<WindowId>{WindowId::frmInTableau, WindowId::frmTableau_Leq}));
        EXPECT_EQ(store.Requested_View, RequestedViewOf(command));
    }
}

TEST(PrepareQuit, RaisesTheAbortFlagAndClosesEveryOpenWindow) {
    DataStore store;
    store.Transfer_Step = 4;
    store.Open_frmWait = kTrue;
    store.Open_frmData_Type = kTrue;
    FakeWindowCloser closer(store);
    PrepareQuit(store, closer);
    EXPECT_EQ(store.Abort_Flag, kTrue);
    EXPECT_EQ(store.Transfer_Step, 0);
    EXPECT_EQ(closer.closed, (std::vector<WindowId>{WindowId::frmData_Type, WindowId::frmWait}));
}

TEST(WaitWindowChangeOn, OnlyMinimiseAndMaximiseMoveAnOpenTransferWindow) {
    struct Case {
        bool waitOpen;
        MainWindowState state;
        WaitWindowChange change;
    } cases[] = {
        {true, MainWindowState::Minimised, WaitWindowChange::Hide},
        {true, MainWindowState::Maximised, WaitWindowChange::Show},
        {true, MainWindowState::Normal, WaitWindowChange::None},
        {false, MainWindowState::Minimised, WaitWindowChange::None},
        {false, MainWindowState::Maximised, WaitWindowChange::None},
        {false, MainWindowState::Normal, WaitWindowChange::None},
    };
    for (const Case& c : cases) {
        DataStore store;
        store.Open_frmWait = c.waitOpen ? kTrue : kFalse;
        EXPECT_EQ(WaitWindowChangeOn(store, c.state), c.change)
            << c.waitOpen << ' ' << static_cast<int>(c.state);
    }
}
