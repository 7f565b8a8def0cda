#pragma once

#include "core/compliance/ComplianceSettings.h"
#include "server/HttpMessage.h"

#include <QDate>
#include <optional>

// What a compliance request asks for, checked: the nights, the limit and the format.
struct ComplianceRequest {
    QDate from, to;
    std::optional<CompliancePreset> preset; // none with limit: a free limit; none at all: the data's default
    std::optional<double> limitDb;
    int durationMinutes = 15;
    QString format = QStringLiteral("json"); // csv, json, text or pdf
};

// The most nights a report of the server covers (a PDF: fewer, it is painted page by page).
constexpr int kMaxServerReportNights = 366;
constexpr int kMaxServerPdfNights = 92;

// The request, or the 400 answer that says what is wrong (bad_date, bad_period, period_too_long,
// bad_preset, bad_format, bad_limit).
std::optional<ComplianceRequest> parseComplianceRequest(const QUrlQuery& query, HttpResponse& refusal);

// The settings for data of this weighting.
ComplianceSettings complianceSettings(const ComplianceRequest& request, Weighting weighting);
