#include "ScratchArchive.h"
#include "TinyDownloads.h"

#include "support/Fakes.h"

#include "core/archive/ArchiveChunks.h"
#include "core/archive/ArchiveCompliance.h"
#include "core/compliance/ComplianceReport.h"
#include "core/files/SaveFile.h"
#include "core/stats/PeriodStats.h"
#include "core/stats/StatsReport.h"
#include "sim/History.h"

#include <algorithm>

namespace {
struct Band {
    QDateTime start;
    std::optional<double> lower, upper;
    Verdict verdict;
    bool operator==(const Band&) const = default;
};

std::vector<Band> windowsOf(const ComplianceInput& input, const QDate& from, const QDate& to) {
    std::vector<Band> bands;
    const auto settings = SettingsForPreset(*FindCompliancePreset(QStringLiteral("Décret 2017 — A")));
    BuildComplianceReport(input, settings, from, to, [&](const WindowResult& w) {
        bands.push_back({w.localStart, w.lowerDb, w.upperDb, w.verdict});
    });
    return bands;
}
// A generated history of weekly readings, each imported into the archive.
std::vector<HistoryReading> archiveComplianceHistory(Archive& archive, int weeks, int missedWeek) {
    HistoryOptions options;
    options.weeks = weeks;
    options.missedWeek = missedWeek;
    std::vector<HistoryReading> readings = GenerateHistory(options);
    for (const HistoryReading& reading : readings)
        EXPECT_TRUE(archive.importDownload(reading.data, 5, {SourceKind::File, {}}).ok());
    return readings;
}
} // namespace

// Three weekly readings of one device. Read from the archive a week at a time, the nights a
// reading holds give the bounds of that reading's own file.
TEST(ArchiveCompliance, NightsFromTheArchiveMatchTheDownloadHoldingThem) {
    ScratchArchive scratch(Engine::Sqlite);
    auto archive = scratch.open();
    const std::vector<HistoryReading> readings = archiveComplianceHistory(*archive, 3, 0);
    const qint64 device = archive->devices()->front().id;

    const HistoryReading& last = readings.back();
    const ComplianceInput file = ComplianceInputFromDevice(last.data, 5);
    const QDate to = last.day.addDays(-1);
    const QDate from = std::max(file.records.front().stamp.date().addDays(1), to.addDays(-9));
    ASSERT_GE(from.daysTo(to), 7); // more than one piece
    const auto joined = ComplianceInputFromArchive(*archive, device, from, to);
    ASSERT_TRUE(joined) << joined.error().toStdString();
    const std::vector<Band> got = windowsOf(*joined, from, to);
    const std::vector<Band> want = windowsOf(file, from, to);
    ASSERT_EQ(got.size(), want.size());
    int differing = 0;
    for (std::size_t i = 0; i < got.size(); ++i)
        differing += got[i] == want[i] ? 0 : 1;
    EXPECT_EQ(differing, 0);
    EXPECT_GT(
        std::count_if(got.begin(), got.end(), [](const Band& b) { return b.verdict == Verdict::Compliant; }),
        0);
}

// Two downloads a few days apart: the days between them are unknown, not quiet.
TEST(ArchiveCompliance, DaysNoDownloadCoversAreUnknown) {
    ScratchArchive scratch(Engine::Sqlite);
    auto archive = scratch.open();
    ASSERT_TRUE(
        archive
            ->importDownload(tinyDownload(1, {{at(1, 21, 0), 1, 99}, {at(1, 21, 10), 10, 98}}, at(2, 10, 0)),
                             5, {SourceKind::File, {}})
            .ok());
    ASSERT_TRUE(archive
                    ->importDownload(tinyDownload(1, {{at(5, 21, 0), 1, 99}}, at(6, 10, 0)), 5,
                                     {SourceKind::File, {}})
                    .ok());
    const auto input = ComplianceInputFromArchive(*archive, archive->devices()->front().id,
                                                  QDate(2026, 10, 1), QDate(2026, 10, 5));
    ASSERT_TRUE(input) << input.error().toStdString();
    const std::vector<Band> bands = windowsOf(*input, QDate(2026, 10, 1), QDate(2026, 10, 5));
    for (const auto& [start, unknown] :
         {std::pair{at(1, 23, 0), false}, std::pair{at(3, 22, 0), true}, std::pair{at(5, 9, 0), true}}) {
        const auto it =
            std::find_if(bands.begin(), bands.end(), [&](const Band& b) { return b.start == start; });
        ASSERT_NE(it, bands.end()) << start.toString().toStdString();
        EXPECT_EQ(it->verdict == Verdict::Incomplete && !it->upper, unknown)
            << start.toString().toStdString();
    }
}

