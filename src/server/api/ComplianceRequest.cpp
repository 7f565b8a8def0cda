#include "server/api/ComplianceRequest.h"

#include "core/compliance/ComplianceReport.h"

#include <QRegularExpression>

namespace {
std::optional<QDate> isoDay(const QString& text) {
    static const QRegularExpression shape(QStringLiteral("^\\d{4}-\\d{2}-\\d{2}$"));
    if (!shape.match(text).hasMatch()) return std::nullopt;
    const QDate day = QDate::fromString(text, QStringLiteral("yyyy-MM-dd"));
    return day.isValid() ? std::optional<QDate>(day) : std::nullopt;
}
} // namespace

std::optional<ComplianceRequest> parseComplianceRequest(const QUrlQuery& query, HttpResponse& refusal) {
    const auto value = [&query](const char* name) {
        return query.queryItemValue(QString::fromLatin1(name), QUrl::FullyDecoded);
    };
    const auto refuse = [&refusal](const char* code, const QString& message) {
        refusal = jsonError(400, QString::fromLatin1(code), message);
        return std::nullopt;
    };
    ComplianceRequest request;
    const auto from = isoDay(value("from")), to = isoDay(value("to"));
    if (!from || !to)
        return refuse("bad_date", QStringLiteral("Les dates from et to s'écrivent AAAA-MM-JJ (par exemple "
                                                 "2026-10-19)."));
    request.from = *from;
    request.to = *to;
    if (const QString problem = CompliancePeriodProblem(request.from, request.to); !problem.isEmpty())
        return refuse("bad_period", problem);
    if (query.hasQueryItem(QStringLiteral("format"))) request.format = value("format");
    if (!QStringList{"csv", "json", "text", "pdf"}.contains(request.format))
        return refuse("bad_format", QStringLiteral("Le format est csv, json, text ou pdf."));
    const qint64 nights = request.from.daysTo(request.to) + 1;
    const int most = request.format == QLatin1String("pdf") ? kMaxServerPdfNights : kMaxServerReportNights;
    if (nights > most)
        return refuse("period_too_long",
                      QStringLiteral("Au plus %1 nuits par rapport dans ce format.").arg(most));
    const bool hasPreset = query.hasQueryItem(QStringLiteral("preset"));
    const bool hasLimit = query.hasQueryItem(QStringLiteral("limit"));
    if (hasPreset && (hasLimit || query.hasQueryItem(QStringLiteral("duration"))))
        return refuse("bad_preset", QStringLiteral("Donnez preset, ou limit et duration, pas les deux."));
    if (hasPreset) {
        for (const CompliancePreset& preset : CompliancePresets())
            if (preset.key == value("preset")) request.preset = preset;
        if (!request.preset) {
            QStringList keys;
            for (const CompliancePreset& preset : CompliancePresets())
                keys << preset.key;
            return refuse("bad_preset", QStringLiteral("Préréglage inconnu ; les préréglages sont : %1.")
                                            .arg(keys.join(QStringLiteral(", "))));
        }
    } else if (hasLimit) {
        bool limitOk = false, durationOk = true;
        const double limit = value("limit").toDouble(&limitOk);
        if (query.hasQueryItem(QStringLiteral("duration")))
            request.durationMinutes = value("duration").toInt(&durationOk);
        if (!limitOk || !IsValidComplianceLimit(limit) || !durationOk ||
            request.durationMinutes < kMinComplianceDuration ||
            request.durationMinutes > kMaxComplianceDuration)
            return refuse("bad_limit",
                          QStringLiteral("limit se donne en dB (40 à 140), duration en minutes (1 à "
                                         "60)."));
        request.limitDb = limit;
    } else if (query.hasQueryItem(QStringLiteral("duration"))) {
        return refuse("bad_limit", QStringLiteral("duration va avec limit."));
    }
    return request;
}

ComplianceSettings complianceSettings(const ComplianceRequest& request, Weighting weighting) {
    if (request.preset) return SettingsForPreset(*request.preset);
    if (request.limitDb) return SettingsForFreeLimit(*request.limitDb, request.durationMinutes);
    if (const auto preset = DefaultPreset(weighting)) return SettingsForPreset(*preset);
    return ComplianceSettings{};
}
