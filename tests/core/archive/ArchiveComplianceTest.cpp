#include "ScratchArchive.h"
#include "TinyDownloads.h"

#include "core/archive/ArchiveCompliance.h"
#include "core/compliance/ComplianceReport.h"
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
} // namespace

// Three weekly readings of one device. Read from the archive a week at a time, the nights a
// reading holds give the bounds of that reading's own file.
TEST(ArchiveCompliance, NightsFromTheArchiveMatchTheDownloadHoldingThem) {
    HistoryOptions options;
    options.weeks = 3;
    options.missedWeek = 0;
    const std::vector<HistoryReading> readings = GenerateHistory(options);
    ScratchArchive scratch(Engine::Sqlite);
    auto archive = scratch.open();
    for (const HistoryReading& reading : readings)
        ASSERT_TRUE(archive->importDownload(reading.data, 5, {SourceKind::File, {}}).ok());
    const qint64 device = archive->devices().front().id;

    const HistoryReading& last = readings.back();
    const ComplianceInput file = ComplianceInputFromDevice(last.data, 5);
    const QDate to = last.day.addDays(-1);
    const QDate from = std::max(file.records.front().stamp.date().addDays(1), to.addDays(-9));
    ASSERT_GE(from.daysTo(to), 7); // more than one piece
    QString error;
    const auto joined = ComplianceInputFromArchive(*archive, device, from, to, &error);
    ASSERT_TRUE(joined) << error.toStdString();
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
    QString error;
    const auto input = ComplianceInputFromArchive(*archive, archive->devices().front().id, QDate(2026, 10, 1),
                                                  QDate(2026, 10, 5), &error);
    ASSERT_TRUE(input) << error.toStdString();
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
