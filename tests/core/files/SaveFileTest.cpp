#include "SaveFileTestSupport.h"

#include "core/files/SaveFileTexts.h"

#include <QDir>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {

QList<QByteArray> linesOf(const QByteArray& bytes) {
    QList<QByteArray> lines = bytes.split('\n');
    EXPECT_TRUE(lines.last().isEmpty()) << "the file ends with a line end";
    lines.removeLast();
    for (QByteArray& line : lines) {
        EXPECT_TRUE(line.endsWith('\r')) << "every line ends with CR LF";
        line.chop(1);
    }
    return lines;
}

// The values of a line written in the file's number form, in order.
int countNumbers(const QByteArray& line) {
    int count = 0;
    for (int i = 0; i < line.size(); ++i)
        if ((line[i] == ' ' || line[i] == '-') && i + 1 < line.size() && line[i + 1] >= '0' &&
            line[i + 1] <= '9')
            ++count;
    return count;
}

class SaveFileTest : public ::testing::Test {
protected:
    QString path(const char* name) const { return m_dir.filePath(QLatin1String(name)); }
    QTemporaryDir m_dir;
    CursorRecordingUi m_ui;
    FakeMainShell m_shell;
};

TEST_F(SaveFileTest, LayoutOfBothGenerations) {
    struct Case {
        int generation;
        QByteArray header;
        std::vector<int> numbers; // values per line after the header
        std::vector<bool> endsWithBlank;
    } cases[] = {
        {3, SaveFileTexts::kHeaderV3, {32768, 32768, 514}, {false, false, true}},
        {5, SaveFileTexts::kHeaderV5, {65536, 32768, 2560, 682 * 48, 0}, {false, false, false, true, true}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.generation);
        auto store = generatedStore(c.generation);
        const QList<QByteArray> lines = linesOf(savedBytes(*store, c.generation, path("layout.qlv")));
        ASSERT_EQ(lines.size(), static_cast<int>(c.numbers.size()) + 1);
        EXPECT_EQ(lines[0], c.header);
        for (std::size_t i = 0; i < c.numbers.size(); ++i) {
            const QByteArray& line = lines[static_cast<int>(i) + 1];
            if (c.numbers[i]) {
                EXPECT_EQ(countNumbers(line), c.numbers[i]) << "line " << i + 2;
            }
            EXPECT_EQ(line.endsWith(' '), c.endsWithBlank[i]) << "line " << i + 2;
        }
        if (c.generation == 5) {
            EXPECT_EQ(lines[5],
                      store->Transfer_Date.toLatin1() + '_' + store->Transfer_Time.toLatin1() + ' ');
        }
    }
}

TEST_F(SaveFileTest, NumberFormBlankBeforePositiveMinusBeforeNegative) {
    auto store = std::make_unique<DataStore>();
    const int16_t row[8] = {5, 12, 255, 0, -7, 100, 9, 32767};
    for (int c = 1; c <= 8; ++c)
        store->Leq_Records(1, c) = row[c - 1];
    const QByteArray bytes = savedBytes(*store, 3, path("numbers.qlv"));
    EXPECT_TRUE(linesOf(bytes)[1].startsWith(" 5 12 255 0-7 100 9 32767 0 0"));
}

// Store -> file -> store keeps every cell; the time of the reading keeps hours and minutes only.
// File -> store -> file is then the same file, byte for byte.
TEST_F(SaveFileTest, RoundTripsOfBothGenerations) {
    for (int generation : {3, 5}) {
        SCOPED_TRACE(generation);
        auto original = generatedStore(generation, 5, 11);
        const QByteArray first = savedBytes(*original, generation, path("a.qlv"));

        auto loaded = std::make_unique<DataStore>();
        ASSERT_TRUE(LoadSaveFile(*loaded, path("a.qlv"), m_ui, m_shell));
        EXPECT_EQ(loaded->Device_Version, generation);
        DeviceData expected = original->deviceData();
        expected.Transfer_Time = expected.Transfer_Time.left(5);
        EXPECT_TRUE(loaded->deviceData() == expected);

        const QByteArray second = savedBytes(*loaded, generation, path("b.qlv"));
        if (generation == 3) {
            EXPECT_EQ(first, second);
        }
        // Only the seconds of the reading are gone from the last line.
        EXPECT_EQ(first.left(first.lastIndexOf("\r\n", first.size() - 3)),
                  second.left(second.lastIndexOf("\r\n", second.size() - 3)));

        auto again = std::make_unique<DataStore>();
        ASSERT_TRUE(LoadSaveFile(*again, path("b.qlv"), m_ui, m_shell));
        EXPECT_EQ(savedBytes(*again, generation, path("c.qlv")), second);
        EXPECT_TRUE(m_ui.messages.empty());
    }
}

