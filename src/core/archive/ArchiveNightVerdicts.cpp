#include "core/archive/ArchiveNightVerdicts.h"

#include "core/archive/ArchiveCompliance.h"

#include <tuple>

namespace {
Verdict verdictOfCode(const QString& code) {
    for (Verdict v : {Verdict::Certain, Verdict::Possible, Verdict::Compliant, Verdict::Incomplete})
        if (VerdictCode(v) == code) return v;
    return Verdict::None;
}
} // namespace

ArchiveResult<std::vector<JudgedNight>> ArchivedNightVerdicts(Archive& archive, qint64 deviceId,
                                                              const QDate& from, const QDate& to) {
    using Result = ArchiveResult<std::vector<JudgedNight>>;
    if (const QString problem = CompliancePeriodProblem(from, to); !problem.isEmpty())
        return Result::failure(problem);
    std::vector<JudgedNight> nights;
    std::vector<NightCacheEntry> judged;
    {
        // The keys and the records they name come from one state of the archive.
        const Archive::Snapshot snapshot(archive);
        if (!snapshot.status()) return Result::failure(snapshot.status().error());
        const auto cache = archive.nightVerdictCache(deviceId, from, to, kComplianceModelVersion);
        if (!cache) return Result::failure(cache.error());
        const std::vector<NightCacheEntry>& entries = *cache;
        for (const NightCacheEntry& entry : entries) {
            JudgedNight night{entry.night, std::nullopt, Verdict::None};
            if (entry.kept && !entry.preset.isEmpty()) {
                night.preset = FindCompliancePreset(entry.preset);
                night.verdict = verdictOfCode(entry.verdict);
            }
            if (entry.episodes) std::tie(night.certainEpisodes, night.possibleEpisodes) = *entry.episodes;
            nights.push_back(night);
        }
        // Each night not kept (or kept without its episodes) is judged from a read of that night and the
        // next, as a report of those two nights judges it, whatever other nights are judged with it.
        for (std::size_t k = 0; k < entries.size(); ++k) {
            if (entries[k].kept && entries[k].episodes) continue;
            const QDate day = entries[k].night;
            // Its last windows read the first minutes of the next night.
            const QDate readTo =
                CompliancePeriodProblem(day, day.addDays(1)).isEmpty() ? day.addDays(1) : day;
            const auto input = ComplianceInputFromArchive(archive, deviceId, day, readTo);
            if (!input) return Result::failure(input.error());
            nights[k] = JudgeNights(*input, day, day).front();
            NightCacheEntry entry = entries[k];
            entry.preset = nights[k].preset ? nights[k].preset->key : QString();
            entry.verdict = VerdictCode(nights[k].verdict);
            entry.episodes = std::pair{nights[k].certainEpisodes, nights[k].possibleEpisodes};
            judged.push_back(entry);
        }
    }
    // Kept after the snapshot, under the keys read in it: an import meanwhile gave its nights other keys.
    // A verdict that cannot be kept is judged again next time.
    (void)archive.keepNightVerdicts(deviceId, kComplianceModelVersion, judged);
    return nights;
}
