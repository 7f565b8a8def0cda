#include "ui/link/UiTransferRunner.h"

#include "core/link/QtSerialLink.h"
#include "ui/link/FrmWait.h"
#include "ui/shell/AppContext.h"

#include <QPointer>

namespace {

// Forwards the progress to the window as long as it is open.
class WindowSink : public ProgressSink {
public:
    explicit WindowSink(FrmWait* window) : m_window(window) {}
    void progressTick() override {
        if (m_window) m_window->progressTick();
    }
    void transmissionNearlyDone() override {
        if (m_window) m_window->transmissionNearlyDone();
    }

private:
    QPointer<FrmWait> m_window;
};

} // namespace

UiTransferRunner::UiTransferRunner(LinkFactory makeLink) : m_makeLink(std::move(makeLink)) {}

FrmWait* UiTransferRunner::openWaitWindow() {
    AppContext& ctx = *m_context;
    ctx.windows.open(WindowId::frmWait);
    if (auto* window = qobject_cast<FrmWait*>(ctx.windows.window(WindowId::frmWait))) return window;
    // A host that does not build this window itself gets it made here and placed inside it.
    auto* window = new FrmWait(ctx);
    ctx.windows.show(window);
    return window;
}

void UiTransferRunner::runTransfer(DataStore& store) {
    Q_ASSERT(m_context);
    AppContext& ctx = *m_context;
    std::unique_ptr<SerialLink> link =
        m_makeLink ? m_makeLink(ctx.clock) : std::make_unique<QtSerialLink>(&ctx.clock);

    QPointer<FrmWait> window = openWaitWindow();
    SerialLink* line = link.get();
    if (window) window->setPortCloser([line] { line->close(); });

    WindowSink sink(window);
    const TransferEnvironment env{*link, ctx.clock,  ctx.ports.devicePath(store.Com_Port),
                                  &sink, &ctx.shell, m_now};
    m_lastResult = TransferDeviceMemory(store, env);

    // The line goes away with this call; the window may stay open a while longer.
    if (window) window->setPortCloser({});
    // Only a completed transfer is kept; a close of the progress window during the completion pause
    // does not undo it (the data arrived whole and is in memory).
    if (m_lastResult.succeeded() && !isTrue(store.Abort_Flag))
        m_keeping.archiveTransfer(store, ctx.archive, ctx.ui, ctx.shell,
                                  ctx.ports.devicePath(store.Com_Port));
    // A failure that carries its own message (the port, the line) is told here, once.
    if (!m_lastResult.title.isEmpty())
        ctx.ui.message(MessageIcon::Critical, m_lastResult.title, m_lastResult.text);
}
