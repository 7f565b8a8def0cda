#include "core/link/Transfer.h"

#include "core/link/Decoding.h"
#include "core/link/TransferMessages.h"
#include "core/link/TransferRunner.h"
#include "core/platform/Clock.h"
#include "core/platform/MainShell.h"
#include "core/shell/MainMenuRules.h"

namespace {

struct Profile {
    int generation;
    QString commandSettings; // empty: the command goes out in the reply settings
    QString replySettings;
    int attempts;     // wake-up attempts
    int answerWaitMs; // wait for the first answer byte after a wake-up
    int total;        // bytes of the memory dump
    int last;         // past this many bytes, the rest must arrive as one final block
    int progressA, progressB;
};

const Profile kGeneration3{3,
                           QStringLiteral("4800,N,8,1"),
                           QStringLiteral("19200,N,8,1"),
                           4,
                           500,
                           DeviceMemory::kGen3DumpSize,
                           63999,
                           1000,
                           1500};
const Profile kGeneration5{
    5, QString(), QStringLiteral("56000,N,8,1"), 4, 750, DeviceMemory::kGen5DumpSize, 127999, 2750, 2850};

constexpr quint8 kMemoryCommand = 0x01;
constexpr quint8 kParamCommand = 0x03;
// The driver buffer of the device software: the device streams without flow control and the program
// takes a block as soon as more than 15999 bytes wait, so blocks are 16000..16384 bytes and the dump
// sizes always end with a final block past the threshold.
constexpr int kInputBufferSize = 16384;
constexpr int kBlockThreshold = 15999;
constexpr int kFinalBlockCheckMs = 500;
constexpr int kParamAttempts = 3;
constexpr int kParamAnswerWaitMs = 500;
constexpr int kParamCheckMs = 250;
constexpr int kResultInViewMs = 1500;
// Longest sleep while waiting for data: arriving bytes and a cancel wake the clock anyway.
constexpr int kIdleWaitMs = 1000;

class Transfer : public WorkMonitor {
public:
    Transfer(DataStore& store, const TransferEnvironment& env, const Profile& profile)
        : m_store(store), m_env(env), m_link(env.link), m_clock(env.clock), m_profile(profile) {}

    TransferResult run() {
        const TransferMenuLock menuLock(m_env.shell);
        m_store.Abort_Flag = kFalse;
        const int16_t wasLoaded = m_store.Data_Loaded;
        // A data set read from a file cannot be saved again: a failed transfer must not change that.
        const bool couldSave = m_env.shell && m_env.shell->isMenuEnabled(MenuEntry::mnuSave_As);
        m_store.Data_Loaded = kFalse;
        m_store.Progress_Step = 0;
        setSaveAsEnabled(false);

        if (!transmit()) {
            m_link.close();
            return failed(wasLoaded, couldSave);
        }

        if (m_env.progress) m_env.progress->transmissionNearlyDone();
        tick();

        DeviceData scratch = m_store.deviceData();
        if (!DecodeAndClassify(m_profile.generation, m_dump, m_params, scratch, *this)) {
            m_result.outcome = TransferOutcome::Cancelled;
            return failed(wasLoaded, couldSave);
        }
        const QDateTime now = m_env.now ? m_env.now() : QDateTime::currentDateTime();
        if (m_profile.generation == 5) {
            scratch.Transfer_Date = now.toString(QStringLiteral("dd/MM/yyyy"));
            scratch.Transfer_Time = now.toString(QStringLiteral("HH:mm:ss"));
        }
        m_store.commit(std::move(scratch));
        m_store.Leq_Record_Count = LeqRecordCount(m_profile.generation);
        m_store.Data_Loaded = kTrue;
        setSaveAsEnabled(true);
        if (m_profile.generation == 3) {
            const ParamZone& zone = m_store.Param_Block;
            m_store.Day_Level_Text = QString::number(zone[2176] * 100 + zone[2177]);
            m_store.Night_Level_Text = QString::number(zone[2180] * 100 + zone[2181]);
            m_store.Day_Night_Hour_Text = QString::number(zone[2187]);
            m_store.Night_Day_Hour_Text = QString::number(zone[2189]);
        }
        // The completed progress window stays in view a moment before the next window replaces it.
        // The new data is already in place: closing the window now ends the pause, not the download.
        const int16_t step = m_store.Transfer_Step;
        keepResultInView();
        m_store.Abort_Flag = kFalse;
        m_store.Transfer_Step = step;
        return {};
    }

