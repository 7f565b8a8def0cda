#include "ui/link/FrmPort.h"

#include "PortDialogHost.h"
#include "core/link/PortSelection.h"
#include "support/FakePortProber.h"
#include "support/Fakes.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QGroupBox>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

namespace {
class FrmPortTest : public ::testing::Test {
protected:
    void SetUp() override { host.context = &context; }
    void TearDown() override {
        for (QPointer<FrmPort>& window : m_opened)
            delete window.data();
        flushDeletes();
    }

    FrmPort* openWindow(std::set<int> usable) {
        prober.openable = std::move(usable);
        host.open(WindowId::frmPort);
        auto* window = qobject_cast<FrmPort*>(host.window(WindowId::frmPort));
        m_opened.append(window);
        return window;
    }
    static void flushDeletes() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }
    static std::set<int> checkedPorts(FrmPort* window) {
        std::set<int> checked;
        for (int port = 1; port <= 16; ++port)
            if (window->optionCom(port)->isChecked()) checked.insert(port);
        return checked;
    }

    DataStore store;
    FakeUiServices ui;
    FakeClock clock;
    FakeMainShell shell;
    PortDialogHost host{store};
    PortTable ports{QStringList{QStringLiteral("/dev/ttyUSB0"), QStringLiteral("/dev/ttyUSB1"),
                                QStringLiteral("/dev/ttyS0")}};
    FakePortProber prober;
    CountingTransferRunner transfer;
    ArchiveWorker archive;
    AppContext context{store, ui, clock, shell, host, ports, prober, transfer, archive};

private:
    QList<QPointer<FrmPort>> m_opened;
};
} // namespace

TEST_F(FrmPortTest, ControlsCarryTheProgramsTexts) {
    prober.failures[3] = ProbeFailure::PermissionDenied;
    FrmPort* window = openWindow({1});
    EXPECT_EQ(window->windowTitle(), "Selection du Port de Communication");
    const std::pair<const char*, QString> texts[] = {
        {"Frame1", QStringLiteral(" Sélection du port de communication ")},
        {"Frame2", QStringLiteral(" Sélection de la Version de QLV 40 ")},
    };
    for (const auto& [name, text] : texts) {
        auto* frame = window->findChild<QGroupBox*>(QString::fromLatin1(name));
        ASSERT_NE(frame, nullptr) << name;
        EXPECT_EQ(frame->title(), text) << name;
    }
    EXPECT_EQ(window->findChild<QLabel*>("Label1")->text(),
              "Toutes les versions sont compatibles avec l'adaptateur USB VORL");
    EXPECT_EQ(window->findChild<QRadioButton*>("Option_Version3")->text(), "Version 3.2");
    EXPECT_EQ(window->findChild<QRadioButton*>("Option_Version5")->text(), "Version 5.X");
    EXPECT_EQ(window->findChild<QPushButton*>("Cmd_Ok")->text(), "Ok");
    EXPECT_EQ(window->findChild<QPushButton*>("Cmd_Annuler")->text(), "Annuler");

    for (int port = 1; port <= 16; ++port) {
        auto* option = window->findChild<QRadioButton*>(QStringLiteral("Option_COM(%1)").arg(port));
        ASSERT_EQ(option, window->optionCom(port)) << port;
        EXPECT_EQ(option->text(), QStringLiteral("COM %1").arg(port));
    }
    EXPECT_EQ(window->optionCom(1)->toolTip(), "/dev/ttyUSB0");
    // A grey port keeps its device and tells why it cannot be opened.
    EXPECT_EQ(window->optionCom(3)->toolTip(), portToolTip(ports, 3, ProbeFailure::PermissionDenied));
    EXPECT_TRUE(window->optionCom(3)->toolTip().startsWith("/dev/ttyS0 "));
    EXPECT_EQ(window->optionCom(4)->toolTip(), portToolTip(ports, 4));
    EXPECT_NE(window->optionCom(4)->toolTip(), "");
}

