#include "server/api/ComplianceBytes.h"

#include "core/archive/Archive.h"
#include "core/archive/ArchiveCompliance.h"
#include "core/archive/ArchiveComplianceSources.h"
#include "core/archive/ArchiveVenueCompliance.h"
#include "core/compliance/ComplianceReport.h"
#include "paint/ComplianceReportPdf.h"

#include <QBuffer>
#include <QPdfWriter>

namespace {
QByteArray pdfOf(const ComplianceReport& report, const ComplianceInput& input) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    ComplianceNightBands bands(input, report.settings);
    bool painted = false;
    {
        QPdfWriter writer(&buffer);
        SetUpComplianceReportWriter(writer);
        painted = PrintComplianceReport(writer, report, &bands);
    }
    return painted ? bytes : QByteArray();
}

// The report of these records in the asked format, under the file name `base`.
ArchiveResult<ComplianceBytes> reportBytes(const ComplianceInput& input, std::vector<ReportSource> sources,
                                           const ComplianceRequest& request, const QString& base) {
    ComplianceSettings settings = complianceSettings(request, input.weighting);
    settings.keepWindows = false;
    ComplianceBytes out;
    std::function<void(const WindowResult&)> onWindow;
    if (request.format == QLatin1String("csv")) {
        out.body = QByteArray(kComplianceCsvHeader) + '\n';
        onWindow = [&out](const WindowResult& w) { out.body += ComplianceCsvRow(w); };
    }
    ComplianceReport report = BuildComplianceReport(input, settings, request.from, request.to, onWindow);
    report.sources = std::move(sources);
    if (request.format == QLatin1String("csv")) {
        out.contentType = "text/csv; charset=utf-8";
    } else if (request.format == QLatin1String("json")) {
        out.body = ComplianceJson(report).toJson();
        out.contentType = "application/json; charset=utf-8";
    } else if (request.format == QLatin1String("text")) {
        out.body = ComplianceTextLines(report).join(QLatin1Char('\n')).toUtf8() + '\n';
        out.contentType = "text/plain; charset=utf-8";
    } else {
        out.body = pdfOf(report, input);
        if (out.body.isEmpty())
            return ArchiveResult<ComplianceBytes>::failure(QStringLiteral("le PDF n'a pas pu être dessiné"));
        out.contentType = "application/pdf";
    }
    out.fileName = base + QLatin1Char('.') +
                   (request.format == QLatin1String("text") ? QStringLiteral("txt") : request.format);
    return out;
}

QString periodName(const ComplianceRequest& request) {
    return request.from.toString(Qt::ISODate) + QLatin1Char('-') + request.to.toString(Qt::ISODate);
}
} // namespace

ArchiveResult<ComplianceBytes> complianceReportBytes(Archive& archive, qint64 deviceId, const QString& serial,
                                                     const ComplianceRequest& request) {
    auto input = ComplianceInputFromArchive(archive, deviceId, request.from, request.to);
    if (!input) return ArchiveResult<ComplianceBytes>::failure(input.error());
    auto sources = ArchivedReportSources(archive, deviceId, request.from, request.to);
    if (!sources) return ArchiveResult<ComplianceBytes>::failure(sources.error());
    return reportBytes(*input, std::move(sources).value(), request,
                       QStringLiteral("conformite-%1-%2").arg(serial, periodName(request)));
}

ArchiveResult<VenueComplianceAnswer> venueComplianceReportBytes(Archive& archive, qint64 venueId,
                                                                const ComplianceRequest& request) {
    using Result = ArchiveResult<VenueComplianceAnswer>;
    auto data = VenueComplianceFromArchive(archive, venueId, request.from, request.to);
    if (!data) return Result::failure(data.error());
    VenueComplianceAnswer answer;
    answer.noDevice = data->stretches.empty();
    answer.refusal = data->refusal;
    if (answer.noDevice || !answer.refusal.isEmpty()) return answer;
    auto bytes = reportBytes(data->input, std::move(data->sources), request,
                             QStringLiteral("conformite-lieu-%1-%2").arg(venueId).arg(periodName(request)));
    if (!bytes) return Result::failure(bytes.error());
    answer.bytes = std::move(bytes).value();
    return answer;
}