TEST_F(SaveFileTest, LastLineGivesDateAndHoursMinutes) {
    struct Case {
        const char* field;
        const char* date;
        const char* time;
    } cases[] = {
        {"05/03/2009_14:30:12", "05/03/2009", "14:30"},
        {"05/03/2009_14:30", "05/03/2009", "14:30"},
        {"31/12/2099_23:59:59", "31/12/2099", "23:59"},
        {"5/3/2009_9:05", "5/3/2009_9", "05"}, // a short date shifts the fields: as written on disk
    };
    auto store = generatedStore(5);
    QByteArray bytes = savedBytes(*store, 5, path("line6.qlv"));
    const qsizetype line6 = bytes.lastIndexOf("\r\n", bytes.size() - 3) + 2;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.field);
        ASSERT_TRUE(writeAll(path("line6.qlv"), bytes.left(line6) + c.field + " \r\n"));
        auto loaded = std::make_unique<DataStore>();
        ASSERT_TRUE(LoadSaveFile(*loaded, path("line6.qlv"), m_ui, m_shell));
        EXPECT_EQ(loaded->Transfer_Date, QString::fromLatin1(c.date));
        EXPECT_EQ(loaded->Transfer_Time, QString::fromLatin1(c.time));
    }
}

TEST_F(SaveFileTest, LoadSetsGenerationCaptionMenuAndFlags) {
    const QString prefix = QStringLiteral("VORL Analyser - QLV 40 - Version 5.5  |  ");
    const QString suffix = QStringLiteral("  |  Mode d'ouverture de fichier actif.");
    struct Case {
        int generation;
        int16_t comPort;
        QString caption;
    } cases[] = {
        {3, 0, prefix + "Pas de port de COM.  |  FirmWare QLV 40 : Version 3.2" + suffix},
        {5, 0, prefix + "Pas de port de COM.  |  FirmWare QLV 40 : Version 5.X" + suffix},
        {3, 12, prefix + "Port de com. : COM 12  |  FirmWare QLV 40 : Version 3.2" + suffix},
        {5, 1, prefix + "Port de com. : COM 1  |  FirmWare QLV 40 : Version 5.X" + suffix},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.caption.toStdString());
        auto source = generatedStore(c.generation);
        savedBytes(*source, c.generation, path("flags.qlv"));
        auto store = std::make_unique<DataStore>();
        store->Device_Version = c.generation == 3 ? 5 : 3;
        store->Com_Port = c.comPort;
        store->Abort_Flag = kTrue;
        m_shell.setMenuEnabled(MenuEntry::mnuSave_As, true);
        m_ui.cursorChanges.clear();

        EXPECT_TRUE(LoadSaveFile(*store, path("flags.qlv"), m_ui, m_shell));
        EXPECT_EQ(store->Device_Version, c.generation);
        EXPECT_EQ(store->Data_Loaded, kTrue);
        EXPECT_EQ(store->Abort_Flag, kFalse);
        EXPECT_EQ(m_shell.caption(), c.caption);
        EXPECT_FALSE(m_shell.isMenuEnabled(MenuEntry::mnuSave_As));
        EXPECT_EQ(m_ui.cursorChanges, (std::vector<bool>{true, false}));
    }
}