TEST_F(FrmPortTest, LoadRunsTheHousekeepingBeforeMarkingItselfOpen) {
    host.open(WindowId::frmInTableau);
    host.open(WindowId::frmTableau_Leq);
    openWindow({1});
    EXPECT_EQ(host.unloaded, (std::vector<WindowId>{WindowId::frmInTableau, WindowId::frmTableau_Leq}));
    EXPECT_EQ(host.portFlagAtHousekeeping, std::vector<int16_t>{kFalse});
    EXPECT_EQ(store.Open_frmPort, kTrue);
    EXPECT_EQ(store.Open_frmInTableau, kFalse);
}

TEST_F(FrmPortTest, OnlyOpenablePortsAreEnabledAndTheOnlyOneIsSelected) {
    FrmPort* window = openWindow({2});
    for (int port = 1; port <= 16; ++port)
        EXPECT_EQ(window->optionCom(port)->isEnabled(), port == 2) << port;
    EXPECT_EQ(checkedPorts(window), std::set<int>{2});
    EXPECT_TRUE(window->cmdOk()->isEnabled());
    EXPECT_EQ(store.Com_Port, 2);
    EXPECT_TRUE(window->optionVersion5()->isChecked());
    EXPECT_FALSE(window->optionVersion3()->isChecked());
}

TEST_F(FrmPortTest, WithTwoPortsOkWaitsForAClick) {
    FrmPort* window = openWindow({1, 3});
    EXPECT_TRUE(checkedPorts(window).empty());
    EXPECT_FALSE(window->cmdOk()->isEnabled());

    QTest::mouseClick(window->optionCom(2), Qt::LeftButton); // disabled: nothing happens
    EXPECT_FALSE(window->cmdOk()->isEnabled());
    QTest::mouseClick(window->optionCom(3), Qt::LeftButton);
    EXPECT_TRUE(window->cmdOk()->isEnabled());
    EXPECT_EQ(checkedPorts(window), std::set<int>{3});
}

TEST_F(FrmPortTest, OkStoresTheChoiceSetsTheTitleAndCloses) {
    store.Com_Port = 1;
    shell.setMenuEnabled(MenuEntry::mnuAbout, false);
    shell.setMenuEnabled(MenuEntry::mnuAnalyse, false);
    QPointer<FrmPort> window = openWindow({1, 3});
    EXPECT_EQ(checkedPorts(window), std::set<int>{1});

    QTest::mouseClick(window->optionCom(3), Qt::LeftButton);
    QTest::mouseClick(window->optionVersion3(), Qt::LeftButton);
    QTest::mouseClick(window->cmdOk(), Qt::LeftButton);
    flushDeletes();

    EXPECT_EQ(store.Com_Port, 3);
    EXPECT_EQ(store.Device_Version, 3);
    EXPECT_EQ(shell.caption(), portChosenTitle(3, 3));
    EXPECT_TRUE(shell.isMenuEnabled(MenuEntry::mnuAbout));
    EXPECT_TRUE(shell.isMenuEnabled(MenuEntry::mnuAnalyse));
    EXPECT_EQ(store.Open_frmPort, kFalse);
    EXPECT_TRUE(window.isNull());
}

TEST_F(FrmPortTest, DoubleClickOnAnOpenablePortActsAsOk) {
    QPointer<FrmPort> window = openWindow({4, 9});
    const QString captionBefore = shell.caption();
    QTest::mouseDClick(window->optionCom(5), Qt::LeftButton); // disabled: nothing happens
    flushDeletes();
    ASSERT_FALSE(window.isNull());
    EXPECT_EQ(store.Com_Port, 0);
    EXPECT_EQ(shell.caption(), captionBefore);
    EXPECT_FALSE(window->cmdOk()->isEnabled());

    QTest::mouseDClick(window->optionCom(9), Qt::LeftButton);
    flushDeletes();
    EXPECT_EQ(store.Com_Port, 9);
    EXPECT_EQ(shell.caption(), portChosenTitle(9, 5));
    EXPECT_TRUE(window.isNull());
}

