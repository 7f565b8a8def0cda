#include "ui/files/SaveCommandUi.h"

#include "core/files/SaveCommand.h"
#include "ui/files/FrmWaitSave.h"
#include "ui/shell/AppContext.h"

#include <QPointer>

namespace {

// Drives frmWait_Save, opened through the main window like every other window so that the
// housekeeping knows it.
class WaitSaveWindow : public SaveProgressSink {
public:
    explicit WaitSaveWindow(AppContext& ctx) : m_ctx(ctx) {}

    void open(const SaveProgressView& view) override {
        m_ctx.windows.open(WindowId::frmWait_Save);
        m_window = qobject_cast<FrmWaitSave*>(m_ctx.windows.window(WindowId::frmWait_Save));
        step(view);
    }
    void step(const SaveProgressView& view) override {
        if (m_window) m_window->showProgress(view);
    }
    void close() override {
        m_window = nullptr;
        if (!isTrue(m_ctx.store.Open_frmWait_Save)) return;
        m_ctx.windows.unloadWindow(WindowId::frmWait_Save);
        m_ctx.store.Open_frmWait_Save = kFalse;
    }

private:
    AppContext& m_ctx;
    QPointer<FrmWaitSave> m_window; // the user may close it while the save runs
};

} // namespace

SaveResult runSaveCommand(AppContext& ctx) {
    WaitSaveWindow window(ctx);
    SaveCommandEnv env{ctx.store, ctx.ui, ctx.shell,
                       ctx.clock, window, [&ctx] { ctx.windows.closeOpenWindows(); }};
    return SaveDataAs(env);
}
