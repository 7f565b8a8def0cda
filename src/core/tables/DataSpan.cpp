#include "core/tables/DataSpan.h"

#include "core/store/Validity.h"
#include "core/tables/PeriodDialog.h"

#include <algorithm>

namespace {

// Adds the rows to the span; only the days first..last (when valid) move its first and last stamps.
template <class Table, class Keep>
void addRows(DataSpan& span, const Table& table, int rows, Keep keep, const QDate& first, const QDate& last) {
    bool stamped = false;
    for (int row = 1; row <= rows; ++row) {
        if (!keep(row)) continue;
        const QDate day(2000 + table(row, 6), table(row, 5), table(row, 3));
        if (!day.isValid()) continue; // 31 February passes the device's date test
        span.days.insert(day);
        if (first.isValid() && (day < first || day > last)) continue;
        // The device keeps local time without a zone: no daylight-saving gap may drop a stamp.
        const QDateTime stamp(day, QTime(table(row, 2), table(row, 1)), Qt::UTC);
        if (!stamped || stamp < span.first) span.first = stamp;
        if (!stamped || stamp > span.last) span.last = stamp;
        stamped = true;
    }
    // A period whose own days hold no record shows the records it has.
    if (!stamped && first.isValid() && !span.days.isEmpty())
        addRows(span, table, rows, keep, QDate(), QDate());
}

} // namespace

DataSpan DataSpanFor(const DataStore& store, const QString& requestedView) {
    DataSpan span;
    if (!isTrue(store.Data_Loaded)) return span;
    if (requestedView == kViewEventTable) {
        const EventTable& events = store.Event_Records;
        addRows(
            span, events, EventTable::rowCount,
            [&](int row) { return isValidLevelOrEventRow(events, row) && isEventRow(events, row); },
            store.Loaded_First, store.Loaded_Last);
    } else {
        // Generation-3 data fills only the first half of the level table.
        const int rows = store.Device_Version == 3 ? 4096 : LeqTable::rowCount;
        const LeqTable& levels = store.Leq_Records;
        addRows(
            span, levels, rows, [&](int row) { return isValidLevelOrEventRow(levels, row); },
            store.Loaded_First, store.Loaded_Last);
    }
    return span;
}

QString DataSpanText(const DataSpan& span) {
    if (span.isEmpty()) return {};
    const QString format = QStringLiteral("dd/MM/yyyy HH:mm");
    return QStringLiteral("Données du ") + span.first.toString(format) + QStringLiteral(" au ") +
           span.last.toString(format);
}

LoadedDayRange LoadedDays(const DataStore& store) {
    if (!isTrue(store.Data_Loaded)) return {};
    if (store.Loaded_First.isValid() && store.Loaded_Last.isValid())
        return {store.Loaded_First, store.Loaded_Last, true};
    const DataSpan span = DataSpanFor(store, QString());
    if (span.isEmpty()) return {};
    return {span.first.date(), span.last.date(), false};
}

LoadedDayRange ProposedNights(const LoadedDayRange& days) {
    if (days.isEmpty()) return {};
    const QDate last = days.period ? days.last : std::max(days.first, days.last.addDays(-1));
    return {std::clamp(last.addDays(-6), days.first, last), last, days.period};
}
