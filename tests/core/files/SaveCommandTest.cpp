#include "core/files/SaveCommand.h"
#include "core/files/SaveFile.h"
#include "support/Fakes.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

const std::vector<MenuEntry> kFiveMenus = {MenuEntry::mnuAbout, MenuEntry::mnuAnalyse, MenuEntry::mnuPort,
                                           MenuEntry::mnuSave_As, MenuEntry::mnuQuitter};

bool allMenus(const MainShell& shell, bool enabled) {
    for (MenuEntry entry : kFiveMenus)
        if (shell.isMenuEnabled(entry) != enabled) return false;
    return true;
}

void setRecordDate(LeqTable& table, int row, int day, int month, int year, int hour = 12, int minute = 0) {
    table(row, 1) = static_cast<int16_t>(minute);
    table(row, 2) = static_cast<int16_t>(hour);
    table(row, 3) = static_cast<int16_t>(day);
    table(row, 5) = static_cast<int16_t>(month);
    table(row, 6) = static_cast<int16_t>(year);
}

// Records the progress window's life; the hook looks at the world at each call.
class RecordingProgress : public SaveProgressSink {
public:
    void open(const SaveProgressView& view) override {
        ++opens;
        views.push_back(view);
    }
    void step(const SaveProgressView& view) override {
        views.push_back(view);
        if (view.complete) {
            ++completions;
            if (onComplete) onComplete();
        }
    }
    void close() override { ++closes; }

    int opens = 0, closes = 0, completions = 0;
    std::vector<SaveProgressView> views;
    std::function<void()> onComplete;
};

// A save dialog that also notes whether the menus were locked while it was shown.
class DialogUi : public FakeUiServices {
public:
    explicit DialogUi(const MainShell& shell) : m_shell(shell) {}
    std::optional<QString> saveFileName(const QString& fileName, const QString& filter) override {
        menusLockedAtDialog.push_back(allMenus(m_shell, false));
        return FakeUiServices::saveFileName(fileName, filter);
    }
    std::vector<bool> menusLockedAtDialog;

private:
    const MainShell& m_shell;
};

struct SaveFixture : ::testing::Test {
    DataStore store;
    FakeMainShell shell;
    DialogUi ui{shell};
    FakeClock clock;
    RecordingProgress progress;
    int windowsClosed = 0;
    SaveCommandEnv env{
        store, ui, shell, clock, progress, [this] { ++windowsClosed; }, [] { return QDate(2009, 9, 11); }};
    QTemporaryDir dir;

    SaveFixture() {
        store.Data_Loaded = kTrue;
        store.Device_Version = 3;
        store.Leq_Records.fill(255);
        setRecordDate(store.Leq_Records, 1, 5, 9, 9);
        setRecordDate(store.Leq_Records, 2, 8, 9, 9);
        setRecordDate(store.Leq_Records, 3, 12, 9, 9, 23, 50);
    }
    QString path(const char* name) const { return dir.filePath(QString::fromUtf8(name)); }
    int messagesTitled(const QString& title) const {
        return static_cast<int>(std::count_if(ui.messages.begin(), ui.messages.end(),
                                              [&](const RecordedMessage& m) { return m.title == title; }));
    }
};

const QString kCannotSave = QStringLiteral("Impossible de sauver les données !!!");
const QString kFirstName = QStringLiteral("Données QLV 40 du 05 Septembre 2009 au 12 Septembre 2009");

} // namespace

TEST(SaveNames, DefaultNameFromFirstAndLastValidRows) {
    struct Row {
        int row, day, month, year;
    };
    struct Case {
        std::vector<Row> rows;
        int scanned;
        QString name;
    } cases[] = {
        {{{1, 5, 9, 9}, {2, 12, 9, 9}}, 8192, kFirstName},
        {{{7, 1, 1, 0}}, 4096, QStringLiteral("Données QLV 40 du 01  Janvier  2000 au 01  Janvier  2000")},
        {{{1, 31, 12, 98}, {2, 1, 1, 99}},
         8192, // year 99 is not a valid year
         QStringLiteral("Données QLV 40 du 31 Décembre  2098 au 31 Décembre  2098")},
        {{{4096, 3, 8, 7}, {4097, 4, 8, 7}},
         4096, // a generation-3 save never reads past row 4096
         QStringLiteral("Données QLV 40 du 03   Août    2007 au 03   Août    2007")},
        {{{2, 0, 5, 9}, {3, 32, 5, 9}, {4, 1, 13, 9}}, 8192, QString()},
        {{}, 8192, QString()},
    };
    for (const Case& c : cases) {
        LeqTable table;
        table.fill(255);
        for (const Row& r : c.rows)
            setRecordDate(table, r.row, r.day, r.month, r.year);
        EXPECT_EQ(DefaultSaveName(table, c.scanned), c.name) << c.name.toStdString();
    }
}

