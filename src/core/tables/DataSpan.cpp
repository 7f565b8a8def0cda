#include "core/tables/DataSpan.h"

#include "core/store/Validity.h"
#include "core/tables/PeriodDialog.h"

namespace {

template <class Table, class Keep> void addRows(DataSpan& span, const Table& table, int rows, Keep keep) {
    for (int row = 1; row <= rows; ++row) {
        if (!keep(row)) continue;
        const QDate day(2000 + table(row, 6), table(row, 5), table(row, 3));
        if (!day.isValid()) continue; // 31 February passes the device's date test
        // The device keeps local time without a zone: no daylight-saving gap may drop a stamp.
        const QDateTime stamp(day, QTime(table(row, 2), table(row, 1)), Qt::UTC);
        if (span.days.isEmpty() || stamp < span.first) span.first = stamp;
        if (span.days.isEmpty() || stamp > span.last) span.last = stamp;
        span.days.insert(day);
    }
}

} // namespace

DataSpan DataSpanFor(const DataStore& store, const QString& requestedView) {
    DataSpan span;
    if (!isTrue(store.Data_Loaded)) return span;
    if (requestedView == kViewEventTable) {
        const EventTable& events = store.Event_Records;
        addRows(span, events, EventTable::rowCount,
                [&](int row) { return isValidLevelOrEventRow(events, row) && isEventRow(events, row); });
    } else {
        // Generation-3 data fills only the first half of the level table.
        const int rows = store.Device_Version == 3 ? 4096 : LeqTable::rowCount;
        const LeqTable& levels = store.Leq_Records;
        addRows(span, levels, rows, [&](int row) { return isValidLevelOrEventRow(levels, row); });
    }
    return span;
}

QString DataSpanText(const DataSpan& span) {
    if (span.isEmpty()) return {};
    const QString format = QStringLiteral("dd/MM/yyyy HH:mm");
    return QStringLiteral("Données du ") + span.first.toString(format) + QStringLiteral(" au ") +
           span.last.toString(format);
}
