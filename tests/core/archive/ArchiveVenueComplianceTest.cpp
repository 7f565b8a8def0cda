#include "ScratchArchive.h"

#include "core/archive/ArchiveCompliance.h"
#include "core/archive/ArchiveVenueCompliance.h"
#include "core/compliance/ComplianceReport.h"
#include "core/stats/ThresholdTimeline.h"
#include "sim/History.h"

namespace {
ComplianceReport reportOf(const ComplianceInput& input, const QDate& from, const QDate& to) {
    return BuildComplianceReport(input, SettingsForPreset(*FindCompliancePreset(QStringLiteral("decret-a"))),
                                 from, to);
}

const NightReport& nightOf(const ComplianceReport& report, const QDate& day) {
    return *std::find_if(report.nights.begin(), report.nights.end(),
                         [&](const NightReport& n) { return n.day == day; });
}

bool sameBand(const BandPoint& a, const BandPoint& b) {
    return a.start == b.start && a.lowerDb == b.lowerDb && a.upperDb == b.upperDb && a.verdict == b.verdict;
}

// Two devices recording side by side for three weeks (two generated histories); the venue has neither
// on its first night, then device A, then device B from a swap day on. Each device records all along,
// at the venue or not.
class VenueCompliance : public ::testing::Test {
protected:
    void SetUp() override {
        archive = scratch.open();
        ASSERT_TRUE(archive);
        for (uint32_t seed : {7u, 11u}) {
            HistoryOptions options;
            options.weeks = 3;
            options.missedWeek = 0;
            options.seed = seed;
            for (const HistoryReading& reading : GenerateHistory(options))
                ASSERT_TRUE(archive->importDownload(reading.data, 5, {SourceKind::File, {}}).ok());
        }
        const auto devices = archive->devices();
        ASSERT_TRUE(devices && devices->size() == 2);
        a = devices->at(0).id;
        b = devices->at(1).id;
        venue = archive->addVenue(QStringLiteral("Le Zinc")).value();
        ASSERT_TRUE(archive->attachDevice(venue, a, from.addDays(1), swap.addDays(-1)));
        ASSERT_TRUE(archive->attachDevice(venue, b, swap, {}));
    }

    ScratchArchive scratch{Engine::Sqlite};
    std::unique_ptr<Archive> archive;
    qint64 a = 0, b = 0, venue = 0;
    const QDate from{2026, 6, 2}, swap{2026, 6, 7}, to{2026, 6, 11};
};
} // namespace

// Each night is the night of the device the venue had that day, as that device's own report of its
// nights gives it; what A recorded before and after its days counts nowhere. The windows that run past
// the swap noon read B's minutes there, which A's own report does not know.
TEST_F(VenueCompliance, EachNightIsThatOfTheDeviceTheVenueHad) {
    const auto joined = VenueComplianceFromArchive(*archive, venue, from, to);
    ASSERT_TRUE(joined) << joined.error().toStdString();
    ASSERT_TRUE(joined->refusal.isEmpty()) << joined->refusal.toStdString();
    ASSERT_EQ(joined->stretches.size(), 2u);
    const ComplianceReport got = reportOf(joined->input, from, to);

    const auto ownA = ComplianceInputFromArchive(*archive, a, from.addDays(1), swap.addDays(-1));
    const auto ownB = ComplianceInputFromArchive(*archive, b, swap, to);
    const auto aOnB = ComplianceInputFromArchive(*archive, a, swap, to);
    ASSERT_TRUE(ownA && ownB && aOnB);
    const ComplianceReport reportA = reportOf(*ownA, from.addDays(1), swap.addDays(-1)),
                           reportB = reportOf(*ownB, swap, to), reportAOnB = reportOf(*aOnB, swap, to);
    const QDateTime swapNoon = DeviceTime(swap, QTime(12, 0));

    struct Case {
        QDate night;
        const ComplianceReport* own; // none: no device at the venue
    };
    const Case cases[] = {{from, nullptr},  {from.addDays(1), &reportA}, {swap.addDays(-1), &reportA},
                          {swap, &reportB}, {swap.addDays(2), &reportB}, {to, &reportB}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.night.toString(Qt::ISODate).toStdString());
        const NightReport& night = nightOf(got, c.night);
        if (!c.own) {
            EXPECT_EQ(night.minutes.covered, 0);
            EXPECT_EQ(night.counts.incomplete, int(night.band.size()));
            continue;
        }
        const NightReport& own = nightOf(*c.own, c.night);
        ASSERT_EQ(night.band.size(), own.band.size());
        int differing = 0;
        for (std::size_t i = 0; i < own.band.size(); ++i) {
            const BandPoint &w = night.band[i], &o = own.band[i];
            // A's last windows run past its noon: its own report does not know B's minutes there.
            if (w.start.addSecs(15 * 60) > swapNoon && w.start < swapNoon)
                differing += w.verdict == o.verdict || o.verdict == Verdict::Incomplete ? 0 : 1;
            else
                differing += sameBand(w, o) ? 0 : 1;
        }
        EXPECT_EQ(differing, 0);
        EXPECT_GT(own.counts.compliant, 0);
    }
    // A's own records on B's nights would give other bounds: the check above tells them apart.
    const NightReport &onB = nightOf(got, swap.addDays(2)), &aThere = nightOf(reportAOnB, swap.addDays(2));
    EXPECT_FALSE(
        std::equal(onB.band.begin(), onB.band.end(), aThere.band.begin(), aThere.band.end(), sameBand));
}

// A period the venue had no device has no report; a day on which it had two has none either: nothing
// says which one measured it.
TEST_F(VenueCompliance, NoDeviceOrTwoAtOnceGiveNoReport) {
    const qint64 cave = archive->addVenue(QStringLiteral("La Cave")).value();
    const QDate both = from.addDays(-3);
    ASSERT_TRUE(archive->attachDevice(cave, a, both, both));
    ASSERT_TRUE(archive->attachDevice(cave, b, both, both.addDays(1)));
    struct Case {
        QDate from, to;
        bool none;
        bool refused;
    };
    const Case cases[] = {
        {from, to, true, false},
        {both.addDays(1), from, false, false},
        {both.addDays(-1), both.addDays(1), true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.from.toString(Qt::ISODate).toStdString());
        const auto got = VenueComplianceFromArchive(*archive, cave, c.from, c.to);
        ASSERT_TRUE(got) << got.error().toStdString();
        EXPECT_EQ(!got->refusal.isEmpty(), c.refused) << got->refusal.toStdString();
        if (!c.refused) EXPECT_EQ(got->stretches.empty(), c.none);
    }
}