TEST(SaveNames, DatedNameAndExtension) {
    EXPECT_EQ(DatedSaveName(QDate(2009, 9, 11)), QStringLiteral("Sauvegarde QLV 40 du 11-09-2009"));
    EXPECT_EQ(DatedSaveName(QDate(2010, 1, 2)), QStringLiteral("Sauvegarde QLV 40 du 02-01-2010"));

    const std::pair<const char*, const char*> names[] = {{"/d/a.qlv", "/d/a.qlv"},
                                                         {"/d/a", "/d/a.qlv"},
                                                         {"/d/a.QLV", "/d/a.qlv"},
                                                         {"/d/aqlv", "/d/aqlv.qlv"},
                                                         {"/d/a.txt", "/d/a.txt.qlv"}};
    for (const auto& [given, written] : names)
        EXPECT_EQ(WithSaveExtension(QString::fromUtf8(given)), QString::fromUtf8(written)) << given;
}

TEST(SaveProgressTest, GenerationThreeStopsAt96PercentUntilTheFinalStep) {
    SaveProgress progress(3);
    EXPECT_EQ(progress.view().maximum, 8512);
    EXPECT_EQ(progress.view().Label_Progression, QStringLiteral("Sauvegarde effecuée à 00%."));
    EXPECT_EQ(progress.view().Label_Save_en_Cours, QStringLiteral("Sauvegarde en cours ..."));
    EXPECT_EQ(progress.view().Label_Patientez, QStringLiteral("Veuillez patientez SVP..."));
    progress.step();
    EXPECT_EQ(progress.view().Label_Progression, QStringLiteral("Sauvegarde effectuée à 0%."));
    for (int i = 1; i < 4096 + 4096 + 64; ++i)
        progress.step();
    EXPECT_EQ(progress.view().value, 8256);
    EXPECT_EQ(progress.view().Label_Progression, QStringLiteral("Sauvegarde effectuée à 96%."));
    EXPECT_FALSE(progress.view().complete);
    EXPECT_FALSE(progress.view().Picture_Good);

    progress.complete();
    const SaveProgressView done = progress.view();
    EXPECT_EQ(done.value, 8512);
    EXPECT_TRUE(done.complete);
    EXPECT_TRUE(done.Picture_Good);
    EXPECT_EQ(done.Label_Save_en_Cours, QString());
    EXPECT_EQ(done.Label_Patientez, QStringLiteral("Sauvegarde terminée avec succès !!!"));
    EXPECT_EQ(done.Label_Progression, QStringLiteral("Sauvegarde effectuée à 100%."));
}

TEST(SaveProgressTest, RegularStepsNeverCompleteAndCompletionHappensOnce) {
    SaveProgress progress(5);
    EXPECT_EQ(progress.view().maximum, 16700);
    for (int i = 0; i < 16700 + 10; ++i)
        progress.step(); // generation 5's steps add up to the maximum
    EXPECT_EQ(progress.view().value, 16699);
    EXPECT_FALSE(progress.view().complete);
    EXPECT_EQ(progress.view().Label_Progression, QStringLiteral("Sauvegarde effectuée à 99%."));
    progress.complete();
    const SaveProgressView done = progress.view();
    progress.complete();
    progress.step();
    EXPECT_EQ(progress.view().value, done.value);
    EXPECT_EQ(progress.view().Label_Patientez, done.Label_Patientez);
}

TEST_F(SaveFixture, NoDataIsRefusedWithMenusGivenBack) {
    store.Data_Loaded = kFalse;
    bool lockedDuringMessage = false;
    ui.onMessage = [&](const RecordedMessage&) { lockedDuringMessage = allMenus(shell, false); };
    EXPECT_EQ(SaveDataAs(env), SaveResult::NoData);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].title, QStringLiteral("Impossible de sauvegarder les données !!!"));
    EXPECT_EQ(ui.messages[0].text,
              QStringLiteral("Veuillez au préalable charger des données pour utiliser à cette fonction !!!"));
    EXPECT_TRUE(lockedDuringMessage);
    EXPECT_TRUE(allMenus(shell, true));
    EXPECT_TRUE(ui.saveRequests.empty());
    EXPECT_EQ(windowsClosed, 1);
}

