#include "core/link/Transfer.h"
#include "core/link/Decoding.h"
#include "core/link/TransferMessages.h"
#include "core/link/TransferRunner.h"
#include "sim/MemoryImage.h"
#include "sim/SampleDevice.h"
#include "support/FakeSerialLink.h"
#include "support/Fakes.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

using namespace DeviceMemory;

namespace {

struct RecordingSink : ProgressSink {
    int ticks = 0;
    int ticksAfterTransmission = -1; // counts from the end of the transmission
    std::function<void()> onTick;
    void progressTick() override {
        ++ticks;
        if (ticksAfterTransmission >= 0) ++ticksAfterTransmission;
        if (onTick) onTick();
    }
    void transmissionNearlyDone() override { ticksAfterTransmission = 0; }
};

std::vector<int> repeat(int size, int count) {
    return std::vector<int>(static_cast<std::size_t>(count), size);
}

class TransferTest : public ::testing::Test {
protected:
    FakeClock clock;
    FakeSerialLink link{clock};
    DataStore store;
    FakeMainShell shell;
    RecordingSink sink;
    TransferEnvironment env{link,  clock,  QStringLiteral("/dev/ttyFAKE"),
                            &sink, &shell, [] { return QDateTime(QDate(2024, 2, 29), QTime(13, 5, 9)); }};
    DeviceData device;   // what the device holds
    DeviceData previous; // what the store held before the transfer
    QByteArray dump, params;
    std::vector<qint64> commandTimes[4];

    // The device of a generation: it answers the memory command from the given attempt on with the
    // dump cut into the given chunks (one every interval ms, the first after delay ms), and the
    // parameter command with the given reply.
    void setDevice(int generation, int answerFrom, std::vector<int> chunks, qint64 interval = 100,
                   qint64 delay = 50) {
        // Each call starts a fresh scene: time 0, no scheduled bytes, nothing recorded.
        clock = FakeClock();
        sink = RecordingSink();
        link.close();
        link.opens.clear();
        link.readSizes.clear();
        link.written.clear();
        link.dtrChanges.clear();
        for (auto& times : commandTimes)
            times.clear();
        store.Device_Version = static_cast<int16_t>(generation);
        store.Com_Port = 2;
        previous = MakeSampleDevice({generation, 99, 0.3, false});
        store.commit(DeviceData(previous));
        store.Data_Loaded = kTrue;
        device = MakeSampleDevice({generation, 5, 0.75, false});
        if (generation == 5)
            device.Transfer_Date = QStringLiteral("29/02/2024"), device.Transfer_Time = "13:05:09";
        else {
            // Untouched by a generation-3 transfer: kept from the previous data.
            device.Transfer_Date = previous.Transfer_Date;
            device.Transfer_Time = previous.Transfer_Time;
            device.Param_Change_Records = previous.Param_Change_Records;
            for (int r = kGen3LeqRows + 1; r <= kGen5LeqRows; ++r)
                for (int c = 1; c <= 8; ++c)
                    device.Leq_Records(r, c) = previous.Leq_Records(r, c);
        }
        dump = generation == 3 ? EncodeGeneration3Dump(device) : EncodeGeneration5Dump(device);
        params = EncodeGeneration3ParamReply(device);
        link.onCommand = [=, this](quint8 command) {
            if (command < 4) commandTimes[command].push_back(clock.now);
            if (command == 0x01 && static_cast<int>(commandTimes[1].size()) == answerFrom)
                link.streamChunksAt(clock.now + delay, dump, chunks, interval);
            if (command == 0x03 && !params.isEmpty()) link.arriveAt(clock.now + delay, params);
        };
    }

    void cancel() { // what closing the progress window does
        store.Abort_Flag = kTrue;
        store.Transfer_Step = 0;
        link.close();
    }

    TransferResult run() { return TransferDeviceMemory(store, env); }