TEST_F(FrmPortTest, OkWithoutPortKeepsTheWindowOpen) {
    QPointer<FrmPort> window = openWindow({});
    EXPECT_FALSE(window->cmdOk()->isEnabled());
    window->cmdOk()->setEnabled(true); // the handler itself must cope with no port
    QTest::mouseClick(window->cmdOk(), Qt::LeftButton);
    flushDeletes();
    ASSERT_FALSE(window.isNull());
    EXPECT_EQ(shell.caption(), noPortOkTitle());
    EXPECT_EQ(store.Open_frmPort, kTrue);
}

TEST_F(FrmPortTest, AnnulerSetsTheFileModeTitleOnlyWithoutPort) {
    struct Case {
        int16_t comPortBefore;
        QString caption;
    } cases[] = {{0, noPortClosedTitle()}, {2, portChosenTitle(2, 5)}};
    for (const Case& c : cases) {
        store.Com_Port = c.comPortBefore;
        shell.setCaption(c.comPortBefore ? portChosenTitle(2, 5) : QStringLiteral("before"));
        QPointer<FrmPort> window = openWindow({1, 2});
        QTest::mouseClick(window->optionCom(1), Qt::LeftButton); // a click alone changes nothing
        QTest::mouseClick(window->cmdAnnuler(), Qt::LeftButton);
        flushDeletes();
        EXPECT_TRUE(window.isNull()) << c.comPortBefore;
        EXPECT_EQ(store.Open_frmPort, kFalse) << c.comPortBefore;
        EXPECT_EQ(store.Com_Port, c.comPortBefore);
        EXPECT_EQ(shell.caption(), c.caption) << c.comPortBefore;
    }
}

TEST_F(FrmPortTest, ReopeningUnloadsTheOpenDialogFirst) {
    QPointer<FrmPort> first = openWindow({1, 2});
    shell.setCaption(QStringLiteral("before"));
    QPointer<FrmPort> second = openWindow({1, 2});
    flushDeletes();
    EXPECT_TRUE(first.isNull());
    ASSERT_FALSE(second.isNull());
    EXPECT_EQ(store.Open_frmPort, kTrue);
    EXPECT_EQ(shell.caption(), noPortClosedTitle());
}

TEST_F(FrmPortTest, InsideAWorkAreaClosingTheWindowClosesItsFrame) {
    QMdiArea area;
    for (const bool byFrame : {false, true}) {
        prober.openable = {1, 2};
        shell.setCaption(QStringLiteral("before"));
        QPointer<QWidget> window = createFrmPort(context);
        QPointer<QMdiSubWindow> frame = area.addSubWindow(window);
        frame->show();
        if (byFrame)
            frame->close();
        else
            QTest::mouseClick(qobject_cast<FrmPort*>(window.data())->cmdAnnuler(), Qt::LeftButton);
        flushDeletes();
        EXPECT_TRUE(window.isNull()) << byFrame;
        EXPECT_TRUE(frame.isNull()) << byFrame;
        EXPECT_EQ(store.Open_frmPort, kFalse) << byFrame;
        EXPECT_EQ(shell.caption(), noPortClosedTitle()) << byFrame;
    }
}

// Return acts as Ok (the port chosen is kept) and Escape as Annuler (nothing changes), wherever the focus is.
TEST_F(FrmPortTest, ReturnKeepsTheChoiceAndEscapeLeavesItUnchanged) {
    for (Qt::Key key : {Qt::Key_Return, Qt::Key_Escape}) {
        SCOPED_TRACE(key);
        store.Com_Port = 1;
        QPointer<FrmPort> window = openWindow({1, 3});
        QTest::mouseClick(window->optionCom(3), Qt::LeftButton);
        QTest::keyClick(window->optionVersion5(), key);
        flushDeletes();
        EXPECT_FALSE(window);
        EXPECT_EQ(store.Com_Port, key == Qt::Key_Return ? 3 : 1);
    }
}