TEST_F(SaveFixture, CancelWritesNothingAndGivesTheMenusBack) {
    ui.saveAnswers = {std::nullopt};
    EXPECT_EQ(SaveDataAs(env), SaveResult::Cancelled);
    ASSERT_EQ(ui.saveRequests.size(), 1u);
    EXPECT_EQ(ui.saveRequests[0].first, kFirstName);
    EXPECT_EQ(ui.saveRequests[0].second, QStringLiteral("Sauvegarde QLV 40 (*.qlv)|*.qlv"));
    EXPECT_EQ(ui.menusLockedAtDialog, std::vector<bool>{true});
    EXPECT_TRUE(allMenus(shell, true));
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(progress.opens, 0);
    EXPECT_TRUE(QDir(dir.path()).isEmpty());
    EXPECT_EQ(windowsClosed, 1);
}

TEST_F(SaveFixture, EmptyNameAsksAgainWithAnEmptyName) {
    ui.saveAnswers = {QString(), QString(), path("retry.qlv")};
    EXPECT_EQ(SaveDataAs(env), SaveResult::Saved);
    ASSERT_EQ(ui.saveRequests.size(), 3u);
    EXPECT_EQ(ui.saveRequests[0].first, kFirstName);
    EXPECT_EQ(ui.saveRequests[1].first, QString());
    EXPECT_EQ(ui.saveRequests[2].first, QString());
    ASSERT_EQ(ui.messages.size(), 2u);
    for (const RecordedMessage& m : ui.messages) {
        EXPECT_EQ(m.icon, MessageIcon::Critical);
        EXPECT_EQ(m.title, kCannotSave);
        EXPECT_EQ(m.text, QStringLiteral("Veuillez entrer un nom de sauvegarde SVP !!!"));
    }
    EXPECT_TRUE(QFile::exists(path("retry.qlv")));
}

