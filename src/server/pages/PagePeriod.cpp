#include "server/pages/PagePeriod.h"

#include "core/archive/ArchiveCalendar.h"
#include "core/compliance/ComplianceNights.h"
#include "server/api/ComplianceRequest.h"
#include "server/pages/PagePlots.h"

#include <algorithm>

QDate siteToday() {
    return QDate::currentDate();
}

QString pageDayText(const QDate& day) {
    return day.toString(QStringLiteral("dd/MM/yyyy"));
}

std::optional<QDate> isoDayOf(const HttpRequest& request, const char* name) {
    const QString text = request.query.queryItemValue(QString::fromLatin1(name), QUrl::FullyDecoded);
    const QDate day = QDate::fromString(text, QStringLiteral("yyyy-MM-dd"));
    return day.isValid() ? std::optional<QDate>(day) : std::nullopt;
}

std::pair<QDate, QDate> pagePeriod(const HttpRequest& request, const QDateTime& lastDownload,
                                   const std::vector<DeviceWindow>& windows) {
    QDate lastNight = siteToday().addDays(-1);
    if (lastDownload.isValid())
        lastNight =
            std::min(lastNight, lastDownload.date().addDays(lastDownload.time().hour() >= 12 ? -1 : -2));
    // A device that has left the user's venue: its last nights there.
    QDate firstNight;
    const bool inside = std::any_of(windows.begin(), windows.end(), [&](const DeviceWindow& w) {
        return (!w.from.isValid() || lastNight >= w.from) && (!w.to.isValid() || lastNight <= w.to);
    });
    if (!inside) {
        QDate latest;
        for (const DeviceWindow& w : windows)
            if (w.to.isValid() && w.to < lastNight && (!latest.isValid() || w.to > latest)) {
                latest = w.to;
                firstNight = w.from;
            }
        if (latest.isValid()) lastNight = latest;
    }
    const QDate to = isoDayOf(request, "au").value_or(lastNight);
    QDate from = to.addDays(1 - kDefaultPeriodNights);
    if (firstNight.isValid() && from < firstNight && !isoDayOf(request, "au")) from = firstNight;
    return {isoDayOf(request, "du").value_or(from), to};
}

void setPagePeriod(PageData& body, const QDate& from, const QDate& to) {
    body.set("from", text(from.toString(Qt::ISODate)));
    body.set("to", text(to.toString(Qt::ISODate)));
    body.set("from_text", text(pageDayText(from)));
    body.set("to_text", text(pageDayText(to)));
}

QString pagePeriodProblem(const QDate& from, const QDate& to) {
    const QString problem = CompliancePeriodProblem(from, to);
    if (!problem.isEmpty()) return problem;
    if (from.daysTo(to) + 1 > kMaxServerPdfNights)
        return QStringLiteral("Au plus %1 nuits sur cette page.").arg(kMaxServerPdfNights);
    return {};
}

PageData pageNightRows(const ComplianceReport& report, const std::function<QString(const QDate&)>& linkOf,
                       const std::function<QString(const QDate&)>& deviceOf) {
    PageData rows = list();
    for (const NightReport& night : report.nights) {
        PageData row;
        const Verdict verdict = NightVerdictOf(report.scope, night.counts);
        row.set("day", text(pageDayText(night.day)));
        row.set("link", text(linkOf(night.day)));
        if (deviceOf) row.set("device", text(deviceOf(night.day)));
        row.set("colour", cssColour(verdict == Verdict::None ? kGapColour : VerdictColour(verdict)));
        row.set("verdict", text(verdict == Verdict::None ? QStringLiteral("—") : VerdictText(verdict)));
        row.set("upper", text(ComplianceUpperText(report, night.highestUpper, false)));
        row.set("lower", text(ComplianceLowerText(report, night.highestLower, false)));
        row.set("episodes", text(QString::number(night.episodes.size())));
        row.set("unknown", text(QString::number(night.minutes.unknownTotal())));
        rows.push_back(row);
    }
    return rows;
}

PageData reportFormats(const QString& base, const QDate& from, const QDate& to) {
    PageData formats = list();
    for (const auto& [format, label] :
         {std::pair{"pdf", "PDF"}, {"csv", "CSV"}, {"json", "JSON"}, {"text", "texte"}}) {
        PageData link;
        link.set("href", text(base + QStringLiteral("?from=%1&to=%2&format=%3")
                                         .arg(from.toString(Qt::ISODate), to.toString(Qt::ISODate),
                                              QString::fromLatin1(format))));
        link.set("label", std::string(label));
        formats.push_back(link);
    }
    return formats;
}
