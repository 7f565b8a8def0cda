#include "SaveFileTestSupport.h"

#include "core/files/SaveFileTexts.h"

#include <gtest/gtest.h>

namespace {

using namespace SaveFileTexts;

enum class Expect { BadHeader, BadData, BadTransferField };

struct Case {
    const char* name;
    int generation;
    std::function<QByteArray(QByteArray)> damage;
    Expect expect;
};

// Positions in a generated file: the end of the header line and the start of each later line.
qsizetype lineStart(const QByteArray& bytes, int line) {
    qsizetype pos = 0;
    for (int i = 1; i < line; ++i)
        pos = bytes.indexOf("\r\n", pos) + 2;
    return pos;
}

QByteArray replaceAt(QByteArray bytes, qsizetype pos, qsizetype length, const QByteArray& with) {
    return bytes.replace(pos, length, with);
}

// The first value of line 2 is row 1, column 1; the store below puts 19 there and 7 after it.
QByteArray secondValue(const QByteArray& bytes, const QByteArray& with) {
    const qsizetype pos = lineStart(bytes, 2) + 3;
    EXPECT_EQ(bytes.mid(pos - 3, 6), QByteArray(" 19 7 "));
    return replaceAt(bytes, pos, 3, with);
}

QByteArray endOfLine2(const QByteArray& bytes, const QByteArray& with) {
    const qsizetype pos = lineStart(bytes, 3) - 6;
    EXPECT_EQ(bytes.mid(pos, 6), QByteArray(" 255\r\n"));
    return replaceAt(bytes, pos, 4, with);
}

const Case kCases[] = {
    {"header with a capital D", 3, [](QByteArray b) { return replaceAt(b, 0, 1, "D"); }, Expect::BadHeader},
    {"header of the other generation in small letters", 5,
     [](QByteArray b) { return replaceAt(b, 0, 1, "d"); }, Expect::BadHeader},
    {"header saved as UTF-8", 5, [](QByteArray b) { return replaceAt(b, 4, 1, "\xC3\xA9"); },
     Expect::BadHeader},
    {"header of another program", 5, [](QByteArray) { return QByteArray("PK\x03\x04 zip archive"); },
     Expect::BadHeader},
    {"header that never ends", 5, [](QByteArray) { return QByteArray(4000, 'x'); }, Expect::BadHeader},
    {"6-digit value inside a line", 5, [](QByteArray b) { return secondValue(b, " 000007 "); },
     Expect::BadData},
    {"4-digit value before CR LF", 5, [](QByteArray b) { return endOfLine2(b, " 0255"); }, Expect::BadData},
    {"4-digit value before CR LF (gen 3)", 3, [](QByteArray b) { return endOfLine2(b, " 0255"); },
     Expect::BadData},
    {"value 256", 5, [](QByteArray b) { return secondValue(b, " 256 "); }, Expect::BadData},
    {"value 32767", 3, [](QByteArray b) { return secondValue(b, " 32767 "); }, Expect::BadData},
    {"negative value", 5, [](QByteArray b) { return secondValue(b, " -7 "); }, Expect::BadData},
    {"negative value written without a blank", 5, [](QByteArray b) { return secondValue(b, "-7 "); },
     Expect::BadData},
    {"non-numeric value", 5, [](QByteArray b) { return secondValue(b, " 7x "); }, Expect::BadData},
    {"plus sign", 3, [](QByteArray b) { return secondValue(b, " +7 "); }, Expect::BadData},
    {"two blanks (empty value)", 5, [](QByteArray b) { return secondValue(b, "  7 "); }, Expect::BadData},
    {"empty file", 5, [](QByteArray) { return QByteArray(); }, Expect::BadData},
    {"truncated in the header", 5, [](QByteArray b) { return b.left(10); }, Expect::BadData},
    {"truncated after the header", 5, [](QByteArray b) { return b.left(kHeaderV5.size() + 2); },
     Expect::BadData},
    {"truncated in line 2", 5, [](QByteArray b) { return b.left(100000); }, Expect::BadData},
    {"truncated at the end of line 3", 3, [](QByteArray b) { return b.left(lineStart(b, 4)); },
     Expect::BadData},
    {"truncated before the blank ending line 4 (gen 3)", 3, [](QByteArray b) { return b.left(b.size() - 3); },
     Expect::BadData},
    {"truncated in line 5", 5, [](QByteArray b) { return b.left(lineStart(b, 5) + 500); }, Expect::BadData},
    {"truncated before line 6", 5, [](QByteArray b) { return b.left(lineStart(b, 6)); }, Expect::BadData},
    {"line 6 without its final blank", 5, [](QByteArray b) { return b.left(b.size() - 3); }, Expect::BadData},
    {"line 6 of 20 characters", 5,
     [](QByteArray b) { return b.left(lineStart(b, 6)) + "05/03/2009_14:30:121 \r\n"; },
     Expect::BadTransferField},
};

void PrintTo(const Case& c, std::ostream* os) {
    *os << c.name;
}

class SaveFileReject : public ::testing::TestWithParam<Case> {};

// Whatever is wrong with the file, its message is shown and nothing of the program's state moves:
// the data in memory, the generation, the loaded flag, the caption and the menus.
TEST_P(SaveFileReject, ShowsItsMessageAndKeepsEverything) {
    const Case& c = GetParam();
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("damaged.qlv"));
    auto source = generatedStore(c.generation);
    source->Leq_Records(1, 1) = 19;
    source->Leq_Records(1, 2) = 7;
    const QByteArray good = savedBytes(*source, c.generation, path);
    ASSERT_FALSE(good.isEmpty());
    ASSERT_TRUE(writeAll(path, c.damage(good)));