    // WorkMonitor: the decoding and the sorts run with the window's events and its progress.
    void processEvents() override { m_clock.processEvents(); }
    void progressTick() override { tick(); }
    bool abortRequested() const override { return aborted(); }

private:
    bool aborted() const { return isTrue(m_store.Abort_Flag); }

    void tick() {
        ++m_store.Progress_Step;
        if (m_env.progress) m_env.progress->progressTick();
    }

    void setSaveAsEnabled(bool enabled) {
        if (m_env.shell) m_env.shell->setMenuEnabled(MenuEntry::mnuSave_As, enabled);
    }

    TransferResult failed(int16_t wasLoaded, bool couldSave) {
        // Nothing of this transfer reached the store: the previous data set is still whole.
        m_store.Data_Loaded = wasLoaded;
        if (couldSave) setSaveAsEnabled(true);
        return m_result;
    }

    // The transfer stops with one of the transmission errors; the retry counter already holds the
    // value that names it.
    bool stopWith(TransferOutcome outcome) {
        m_store.Abort_Flag = kTrue;
        m_result.outcome = outcome;
        return false;
    }

    // A failure of the line or of the device carries its own message; the step value tells the caller
    // it was shown already.
    bool stopReported(TransferOutcome outcome) {
        m_store.Abort_Flag = kTrue;
        m_store.Transfer_Step = kTransferStepReported;
        m_result.outcome = outcome;
        const TransferMessage message =
            outcome == TransferOutcome::PortUnavailable
                ? PortUnavailableMessage(m_store.Com_Port, m_env.devicePath)
            : outcome == TransferOutcome::LinkLost
                ? LinkLostMessage(m_store.Com_Port, m_env.devicePath)
                : DeviceSilentMessage(m_store.Com_Port, m_env.devicePath, m_env.silenceLimitMs);
        m_result.title = message.title;
        m_result.text = message.text;
        return false;
    }

    // The state of the transfer after events ran: false when it must end.
    bool stillRunning() {
        if (aborted()) {
            m_result.outcome = TransferOutcome::Cancelled;
            return false;
        }
        if (m_link.lost()) return stopReported(TransferOutcome::LinkLost);
        return true;
    }

    // Waits the whole time with the windows running; ends early only on a cancel or a dead line.
    bool waitMs(qint64 ms) {
        const qint64 deadline = m_clock.ticks() + ms;
        for (;;) {
            if (!stillRunning()) return false;
            const qint64 now = m_clock.ticks();
            if (now >= deadline) return true;
            m_clock.waitForEvent(deadline - now);
        }
    }

    void keepResultInView() {
        const qint64 deadline = m_clock.ticks() + kResultInViewMs;
        for (qint64 now = m_clock.ticks(); now < deadline && !aborted(); now = m_clock.ticks())
            m_clock.waitForEvent(deadline - now);
    }

    bool openPort(const QString& settings) {
        if (m_link.open(m_env.devicePath, settings)) return true;
        return stopReported(TransferOutcome::PortUnavailable);
    }

    // One wake-up: the command byte, then the port ready for the reply with DTR on.
    bool sendCommand(quint8 command) {
        if (!m_profile.commandSettings.isEmpty()) {
            // Generation 3 listens at 4800 baud and answers at 19200.
            if (!openPort(m_profile.commandSettings)) return false;
            m_link.write(QByteArray(1, static_cast<char>(command)));
            m_link.close();
            m_link.setInputBufferSize(kInputBufferSize);
            m_link.clearInput();
            if (!openPort(m_profile.replySettings)) return false;
        } else {
            m_link.setInputBufferSize(kInputBufferSize);
            m_link.clearInput();
            if (!openPort(m_profile.replySettings)) return false;
            m_link.write(QByteArray(1, static_cast<char>(command)));
        }
        m_link.setDataTerminalReady(true);
        return true;
    }

    // Wake-up attempts until the first answer byte; Transfer_Step counts the attempts.
    bool wake(quint8 command, int attempts, int waitMs_, TransferOutcome noAnswer) {
        for (int attempt = 0; attempt < attempts; ++attempt) {
            m_store.Transfer_Step = static_cast<int16_t>(attempt);
            if (!sendCommand(command)) return false;
            if (command == kMemoryCommand) m_store.Progress_Step = 1;
            if (!waitMs(waitMs_)) return false;
            if (m_link.bytesWaiting() >= 1) return true;
            m_link.close();
        }
        return stopWith(noAnswer);
    }

