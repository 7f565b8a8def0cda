#include "core/link/QtSerialLink.h"
#include "core/link/Transfer.h"
#include "core/link/TransferRunner.h"
#include "sim/DeviceEmulator.h"
#include "sim/SampleDevice.h"
#include "support/ScaledClock.h"

#include <QElapsedTimer>
#include <gtest/gtest.h>

// End to end over a real pseudo-terminal: the emulator holds a data set, the transfer reads it
// through QSerialPort, decodes and sorts it. The emulator sends without pacing and the protocol's
// times run five times faster, so each case takes a fraction of a second.
namespace {

struct Scene {
    ScaledClock clock{5};
    QtSerialLink link{&clock};
    DataStore store;
    DeviceData device;
    std::unique_ptr<DeviceEmulator> emulator;

    explicit Scene(int generation, EmulatorOptions options = {}) {
        device = MakeSampleDevice({generation, static_cast<quint32>(20 + generation), 0.8, false});
        options.generation = generation;
        options.fast = true;
        options.replyDelayMs = 10;
        emulator = std::make_unique<DeviceEmulator>(device, options);
        QString error;
        EXPECT_TRUE(emulator->start(&error)) << error.toStdString();
        store.Device_Version = static_cast<int16_t>(generation);
        store.Com_Port = 1;
        if (generation == 5) {
            device.Transfer_Date = QStringLiteral("01/03/2024");
            device.Transfer_Time = QStringLiteral("08:00:00");
        } else {
            device.Transfer_Date.clear();
            device.Transfer_Time.clear();
        }
    }

    TransferResult run() {
        const TransferEnvironment env{
            link,    clock,   emulator->devicePath(),
            nullptr, nullptr, [] { return QDateTime(QDate(2024, 3, 1), QTime(8, 0)); }};
        return TransferDeviceMemory(store, env);
    }
};

TEST(DeviceLink, BothGenerationsArriveIdentical) {
    for (int generation : {3, 5}) {
        SCOPED_TRACE(generation);
        Scene scene(generation);
        QElapsedTimer cpu;
        cpu.start();
        const TransferResult result = scene.run();
        ASSERT_EQ(result.outcome, TransferOutcome::Succeeded) << result.text.toStdString();
        EXPECT_TRUE(scene.store.deviceData() == scene.device);
        EXPECT_TRUE(isTrue(scene.store.Data_Loaded));
        EXPECT_EQ(scene.emulator->memoryCommands(), 1);
        EXPECT_FALSE(scene.link.isOpen());
    }
}

TEST(DeviceLink, DeviceAnsweringAtTheSecondWakeUp) {
    EmulatorOptions options;
    options.answerFrom = 2;
    Scene scene(3, options);
    ASSERT_EQ(scene.run().outcome, TransferOutcome::Succeeded);
    EXPECT_EQ(scene.emulator->memoryCommands(), 2);
    EXPECT_TRUE(scene.store.deviceData() == scene.device);
}

TEST(DeviceLink, FailuresOnARealLine) {
    struct Case {
        const char* what;
        int generation;
        EmulatorOptions options;
        TransferOutcome outcome;
        int transferStep;
    };
    EmulatorOptions extra, hangup, noParams;
    extra.extraFinal = 10;
    hangup.hangupAfter = 40000;
    noParams.paramReply = false;
    const Case cases[] = {
        {"final block too long", 5, extra, TransferOutcome::FinalBlockIncomplete, 4},
        {"line cut", 5, hangup, TransferOutcome::LinkLost, kTransferStepReported},
        {"no parameter reply", 3, noParams, TransferOutcome::NoParamAnswer, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Scene scene(c.generation, c.options);
        scene.store.commit(DeviceData(scene.device)); // the previous data set
        scene.store.Param_Block[0] = 77;
        const DeviceData previous = scene.store.deviceData();
        scene.store.Data_Loaded = kTrue;
        EXPECT_EQ(scene.run().outcome, c.outcome);
        EXPECT_EQ(scene.store.Transfer_Step, c.transferStep);
        EXPECT_TRUE(isTrue(scene.store.Abort_Flag));
        EXPECT_TRUE(scene.store.deviceData() == previous);
        EXPECT_TRUE(isTrue(scene.store.Data_Loaded));
    }
}

TEST(DeviceLink, MissingDeviceIsReportedAtOnce) {
    ScaledClock clock(5);
    QtSerialLink link(&clock);
    DataStore store;
    store.Com_Port = 3;
    const TransferEnvironment env{link, clock, QStringLiteral("/dev/does-not-exist"), nullptr, nullptr, {}};
    const TransferResult result = TransferDeviceMemory(store, env);
    EXPECT_EQ(result.outcome, TransferOutcome::PortUnavailable);
    EXPECT_TRUE(result.text.contains(QStringLiteral("COM 3 (/dev/does-not-exist)")));
    EXPECT_LT(clock.ticks(), 500);
}

} // namespace
