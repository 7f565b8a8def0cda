#pragma once

#include "core/archive/Archive.h"

#include <QObject>
#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <type_traits>

class QThread;

namespace archive_reply {
// What a reply receives: the job's value, or why the archive could not be opened. A job that gives an
// ArchiveResult already is passed on as it is.
template <class Value> struct Of { using type = ArchiveResult<Value>; };
template <class Value> struct Of<ArchiveResult<Value>> { using type = ArchiveResult<Value>; };
} // namespace archive_reply

// The archive of the window program: the location in force, read once, and its one connection, opened
// and used on a thread of its own so that a server slow to answer or a long import never freezes a
// window. Jobs run one after the other in the order they were given. Each reply runs on the thread
// that gave the job, and only while its receiver exists: a window closed meanwhile drops it.
class ArchiveWorker : public QObject {
    Q_OBJECT
public:
    // locationText as vorl-cli's option takes it; empty: VORL_ARCHIVE, else the default file.
    explicit ArchiveWorker(const QString& locationText = {}, QObject* parent = nullptr);
    // The jobs already given end first (an import is never cut short); their replies are dropped.
    ~ArchiveWorker() override;
    ArchiveWorker(const ArchiveWorker&) = delete;
    ArchiveWorker& operator=(const ArchiveWorker&) = delete;

    const ArchiveLocation& location() const { return m_location; }
    // Archiving is switched off ("off"), rather than impossible.
    bool isOff() const { return m_off; }
    // Why there is no archive: archiving off, a location that cannot be read, or why the last opening
    // that could create it failed. Empty while the archive is open or was not tried yet.
    const QString& unavailable() const { return m_unavailable; }
    bool isBusy() const { return m_pending > 0; }

    // Runs work(Archive&) on the archive's thread, opening the archive first when it is not open (mode:
    // whether a missing archive may be created), then reply(result) here. When the archive cannot be
    // opened, work does not run and the result holds the reason. Without a receiver the reply runs as
    // long as this object lives.
    template <class Work, class Reply>
    void run(QObject* receiver, ArchiveOpenMode mode, Work work, Reply reply);

    // Returns once every job given so far has ended and its reply has run. Input events wait meanwhile.
    void waitForIdle();

Q_SIGNALS:
    // True when a job is given while none runs, false when the last reply has run.
    void busyChanged(bool busy);

private:
    using Job = std::function<void(Archive*, const QString& openError)>;
    struct Connection;
    void post(QObject* receiver, ArchiveOpenMode mode, Job work, std::function<void()> reply);
    // On the archive's thread: opens the archive when needed and runs the job; the opening's failure.
    QString execute(quint64 job, ArchiveOpenMode mode, const Job& work);

    ArchiveLocation m_location;
    QString m_unusable; // the location is off or cannot be read: no thread, no connection
    bool m_off = false;
    QString m_unavailable;
    int m_pending = 0;
    std::atomic<quint64> m_given{0};
    std::unique_ptr<Connection> m_connection; // used on the archive's thread only
    std::unique_ptr<QThread> m_thread;
    QObject* m_threadContext = nullptr; // lives on the archive's thread
};

template <class Work, class Reply>
void ArchiveWorker::run(QObject* receiver, ArchiveOpenMode mode, Work work, Reply reply) {
    using Result = typename archive_reply::Of<std::invoke_result_t<Work&, Archive&>>::type;
    auto result = std::make_shared<std::optional<Result>>();
    post(
        receiver, mode,
        [result, work = std::move(work)](Archive* archive, const QString& openError) mutable {
            if (archive)
                result->emplace(work(*archive));
            else
                result->emplace(Result::failure(openError));
        },
        [result, reply = std::move(reply)]() mutable { reply(std::move(**result)); });
}
