#include "core/files/SaveFile.h"
#include "core/link/Decoding.h"
#include "core/link/QtSerialLink.h"
#include "core/link/Transfer.h"
#include "sim/DeviceEmulator.h"
#include "sim/Generator.h"
#include "support/Fakes.h"
#include "support/ScaledClock.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

// The whole road of a data set: a save file is served by the emulator over a real pseudo-terminal,
// downloaded, and written again. Both files must be the same bytes; a generation-5 file differs only
// in its last line, the moment of the download.
namespace {

QList<QByteArray> fileLines(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    return file.readAll().split('\n');
}

TEST(SaveFileTransfer, FileServedAndDownloadedIsWrittenIdentical) {
    const QDateTime downloaded(QDate(2024, 3, 9), QTime(9, 41, 7));
    for (const int generation : {3, 5}) {
        SCOPED_TRACE(generation);
        QTemporaryDir dir;
        const QString original = dir.filePath(QStringLiteral("original.qlv"));
        const QString copy = dir.filePath(QStringLiteral("copy.qlv"));

        DataStore generated;
        GenerateIntoStore(generated, {generation, QDate(2024, 3, 1), 7, 11});
        generated.Transfer_Date = QStringLiteral("02/03/2024");
        generated.Transfer_Time = QStringLiteral("10:00:00");
        const int rows = LeqRecordCount(generation);
        ASSERT_TRUE(WriteSaveFile(generated, original, generation, rows));

        // What "vorl-cli simulate FILE" serves: the data set the file loads into.
        DataStore served;
        FakeUiServices ui;
        FakeMainShell shell;
        ASSERT_TRUE(LoadSaveFile(served, original, ui, shell));
        EmulatorOptions options;
        options.generation = generation;
        options.fast = true;
        options.replyDelayMs = 10;
        DeviceEmulator emulator(served.deviceData(), options);
        QString error;
        ASSERT_TRUE(emulator.start(&error)) << error.toStdString();

        ScaledClock clock(5);
        QtSerialLink link(&clock);
        DataStore store;
        store.Device_Version = static_cast<int16_t>(generation);
        store.Com_Port = 1;
        const TransferEnvironment env{link,    clock,   emulator.devicePath(),
                                      nullptr, nullptr, [&] { return downloaded; }};
        const TransferResult result = TransferDeviceMemory(store, env);
        ASSERT_EQ(result.outcome, TransferOutcome::Succeeded) << result.text.toStdString();
        ASSERT_TRUE(WriteSaveFile(store, copy, generation, rows));

        const QList<QByteArray> before = fileLines(original), after = fileLines(copy);
        ASSERT_EQ(before.size(), after.size());
        ASSERT_EQ(before.size(), generation == 3 ? 5 : 7); // the lines and what follows the last CR LF
        for (qsizetype line = 0; line < before.size(); ++line) {
            if (generation == 5 && line == 5)
                EXPECT_EQ(after[line], QByteArray("09/03/2024_09:41:07 \r"));
            else
                EXPECT_TRUE(before[line] == after[line]) << "line " << line + 1;
        }
    }
}

} // namespace
