#include "ScratchArchive.h"

#include "core/archive/ArchiveCompliance.h"
#include "core/compliance/ComplianceReport.h"
#include "sim/Generator.h"

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

// Five weekly downloads of one recording, one of them missed. Read from the archive a week at a time,
// nights inside one download give the bounds of that download's own file; nights over the missed
// download's days are unknown where no download reached.
TEST(ArchiveCompliance, NightsFromTheArchiveMatchTheDownloadAndLeaveTheGapsUnknown) {
    GeneratorOptions options;
    options.start = QDate(2026, 9, 7);
    options.days = 35;
    options.seed = 5;
    options.summerTime = true;
    const std::vector<DeviceData> readings = GenerateReadings(options, {7, 14, 21, 28, 35});
    ScratchArchive scratch(Engine::Sqlite);
    auto archive = scratch.open();
    for (std::size_t i : {0, 1, 3, 4}) // the third reading was missed
        ASSERT_TRUE(archive->importDownload(readings[i], 5, {SourceKind::File, {}}).ok());
    const qint64 device = archive->devices().front().id;

    // The reading of 5 October holds the nights from 28 September; eight days are more than one piece.
    const QDate from(2026, 9, 28), to(2026, 10, 4);
    QString error;
    const auto joined = ComplianceInputFromArchive(*archive, device, from, to, &error);
    ASSERT_TRUE(joined) << error.toStdString();
    const std::vector<Band> got = windowsOf(*joined, from, to);
    const std::vector<Band> want = windowsOf(ComplianceInputFromDevice(readings[4], 5), from, to);
    ASSERT_EQ(got.size(), want.size());
    int differing = 0;
    for (std::size_t i = 0; i < got.size(); ++i)
        differing += got[i] == want[i] ? 0 : 1;
    EXPECT_EQ(differing, 0);
    EXPECT_GT(
        std::count_if(got.begin(), got.end(), [](const Band& b) { return b.verdict == Verdict::Compliant; }),
        0);

    // Before 21 September the second reading holds the data; the missed one held the days until then.
    struct Case {
        QDate night;
        bool unknown;
    };
    const auto gap =
        ComplianceInputFromArchive(*archive, device, QDate(2026, 9, 12), QDate(2026, 9, 26), &error);
    ASSERT_TRUE(gap) << error.toStdString();
    const std::vector<Band> bands = windowsOf(*gap, QDate(2026, 9, 12), QDate(2026, 9, 26));
    for (const Case& c : {Case{QDate(2026, 9, 12), false}, Case{QDate(2026, 9, 23), true}}) {
        const QDateTime midnight(c.night.addDays(1), QTime(0, 0), Qt::UTC);
        const auto it =
            std::find_if(bands.begin(), bands.end(), [&](const Band& b) { return b.start == midnight; });
        ASSERT_NE(it, bands.end());
        EXPECT_EQ(it->verdict == Verdict::Incomplete && !it->upper, c.unknown)
            << c.night.toString().toStdString();
    }
}
