#include "core/archive/ArchiveComplianceSources.h"

#include "core/stats/ThresholdTimeline.h"

ArchiveResult<std::vector<ReportSource>> ArchivedReportSources(Archive& archive, qint64 deviceId,
                                                               const QDate& from, const QDate& to) {
    const QDateTime periodFrom = DeviceTime(from, QTime(12, 0)),
                    periodTo = DeviceTime(to.addDays(1), QTime(12, 0));
    const auto downloads = archive.downloads(deviceId);
    if (!downloads) return ArchiveResult<std::vector<ReportSource>>::failure(downloads.error());
    std::vector<ReportSource> sources;
    for (const ArchivedDownload& d : *downloads) {
        if (d.coverFrom.isValid() && d.coverFrom >= periodTo) continue;
        if (d.coverTo.isValid() && d.coverTo <= periodFrom) continue;
        ReportSource source;
        source.id = QString::number(d.id);
        source.transfer = (d.transferDate + QLatin1Char(' ') + d.transferTime.left(5)).trimmed();
        // The hash of the bytes first received, as sha256sum gives it for the original that extract
        // writes; a download archived before that hash was kept gives its canonical form's.
        const bool original = !d.originalSha256.isEmpty();
        source.sha256 = original ? d.originalSha256 : d.sha256;
        source.sha256Kind =
            original ? QStringLiteral("des octets d'origine") : QStringLiteral("forme canonique");
        sources.push_back(source);
    }
    return sources;
}