    void take() {
        const QByteArray bytes = m_link.readAll();
        m_dump += bytes;
        m_received += bytes.size();
    }

    bool receiveDump() {
        const Profile& p = m_profile;
        m_received = 0;
        m_store.Transfer_Step = -1;
        m_dump.clear();
        m_dump.reserve(p.total);
        if (p.generation == 5) tick();
        qint64 lastCount = -1, lastByteAt = 0;
        while (m_received < p.total) {
            m_clock.processEvents();
            if (!stillRunning()) return false;
            const int waiting = m_link.bytesWaiting();
            if (m_received + waiting != lastCount) {
                lastCount = m_received + waiting;
                lastByteAt = m_clock.ticks();
            }
            if (m_store.Progress_Step * p.progressA < waiting &&
                m_link.bytesWaiting() < m_store.Progress_Step * p.progressB) {
                ++m_store.Progress_Step;
                tick();
            }
            if (m_received > p.last) {
                if (m_link.bytesWaiting() == p.total - m_received) {
                    take();
                    m_store.Progress_Step = 1;
                } else {
                    if (!waitMs(kFinalBlockCheckMs)) return false;
                    const bool fifthCheck = m_store.Transfer_Step == 3;
                    ++m_store.Transfer_Step;
                    if (fifthCheck) return stopWith(TransferOutcome::FinalBlockIncomplete);
                }
            } else if (m_link.bytesWaiting() > kBlockThreshold) {
                take();
                if (p.generation == 5) tick();
                m_store.Progress_Step = 1;
            } else {
                // Without a silence limit a silent device is waited for until the user cancels. The
                // wait sleeps until bytes arrive or the window is closed.
                qint64 sleep = kIdleWaitMs;
                if (m_env.silenceLimitMs > 0) {
                    const qint64 left = lastByteAt + m_env.silenceLimitMs - m_clock.ticks();
                    if (left <= 0) return stopReported(TransferOutcome::DeviceSilent);
                    sleep = qMin(sleep, left);
                }
                m_clock.waitForEvent(sleep);
            }
        }
        // Whole blocks can fill the dump exactly (four full buffers are a generation-3 memory) while
        // bytes still wait behind it: noise on the line has shifted the image, and decoding it would
        // put every value in the wrong cell. It is refused as a final block that did not match.
        m_clock.processEvents(); // the last full buffer held back what the line had already brought
        if (m_link.bytesWaiting() > 0) {
            m_store.Transfer_Step = 4;
            return stopWith(TransferOutcome::FinalBlockIncomplete);
        }
        return true;
    }

    bool receiveParamZone() {
        if (!wake(kParamCommand, kParamAttempts, kParamAnswerWaitMs, TransferOutcome::NoParamAnswer))
            return false;
        m_store.Transfer_Step = -1;
        m_params.clear();
        while (m_params.size() < DeviceMemory::kGen3ParamReplySize) {
            m_clock.processEvents();
            if (!stillRunning()) return false;
            if (m_link.bytesWaiting() == DeviceMemory::kGen3ParamReplySize) {
                m_params = m_link.readAll();
            } else {
                if (!waitMs(kParamCheckMs)) return false;
                ++m_store.Transfer_Step;
                if (m_store.Transfer_Step == 1) return stopWith(TransferOutcome::ParamZoneIncomplete);
            }
        }
        m_link.close();
        return true;
    }

    bool transmit() {
        if (!wake(kMemoryCommand, m_profile.attempts, m_profile.answerWaitMs, TransferOutcome::NoAnswer))
            return false;
        if (!receiveDump()) return false;
        m_link.close();
        if (m_profile.generation == 3 && !receiveParamZone()) return false;
        return true;
    }

    DataStore& m_store;
    const TransferEnvironment& m_env;
    SerialLink& m_link;
    Clock& m_clock;
    const Profile& m_profile;
    TransferResult m_result;
    QByteArray m_dump, m_params;
    qsizetype m_received = 0;
};

} // namespace

TransferResult TransferGeneration3(DataStore& store, const TransferEnvironment& env) {
    return Transfer(store, env, kGeneration3).run();
}

TransferResult TransferGeneration5(DataStore& store, const TransferEnvironment& env) {
    return Transfer(store, env, kGeneration5).run();
}

TransferResult TransferDeviceMemory(DataStore& store, const TransferEnvironment& env) {
    return store.Device_Version == 3 ? TransferGeneration3(store, env) : TransferGeneration5(store, env);
}