// Days D1..D2 loaded into memory, extracted into a file and read from the archive: the same records up
// to noon after D2 and the same end of data, so every night of the period has the same compliance
// windows and the same statistics, the last night included.
// A night that ends a download before a missed week is judged alike whether the period asked ends with
// it or runs on past the gap: the minutes the transfer cut short are unknown either way.
TEST(ArchiveCompliance, ANightBeforeAGapIsJudgedAlikeWhateverPeriodHoldsIt) {
    ScratchArchive scratch(Engine::Sqlite);
    auto archive = scratch.open();
    const std::vector<HistoryReading> readings = archiveComplianceHistory(*archive, 3, 2);
    const qint64 device = archive->devices()->front().id;
    const QDate night = readings.front().day.addDays(-1);
    const auto alone = ComplianceInputFromArchive(*archive, device, night, night.addDays(1));
    ASSERT_TRUE(alone) << alone.error().toStdString();
    const auto longer = ComplianceInputFromArchive(*archive, device, night.addDays(-2), night.addDays(14));
    ASSERT_TRUE(longer) << longer.error().toStdString();
    EXPECT_TRUE(windowsOf(*alone, night, night) == windowsOf(*longer, night, night));
}

TEST(ArchiveCompliance, ALoadedPeriodItsFileAndTheArchiveAgreeOnEveryNight) {
    ScratchArchive scratch(Engine::Sqlite);
    auto archive = scratch.open();
    const std::vector<HistoryReading> readings = archiveComplianceHistory(*archive, 2, 0);
    const qint64 device = archive->devices()->front().id;
    // Across the first reading: the last night ends in the second download.
    const QDate from = readings.front().day.addDays(-3), to = readings.front().day.addDays(2);

    auto loaded = std::make_unique<DataStore>();
    {
        auto period = archive->loadPeriod(device, from, to);
        ASSERT_TRUE(period) << period.error().toStdString();
        loaded->commit(std::move(period->data));
        loaded->Device_Version = static_cast<int16_t>(period->generation);
    }
    const QString path = scratch.folder() + QStringLiteral("/period.qlv");
    const ArchiveStatus written = ExtractPeriodToFile(*archive, device, from, to, path);
    ASSERT_TRUE(written) << written.error().toStdString();
    auto file = std::make_unique<DataStore>();
    FakeUiServices ui;
    FakeMainShell shell;
    ASSERT_TRUE(LoadSaveFile(*file, path, ui, shell));
    const auto fromArchive = ComplianceInputFromArchive(*archive, device, from, to);
    ASSERT_TRUE(fromArchive) << fromArchive.error().toStdString();

    const std::vector<Band> want = windowsOf(*fromArchive, from, to);
    ASSERT_GT(want.size(), std::size_t{12 * 60});
    EXPECT_TRUE(windowsOf(ComplianceInputFromStore(*loaded), from, to) == want);
    EXPECT_TRUE(windowsOf(ComplianceInputFromStore(*file), from, to) == want);
    // The last night holds music after midnight: it is not judged on an empty morning.
    EXPECT_TRUE(
        std::any_of(want.end() - 12 * 60, want.end(), [](const Band& b) { return b.upper.has_value(); }));

    PeriodStatsBuilder builder(from, to);
    const ArchiveStatus read = ForEachPeriodChunk(
        *archive, device, from, to.addDays(1),
        [&](const DataStore& chunk, const QDate& first, const QDate& last) {
            builder.add(chunk, first, last);
        },
        2);
    ASSERT_TRUE(read) << read.error().toStdString();
    const QByteArray stats = StatsJson(builder.finish()).toJson();
    EXPECT_EQ(StatsJson(ComputePeriodStats(*loaded, from, to)).toJson(), stats);
    EXPECT_EQ(StatsJson(ComputePeriodStats(*file, from, to)).toJson(), stats);
}
