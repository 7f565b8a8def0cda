#include "SaveFileTestSupport.h"

#include "core/files/SaveFileTexts.h"

#include <QFile>
#include <fcntl.h>
#include <future>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using namespace SaveFileTexts;

// The lines of a written file without their CR LF, and a file joined again from them.
QList<QByteArray> splitLines(const QByteArray& bytes) {
    QList<QByteArray> lines = bytes.split('\n');
    lines.removeLast();
    for (QByteArray& line : lines)
        line.chop(1);
    return lines;
}

QByteArray joinLines(const QList<QByteArray>& lines, const QByteArray& lineEnd) {
    QByteArray out;
    for (const QByteArray& line : lines)
        out += line + lineEnd;
    return out;
}

QByteArray converted(const QByteArray& bytes, const QByteArray& lineEnd) {
    return joinLines(splitLines(bytes), lineEnd);
}

QByteArray withLines(const QByteArray& bytes, const std::function<void(QList<QByteArray>&)>& edit) {
    QList<QByteArray> lines = splitLines(bytes);
    edit(lines);
    return joinLines(lines, "\n");
}

struct LineEndCase {
    const char* name;
    int generation;
    std::function<QByteArray(const QByteArray&)> change;
    bool loads; // with the values of the CR LF original; otherwise refused as damaged data
    const QString* title = &kBadDataTitle;
};

const LineEndCase kLineEndCases[] = {
    {"LF only", 5, [](const QByteArray& b) { return converted(b, "\n"); }, true},
    {"LF only (gen 3)", 3, [](const QByteArray& b) { return converted(b, "\n"); }, true},
    {"CR only", 5, [](const QByteArray& b) { return converted(b, "\r"); }, true},
    {"mixed line ends", 5,
     [](const QByteArray& b) {
         const QList<QByteArray> lines = splitLines(b);
         const QByteArray ends[] = {"\n", "\r\n", "\r"};
         QByteArray out;
         for (int i = 0; i < lines.size(); ++i)
             out += lines[i] + ends[i % 3];
         return out;
     },
     true},
    {"no final line end", 5, [](const QByteArray& b) { return b.chopped(2); }, true},
    {"no final line end (gen 3, LF)", 3, [](const QByteArray& b) { return converted(b, "\n").chopped(1); },
     true},
    {"header with a re-encoded accent", 5,
     [](const QByteArray& b) { return converted(b, "\n").replace(4, 1, "\xC3\xA9"); }, false,
     &kBadHeaderTitle},
    {"generation-3 header on a generation-5 body", 5,
     [](const QByteArray& b) { return withLines(b, [](QList<QByteArray>& l) { l[0] = kHeaderV3; }); }, false},
    {"one extra value in line 2", 5,
     [](const QByteArray& b) { return withLines(b, [](QList<QByteArray>& l) { l[1] += " 7"; }); }, false},
    {"one value missing in line 4", 5,
     [](const QByteArray& b) {
         return withLines(b, [](QList<QByteArray>& l) { l[3].truncate(l[3].lastIndexOf(' ')); });
     },
     false},
    {"duplicated line", 3,
     [](const QByteArray& b) { return withLines(b, [](QList<QByteArray>& l) { l.insert(2, l[2]); }); },
     false},
    {"duplicated last line", 3,
     [](const QByteArray& b) { return withLines(b, [](QList<QByteArray>& l) { l.append(l.last()); }); },
     false},
    {"trailing garbage", 5, [](const QByteArray& b) { return b + "x"; }, false},
    {"an empty line at the end", 5, [](const QByteArray& b) { return b + "\r\n"; }, false},
    {"text after the header", 5,
     [](const QByteArray& b) { return withLines(b, [](QList<QByteArray>& l) { l[0] += "x"; }); }, false},
    {"4-digit last value of line 2 before LF", 5,
     [](const QByteArray& b) {
         return withLines(b, [](QList<QByteArray>& l) { l[1] = l[1].left(l[1].lastIndexOf(' ')) + " 0255"; });
     },
     false},
};

