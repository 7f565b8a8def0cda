#include "ScratchArchive.h"
#include "TinyDownloads.h"

#include "core/files/SaveFile.h"
#include "core/stats/ThresholdTimeline.h"
#include "core/store/Labels.h"
#include "core/tables/TableViews.h"
#include "sim/Generator.h"

namespace {
class ArchivePeriods : public ArchiveOnEngine {};
INSTANTIATE_TEST_SUITE_P(Engines, ArchivePeriods, ::testing::Values(Engine::Sqlite, Engine::Postgres),
                         engineName);

void choosePeriod(DataStore& store, const QDate& first, const QDate& last) {
    store.Start_Day = TwoDigits(first.day());
    store.Start_Month = TwoDigits(first.month());
    store.Start_Year = QString::number(first.year());
    store.End_Day = TwoDigits(last.day());
    store.End_Month = TwoDigits(last.month());
    store.End_Year = QString::number(last.year());
}

struct TableTexts {
    LeqTableV5View levels;
    EventTableView events;
};
TableTexts tablesOf(DataStore& store, const QDate& first, const QDate& last) {
    choosePeriod(store, first, last);
    return {PrepareLeqTableV5(store), PrepareEventTable(store)};
}
} // namespace

// A week of the archive in the tables is the same week as in the download it came from, although the
// archive stitched five downloads.
TEST_P(ArchivePeriods, AWeekLoadedBackShowsTheTablesOfTheOriginalDownload) {
    GeneratorOptions options;
    options.start = QDate(2026, 9, 7);
    options.days = 35;
    options.seed = 3;
    options.summerTime = true;
    const std::vector<DeviceData> readings = GenerateReadings(options, {7, 14, 21, 28, 35});
    auto archive = scratch->open();
    for (const DeviceData& reading : readings)
        ASSERT_TRUE(archive->importDownload(reading, 5, {SourceKind::File, {}}).ok());
    const qint64 device = archive->devices()->front().id;

    auto original = std::make_unique<DataStore>();
    original->commit(DeviceData(readings[3]));
    original->Device_Version = 5;
    for (const auto& [first, last] : {std::pair{QDate(2026, 9, 21), QDate(2026, 9, 27)},
                                      std::pair{QDate(2026, 10, 1), QDate(2026, 10, 4)}}) {
        SCOPED_TRACE(first.toString().toStdString());
        auto period = archive->loadPeriod(device, first, last);
        ASSERT_TRUE(period) << period.error().toStdString();
        auto loaded = std::make_unique<DataStore>();
        loaded->commit(std::move(period->data));
        loaded->Device_Version = 5;
        const TableTexts want = tablesOf(*original, first, last), got = tablesOf(*loaded, first, last);
        ASSERT_TRUE(want.levels.hasLeq10);
        EXPECT_EQ(got.levels.list10, want.levels.list10);
        EXPECT_EQ(got.levels.list1, want.levels.list1);
        EXPECT_EQ(got.events.list, want.events.list);
        EXPECT_EQ(got.levels.serialLabel, want.levels.serialLabel);
        // The graph's threshold template: the parameter set and window state in force from the first
        // minute on, which the period alone does not hold.
        const ThresholdTimeline wantTimeline = ThresholdTimeline::recorded(*original);
        const ThresholdTimeline gotTimeline = ThresholdTimeline::recorded(*loaded);
        for (QDateTime t(first, QTime(0, 0), Qt::UTC); t.date() <= last; t = t.addSecs(600)) {
            const ThresholdInForce w = wantTimeline.at(t), g = gotTimeline.at(t);
            ASSERT_EQ(std::tie(g.threshold, g.night, g.windowOpen),
                      std::tie(w.threshold, w.night, w.windowOpen))
                << t.toString().toStdString();
        }
    }
}

