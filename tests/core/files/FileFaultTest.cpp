#include "SaveFileTestSupport.h"
#include "core/files/SaveCommand.h"
#include "core/files/SaveFileTexts.h"

#include "support/FileSizeLimit.h"
#include <QDir>
#include <atomic>
#include <csignal>
#include <filesystem>

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <thread>

// Files that fail under the program: a folder it cannot write into, a full disk, a file replaced by
// another program while it is read. The earlier file on disk and the data in memory must come out
// whole, and the user must be told.
namespace {

class SilentProgress : public SaveProgressSink {
public:
    void open(const SaveProgressView&) override {}
    void step(const SaveProgressView&) override {}
    void close() override {}
};

struct SaveFault {
    const char* what;
    bool underPlainFile; // the chosen folder is a file: nothing can be created in it
    rlim_t sizeLimit;    // 0: no limit
};

TEST(FileFaults, FailedSaveKeepsTheEarlierFileAndTheData) {
    const SaveFault faults[] = {
        {"folder that cannot hold files", true, 0},
        {"disk full at the start", false, 1},
        {"disk full half-way", false, 200 * 1024},
    };
    for (const SaveFault& f : faults) {
        SCOPED_TRACE(f.what);
        QTemporaryDir dir;
        auto store = generatedStore(5);
        const DeviceData before = store->deviceData();
        QString target = dir.filePath(QStringLiteral("earlier.qlv"));
        const QByteArray earlier = "donnees_d_un_QLV_40_V5.0!!! the file saved last week\r\n";
        ASSERT_TRUE(writeAll(target, earlier));
        if (f.underPlainFile) target = dir.filePath(QStringLiteral("earlier.qlv/new.qlv"));

        FakeUiServices ui;
        FakeMainShell shell;
        FakeClock clock;
        SilentProgress progress;
        ui.saveAnswers = {target, target}; // the offered name, then the dated name of the retry
        SaveCommandEnv env{*store, ui, shell, clock, progress, {}, [] { return QDate(2009, 9, 11); }};
        SaveResult result;
        {
            std::optional<FileSizeLimit> limit;
            if (f.sizeLimit > 0) limit.emplace(f.sizeLimit);
            result = SaveDataAs(env);
        }
        EXPECT_EQ(result, SaveResult::Failed);
        ASSERT_EQ(ui.messages.size(), 1u);
        EXPECT_EQ(ui.messages[0].title, QStringLiteral("Impossible de sauver les données !!!"));
        EXPECT_EQ(ui.messages[0].text,
                  QStringLiteral("Les données n'ont pas été sauvegardées !!!\nFichier : ") + target);
        EXPECT_EQ(readAll(dir.filePath(QStringLiteral("earlier.qlv"))), earlier);
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 1)
            << "no temporary file left";
        EXPECT_TRUE(store->deviceData() == before);
        EXPECT_TRUE(isTrue(store->Data_Loaded));
        EXPECT_TRUE(shell.isMenuEnabled(MenuEntry::mnuSave_As));
    }
}

// Another program swaps the file for a whole one and for a cut one as fast as it can while the
// file is read again and again: every read gives either the whole data set or a refusal that
// leaves the data in memory untouched.
TEST(FileFaults, FileReplacedWhileItIsRead) {
    namespace fs = std::filesystem;
    QTemporaryDir dir;
    const fs::path folder = dir.path().toStdString();
    const QString target = dir.filePath(QStringLiteral("data.qlv"));
    const QByteArray whole = savedBytes(*generatedStore(5, 3, 11), 5, dir.filePath(QStringLiteral("w.qlv")));
    ASSERT_FALSE(whole.isEmpty());
    ASSERT_TRUE(writeAll(dir.filePath(QStringLiteral("good.qlv")), whole));
    ASSERT_TRUE(writeAll(dir.filePath(QStringLiteral("cut.qlv")), whole.left(whole.size() / 2)));
    ASSERT_TRUE(writeAll(target, whole));

    const auto initial = generatedStore(3, 3, 5);
    auto expected = std::make_unique<DataStore>(*initial);
    {
        FakeUiServices ui;
        FakeMainShell shell;
        ASSERT_TRUE(LoadSaveFile(*expected, target, ui, shell));
    }

    std::atomic<bool> stop{false};
    std::thread swapper([&] {
        for (unsigned i = 0; !stop; ++i) {
            const fs::path source = folder / (i % 2 ? "good.qlv" : "cut.qlv");
            const fs::path staged = folder / "staged.qlv";
            std::error_code ec;
            fs::remove(staged, ec);
            fs::create_hard_link(source, staged, ec);
            fs::rename(staged, folder / "data.qlv", ec); // atomic, as a saving program does it
        }
    });
    int loaded = 0, refused = 0;
    for (int round = 0; round < 24; ++round) {
        auto store = std::make_unique<DataStore>(*initial);
        FakeUiServices ui;
        FakeMainShell shell;
        if (LoadSaveFile(*store, target, ui, shell)) {
            ++loaded;
            EXPECT_TRUE(store->deviceData() == expected->deviceData());
            EXPECT_TRUE(ui.messages.empty());
        } else {
            ++refused;
            EXPECT_TRUE(store->deviceData() == initial->deviceData());
            EXPECT_EQ(store->Device_Version, initial->Device_Version);
            ASSERT_EQ(ui.messages.size(), 1u);
            EXPECT_EQ(ui.messages[0].title, SaveFileTexts::kBadDataTitle);
            EXPECT_EQ(ui.messages[0].text, SaveFileTexts::kNotQlvText);
        }
    }
    stop = true;
    swapper.join();
    EXPECT_EQ(loaded + refused, 24);
}

} // namespace
