#include "core/link/Decoding.h"
#include "sim/MemoryImage.h"
#include "sim/SampleDevice.h"
#include "support/FakeSerialLink.h"
#include "support/Fakes.h"
#include "ui/link/FrmWait.h"
#include "ui/link/UiTransferRunner.h"
#include "ui/shell/AppContext.h"

#include <QLabel>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

namespace {

// A host that builds no window itself: windows made elsewhere are shown as top-level widgets.
class ShowingWindowHost : public WindowHost {
public:
    explicit ShowingWindowHost(DataStore& store) : m_store(store) {}
    void open(WindowId id) override { opened.push_back(id); }
    QWidget* window(WindowId) const override { return nullptr; }
    void show(QWidget* window) override {
        shown.push_back(window);
        window->show();
    }
    void closeOpenWindows() override { CloseOpenWindows(m_store, *this); }
    void unloadWindow(WindowId) override {
        for (const auto& window : shown)
            if (window) window->close();
    }
    std::vector<WindowId> opened;
    std::vector<QPointer<QWidget>> shown;

private:
    DataStore& m_store;
};

// Hands the runner a line that outlives its transfer, so the test can look at it afterwards.
class BorrowedLink : public SerialLink {
public:
    explicit BorrowedLink(SerialLink& link) : m_link(link) {}
    bool open(const QString& path, const QString& settings) override { return m_link.open(path, settings); }
    void close() override { m_link.close(); }
    bool isOpen() const override { return m_link.isOpen(); }
    void setDataTerminalReady(bool on) override { m_link.setDataTerminalReady(on); }
    void setInputBufferSize(int bytes) override { m_link.setInputBufferSize(bytes); }
    void write(const QByteArray& bytes) override { m_link.write(bytes); }
    int bytesWaiting() const override { return m_link.bytesWaiting(); }
    QByteArray readAll() override { return m_link.readAll(); }
    void clearInput() override { m_link.clearInput(); }
    bool lost() const override { return m_link.lost(); }
    QString errorText() const override { return m_link.errorText(); }

private:
    SerialLink& m_link;
};

struct NoProber : PortProber {
    bool canOpen(int) override { return true; }
};

class LinkWindowsTest : public ::testing::Test {
protected:
    DataStore store;
    FakeUiServices ui;
    FakeClock clock;
    FakeMainShell shell;
    ShowingWindowHost host{store};
    PortTable ports{QStringList{QStringLiteral("/dev/ttyFAKE0"), QStringLiteral("/dev/ttyFAKE1")}};
    NoProber prober;
    FakeSerialLink fakeLink{clock};
    FakeSerialLink* link = &fakeLink;
    UiTransferRunner runner{[this](Clock&) { return std::make_unique<BorrowedLink>(fakeLink); }};
    ArchiveWorker archive;
    AppContext ctx{store, ui, clock, shell, host, ports, prober, runner, archive};

    void SetUp() override {
        runner.setContext(ctx);
        runner.setDateTimeSource([] { return QDateTime(QDate(2024, 3, 1), QTime(8, 0)); });
        store.Com_Port = 2;
    }