// The same for a generation-3 device: one kind of level, the levels' bytes the other way round, the
// short parameter zone.
TEST_P(ArchivePeriods, AGeneration3PeriodLoadedBackShowsTheOriginalTables) {
    auto original = std::make_unique<DataStore>();
    GenerateIntoStore(*original, {3, QDate(2026, 2, 2), 9, 4});
    auto archive = scratch->open();
    ASSERT_TRUE(archive->importDownload(original->deviceData(), 3, {}).ok());
    const QDate first(2026, 2, 5), last(2026, 2, 7);
    auto period = archive->loadPeriod(archive->devices()->front().id, first, last);
    ASSERT_TRUE(period) << period.error().toStdString();
    EXPECT_EQ(period->generation, 3);
    auto loaded = std::make_unique<DataStore>();
    loaded->commit(std::move(period->data));
    loaded->Device_Version = 3;
    choosePeriod(*original, first, last);
    choosePeriod(*loaded, first, last);
    const LeqTableView want = PrepareLeqTable(*original), got = PrepareLeqTable(*loaded);
    ASSERT_FALSE(want.list.message);
    EXPECT_EQ(got.list, want.list);
    EXPECT_EQ(got.serialLabel, want.serialLabel);
    EXPECT_EQ(PrepareEventTable(*loaded).list, PrepareEventTable(*original).list);
    EXPECT_TRUE(loaded->Param_Block_V3 == original->Param_Block_V3);
}

TEST_P(ArchivePeriods, APeriodTooLongForTheTablesIsRefusedWithTheLongestThatFits) {
    // Two days of 5000 one-minute rows each: the second day no longer fits the 8192 rows.
    std::vector<TinyLevel> busy;
    for (int day : {5, 6})
        for (int i = 0; i < 5000; ++i)
            busy.push_back({at(day, i / 240, i / 4 % 60), 1, 90 + i % 4});
    auto archive = scratch->open();
    ASSERT_TRUE(
        archive->importDownload(tinyDownload(7, {busy.begin(), busy.begin() + 5000}, at(6, 0, 0)), 5, {})
            .ok());
    ASSERT_TRUE(
        archive->importDownload(tinyDownload(7, {busy.begin() + 5000, busy.end()}, at(7, 0, 0)), 5, {}).ok());
    const qint64 device = archive->devices()->front().id;
    const auto refused = archive->loadPeriod(device, QDate(2026, 10, 5), QDate(2026, 10, 9));
    ASSERT_FALSE(refused);
    EXPECT_EQ(archive->longestLoadable(device, QDate(2026, 10, 5), QDate(2026, 10, 9)).value(),
              QDate(2026, 10, 5));
    EXPECT_TRUE(refused.error().contains(QStringLiteral("05/10/2026"))) << refused.error().toStdString();
    EXPECT_TRUE(archive->loadPeriod(device, QDate(2026, 10, 6), QDate(2026, 10, 9)));
}

TEST_P(ArchivePeriods, CoverageShowsEachDayAndEveryGap) {
    auto archive = scratch->open();
    // Read at noon on the 5th, from 10:00 on the 3rd; then a download of the 8th read at 6:00 on the 9th.
    ASSERT_TRUE(archive
                    ->importDownload(tinyDownload(7,
                                                  {{at(3, 10, 0), 10, 80},
                                                   {at(3, 22, 0), 10, 99},
                                                   {at(4, 11, 50), 10, 104},
                                                   {at(4, 12, 0), 10, 85}},
                                                  at(5, 12, 0)),
                                     5, {})
                    .ok());
    ASSERT_TRUE(archive->importDownload(tinyDownload(7, {{at(8, 0, 0), 10, 75}}, at(9, 6, 0)), 5, {}).ok());
    const auto coverage =
        archive->coverage(archive->devices()->front().id, QDate(2026, 10, 3), QDate(2026, 10, 10));
    ASSERT_TRUE(coverage) << coverage.error().toStdString();
    const Coverage& c = *coverage;
    const struct {
        int day;
        DayCover cover;
        std::optional<int> loudest; // noon to next noon
    } days[] = {{3, DayCover::Partial, 104}, {4, DayCover::Whole, 85}, {5, DayCover::Partial, {}},
                {6, DayCover::None, {}},     {7, DayCover::None, 75},  {8, DayCover::Whole, {}},
                {9, DayCover::Partial, {}},  {10, DayCover::None, {}}};
    ASSERT_EQ(c.days.size(), std::size(days));
    for (std::size_t i = 0; i < std::size(days); ++i) {
        SCOPED_TRACE(days[i].day);
        EXPECT_EQ(c.days[i].day, QDate(2026, 10, days[i].day));
        EXPECT_EQ(c.days[i].cover, days[i].cover);
        EXPECT_EQ(c.days[i].highestLevel, days[i].loudest);
    }
    const std::vector<TimeSpan> gaps = {
        {at(3, 0, 0), at(3, 10, 0)}, {at(5, 12, 1), at(8, 0, 0)}, {at(9, 6, 1), at(11, 0, 0)}};
    EXPECT_EQ(c.gaps, gaps);
    EXPECT_EQ(c.limitDb, 102);
    EXPECT_EQ(c.weighting, QStringLiteral("Pondérée Type A"));
    EXPECT_EQ(c.lastDownload, at(9, 6, 0));
}

