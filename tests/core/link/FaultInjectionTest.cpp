#include "core/link/TransferMessages.h"
#include "core/link/QtSerialLink.h"
#include "core/link/Transfer.h"
#include "sim/DeviceEmulator.h"
#include "sim/SampleDevice.h"
#include "support/ScaledClock.h"

#include <QTimer>
#include <gtest/gtest.h>

// Faults of the device and of the line, injected by the device emulator on a real pseudo-terminal.
// Whatever goes wrong, the user gets one clear message, the data of the previous download stays
// whole and usable, and the serial port is closed again.
namespace {

constexpr int kSpeed = 5; // protocol times run five times faster than on a real line

struct Fault {
    const char* what;
    int generation;
    EmulatorOptions options;
    int cancelAfterMs; // real milliseconds until the user closes the progress window (-1: never)
    TransferOutcome outcome;
    const char* messageTitle;
};

EmulatorOptions withOptions(std::function<void(EmulatorOptions&)> set) {
    EmulatorOptions options;
    set(options);
    return options;
}

QString shownTitle(const TransferResult& result, const DataStore& store) {
    if (!result.title.isEmpty()) return result.title;
    if (!isTrue(store.Abort_Flag)) return {};
    const auto message = TransferFailureMessage(store.Transfer_Step);
    return message ? message->title : QStringLiteral("<no message>");
}

TEST(FaultInjection, EveryFaultLeavesThePreviousDataAndAClosedPort) {
    const Fault faults[] = {
        {"device silent", 5, withOptions([](auto& o) { o.answerFrom = 99; }), -1, TransferOutcome::NoAnswer,
         "Erreur de transmission (Erreur 01)"},
        {"answers only at the 4th wake-up", 5, withOptions([](auto& o) { o.answerFrom = 4; }), -1,
         TransferOutcome::Succeeded, ""},
        {"answers only at the 4th wake-up, generation 3", 3, withOptions([](auto& o) { o.answerFrom = 4; }),
         -1, TransferOutcome::Succeeded, ""},
        {"stall before the final block: waits for the cancel", 5,
         withOptions([](auto& o) { o.stallAfter = 50000; }), 600, TransferOutcome::Cancelled,
         "Téléchargement des données interrompu !!!"},
        {"stall past the final-block threshold", 5, withOptions([](auto& o) { o.stallAfter = 131000; }), 5000,
         TransferOutcome::FinalBlockIncomplete, "Erreur de transmission (Erreur 02)"},
        {"stall past the threshold, cancelled first", 3, withOptions([](auto& o) { o.stallAfter = 64500; }),
         150, TransferOutcome::Cancelled, "Téléchargement des données interrompu !!!"},
        {"extra bytes in the final block", 5, withOptions([](auto& o) { o.extraFinal = 7; }), -1,
         TransferOutcome::FinalBlockIncomplete, "Erreur de transmission (Erreur 02)"},
        {"hang-up mid-stream", 5, withOptions([](auto& o) { o.hangupAfter = 60000; }), -1,
         TransferOutcome::LinkLost, "Liaison avec le QLV 40 interrompue"},
        {"hang-up mid-stream, generation 3", 3, withOptions([](auto& o) { o.hangupAfter = 20000; }), -1,
         TransferOutcome::LinkLost, "Liaison avec le QLV 40 interrompue"},
        {"no answer to 0x03", 3, withOptions([](auto& o) { o.paramReply = false; }), -1,
         TransferOutcome::NoParamAnswer, "Erreur de transmission (Erreur 03)"},
        {"short parameter zone", 3, withOptions([](auto& o) { o.paramLimit = 300; }), -1,
         TransferOutcome::ParamZoneIncomplete, "Erreur de transmission (Erreur 04)"},
        {"garbage bytes ahead of the memory", 5, withOptions([](auto& o) { o.noiseBefore = 37; }), -1,
         TransferOutcome::FinalBlockIncomplete, "Erreur de transmission (Erreur 02)"},
        {"garbage bytes ahead of the memory, generation 3", 3,
         withOptions([](auto& o) { o.noiseBefore = 5; }), -1, TransferOutcome::FinalBlockIncomplete,
         "Erreur de transmission (Erreur 02)"},
    };
    for (const Fault& f : faults) {
        SCOPED_TRACE(f.what);
        const DeviceData device = MakeSampleDevice({f.generation, 31, 0.7, false});
        EmulatorOptions options = f.options;
        options.generation = f.generation;
        options.fast = true;
        options.replyDelayMs = 10;
        DeviceEmulator emulator(device, options);
        QString error;
        ASSERT_TRUE(emulator.start(&error)) << error.toStdString();

        ScaledClock clock(kSpeed);
        QtSerialLink link(&clock);
        DataStore store;
        store.Device_Version = static_cast<int16_t>(f.generation);
        store.Com_Port = 2;
        // The data of an earlier download, different from what the device holds now.
        store.commit(MakeSampleDevice({f.generation, 7, 0.5, false}));
        store.Data_Loaded = kTrue;
        const DeviceData previous = store.deviceData();

        QTimer cancel;
        cancel.setSingleShot(true);
        QObject::connect(&cancel, &QTimer::timeout, [&] {
            // What closing the progress window does.
            store.Abort_Flag = kTrue;
            store.Transfer_Step = 0;
            clock.wake();
        });
        if (f.cancelAfterMs >= 0) cancel.start(f.cancelAfterMs);

        const TransferEnvironment env{
            link,    clock,   emulator.devicePath(),
            nullptr, nullptr, [] { return QDateTime(QDate(2024, 3, 1), QTime(8, 0)); }};
        const TransferResult result = TransferDeviceMemory(store, env);
        cancel.stop();

        EXPECT_EQ(result.outcome, f.outcome);
        EXPECT_EQ(shownTitle(result, store), QString::fromUtf8(f.messageTitle));
        EXPECT_FALSE(link.isOpen());
        if (f.outcome == TransferOutcome::Succeeded) {
            EXPECT_TRUE(store.deviceData().Leq_Records == device.Leq_Records);
            EXPECT_TRUE(store.deviceData().Event_Records == device.Event_Records);
        } else {
            EXPECT_TRUE(store.deviceData() == previous);
            EXPECT_TRUE(isTrue(store.Data_Loaded));
        }
    }
}

} // namespace
