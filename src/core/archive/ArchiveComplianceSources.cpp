#include "core/archive/ArchiveComplianceSources.h"

#include "core/stats/ThresholdTimeline.h"

std::vector<ReportSource> ArchivedReportSources(Archive& archive, qint64 deviceId, const QDate& from,
                                                const QDate& to) {
    const QDateTime periodFrom = DeviceTime(from, QTime(12, 0)),
                    periodTo = DeviceTime(to.addDays(1), QTime(12, 0));
    std::vector<ReportSource> sources;
    for (const ArchivedDownload& d : archive.downloads(deviceId)) {
        if (d.coverFrom.isValid() && d.coverFrom >= periodTo) continue;
        if (d.coverTo.isValid() && d.coverTo <= periodFrom) continue;
        ReportSource source;
        source.id = QString::number(d.id);
        source.transfer = (d.transferDate + QLatin1Char(' ') + d.transferTime.left(5)).trimmed();
        // The archive keeps the hash of the download's canonical form (the save file as this program
        // writes it, without its last line), not of the bytes first received.
        source.sha256 = d.sha256;
        source.sha256Kind = QStringLiteral("forme canonique");
        sources.push_back(source);
    }
    return sources;
}