TEST_P(ArchivePeriods, AnExtractedPeriodIsASaveFileOfThatPeriod) {
    auto archive = scratch->open();
    const DeviceData download = tinyDownload(
        7, {{at(3, 10, 0), 10, 80}, {at(4, 10, 0), 10, 81}, {at(5, 10, 0), 10, 82}}, at(6, 9, 0));
    ASSERT_TRUE(archive->importDownload(download, 5, {}).ok());
    const QString path = scratch->folder() + QStringLiteral("/period.qlv");
    const ArchiveStatus written = ExtractPeriodToFile(*archive, archive->devices()->front().id,
                                                      QDate(2026, 10, 5), QDate(2026, 10, 5), path);
    ASSERT_TRUE(written) << written.error().toStdString();
    // The day and, for its first table line, the level just before it; all of it archived already.
    const ImportResult again = ImportSaveFile(*archive, path);
    ASSERT_TRUE(again) << again.error().toStdString();
    EXPECT_EQ(again->status, ImportStatus::Imported);
    EXPECT_EQ(again->added.levels() + again->duplicates.levels(), 2);
    EXPECT_EQ(again->added.levels(), 0);
}

// The context of a loaded period, whose data ends at noon after its last day: the parameter zone and
// transfer date of the latest download covering that noon, else of the latest before it, else of the
// first; a transfer after that noon is brought back to it.
TEST_P(ArchivePeriods, APeriodTakesItsTransferDateFromTheLatestDownloadCoveringItsEnd) {
    auto archive = scratch->open();
    // Read on the 5th (from the 3rd), on the 7th (from the 4th), and on the 20th (from the 15th).
    const DeviceData downloads[] = {
        tinyDownload(7, {{at(3, 10, 0), 10, 80}, {at(4, 10, 0), 10, 81}}, at(5, 9, 0)),
        tinyDownload(7, {{at(4, 10, 0), 10, 81}, {at(6, 10, 0), 10, 82}}, at(7, 9, 0)),
        tinyDownload(7, {{at(15, 10, 0), 10, 83}}, at(20, 9, 0)),
    };
    for (const DeviceData& d : downloads)
        ASSERT_TRUE(archive->importDownload(d, 5, {}).ok());
    const qint64 device = archive->devices()->front().id;
    const struct {
        int firstDay, lastDay;
        const char* transferDate;
        const char* transferTime;
    } cases[] = {{3, 4, "05/10/2026", "12:00:00"},
                 {4, 6, "07/10/2026", "09:00:00"},
                 {8, 10, "07/10/2026", "09:00:00"},
                 {16, 25, "20/10/2026", "09:00:00"},
                 {1, 1, "02/10/2026", "12:00:00"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.lastDay);
        const auto period =
            archive->loadPeriod(device, QDate(2026, 10, c.firstDay), QDate(2026, 10, c.lastDay));
        ASSERT_TRUE(period) << period.error().toStdString();
        EXPECT_EQ(period->data.Transfer_Date, QString::fromLatin1(c.transferDate));
        EXPECT_EQ(period->data.Transfer_Time, QString::fromLatin1(c.transferTime));
    }
}