void PrintTo(const LineEndCase& c, std::ostream* os) {
    *os << c.name;
}

class SaveFileLineEnds : public ::testing::TestWithParam<LineEndCase> {};

TEST_P(SaveFileLineEnds, LoadTheOriginalValuesOrAreRefused) {
    const LineEndCase& c = GetParam();
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("file.qlv"));
    auto source = generatedStore(c.generation);
    const QByteArray original = savedBytes(*source, c.generation, path);

    // What the CR LF original gives when loaded over the same data.
    auto expected = generatedStore(c.generation == 3 ? 5 : 3, 2, 99);
    FakeUiServices ui;
    FakeMainShell shell;
    ASSERT_TRUE(LoadSaveFile(*expected, path, ui, shell));

    ASSERT_TRUE(writeAll(path, c.change(original)));
    auto store = generatedStore(c.generation == 3 ? 5 : 3, 2, 99);
    const DeviceData before = store->deviceData();
    EXPECT_EQ(LoadSaveFile(*store, path, ui, shell), c.loads);
    if (c.loads) {
        EXPECT_TRUE(ui.messages.empty());
        EXPECT_EQ(store->Device_Version, c.generation);
        EXPECT_TRUE(store->deviceData() == expected->deviceData());
    } else {
        ASSERT_EQ(ui.messages.size(), 1u);
        EXPECT_EQ(ui.messages[0].title, *c.title);
        EXPECT_EQ(ui.messages[0].text, kNotQlvText);
        EXPECT_TRUE(store->deviceData() == before);
    }
}

INSTANTIATE_TEST_SUITE_P(Converted, SaveFileLineEnds, ::testing::ValuesIn(kLineEndCases),
                         [](const ::testing::TestParamInfo<LineEndCase>& info) {
                             std::string name;
                             for (const char* p = info.param.name; *p; ++p)
                                 name += std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
                             return name;
                         });

// A FIFO, a device or a link to one is not a file to read: it is refused as a file that cannot be
// opened, without waiting for a writer. A link to a save file is read like the file.
TEST(SaveFileNotRegular, RefusedWithoutBlocking) {
    QTemporaryDir dir;
    const QString fifo = dir.filePath(QStringLiteral("pipe.qlv"));
    const QString file = dir.filePath(QStringLiteral("real.qlv"));
    ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    auto source = generatedStore(5);
    ASSERT_FALSE(savedBytes(*source, 5, file).isEmpty());
    ASSERT_TRUE(QFile::link(fifo, dir.filePath(QStringLiteral("to-pipe.qlv"))));
    ASSERT_TRUE(QFile::link(file, dir.filePath(QStringLiteral("to-real.qlv"))));

    const struct {
        QString path;
        bool loads;
    } cases[] = {{fifo, false},
                 {dir.filePath(QStringLiteral("to-pipe.qlv")), false},
                 {QStringLiteral("/dev/null"), false},
                 {dir.filePath(QStringLiteral("to-real.qlv")), true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path.toStdString());
        auto store = generatedStore(3);
        const DeviceData before = store->deviceData();
        FakeUiServices ui;
        FakeMainShell shell;
        auto load = std::async(std::launch::async, [&] { return LoadSaveFile(*store, c.path, ui, shell); });
        if (load.wait_for(std::chrono::seconds(10)) != std::future_status::ready) {
            // Let the blocked reader go before failing.
            const int fd = ::open(QFile::encodeName(fifo).constData(), O_RDWR);
            ::close(fd);
            load.wait();
            FAIL() << "the reader waited on a FIFO";
        }
        EXPECT_EQ(load.get(), c.loads);
        if (!c.loads) {
            ASSERT_EQ(ui.messages.size(), 1u);
            EXPECT_EQ(ui.messages[0].title, kCannotOpenTitle);
            EXPECT_EQ(ui.messages[0].text, cannotOpenText(c.path));
            EXPECT_TRUE(store->deviceData() == before);
        }
    }
}

} // namespace
