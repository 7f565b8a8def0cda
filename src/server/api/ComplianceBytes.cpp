#include "server/api/ComplianceBytes.h"

#include "core/archive/Archive.h"
#include "core/archive/ArchiveCompliance.h"
#include "core/archive/ArchiveComplianceSources.h"
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
} // namespace

ArchiveResult<ComplianceBytes> complianceReportBytes(Archive& archive, qint64 deviceId, const QString& serial,
                                                     const ComplianceRequest& request) {
    auto input = ComplianceInputFromArchive(archive, deviceId, request.from, request.to);
    if (!input) return ArchiveResult<ComplianceBytes>::failure(input.error());
    auto sources = ArchivedReportSources(archive, deviceId, request.from, request.to);
    if (!sources) return ArchiveResult<ComplianceBytes>::failure(sources.error());
    ComplianceSettings settings = complianceSettings(request, input->weighting);
    settings.keepWindows = false;
    ComplianceBytes out;
    std::function<void(const WindowResult&)> onWindow;
    if (request.format == QLatin1String("csv")) {
        out.body = QByteArray(kComplianceCsvHeader) + '\n';
        onWindow = [&out](const WindowResult& w) { out.body += ComplianceCsvRow(w); };
    }
    ComplianceReport report = BuildComplianceReport(*input, settings, request.from, request.to, onWindow);
    report.sources = std::move(sources).value();
    const QString base =
        QStringLiteral("conformite-%1-%2-%3")
            .arg(serial, request.from.toString(Qt::ISODate), request.to.toString(Qt::ISODate));
    if (request.format == QLatin1String("csv")) {
        out.contentType = "text/csv; charset=utf-8";
    } else if (request.format == QLatin1String("json")) {
        out.body = ComplianceJson(report).toJson();
        out.contentType = "application/json; charset=utf-8";
    } else if (request.format == QLatin1String("text")) {
        out.body = ComplianceTextLines(report).join(QLatin1Char('\n')).toUtf8() + '\n';
        out.contentType = "text/plain; charset=utf-8";
    } else {
        out.body = pdfOf(report, *input);
        if (out.body.isEmpty())
            return ArchiveResult<ComplianceBytes>::failure(QStringLiteral("le PDF n'a pas pu être dessiné"));
        out.contentType = "application/pdf";
    }
    out.fileName = base + QLatin1Char('.') +
                   (request.format == QLatin1String("text") ? QStringLiteral("txt") : request.format);
    return out;
}
