#include "core/archive/Archive.h"
#include "sim/MemoryImage.h"
#include "sim/SampleDevice.h"
#include "support/EnvironmentGuard.h"
#include "support/FakeSerialLink.h"
#include "support/FakeWindowHost.h"
#include "ui/link/UiTransferRunner.h"
#include "ui/shell/ShellHarness.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

enum class Cancel { Never, DuringTransmission, DuringCompletionPause };
enum class Target { Sound, Broken, Off };

// A device answering at once, behind the window's own transfer runner.
class TransferKeepingTest : public ::testing::Test {
protected:
    DataStore store;
    FakeUiServices ui;
    FakeClock clock;
    FakeMainShell shell;
    FakeWindowHost host{store};
    PortTable ports{QStringList{QStringLiteral("/dev/ttyFAKE0")}};
    FakePortProber prober;
    const DeviceData device = MakeSampleDevice({5, 4, 0.5, false});
    const QByteArray dump = EncodeGeneration5Dump(device);
    UiTransferRunner runner{[this](Clock&) {
        auto link = std::make_unique<FakeSerialLink>(clock);
        FakeSerialLink* line = link.get();
        line->onCommand = [this, line](quint8 command) {
            std::vector<int> chunks(8, 16000);
            chunks.push_back(5632);
            if (command == 0x01) line->streamChunksAt(clock.now + 20, dump, chunks, 1000);
        };
        return link;
    }};
    // Each case points the program's archive somewhere else.
    std::unique_ptr<ArchiveWorker> archive;
    std::unique_ptr<AppContext> ctx;
    QTemporaryDir dir;

    void SetUp() override {
        store.Com_Port = 1;
        store.Device_Version = 5;
        runner.setDateTimeSource([] { return QDateTime(QDate(2024, 3, 1), QTime(8, 0)); });
    }

    QString pointArchiveAt(Target target) {
        const QString path = dir.filePath(QStringLiteral("archive.sqlite"));
        QString location = path;
        if (target == Target::Off) {
            location = QStringLiteral("off");
        } else if (target == Target::Broken) {
            // A folder that is a plain file: the archive cannot be created under it.
            QFile blocker(dir.filePath(QStringLiteral("blocker")));
            blocker.open(QIODevice::WriteOnly);
            location = dir.filePath(QStringLiteral("blocker/archive.sqlite"));
        }
        ctx.reset();
        archive = std::make_unique<ArchiveWorker>(location);
        ctx.reset(new AppContext{store, ui, clock, shell, host, ports, prober, runner, *archive});
        runner.setContext(*ctx);
        return path;
    }

    int archivedDownloads(const QString& path) {
        if (!QFile::exists(path)) return 0;
        ArchiveLocation location = ParseArchiveLocation(path).value();
        const auto archive = Archive::open(location).value();
        int downloads = 0;
        const auto devices = archive
                                 ? archive->devices()
                                 : ArchiveResult<std::vector<ArchivedDevice>>(std::vector<ArchivedDevice>{});
        if (devices)
            for (const ArchivedDevice& d : *devices)
                downloads += d.downloads;
        return downloads;
    }
};

// Only a transfer that completed reaches the archive; a failing archive keeps the data in memory,
// says so, and leaves the transfer to be asked about when quitting.
TEST_F(TransferKeepingTest, CompletedTransferIsArchivedOnce) {
    struct Case {
        const char* name;
        Cancel cancel;
        Target target;
        int downloads;
        bool warned, unkept;
    };
    const Case cases[] = {
        {"completed", Cancel::Never, Target::Sound, 1, false, false},
        {"cancelled while reading", Cancel::DuringTransmission, Target::Sound, 0, false, false},
        // The pause only keeps the finished window in view: the download arrived whole and is kept.
        {"closed in the final pause", Cancel::DuringCompletionPause, Target::Sound, 1, false, false},
        {"archive cannot be written", Cancel::Never, Target::Broken, 0, true, true},
        {"archiving off", Cancel::Never, Target::Off, 0, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir caseDir;
        dir.swap(caseDir);
        const QString path = pointArchiveAt(c.target);
        store.Abort_Flag = kFalse;
        ui.messages.clear();
        clock.onWait = {};
        if (c.cancel == Cancel::DuringTransmission)
            clock.at(clock.now + 1500, [this] { store.Abort_Flag = kTrue, store.Transfer_Step = 0; });
        if (c.cancel == Cancel::DuringCompletionPause)
            clock.onWait = [this] {
                if (isTrue(store.Data_Loaded)) store.Abort_Flag = kTrue, store.Transfer_Step = 0;
            };

        // The status line of an archive period loaded before the transfer.
        shell.setCaption(QStringLiteral("VORL Analyser - QLV 40") + kCaptionNoteSeparator +
                         kLoadedPeriodCaption + QStringLiteral("1, du 12/10/2026 au 18/10/2026"));
        runner.runTransfer(store);
        archive->waitForIdle();
        host.destroyAll();
        clock.scheduled.clear();

        EXPECT_EQ(archivedDownloads(path), c.downloads);
        EXPECT_EQ(ui.messages.size(), c.warned ? 1u : 0u);
        if (c.cancel == Cancel::Never) {
            // The data of the transfer is in memory whatever became of the archive.
            EXPECT_TRUE(isTrue(store.Data_Loaded));
            EXPECT_EQ(store.Leq_Records, device.Leq_Records);
            // What became of the transfer comes first, and the loaded period is no longer named.
            EXPECT_TRUE(
                shell.caption().section(kCaptionNoteSeparator, 1).startsWith(QStringLiteral("VORL Analyser")))
                << shell.caption().toStdString();
            EXPECT_FALSE(shell.caption().contains(kLoadedPeriodCaption)) << shell.caption().toStdString();
        }
        if (c.cancel == Cancel::Never) {
            EXPECT_EQ(runner.keeping().holdsUnkeptTransfer(store), c.unkept);
        }
        store.Data_Loaded = kFalse;
    }
}

// "Quitter" asks only while the data in memory is a transfer kept nowhere; "Non" keeps the program.
TEST(TransferKeepingQuit, AsksOnlyForAnUnkeptTransfer) {
    enum class After { Nothing, Saved, OtherDataLoaded };
    struct Case {
        const char* name;
        const char* archive;
        After after;
        bool asked;
    };
    const Case cases[] = {
        {"archived", "", After::Nothing, false},
        {"archiving off", "off", After::Nothing, true},
        {"archiving off, then saved", "off", After::Saved, false},
        {"archiving off, then a file loaded", "off", After::OtherDataLoaded, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir dir;
        EnvironmentGuard env;
        env.set("VORL_ARCHIVE",
                *c.archive ? QByteArray(c.archive) : dir.filePath(QStringLiteral("archive.sqlite")).toUtf8());
        ShellHarness h;
        TransferKeeping keeping;
        h.main->setQuitCheck([&] { return keeping.confirmQuit(h.store, h.ui); });
        h.store.commit(MakeSampleDevice({5, 2, 0.3, false}));
        h.store.Data_Loaded = kTrue;
        keeping.archiveTransfer(h.store, h.archive, h.ui, *h.main, {});
        if (c.after == After::Saved) keeping.dataSaved(h.store);
        if (c.after == After::OtherDataLoaded) h.store.commit(MakeSampleDevice({5, 3, 0.3, false}));

        h.ui.questionAnswers = {false};
        h.main->quit();
        EXPECT_EQ(h.ui.questions.size(), c.asked ? 1u : 0u);
        EXPECT_EQ(h.main->wasClosed(), !c.asked);
    }
}

} // namespace