    void expectPreviousDataKept() {
        EXPECT_TRUE(store.deviceData() == previous);
        EXPECT_TRUE(isTrue(store.Data_Loaded));
        EXPECT_TRUE(shell.isMenuEnabled(MenuEntry::mnuSave_As));
        EXPECT_FALSE(link.isOpen());
    }
};

TEST_F(TransferTest, Generation5DeviceAnsweringAtTheThirdWakeUp) {
    std::vector<int> chunks = repeat(16000, 8);
    chunks.push_back(5632);
    setDevice(5, 3, chunks, 1000);
    const TransferResult result = run();
    ASSERT_EQ(result.outcome, TransferOutcome::Succeeded);
    EXPECT_EQ(commandTimes[1], (std::vector<qint64>{0, 750, 1500}));
    EXPECT_EQ(link.opens, QStringList(3, QStringLiteral("/dev/ttyFAKE 56000,N,8,1")));
    EXPECT_EQ(link.inputBufferSize(), 16384);
    EXPECT_EQ(link.dtrChanges, (std::vector<bool>{true, true, true}));
    EXPECT_EQ(link.readSizes,
              (std::vector<int>{16000, 16000, 16000, 16000, 16000, 16000, 16000, 16000, 5632}));
    EXPECT_TRUE(store.deviceData() == device);
    EXPECT_TRUE(isTrue(store.Data_Loaded));
    EXPECT_FALSE(isTrue(store.Abort_Flag));
    EXPECT_EQ(store.Leq_Record_Count, 8192);
    EXPECT_EQ(store.Transfer_Date, QStringLiteral("29/02/2024"));
    EXPECT_EQ(store.Transfer_Time, QStringLiteral("13:05:09"));
    EXPECT_TRUE(shell.isMenuEnabled(MenuEntry::mnuSave_As));
    EXPECT_FALSE(link.isOpen());
    // Decoding and sorting ticks follow the end of the transmission, then the result stays 1500 ms.
    EXPECT_EQ(sink.ticksAfterTransmission, 1 + 37 + 130);
    // Waits sleep until the next event: a few hundred wake-ups for the whole transfer, no spinning.
    EXPECT_LT(clock.waits, 1500);
}

TEST_F(TransferTest, NoAnswerAfterFourAttemptsIsError01) {
    for (int generation : {3, 5}) {
        SCOPED_TRACE(generation);
        setDevice(generation, 99, {});
        const TransferResult result = run();
        EXPECT_EQ(result.outcome, TransferOutcome::NoAnswer);
        EXPECT_TRUE(isTrue(store.Abort_Flag));
        EXPECT_EQ(store.Transfer_Step, 3);
        EXPECT_EQ(commandTimes[1].size(), 4u);
        EXPECT_EQ(clock.now, generation == 3 ? 4 * 500 : 4 * 750);
        EXPECT_EQ(link.opens.size(), generation == 3 ? 8 : 4);
        if (generation == 3) {
            EXPECT_EQ(link.opens[0], QStringLiteral("/dev/ttyFAKE 4800,N,8,1"));
            EXPECT_EQ(link.opens[1], QStringLiteral("/dev/ttyFAKE 19200,N,8,1"));
        }
        expectPreviousDataKept();
    }
}

// Blocks of 16384 bytes fill the dump without ever passing the final-block threshold short of the end.
TEST_F(TransferTest, Generation3BlocksOf16384EndWithoutFinalCheck) {
    setDevice(3, 1, repeat(16384, 4), 8000);
    ASSERT_EQ(run().outcome, TransferOutcome::Succeeded);
    EXPECT_EQ(link.readSizes, (std::vector<int>{16384, 16384, 16384, 16384, 514}));
    // The parameter command follows the last block at once: no 500 ms check happened.
    ASSERT_EQ(commandTimes[3].size(), 1u);
    EXPECT_EQ(commandTimes[3][0], 50 + 3 * 8000);
    EXPECT_TRUE(store.deviceData() == device);
    EXPECT_EQ(store.Leq_Record_Count, 4096);
    EXPECT_EQ(store.Day_Level_Text, QStringLiteral("95"));
    EXPECT_EQ(store.Night_Level_Text, QStringLiteral("85"));
    EXPECT_EQ(store.Day_Night_Hour_Text, QStringLiteral("22"));
    EXPECT_EQ(store.Night_Day_Hour_Text, QStringLiteral("7"));
}

TEST_F(TransferTest, Generation3EndsWithAFinalBlockOf1536) {
    setDevice(3, 1, repeat(16000, 4), 8000);
    // At 19200 baud the last 1536 bytes follow the fourth block by 0.8 s: the first check finds
    // them missing, the second takes them.
    link.arriveAt(50 + 3 * 8000 + 800, dump.mid(64000));
    ASSERT_EQ(run().outcome, TransferOutcome::Succeeded);
    ASSERT_EQ(commandTimes[3].size(), 1u);
    EXPECT_EQ(commandTimes[3][0], 50 + 3 * 8000 + 1000);
    EXPECT_EQ(link.readSizes, (std::vector<int>{16000, 16000, 16000, 16000, 1536, 514}));
    EXPECT_TRUE(store.deviceData() == device);
}

TEST_F(TransferTest, FinalBlockChecks) {
    struct Case {
        const char* what;
        int finalBytes;    // what the device sends after 8 blocks of 16000
        qint64 finalDelay; // after the eighth block
        TransferOutcome outcome;
        int transferStep;
    };
    const Case cases[] = {
        {"complete at the fifth check", 5632, 1900, TransferOutcome::Succeeded, 3},
        {"too late", 5632, 2100, TransferOutcome::FinalBlockIncomplete, 4},
        {"too many bytes", 5632 + 10, 100, TransferOutcome::FinalBlockIncomplete, 4},
        {"too few bytes", 5000, 100, TransferOutcome::FinalBlockIncomplete, 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        setDevice(5, 1, repeat(16000, 8), 1000);
        const qint64 eighth = 50 + 7 * 1000;
        QByteArray final = dump.mid(128000);
        final.resize(c.finalBytes, static_cast<char>(0xFF));
        link.arriveAt(eighth + c.finalDelay, final);
        const TransferResult result = run();
        EXPECT_EQ(result.outcome, c.outcome);
        if (c.outcome == TransferOutcome::Succeeded) {
            EXPECT_TRUE(store.deviceData() == device);
            EXPECT_EQ(store.Transfer_Step, c.transferStep);
        } else {
            EXPECT_EQ(store.Transfer_Step, c.transferStep);
            EXPECT_TRUE(isTrue(store.Abort_Flag));
            EXPECT_EQ(clock.now, eighth + 5 * 500);
            expectPreviousDataKept();
        }
    }
}

TEST_F(TransferTest, Generation3ParameterZoneErrors) {
    struct Case {
        const char* what;
        int replyBytes; // 0: no reply at all
        TransferOutcome outcome;
        int transferStep;
        std::size_t paramCommands;
    };
    const Case cases[] = {
        {"no answer to 0x03", 0, TransferOutcome::NoParamAnswer, 2, 3},
        {"short parameter zone", 500, TransferOutcome::ParamZoneIncomplete, 1, 1},
        {"long parameter zone", 520, TransferOutcome::ParamZoneIncomplete, 1, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        setDevice(3, 1, repeat(16384, 4), 100);
        params.resize(c.replyBytes, static_cast<char>(0x11));
        EXPECT_EQ(run().outcome, c.outcome);
        EXPECT_EQ(store.Transfer_Step, c.transferStep);
        EXPECT_TRUE(isTrue(store.Abort_Flag));
        EXPECT_EQ(commandTimes[3].size(), c.paramCommands);
        expectPreviousDataKept();
    }
}

// The window waits for a silent device until the user cancels; an unattended run gives up after its
// silence limit, counted from the last byte.
TEST_F(TransferTest, SilentDeviceIsWaitedForUntilCancelledOrTheSilenceLimit) {
    const qint64 lastByte = 750; // all three blocks are there when the wake-up wait ends
    for (const qint64 limit : {qint64(0), qint64(30000)}) {
        SCOPED_TRACE(limit);
        setDevice(5, 1, repeat(16000, 3)); // then nothing more
        env.silenceLimitMs = limit;
        clock.at(600000, [this] { cancel(); });
        const TransferResult result = run();
        if (limit == 0) {
            EXPECT_EQ(result.outcome, TransferOutcome::Cancelled);
            EXPECT_EQ(clock.now, 600000);
            EXPECT_EQ(store.Transfer_Step, 0);
        } else {
            EXPECT_EQ(result.outcome, TransferOutcome::DeviceSilent);
            EXPECT_EQ(clock.now, lastByte + limit);
            EXPECT_EQ(store.Transfer_Step, kTransferStepReported);
            EXPECT_EQ(result.title, QStringLiteral("Le QLV 40 ne répond plus"));
            EXPECT_TRUE(result.text.contains(QStringLiteral(" 30 s ")));
        }
        EXPECT_LT(clock.waits, 2000); // ten minutes of silence cost a wake-up a second at most
        expectPreviousDataKept();
    }
}

// Closing the progress window once the new data is in place only ends the pause that keeps the
// finished window in view: the download counts as done. A close before the last byte is a cancel.
TEST_F(TransferTest, CloseDuringTheCompletionPauseKeepsTheDownload) {
    for (const int generation : {3, 5}) {
        for (const bool atPause : {true, false}) {
            SCOPED_TRACE(testing::Message()
                         << "generation " << generation << (atPause ? " pause" : " early"));
            const std::vector<int> chunks = generation == 3 ? repeat(16384, 4) : repeat(16000, 8);
            setDevice(generation, 1, chunks, 1000);
            if (generation == 5) link.arriveAt(50 + 8 * 1000, dump.mid(128000));
            bool closed = false;
            clock.onWait = [&] {
                if (atPause && !closed && isTrue(store.Data_Loaded)) closed = true, cancel();
            };
            if (!atPause)
                clock.at(50 + static_cast<qint64>(chunks.size() - 1) * 1000 - 10, [this] { cancel(); });
            const TransferResult result = run();
            if (atPause) {
                ASSERT_TRUE(closed);
                EXPECT_EQ(result.outcome, TransferOutcome::Succeeded);
                EXPECT_FALSE(isTrue(store.Abort_Flag));
                EXPECT_TRUE(store.deviceData() == device);
                EXPECT_TRUE(isTrue(store.Data_Loaded));
                EXPECT_TRUE(shell.isMenuEnabled(MenuEntry::mnuSave_As));
            } else {
                EXPECT_EQ(result.outcome, TransferOutcome::Cancelled);
                EXPECT_TRUE(isTrue(store.Abort_Flag));
                EXPECT_EQ(store.Transfer_Step, 0);
                expectPreviousDataKept();
            }
        }
    }
}

// The commands that would close the transfer's windows are locked while it runs, whatever its end;
// "&Quitter" stays available and the entries get back the states they had.
TEST_F(TransferTest, MenusThatCloseWindowsAreLockedDuringTheTransfer) {
    enum End { Success, Cancel, PortRefused };
    for (const End end : {Success, Cancel, PortRefused}) {
        for (const bool portWasEnabled : {true, false}) {
            SCOPED_TRACE(testing::Message() << end << ' ' << portWasEnabled);
            setDevice(5, 1, repeat(16000, 8), 1000);
            link.arriveAt(50 + 8 * 1000, dump.mid(128000));
            link.refuseOpen = end == PortRefused;
            if (end == Cancel) clock.at(3000, [this] { cancel(); });
            shell.setMenuEnabled(MenuEntry::mnuAnalyse, true);
            shell.setMenuEnabled(MenuEntry::mnuPort, portWasEnabled);
            int lockedWaits = 0, waits = 0;
            clock.onWait = [&] {
                ++waits;
                lockedWaits += !shell.isMenuEnabled(MenuEntry::mnuAnalyse) &&
                               !shell.isMenuEnabled(MenuEntry::mnuPort) &&
                               shell.isMenuEnabled(MenuEntry::mnuQuitter);
            };
            run();
            EXPECT_EQ(lockedWaits, waits);
            EXPECT_EQ(waits > 0, end != PortRefused);
            EXPECT_TRUE(shell.isMenuEnabled(MenuEntry::mnuAnalyse));
            EXPECT_EQ(shell.isMenuEnabled(MenuEntry::mnuPort), portWasEnabled);
            link.refuseOpen = false;
        }
    }
}

TEST_F(TransferTest, CancelKeepsThePreviousData) {
    enum When { WakeUpWait, Reception, FinalCheck, Classification };
    for (When when : {WakeUpWait, Reception, FinalCheck, Classification}) {
        SCOPED_TRACE(when);
        std::vector<int> chunks = repeat(16000, 8);
        chunks.push_back(5632);
        setDevice(5, 1, chunks, 1000);
        if (when == WakeUpWait) clock.at(300, [this] { cancel(); });
        if (when == Reception) clock.at(3500, [this] { cancel(); });
        if (when == FinalCheck) clock.at(50 + 7000 + 700, [this] { cancel(); });
        if (when == Classification)
            sink.onTick = [this] {
                if (sink.ticksAfterTransmission == 60) cancel();
            };
        EXPECT_EQ(run().outcome, TransferOutcome::Cancelled);
        EXPECT_EQ(store.Transfer_Step, 0);
        EXPECT_TRUE(isTrue(store.Abort_Flag));
        if (when == WakeUpWait) {
            EXPECT_TRUE(link.readSizes.empty());
        }
        if (when == Classification) {
            EXPECT_LT(sink.ticksAfterTransmission, 1 + 37 + 130);
        }
        expectPreviousDataKept();
    }
}

TEST_F(TransferTest, PortFailuresEndWithTheirOwnMessage) {
    setDevice(5, 1, repeat(16000, 8), 1000);
    link.refuseOpen = true;
    TransferResult result = run();
    EXPECT_EQ(result.outcome, TransferOutcome::PortUnavailable);
    EXPECT_EQ(result.title, QStringLiteral("Port de communication indisponible"));
    EXPECT_TRUE(result.text.contains(QStringLiteral("COM 2 (/dev/ttyFAKE)")));
    EXPECT_EQ(clock.now, 0);
    EXPECT_TRUE(isTrue(store.Abort_Flag));
    EXPECT_EQ(store.Transfer_Step, kTransferStepReported);
    EXPECT_FALSE(TransferFailureMessage(store.Transfer_Step).has_value()); // shown once, by the runner
    expectPreviousDataKept();

    link.refuseOpen = false;
    link.loseAt(2500);
    result = run();
    EXPECT_EQ(result.outcome, TransferOutcome::LinkLost);
    EXPECT_EQ(result.title, QStringLiteral("Liaison avec le QLV 40 interrompue"));
    EXPECT_EQ(clock.now, 2500);
    EXPECT_EQ(store.Transfer_Step, kTransferStepReported);
    expectPreviousDataKept();
}

TEST_F(TransferTest, FailedTransferKeepsAFileDataSetUnsaveable) {
    // Data read from a save file cannot be saved again; a failed transfer must not unlock that.
    setDevice(5, 1, repeat(16000, 3));
    shell.setMenuEnabled(MenuEntry::mnuSave_As, false);
    clock.at(5000, [this] { cancel(); });
    EXPECT_EQ(run().outcome, TransferOutcome::Cancelled);
    EXPECT_TRUE(store.deviceData() == previous);
    EXPECT_TRUE(isTrue(store.Data_Loaded));
    EXPECT_FALSE(shell.isMenuEnabled(MenuEntry::mnuSave_As));
}

} // namespace

namespace {

TEST(TransferMessages, FailureMessagesByTransferStep) {
    struct Case {
        int step;
        const char* title;
        const char* text;
    };
    const Case cases[] = {
        {0, "Téléchargement des données interrompu !!!",
         "Téléchargement des données interrompu !!! Traitement des données impossible !!!"},
        {3, "Erreur de transmission (Erreur 01)",
         "Erreur 01 - Veuillez consulter le cahier de maintenace du logiciel pour résoudre le problème."},
        {4, "Erreur de transmission (Erreur 02)",
         "Erreur 02 - Veuillez consulter le cahier de maintenace du logiciel pour résoudre le problème."},
        {2, "Erreur de transmission (Erreur 03)",
         "Erreur 03 - Veuillez consulter le cahier de maintenace du logiciel pour résoudre le problème."},
        {1, "Erreur de transmission (Erreur 04)",
         "Erreur 04 - Veuillez consulter le cahier de maintenace du logiciel pour résoudre le problème."},
    };
    for (const Case& c : cases) {
        const auto message = TransferFailureMessage(c.step);
        ASSERT_TRUE(message.has_value()) << c.step;
        EXPECT_EQ(message->icon, MessageIcon::Critical);
        EXPECT_EQ(message->title, QString::fromUtf8(c.title));
        EXPECT_EQ(message->text, QString::fromUtf8(c.text));
    }
    EXPECT_FALSE(TransferFailureMessage(-1).has_value());
    EXPECT_FALSE(TransferFailureMessage(5).has_value());
}

} // namespace
