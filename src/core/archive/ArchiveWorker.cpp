#include "core/archive/ArchiveWorker.h"

#include <QEventLoop>
#include <QPointer>
#include <QThread>

// The connection's state, touched on the archive's thread only.
struct ArchiveWorker::Connection {
    std::unique_ptr<Archive> archive;
    QString openError;
    // The jobs given before an opening failed share its reason rather than wait for the server again,
    // one after the other; a later job tries again. A creating job does not take the reason of an
    // opening that was not allowed to create.
    quint64 failedThrough = 0;
    bool failedCreating = false;
};

ArchiveWorker::ArchiveWorker(const QString& locationText, QObject* parent)
    : QObject(parent), m_connection(std::make_unique<Connection>()) {
    if (auto resolved = ResolveArchiveLocation(locationText))
        m_location = std::move(resolved).value();
    else
        m_unusable = resolved.error();
    m_off = m_unusable.isEmpty() && m_location.isOff();
    if (m_off) m_unusable = QStringLiteral("Archive désactivée : l'archivage est éteint (« off »).");
    m_unavailable = m_unusable;
}

ArchiveWorker::~ArchiveWorker() {
    if (!m_thread) return;
    // After the jobs already given: the connection closes on its own thread, then the thread ends.
    QMetaObject::invokeMethod(
        m_threadContext,
        [this] {
            m_connection->archive.reset();
            QThread::currentThread()->quit();
        },
        Qt::QueuedConnection);
    m_thread->wait();
}

void ArchiveWorker::post(QObject* receiver, ArchiveOpenMode mode, Job work, std::function<void()> reply) {
    const quint64 job = ++m_given;
    if (++m_pending == 1) Q_EMIT busyChanged(true);
    auto openError = std::make_shared<QString>();
    auto finish = [this, guard = QPointer<QObject>(receiver), anyone = receiver == nullptr, openError, mode,
                   reply = std::move(reply)] {
        // A reader that finds no archive says so itself: the archive may still be created.
        if (m_unusable.isEmpty() && (openError->isEmpty() || mode == ArchiveOpenMode::CreateIfMissing))
            m_unavailable = *openError;
        if (anyone || guard) reply();
        if (--m_pending == 0) Q_EMIT busyChanged(false);
    };
    if (!m_unusable.isEmpty()) {
        // Nothing to open: the reason comes back the same way as a job's result.
        QMetaObject::invokeMethod(
            this,
            [this, work = std::move(work), finish = std::move(finish)] {
                work(nullptr, m_unusable);
                finish();
            },
            Qt::QueuedConnection);
        return;
    }
    if (!m_thread) {
        m_thread = std::make_unique<QThread>();
        m_thread->setObjectName(QStringLiteral("archive"));
        m_threadContext = new QObject;
        m_threadContext->moveToThread(m_thread.get());
        connect(m_thread.get(), &QThread::finished, m_threadContext, &QObject::deleteLater);
        m_thread->start();
    }
    QMetaObject::invokeMethod(
        m_threadContext,
        [this, job, mode, work = std::move(work), openError, finish = std::move(finish)] {
            *openError = execute(job, mode, work);
            QMetaObject::invokeMethod(this, finish, Qt::QueuedConnection);
        },
        Qt::QueuedConnection);
}

QString ArchiveWorker::execute(quint64 job, ArchiveOpenMode mode, const Job& work) {
    Connection& c = *m_connection;
    if (c.archive) {
        // A session the server lost is opened again; a job that still fails says why itself.
        static_cast<void>(c.archive->ensureConnected());
    } else if (job > c.failedThrough || (mode == ArchiveOpenMode::CreateIfMissing && !c.failedCreating)) {
        auto opened = Archive::open(m_location, mode);
        c.openError = opened ? QString() : opened.error();
        if (opened) c.archive = std::move(opened).value();
        if (!c.archive) {
            c.failedThrough = m_given.load();
            c.failedCreating = mode == ArchiveOpenMode::CreateIfMissing;
        }
    }
    work(c.archive.get(), c.openError);
    return c.archive ? QString() : c.openError;
}

void ArchiveWorker::waitForIdle() {
    if (!isBusy()) return;
    QEventLoop loop;
    connect(this, &ArchiveWorker::busyChanged, &loop, [&loop](bool busy) {
        if (!busy) loop.quit();
    });
    loop.exec(QEventLoop::ExcludeUserInputEvents);
}
