#include "../support/Fakes.h"
#include "core/store/DataStore.h"
#include "core/store/WindowId.h"

#include <gtest/gtest.h>

TEST(DataStore, StartValues) {
    DataStore store;
    store.Com_Port = 4;
    store.Device_Version = 3;
    store.Graph_Days = 7;
    store.Requested_View = QStringLiteral("Tableau Leq");
    store.Open_frmPort = store.Open_frmData_Type = store.Open_frmWait = kTrue;
    store.Template_Drawn = kTrue;
    store.graphDate(8, 3) = QStringLiteral("2009");

    store.applyStartValues();

    EXPECT_EQ(store.Com_Port, 0);
    EXPECT_EQ(store.Device_Version, 5);
    EXPECT_EQ(store.Graph_Days, 1);
    EXPECT_TRUE(store.Requested_View.isEmpty());
    EXPECT_EQ(store.Open_frmPort, kFalse);
    EXPECT_EQ(store.Open_frmData_Type, kFalse);
    EXPECT_EQ(store.Open_frmWait, kFalse);
    EXPECT_EQ(store.Data_Loaded, kFalse);
    EXPECT_EQ(store.Template_Drawn, kFalse);
    for (int row = 1; row <= 8; ++row)
        for (int col = 1; col <= 3; ++col) EXPECT_EQ(store.graphDate(row, col), "0");
}

TEST(RecordTable, IsIndexedFromOneRowMajor) {
    LeqTable table;
    table(1, 1) = 11;
    table(1, 8) = 18;
    table(2, 1) = 21;
    table(8192, 8) = 99;
    EXPECT_EQ(table.rowData(1)[0], 11);
    EXPECT_EQ(table.rowData(1)[7], 18);
    EXPECT_EQ(table.rowData(1)[8], 21);
    EXPECT_EQ(table(8192, 8), 99);
    EXPECT_TRUE(LeqTable::contains(8192, 8));
    EXPECT_FALSE(LeqTable::contains(0, 1));
    EXPECT_FALSE(LeqTable::contains(8193, 1));
    EXPECT_FALSE(LeqTable::contains(1, 9));
}

TEST(CloseOpenWindows, ClosesExactlyTheOpenWindowsInListOrder) {
    DataStore store;
    FakeWindowCloser closer(store);
    store.Open_frmInGraphique_v5 = kTrue;
    store.Open_frmTableau_Leq = kTrue;
    store.Open_frmInTableau = kTrue;
    store.Open_frmPort = kTrue;

    CloseOpenWindows(store, closer);

    const std::vector<WindowId> expected = {WindowId::frmPort, WindowId::frmInTableau, WindowId::frmTableau_Leq,
                                            WindowId::frmInGraphique_v5};
    EXPECT_EQ(closer.closed, expected);
    for (WindowId id : kClosableWindows) EXPECT_EQ(openFlag(store, id), kFalse) << windowName(id);
}

TEST(CloseOpenWindows, NothingOpenClosesNothing) {
    DataStore store;
    FakeWindowCloser closer(store);
    CloseOpenWindows(store, closer);
    EXPECT_TRUE(closer.closed.empty());
}

TEST(CloseOpenWindows, EachFlagBelongsToItsWindow) {
    DataStore store;
    for (WindowId id : kClosableWindows) {
        FakeWindowCloser closer(store);
        openFlag(store, id) = kTrue;
        CloseOpenWindows(store, closer);
        ASSERT_EQ(closer.closed.size(), 1u) << windowName(id);
        EXPECT_EQ(closer.closed.front(), id);
    }
}
