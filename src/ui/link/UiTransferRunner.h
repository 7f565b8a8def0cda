#pragma once

#include "core/link/SerialLink.h"
#include "core/link/Transfer.h"
#include "core/link/TransferRunner.h"
#include "ui/archive/TransferKeeping.h"

#include <QDateTime>
#include <functional>
#include <memory>

class Clock;
class FrmWait;
struct AppContext;

// The download of the data-source dialog: shows frmWait inside the main window, reads the device on
// the serial port of Com_Port and leaves the outcome in the store. A port that cannot be opened or
// that fails during the transfer is reported here, in a message box of its own. A transfer that
// completed (never one the user cancelled) is archived.
class UiTransferRunner : public TransferRunner {
public:
    using LinkFactory = std::function<std::unique_ptr<SerialLink>(Clock&)>;

    // The serial line is a QtSerialLink unless a factory is given (tests).
    explicit UiTransferRunner(LinkFactory makeLink = {});

    // The context is built after the runner (it holds a reference to it): set it before use.
    void setContext(AppContext& context) { m_context = &context; }
    void setDateTimeSource(std::function<QDateTime()> now) { m_now = std::move(now); }

    void runTransfer(DataStore& store) override;
    const TransferResult& lastResult() const { return m_lastResult; }
    // A completed transfer is archived at once; this knows whether its data is kept anywhere.
    TransferKeeping& keeping() { return m_keeping; }

private:
    FrmWait* openWaitWindow();

    LinkFactory m_makeLink;
    AppContext* m_context = nullptr;
    std::function<QDateTime()> m_now;
    TransferResult m_lastResult;
    TransferKeeping m_keeping;
};
