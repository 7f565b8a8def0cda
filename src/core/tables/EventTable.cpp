#include "core/tables/EventTable.h"

#include "core/store/Labels.h"
#include "core/store/Validity.h"
#include "core/tables/EventTexts.h"
#include "core/tables/PeriodSearch.h"
#include "core/tables/TableDates.h"

#include <algorithm>

namespace {
QString eventLine(const RecordStamp& stamp, const QString& text) {
    return QStringLiteral("      Le  ") + weekdayOf(stamp) + QStringLiteral("  ") + TwoDigits(stamp.day) +
           QStringLiteral("  ") + MonthLabel(stamp.month) + QStringLiteral("  ") +
           QString::number(stamp.year) + QStringLiteral("   à   ") + TwoDigits(stamp.hour) +
           QStringLiteral(" h. ") + TwoDigits(stamp.minute) + QStringLiteral("   :   ") + text +
           QLatin1Char('.');
}

// The device logs the window state at the day/night switches; at exactly 07:00 and 22:00 these
// entries are routine and the table leaves them out.
bool isRoutineWindowEvent(const EventTable& table, int row) {
    const int code = table(row, 8);
    const int hour = table(row, 2);
    return (code == 32 || code == 64) && table(row, 1) == 0 && (hour == 7 || hour == 22);
}

enum class Separator { UnlessLastLineEmpty, Always };

QStringList eventLines(const EventTable& table, int generation, int first, int last, EventList list,
                       Separator separator, bool skipRoutine) {
    QStringList lines;
    first = std::max(first, 1);
    last = std::min(last, EventTable::rowCount);
    for (int r = first; r <= last; ++r) {
        if (!isEventRow(table, r)) continue;
        const RecordStamp stamp = recordStamp(table, r);
        if (r != first && !stamp.sameDate(recordStamp(table, r - 1))) {
            const bool lastLineEmpty = lines.isEmpty() || lines.last().isEmpty();
            if (separator == Separator::Always || !lastLineEmpty) lines.append(QString());
        }
        if (skipRoutine && isRoutineWindowEvent(table, r)) continue;
        lines.append(eventLine(stamp, eventText(generation, table(r, 7), table(r, 8), list)));
    }
    return lines;
}
} // namespace

QStringList BuildEventTable(const DataStore& store) {
    if (store.Period_First <= 0) return {};
    return eventLines(store.Event_Records, store.Device_Version, store.Period_First, store.Period_Last,
                      EventList::Table, Separator::UnlessLastLineEmpty, true);
}

TableList BuildGraphEventList(const DataStore& store) {
    const PeriodRows rows =
        findPeriodRows(store.Event_Records, EventTable::rowCount, periodStart(store), periodEnd(store));
    if (rows.isEmpty())
        return messageList(2, QStringLiteral("    Pas d'événements enregistrés durant cette période!!!"));
    TableList list;
    list.lines = eventLines(store.Event_Records, store.Device_Version, rows.first, rows.last,
                            EventList::Graph, Separator::Always, false);
    return list;
}
