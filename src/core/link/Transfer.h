#pragma once

#include "core/link/SerialLink.h"
#include "core/store/DataStore.h"

#include <QDateTime>
#include <QString>
#include <functional>

class Clock;
class MainShell;

// What a download tells the progress window.
class ProgressSink {
public:
    virtual ~ProgressSink() = default;
    // One progress tick (Progress_Step has already been counted in the store).
    virtual void progressTick() = 0;
    // The transmission is over: its bar goes to its maximum minus one, the next tick fills it.
    virtual void transmissionNearlyDone() = 0;
};

enum class TransferOutcome {
    Succeeded,
    Cancelled,            // the progress window was closed (Transfer_Step 0)
    NoAnswer,             // "Erreur 01": no answer to the wake-up (Transfer_Step 3)
    FinalBlockIncomplete, // "Erreur 02" (Transfer_Step 4)
    NoParamAnswer,        // "Erreur 03": generation 3, no answer to 0x03 (Transfer_Step 2)
    ParamZoneIncomplete,  // "Erreur 04": generation 3 (Transfer_Step 1)
    PortUnavailable,      // the port could not be opened
    LinkLost,             // the port failed during the transfer
    DeviceSilent,         // no new byte within TransferEnvironment::silenceLimitMs
};

struct TransferResult {
    TransferOutcome outcome = TransferOutcome::Succeeded;
    // For PortUnavailable, LinkLost and DeviceSilent: the message to show (Transfer_Step is then
    // kTransferStepReported: whoever runs the transfer shows this message).
    QString title;
    QString text;
    bool succeeded() const { return outcome == TransferOutcome::Succeeded; }
};

struct TransferEnvironment {
    SerialLink& link;
    Clock& clock;
    QString devicePath;               // device of the port Com_Port
    ProgressSink* progress = nullptr; // the progress window, if any
    MainShell* shell = nullptr;       // for the "&Enregistrer Sous ..." entry, if any
    std::function<QDateTime()> now;   // system date and time (current time when empty)
    // Longest time without a new byte once the device has answered; 0 waits without limit (the
    // window, where the user cancels). An unattended run sets it so that it always ends.
    qint64 silenceLimitMs = 0;
};

// Reads the whole memory of the device of the store's generation, then decodes and sorts it. The
// data goes into a scratch copy that replaces the store's data only when everything succeeded: a
// cancelled or failed transfer leaves the previous data and Data_Loaded as they were. The outcome
// is also left in the store as the data-source dialog reads it (Abort_Flag, Transfer_Step).
// Once the new data is in the store the download counts as done: closing the progress window
// during the pause that keeps the finished window in view only shortens the pause.
// While it runs, the menu commands that would close its windows are locked (TransferMenuLock).
TransferResult TransferGeneration3(DataStore& store, const TransferEnvironment& env);
TransferResult TransferGeneration5(DataStore& store, const TransferEnvironment& env);
TransferResult TransferDeviceMemory(DataStore& store, const TransferEnvironment& env); // by Device_Version
