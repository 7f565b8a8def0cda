#include "TinyDownloads.h"

#include "core/archive/ArchiveWorker.h"

#include <QFile>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>

namespace {

DeviceData deviceNumber(int serialLast) {
    return tinyDownload(serialLast, {{at(3, 10, 0), 10, 80}, {at(3, 10, 10), 10, 81}}, at(3, 11, 0));
}

// Imports device `serialLast` and notes where the job and its reply ran.
struct Trace {
    std::vector<int> worked, replied;
    std::vector<QThread*> workThreads, replyThreads;
};

void importDevice(ArchiveWorker& worker, QObject* receiver, int serialLast, Trace& trace) {
    worker.run(
        receiver, ArchiveOpenMode::CreateIfMissing,
        [&trace, serialLast](Archive& archive) {
            trace.worked.push_back(serialLast);
            trace.workThreads.push_back(QThread::currentThread());
            return ArchiveTransferredData(archive, deviceNumber(serialLast), 5, QStringLiteral("/dev/ttyS0"));
        },
        [&trace, serialLast](const ImportResult& result) {
            EXPECT_TRUE(result) << result.error().toStdString();
            trace.replied.push_back(serialLast);
            trace.replyThreads.push_back(QThread::currentThread());
        });
}

std::size_t archivedDevices(const QString& path) {
    ArchiveLocation location = ParseArchiveLocation(path).value();
    const auto archive = Archive::open(location).value();
    const auto devices = archive->devices();
    return devices ? devices->size() : 0;
}

// Jobs run in the order given, on one thread that is not the caller's; replies come back on the
// caller's thread, only to receivers that still exist, and the busy state spans them all.
TEST(ArchiveWorker, RunsJobsInOrderOffTheCallersThreadAndRepliesToLiveReceivers) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("archive.sqlite"));
    ArchiveWorker worker(path);
    std::vector<bool> busy;
    QObject::connect(&worker, &ArchiveWorker::busyChanged, [&busy](bool b) { busy.push_back(b); });
    Trace trace;
    QObject kept;
    auto* closed = new QObject; // a window closed while its job runs
    importDevice(worker, &kept, 1, trace);
    importDevice(worker, closed, 2, trace);
    importDevice(worker, nullptr, 3, trace);
    EXPECT_TRUE(worker.isBusy());
    delete closed;
    worker.waitForIdle();

    EXPECT_EQ(trace.worked, (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(trace.replied, (std::vector<int>{1, 3}));
    for (QThread* thread : trace.workThreads) {
        EXPECT_NE(thread, QThread::currentThread());
        EXPECT_EQ(thread, trace.workThreads.front()); // one connection, one thread
    }
    for (QThread* thread : trace.replyThreads)
        EXPECT_EQ(thread, QThread::currentThread());
    EXPECT_EQ(busy, (std::vector<bool>{true, false}));
    EXPECT_TRUE(worker.unavailable().isEmpty());
    EXPECT_EQ(archivedDevices(path), 3u);
}

// Ending the worker lets the jobs already given finish (an import is never cut short); their replies
// no longer run.
TEST(ArchiveWorker, EndingFinishesTheJobsGivenAndDropsTheirReplies) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("archive.sqlite"));
    Trace trace;
    {
        ArchiveWorker worker(path);
        for (int serial : {1, 2, 3})
            importDevice(worker, nullptr, serial, trace);
    }
    EXPECT_EQ(trace.worked.size(), 3u);
    EXPECT_TRUE(trace.replied.empty());
    EXPECT_EQ(archivedDevices(path), 3u);
}

// An archive that cannot be had answers every job with the reason, which the worker also keeps; the
// job itself does not run.
TEST(ArchiveWorker, AnUnusableArchiveAnswersWithItsReason) {
    QTemporaryDir dir;
    const struct {
        QString location;
        ArchiveOpenMode mode;
        QString reason; // the start of it
    } cases[] = {
        {QStringLiteral("off"), ArchiveOpenMode::CreateIfMissing, QStringLiteral("Archive désactivée")},
        {QStringLiteral("ftp://server/archive"), ArchiveOpenMode::CreateIfMissing,
         QStringLiteral("Adresse d'archive illisible")},
        {dir.filePath(QStringLiteral("missing.sqlite")), ArchiveOpenMode::MustExist,
         QStringLiteral("Archive introuvable")},
        {dir.path(), ArchiveOpenMode::CreateIfMissing, QString()}, // a folder
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.location.toStdString());
        ArchiveWorker worker(c.location);
        bool worked = false;
        std::vector<QString> reasons;
        for (int job = 0; job < 2; ++job)
            worker.run(
                nullptr, c.mode,
                [&worked](Archive& archive) {
                    worked = true;
                    return archive.devices();
                },
                [&reasons](const ArchiveResult<std::vector<ArchivedDevice>>& devices) {
                    EXPECT_FALSE(devices);
                    reasons.push_back(devices.error());
                });
        worker.waitForIdle();
        EXPECT_FALSE(worked);
        ASSERT_EQ(reasons.size(), 2u);
        EXPECT_TRUE(reasons[0].startsWith(c.reason)) << reasons[0].toStdString();
        EXPECT_EQ(reasons[1], reasons[0]);
        // A reader finding no archive leaves it to be created.
        EXPECT_EQ(worker.unavailable(), c.mode == ArchiveOpenMode::MustExist ? QString() : reasons[0]);
    }
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("missing.sqlite"))));
}

} // namespace