TEST_F(SaveFileTest, Generation3RebuildsParamBlockAndKeepsUpperLevelRows) {
    auto source = generatedStore(3);
    for (int i = 0; i < 514; ++i)
        source->Param_Block_V3[i] = static_cast<int16_t>(i % 200);
    savedBytes(*source, 3, path("v3.qlv"));

    auto store = std::make_unique<DataStore>();
    store->Leq_Records.fill(42);
    store->Param_Block.fill(7);
    ASSERT_TRUE(LoadSaveFile(*store, path("v3.qlv"), m_ui, m_shell));
    for (int cell = 0; cell < 2048; ++cell)
        if (cell != 6 && cell != 7) {
            ASSERT_EQ(store->Param_Block[cell], 255) << cell;
        }
    EXPECT_EQ(store->Param_Block[6], 512 % 200);
    EXPECT_EQ(store->Param_Block[7], 513 % 200);
    for (int i = 0; i < 512; ++i)
        ASSERT_EQ(store->Param_Block[2048 + i], i % 200) << i;
    for (int row : {4097, 6000, 8192})
        EXPECT_EQ(store->Leq_Records(row, 3), 42) << row;
    EXPECT_EQ(store->Leq_Records(4096, 1), source->Leq_Records(4096, 1));
}

// Inside a line a value has at most 5 characters and its ending space; the last value of
// lines 2 and 3 also carries the CR LF, so there it has at most 3.
TEST_F(SaveFileTest, LongestAcceptedValues) {
    auto store = generatedStore(3);
    store->Leq_Records(1, 2) = 7;
    const QByteArray bytes = savedBytes(*store, 3, path("long.qlv"));
    const qsizetype secondValue = SaveFileTexts::kHeaderV3.size() + 2 + QByteArray(" 19").size();
    ASSERT_EQ(bytes.mid(secondValue, 3), QByteArray(" 7 "));
    QByteArray padded = bytes;
    padded.replace(secondValue, 3, " 00007 ");
    ASSERT_TRUE(writeAll(path("long.qlv"), padded));
    auto loaded = std::make_unique<DataStore>();
    ASSERT_TRUE(LoadSaveFile(*loaded, path("long.qlv"), m_ui, m_shell));
    EXPECT_EQ(loaded->Leq_Records(1, 2), 7);
    EXPECT_EQ(loaded->Leq_Records(4096, 8), 255); // "255" then CR LF and the next line's blank
}

TEST_F(SaveFileTest, ProgressStepsOfTheWriter) {
    auto store = generatedStore(5);
    for (auto [generation, steps] : {std::pair{5, 16700}, std::pair{3, 8256}}) {
        int count = 0;
        QString error;
        ASSERT_TRUE(WriteSaveFile(
            *store, path("steps.qlv"), generation, generation == 3 ? 4096 : 8192, [&count] { ++count; },
            &error));
        EXPECT_EQ(count, steps) << generation;
    }
}

TEST_F(SaveFileTest, RefusedArgumentsWriteNothing) {
    auto store = generatedStore(5);
    QString error;
    EXPECT_FALSE(WriteSaveFile(*store, path("bad.qlv"), 4, 8192, {}, &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(WriteSaveFile(*store, path("bad.qlv"), 5, 8193, {}, &error));
    EXPECT_FALSE(QFile::exists(path("bad.qlv")));
}

// A save that fails leaves the file it was to replace as it was.
TEST_F(SaveFileTest, FailedWriteLeavesOldFileIntact) {
    auto store = generatedStore(5);
    const QByteArray old = "an older save\r\n";
    QDir(m_dir.path()).mkdir(QStringLiteral("folder"));
    const QString target = path("folder/data.qlv");
    ASSERT_TRUE(writeAll(target, old));

    // A folder that cannot be written to (root writes anywhere: that case is skipped).
    QFile::setPermissions(path("folder"), QFile::ReadOwner | QFile::ExeOwner);
    if (geteuid() != 0) {
        QString error;
        EXPECT_FALSE(WriteSaveFile(*store, target, 5, 8192, {}, &error));
        EXPECT_FALSE(error.isEmpty());
        EXPECT_EQ(readAll(target), old);
    }
    QFile::setPermissions(path("folder"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    // The folder moves away while the file is being written: the new file cannot take the place
    // of the old one, which stays untouched where the folder went.
    bool moved = false;
    QString error;
    EXPECT_FALSE(WriteSaveFile(
        *store, target, 5, 8192,
        [&] {
            if (!moved) moved = QDir(m_dir.path()).rename(QStringLiteral("folder"), QStringLiteral("moved"));
        },
        &error));
    ASSERT_TRUE(moved);
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(readAll(path("moved/data.qlv")), old);
    EXPECT_EQ(QDir(path("moved")).entryList(QDir::Files), QStringList{QStringLiteral("data.qlv")});
}

} // namespace
