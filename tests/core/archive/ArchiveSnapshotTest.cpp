#include "ScratchArchive.h"
#include "TinyDownloads.h"

#include "core/archive/ArchiveCompliance.h"
#include "core/archive/ArchiveRecords.h"

#include <functional>

namespace {
class ArchiveSnapshots : public ArchiveOnEngine {};
INSTANTIATE_TEST_SUITE_P(Engines, ArchiveSnapshots, ::testing::Values(Engine::Sqlite, Engine::Postgres),
                         engineName);

// Read from the 3rd to the 5th, then a download of the 4th to the 7th that adds levels and events in
// the middle of the read periods.
DeviceData snapshotEarlier(int serial) {
    return tinyDownload(serial, {{at(3, 22, 0), 10, 80}, {at(4, 9, 0), 10, 81}, {at(5, 8, 0), 10, 82}},
                        at(5, 9, 0), {{at(4, 1, 0), 32}});
}
DeviceData snapshotLater(int serial) {
    return tinyDownload(serial,
                        {{at(4, 9, 0), 10, 81},
                         {at(5, 8, 0), 10, 82},
                         {at(5, 22, 0), 10, 99},
                         {at(6, 3, 0), 10, 98},
                         {at(6, 23, 0), 10, 97}},
                        at(7, 9, 0), {{at(4, 1, 0), 32}, {at(6, 2, 0), 64}});
}

QString snapshotTime(const QDateTime& t) {
    return t.toString(Qt::ISODate);
}

// One read operation, its result as text ("error" when refused).
struct SnapshotRead {
    const char* name;
    std::function<QString(Archive&, qint64)> run;
};

QString snapshotCoverage(Archive& archive, qint64 device) {
    const auto coverage = archive.coverage(device, QDate(2026, 10, 2), QDate(2026, 10, 8));
    if (!coverage) return QStringLiteral("error");
    QString text = snapshotTime(coverage->lastDownload);
    for (const TimeSpan& s : coverage->covered)
        text += QLatin1Char(' ') + snapshotTime(s.from) + QLatin1Char('-') + snapshotTime(s.to);
    for (const DayStatus& d : coverage->days)
        text += QStringLiteral(" %1:%2").arg(int(d.cover)).arg(d.highestLevel.value_or(-1));
    return text;
}

QString snapshotPeriod(Archive& archive, qint64 device) {
    const auto period = archive.loadPeriod(device, QDate(2026, 10, 4), QDate(2026, 10, 6));
    if (!period) return QStringLiteral("error");
    return QString::fromLatin1(SaveFileBytes(period->data, 5, true).toHex());
}

QString snapshotCompliance(Archive& archive, qint64 device) {
    const auto input = ComplianceInputFromArchive(archive, device, QDate(2026, 10, 3), QDate(2026, 10, 6));
    if (!input) return QStringLiteral("error");
    QString text = input->transferTime ? snapshotTime(*input->transferTime) : QString();
    for (const LevelRecord& r : input->records)
        text += QStringLiteral(" %1=%2").arg(snapshotTime(r.stamp)).arg(r.level);
    for (const ComplianceEvent& e : input->events)
        text += QStringLiteral(" e") + snapshotTime(e.stamp);
    for (const CoverageInterval& c : input->coverage)
        text += QStringLiteral(" c") + snapshotTime(c.from) + QLatin1Char('-') + snapshotTime(c.to);
    return text;
}

QString snapshotDownloads(Archive& archive, qint64 device) {
    const auto downloads = archive.downloads(device);
    if (!downloads) return QStringLiteral("error");
    QString text;
    for (const ArchivedDownload& d : *downloads)
        text += QStringLiteral(" %1 %2").arg(d.id).arg(snapshotTime(d.coverTo));
    return text;
}
} // namespace

// An import that commits between two statements of a read changes nothing the read gives back: the
// read sees the archive before the import, or fails; it never mixes the two states (a period cut
// short, a coverage claiming minutes whose records were not read).
TEST_P(ArchiveSnapshots, AnImportDuringAReadIsNeverHalfSeen) {
    const SnapshotRead reads[] = {{"period", snapshotPeriod},
                                  {"coverage", snapshotCoverage},
                                  {"compliance", snapshotCompliance},
                                  {"downloads", snapshotDownloads}};
    ScratchArchive scratch(GetParam());
    auto archive = scratch.open();
    auto writer = scratch.open();
    int serial = 10; // one device per case: each starts from the earlier download alone
    for (const SnapshotRead& read : reads) {
        SCOPED_TRACE(read.name);
        // The import after the first statement, then after the second, ... until the read has fewer.
        for (int k = 1;; ++k) {
            SCOPED_TRACE(k);
            const ImportResult earlier = archive->importDownload(snapshotEarlier(++serial), 5, {});
            ASSERT_TRUE(earlier.ok());
            const qint64 device = earlier->deviceId;
            const QString before = read.run(*archive, device);
            ASSERT_NE(before, QStringLiteral("error"));
            bool imported = false;
            archive->setReadStatementHook([&](int statement) {
                if (statement != k || imported) return;
                imported = true;
                EXPECT_EQ(writer->importDownload(snapshotLater(serial), 5, {})->status,
                          ImportStatus::Imported);
            });
            const QString got = read.run(*archive, device);
            archive->setReadStatementHook({});
            if (!imported) break;
            EXPECT_TRUE(got == before || got == QLatin1String("error")) << got.toStdString();
            // The import did commit and changes what the read gives: the next read sees it whole.
            EXPECT_NE(read.run(*archive, device), before);
        }
    }
}