    FrmWait* shownWaitWindow() const {
        for (const auto& window : host.shown)
            if (auto* wait = qobject_cast<FrmWait*>(window.data())) return wait;
        return nullptr;
    }
};

TEST_F(LinkWindowsTest, ProgressWindowAtLoad) {
    struct Case {
        int generation, transmission, classement, traitement;
    };
    for (const Case& c : {Case{3, 50, 103, 153}, Case{5, 55, 164, 219}}) {
        store.Device_Version = static_cast<int16_t>(c.generation);
        FrmWait window(ctx);
        EXPECT_EQ(window.windowTitle(), QStringLiteral("Transfert des données en cours ..."));
        EXPECT_TRUE(isTrue(store.Open_frmWait));
        EXPECT_EQ(window.ProgressBar_Transmission->maximum(), c.transmission);
        EXPECT_EQ(window.ProgressBar_Classement->maximum(), c.classement);
        EXPECT_EQ(window.ProgressBar_Traitement->maximum(), c.traitement);
        EXPECT_EQ(window.ProgressBar_Traitement->value(), 0);
        EXPECT_EQ(window.Label_Transmission->text(), QStringLiteral("Transmission en cours ..."));
        EXPECT_EQ(window.Label_Classement->text(),
                  QStringLiteral("Attente de fin de transmission pour classement..."));
        EXPECT_EQ(window.Label_Traitement->text(), QStringLiteral(" Traitement des données en cours ..."));
        EXPECT_EQ(window.Label_Pourcentage->text(),
                  QStringLiteral("Traitement des données effectué à 00 %."));
        EXPECT_EQ(window.Cmd_Annuler->text(), QStringLiteral("Annuler"));
        EXPECT_TRUE(window.Picture_Transmit_Ok->isHidden());
        EXPECT_TRUE(window.Picture_Classement_Ok->isHidden());
    }
}

// The button and the close box are both the cancel: the transfer sees Abort_Flag with
// Transfer_Step 0, the port is closed, and a sleeping wait is woken.
TEST_F(LinkWindowsTest, ClosingTheProgressWindowCancels) {
    for (bool byButton : {true, false}) {
        store.Abort_Flag = kFalse;
        store.Transfer_Step = 3;
        clock.woken = false;
        QPointer<FrmWait> window = new FrmWait(ctx);
        window->show();
        bool portClosed = false;
        window->setPortCloser([&] { portClosed = true; });
        if (byButton)
            QTest::mouseClick(window->Cmd_Annuler, Qt::LeftButton);
        else
            window->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_TRUE(window.isNull()) << byButton;
        EXPECT_TRUE(isTrue(store.Abort_Flag)) << byButton;
        EXPECT_EQ(store.Transfer_Step, 0) << byButton;
        EXPECT_FALSE(isTrue(store.Open_frmWait)) << byButton;
        EXPECT_TRUE(portClosed) << byButton;
        EXPECT_TRUE(clock.woken) << byButton;
    }
}

// A device that answers at once: the window fills both bars, shows both check marks and 100 %.
TEST_F(LinkWindowsTest, RunnerShowsACompleteTransfer) {
    store.Device_Version = 3;
    const DeviceData device = MakeSampleDevice({3, 4, 0.5, false});
    const QByteArray dump = EncodeGeneration3Dump(device);
    const QByteArray reply = EncodeGeneration3ParamReply(device);
    link->onCommand = [&](quint8 command) {
        if (command == 0x01) {
            link->streamAt(clock.now + 20, dump.left(64000), 160, 80);
            link->arriveAt(clock.now + 20 + 400 * 80 + 800, dump.mid(64000));
        }
        if (command == 0x03) link->arriveAt(clock.now + 20, reply);
    };
    runner.runTransfer(store);
    ASSERT_EQ(runner.lastResult().outcome, TransferOutcome::Succeeded);
    EXPECT_EQ(host.opened, std::vector<WindowId>{WindowId::frmWait});
    FrmWait* window = shownWaitWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(link->opens.first(), QStringLiteral("/dev/ttyFAKE1 4800,N,8,1"));
    EXPECT_EQ(window->ProgressBar_Transmission->value(), 50);
    EXPECT_EQ(window->ProgressBar_Classement->value(), 103);
    EXPECT_EQ(window->Label_Pourcentage->text(), QStringLiteral("Traitement des données effectué à 100 %."));
    EXPECT_EQ(window->Label_Transmission->text(), QStringLiteral("Transmission effectuée avec succès !!!"));
    EXPECT_EQ(window->Label_Classement->text(), QStringLiteral("Classement effectué avec succès !!!"));
    EXPECT_FALSE(window->Picture_Transmit_Ok->isHidden());
    EXPECT_FALSE(window->Picture_Classement_Ok->isHidden());
    EXPECT_TRUE(isTrue(store.Data_Loaded));
    EXPECT_TRUE(ui.messages.empty());
    // The window stays up after a success, until the next window replaces it.
    EXPECT_TRUE(isTrue(store.Open_frmWait));
    window->close();
}

TEST_F(LinkWindowsTest, CancelButtonDuringTheTransfer) {
    link->onCommand = [&](quint8) { link->streamAt(clock.now + 20, QByteArray(40000, 0x11), 2000, 100); };
    clock.at(1500, [&] { QTest::mouseClick(shownWaitWindow()->Cmd_Annuler, Qt::LeftButton); });
    runner.runTransfer(store);
    EXPECT_EQ(runner.lastResult().outcome, TransferOutcome::Cancelled);
    EXPECT_EQ(store.Transfer_Step, 0);
    EXPECT_TRUE(isTrue(store.Abort_Flag));
    EXPECT_FALSE(link->isOpen());
    EXPECT_EQ(clock.now, 1500);
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(LinkWindowsTest, PortThatCannotBeOpenedIsReported) {
    store.Com_Port = 5; // no device has that number here
    link->refuseOpen = true;
    runner.runTransfer(store);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].icon, MessageIcon::Critical);
    EXPECT_EQ(ui.messages[0].title, QStringLiteral("Port de communication indisponible"));
    EXPECT_TRUE(ui.messages[0].text.startsWith(QStringLiteral("Le port de communication COM 5 ne peut pas")));
    EXPECT_TRUE(isTrue(store.Abort_Flag));
    EXPECT_EQ(store.Transfer_Step, kTransferStepReported); // the data-source dialog adds nothing
    EXPECT_FALSE(isTrue(store.Data_Loaded));
    if (FrmWait* window = shownWaitWindow()) window->close();
}

} // namespace