    auto store = generatedStore(c.generation == 3 ? 5 : 3, 2, 99); // other data, other generation
    store->Com_Port = 4;
    store->Abort_Flag = kFalse;
    const DeviceData before = store->deviceData();
    const int16_t version = store->Device_Version;
    CursorRecordingUi ui;
    FakeMainShell shell;
    shell.setCaption(QStringLiteral("before"));
    shell.setMenuEnabled(MenuEntry::mnuSave_As, true);

    EXPECT_FALSE(LoadSaveFile(*store, path, ui, shell));

    ASSERT_EQ(ui.messages.size(), 1u);
    const RecordedMessage& m = ui.messages.front();
    EXPECT_EQ(m.icon, MessageIcon::Critical);
    switch (c.expect) {
    case Expect::BadHeader:
        EXPECT_EQ(m.title, kBadHeaderTitle);
        EXPECT_EQ(m.text, kNotQlvText);
        break;
    case Expect::BadData:
        EXPECT_EQ(m.title, kBadDataTitle);
        EXPECT_EQ(m.text, kNotQlvText);
        break;
    case Expect::BadTransferField:
        EXPECT_EQ(m.title, kBadDataTitle);
        EXPECT_EQ(m.text, QStringLiteral("Ce fichier n'est pas un fichier de QLV 40 Version 5.X !!!!"));
        break;
    }
    EXPECT_TRUE(store->deviceData() == before);
    EXPECT_EQ(store->Device_Version, version);
    EXPECT_EQ(store->Data_Loaded, kTrue);
    EXPECT_EQ(store->Abort_Flag, kFalse);
    EXPECT_EQ(shell.caption(), QStringLiteral("before"));
    EXPECT_TRUE(shell.isMenuEnabled(MenuEntry::mnuSave_As));
    EXPECT_FALSE(ui.busyCursor);
}

INSTANTIATE_TEST_SUITE_P(Damaged, SaveFileReject, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<Case>& info) {
                             std::string name;
                             for (const char* p = info.param.name; *p; ++p)
                                 name += std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
                             return name;
                         });

TEST(SaveFileRejectMissing, MissingFileOrFolderIsNotOpened) {
    QTemporaryDir dir;
    for (const QString& path : {dir.filePath(QStringLiteral("nowhere.qlv")), dir.path()}) {
        auto store = generatedStore(5);
        const DeviceData before = store->deviceData();
        FakeUiServices ui;
        FakeMainShell shell;
        shell.setCaption(QStringLiteral("before"));
        EXPECT_FALSE(LoadSaveFile(*store, path, ui, shell));
        ASSERT_EQ(ui.messages.size(), 1u);
        EXPECT_EQ(ui.messages[0].icon, MessageIcon::None);
        EXPECT_EQ(ui.messages[0].title, QStringLiteral("Problème de fichier"));
        EXPECT_EQ(ui.messages[0].text, QStringLiteral("Impossible d'ouvrir le fichier : ") + path);
        EXPECT_TRUE(store->deviceData() == before);
        EXPECT_EQ(store->Data_Loaded, kTrue);
        EXPECT_EQ(shell.caption(), QStringLiteral("before"));
        EXPECT_FALSE(ui.busyCursor);
    }
}

} // namespace
