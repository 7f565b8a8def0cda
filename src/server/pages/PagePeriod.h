#pragma once

#include "core/compliance/ComplianceReport.h"
#include "server/HttpMessage.h"
#include "server/RouteContext.h"
#include "server/pages/PageRender.h"

#include <QDate>
#include <functional>
#include <optional>

// What the device and venue pages share: their days, their period and the nights of a report.
constexpr int kDefaultPeriodNights = 7;

QDate siteToday();
QString pageDayText(const QDate& day); // dd/MM/yyyy

// A day of the query as YYYY-MM-DD; none when absent or no date.
std::optional<QDate> isoDayOf(const HttpRequest& request, const char* name);

// The period the page shows: du/au of the query, else the last nights the downloads cover whole (a night
// ends at noon of the next day), within the windows the user may see.
std::pair<QDate, QDate> pagePeriod(const HttpRequest& request, const QDateTime& lastDownload,
                                   const std::vector<DeviceWindow>& windows);

// The period's fields of a page: from, to (YYYY-MM-DD) and their texts.
void setPagePeriod(PageData& body, const QDate& from, const QDate& to);
// Why a page cannot show the nights from..to (French), or an empty text.
QString pagePeriodProblem(const QDate& from, const QDate& to);

// A row per night of the report: day (a link to linkOf(day)), verdict and its colour, highest bounds,
// episodes and unknown minutes; with deviceOf, the device of that night too.
PageData pageNightRows(const ComplianceReport& report, const std::function<QString(const QDate&)>& linkOf,
                       const std::function<QString(const QDate&)>& deviceOf = {});

// The links to the period's report in each format, at the API address `base`.
PageData reportFormats(const QString& base, const QDate& from, const QDate& to);