TEST_F(SaveFixture, CompletesOnceAfterTheFileIsOnDisk) {
    for (int generation : {3, 5}) {
        SCOPED_TRACE(generation);
        const QString file = path(generation == 3 ? "three.qlv" : "five.qlv");
        store.Device_Version = static_cast<int16_t>(generation);
        progress = RecordingProgress();
        clock.now = 0;
        bool fileThereAtCompletion = false;
        bool menusLockedWhileWriting = false;
        progress.onComplete = [&] { fileThereAtCompletion = QFile::exists(file); };
        ui.saveAnswers = {file};
        clock.onWait = [&] { menusLockedWhileWriting = menusLockedWhileWriting || allMenus(shell, false); };

        EXPECT_EQ(SaveDataAs(env), SaveResult::Saved);

        EXPECT_EQ(progress.opens, 1);
        EXPECT_EQ(progress.completions, 1);
        EXPECT_EQ(progress.closes, 1);
        EXPECT_TRUE(fileThereAtCompletion);
        EXPECT_GE(clock.now, 1500); // the finished window stays in view
        EXPECT_TRUE(menusLockedWhileWriting);
        EXPECT_TRUE(allMenus(shell, true));
        ASSERT_GE(progress.views.size(), 3u);
        EXPECT_EQ(progress.views.front().Label_Progression, QStringLiteral("Sauvegarde effecuée à 00%."));
        const SaveProgressView& beforeEnd = progress.views[progress.views.size() - 2];
        EXPECT_EQ(beforeEnd.Label_Progression, generation == 3
                                                   ? QStringLiteral("Sauvegarde effectuée à 96%.")
                                                   : QStringLiteral("Sauvegarde effectuée à 99%."));
        EXPECT_EQ(progress.views.back().value, SaveProgressMaximum(generation));
        EXPECT_TRUE(progress.views.back().complete);

        DataStore loaded;
        FakeUiServices loadUi;
        FakeMainShell loadShell;
        ASSERT_TRUE(LoadSaveFile(loaded, file, loadUi, loadShell));
        EXPECT_EQ(loaded.Device_Version, generation);
    }
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(SaveFixture, NameWithoutExtensionGetsQlv) {
    ui.saveAnswers = {path("chantier")};
    EXPECT_EQ(SaveDataAs(env), SaveResult::Saved);
    EXPECT_TRUE(QFile::exists(path("chantier.qlv")));
    EXPECT_FALSE(QFile::exists(path("chantier")));
}

// The file dialog asks about the name typed; only a different name written is asked about here.
TEST_F(SaveFixture, AsksBeforeReplacingTheFileReallyWritten) {
    struct Case {
        const char* typed;
        const char* written;
        bool writtenExists;
        std::deque<bool> answers;
        int questions;
        SaveResult result;
        bool replaced;
    } cases[] = {
        {"foo.txt", "foo.txt.qlv", false, {}, 0, SaveResult::Saved, true},
        {"x.QLV", "x.qlv", false, {}, 0, SaveResult::Saved, true},
        {"y.qlv", "y.qlv", true, {}, 0, SaveResult::Saved, true},
        {"bar.txt", "bar.txt.qlv", true, {true}, 1, SaveResult::Saved, true},
        {"baz.txt", "baz.txt.qlv", true, {false}, 1, SaveResult::Cancelled, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        const QString written = path(c.written);
        if (c.writtenExists) {
            QFile old(written);
            ASSERT_TRUE(old.open(QIODevice::WriteOnly));
            old.write("old");
        }
        ui.questions.clear();
        ui.saveRequests.clear();
        ui.questionAnswers = c.answers;
        ui.saveAnswers = {path(c.typed), std::nullopt}; // after a "Non" the dialog comes back
        EXPECT_EQ(SaveDataAs(env), c.result);
        ASSERT_EQ(static_cast<int>(ui.questions.size()), c.questions);
        if (c.questions > 0) {
            EXPECT_TRUE(ui.questions[0].text.contains(QDir::toNativeSeparators(written)));
        }
        ASSERT_EQ(ui.saveRequests.size(), c.replaced ? 1u : 2u);
        if (!c.replaced) {
            EXPECT_EQ(ui.saveRequests[1].first, written);
        }
        EXPECT_EQ(QFileInfo(written).size() > 3, c.replaced);
        EXPECT_FALSE(QFile::exists(path(c.typed)) && QString::fromUtf8(c.typed) != c.written);
    }
}

TEST_F(SaveFixture, FailedWriteIsRetriedUnderTodaysName) {
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("folder.qlv")));
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("locked")));
    QFile::setPermissions(path("locked"), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    QFile probe(path("locked/probe"));
    const bool lockedIsWritable = probe.open(QIODevice::WriteOnly); // true when run as root
    probe.remove();

    struct Case {
        const char* name;
        QString failing;
    } cases[] = {
        {"missing folder", path("no/such/folder/data.qlv")},
        {"read-only folder", path("locked/data.qlv")},
        {"a folder in the way", path("folder.qlv")},
    };
    for (const Case& c : cases) {
        if (QString::fromUtf8(c.name) == QStringLiteral("read-only folder") && lockedIsWritable) continue;
        SCOPED_TRACE(c.name);
        progress = RecordingProgress();
        ui.saveRequests.clear();
        ui.messages.clear();
        const QString good = path("second.qlv");
        QFile::remove(good);
        ui.saveAnswers = {c.failing, good};

        EXPECT_EQ(SaveDataAs(env), SaveResult::Saved);

        ASSERT_EQ(ui.saveRequests.size(), 2u);
        EXPECT_EQ(ui.saveRequests[0].first, kFirstName);
        EXPECT_EQ(ui.saveRequests[1].first, QStringLiteral("Sauvegarde QLV 40 du 11-09-2009"));
        EXPECT_TRUE(ui.messages.empty());
        EXPECT_TRUE(QFile::exists(good));
        EXPECT_EQ(progress.opens, 2);
        EXPECT_EQ(progress.closes, 2);
        EXPECT_EQ(progress.completions, 1);
        EXPECT_TRUE(allMenus(shell, true));
    }
    QFile::setPermissions(path("locked"),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

TEST_F(SaveFixture, SecondAttemptFailureIsReported) {
    struct Case {
        const char* name;
        bool validRows;
        std::deque<std::optional<QString>> answers;
        size_t requests;
        bool mentionsPath;
    } cases[] = {
        {"write fails twice", true, {path("nope/a.qlv"), path("nope/b.qlv")}, 2, true},
        {"second dialog cancelled", true, {path("nope/a.qlv"), std::nullopt}, 2, false},
        // Without a dated record the dated name is offered at once.
        {"no dated record, cancelled", false, {std::nullopt}, 1, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (!c.validRows) store.Leq_Records.fill(255);
        ui.saveRequests.clear();
        ui.messages.clear();
        ui.saveAnswers = c.answers;

        EXPECT_EQ(SaveDataAs(env), SaveResult::Failed);

        ASSERT_EQ(ui.saveRequests.size(), c.requests);
        EXPECT_EQ(ui.saveRequests.back().first, QStringLiteral("Sauvegarde QLV 40 du 11-09-2009"));
        ASSERT_EQ(ui.messages.size(), 1u);
        EXPECT_EQ(ui.messages[0].icon, MessageIcon::Critical);
        EXPECT_EQ(ui.messages[0].title, kCannotSave);
        EXPECT_EQ(ui.messages[0].text.contains(path("nope/b.qlv")), c.mentionsPath);
        EXPECT_TRUE(allMenus(shell, true));
        EXPECT_EQ(progress.completions, 0);
    }
    EXPECT_TRUE(QDir(dir.path()).isEmpty());
}
