#include "ScratchArchive.h"

#include "core/archive/ArchiveCompliance.h"
#include "core/archive/ArchiveNightVerdicts.h"
#include "sim/History.h"

namespace {
class NightVerdictCache : public ArchiveOnEngine {};
INSTANTIATE_TEST_SUITE_P(Engines, NightVerdictCache, ::testing::Values(Engine::Sqlite, Engine::Postgres),
                         engineName);

struct NightVerdictsSeen {
    QDate day;
    QString preset;
    Verdict verdict;
    int certainEpisodes, possibleEpisodes;
    bool operator==(const NightVerdictsSeen&) const = default;
};

std::vector<NightVerdictsSeen> nightVerdictsSeen(const std::vector<JudgedNight>& nights) {
    std::vector<NightVerdictsSeen> seen;
    for (const JudgedNight& n : nights)
        seen.push_back(
            {n.day, n.preset ? n.preset->key : QString(), n.verdict, n.certainEpisodes, n.possibleEpisodes});
    return seen;
}

// Each night as a report of that night gives it, from the archive's records of the night and the next.
std::vector<NightVerdictsSeen> nightVerdictsRecomputed(Archive& archive, qint64 device, const QDate& from,
                                                       const QDate& to) {
    std::vector<JudgedNight> nights;
    for (QDate day = from; day <= to; day = day.addDays(1)) {
        const auto input = ComplianceInputFromArchive(archive, device, day, day.addDays(1));
        EXPECT_TRUE(input) << input.error().toStdString();
        if (input) nights.push_back(JudgeNights(*input, day, day).front());
    }
    return nightVerdictsSeen(nights);
}
} // namespace

// The verdicts the calendar reads back agree with a recomputation of every night, before and after an
// import that overlaps the nights already kept; the nights that import does not touch are read back
// rather than judged again.
TEST_P(NightVerdictCache, KeptVerdictsAgreeWithARecomputationOfEveryNight) {
    HistoryOptions options;
    // The second reading is missed and the memory erased: the last reading overlaps the one before, but
    // not the first.
    options.weeks = 4;
    options.missedWeek = 2;
    const std::vector<HistoryReading> readings = GenerateHistory(options);
    auto archive = scratch->open();
    ASSERT_TRUE(archive);
    std::vector<std::vector<NightVerdictsSeen>> stages;
    qint64 rowsBefore = 0;
    for (std::size_t imported : {readings.size() - 1, readings.size()}) {
        for (std::size_t i = imported == readings.size() ? imported - 1 : 0; i < imported; ++i)
            ASSERT_TRUE(archive->importDownload(readings[i].data, 5, {SourceKind::File, {}}).ok());
        const qint64 device = archive->devices()->front().id;
        const auto coverage = archive->coverage(device);
        ASSERT_TRUE(coverage);
        const QDate from = coverage->days.front().day, to = coverage->days.back().day;
        const auto judged = ArchivedNightVerdicts(*archive, device, from, to);
        ASSERT_TRUE(judged) << judged.error().toStdString();
        const qint64 rows = scratch->count(QStringLiteral("SELECT count(*) FROM night_verdicts"));
        const auto kept = ArchivedNightVerdicts(*archive, device, from, to);
        ASSERT_TRUE(kept) << kept.error().toStdString();
        EXPECT_EQ(scratch->count(QStringLiteral("SELECT count(*) FROM night_verdicts")), rows)
            << "every night was kept the first time";
        const auto want = nightVerdictsRecomputed(*archive, device, from, to);
        EXPECT_EQ(nightVerdictsSeen(*judged), want);
        EXPECT_EQ(nightVerdictsSeen(*kept), want);
        if (stages.empty())
            EXPECT_EQ(rows, static_cast<qint64>(want.size()));
        else // the first nights were read back
            EXPECT_LT(rows - rowsBefore, static_cast<qint64>(want.size()));
        rowsBefore = rows;
        stages.push_back(want);
    }
    // Verdicts kept by a program that kept no episodes: the nights that went over are judged again for
    // them, once.
    EXPECT_GT(scratch->count(QStringLiteral("SELECT count(*) FROM night_episodes")), 0);
    ASSERT_TRUE(ArchiveDatabase::connect(scratch->location)
                    .value()
                    ->exec(QStringLiteral("DELETE FROM night_episodes")));
    const qint64 device = archive->devices()->front().id;
    const QDate from = stages[1].front().day, to = stages[1].back().day;
    const auto wentOver = std::count_if(stages[1].begin(), stages[1].end(), [](const NightVerdictsSeen& n) {
        return n.verdict == Verdict::Certain || n.verdict == Verdict::Possible;
    });
    for (int pass = 0; pass < 2; ++pass) {
        const auto again = ArchivedNightVerdicts(*archive, device, from, to);
        ASSERT_TRUE(again) << again.error().toStdString();
        EXPECT_EQ(nightVerdictsSeen(*again), stages[1]);
        EXPECT_EQ(scratch->count(QStringLiteral("SELECT count(*) FROM night_episodes")), wentOver);
    }
    // The import changed some verdicts (the night it completes): the cache did not serve the old ones.
    ASSERT_EQ(stages.size(), 2u);
    int changed = 0;
    for (const NightVerdictsSeen& before : stages[0])
        for (const NightVerdictsSeen& after : stages[1])
            changed += before.day == after.day && !(before == after) ? 1 : 0;
    EXPECT_GT(changed, 0);
}
