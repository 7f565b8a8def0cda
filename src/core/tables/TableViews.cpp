#include "core/tables/TableViews.h"

#include "core/store/Labels.h"
#include "core/tables/EventTable.h"
#include "core/tables/FirmwareVersion.h"
#include "core/tables/LeqTables.h"
#include "core/tables/PeriodSearch.h"

namespace {
QString weekdayOfText(const QString& day, const QString& month, const QString& year) {
    return WeekdayLabel(day + QLatin1Char('/') + month + QLatin1Char('/') + year);
}

// " du <weekday> <day> <month> <year>[ au <weekday> <day> <month> <year>] :"
QString periodText(const DataStore& store, bool withWeekday) {
    const auto day = [&](const QString& d, const QString& m, const QString& y) {
        QString text;
        if (withWeekday) text = weekdayOfText(d, m, y) + QLatin1Char(' ');
        return text + d + QLatin1Char(' ') + MonthLabel(m.toInt()) + QLatin1Char(' ') + y;
    };
    QString text = QStringLiteral(" du ") + day(store.Start_Day, store.Start_Month, store.Start_Year);
    if (!isOneDayPeriod(store))
        text += QStringLiteral(" au ") + day(store.End_Day, store.End_Month, store.End_Year);
    return text + QStringLiteral(" :");
}
} // namespace

QString TableSerialLabel(const DataStore& store) {
    const QString version =
        store.Device_Version == 3 ? QStringLiteral("3.2") : FirmwareVersionText(store.Param_Block);
    return QStringLiteral("QLV 40 - FirmWare Version : ") + version +
           QStringLiteral(" - Numéro de Série : ") + store.Serial_Number;
}

LeqTableView PrepareLeqTable(DataStore& store) {
    LeqTableView view;
    BuildSerialNumber(store);
    view.serialLabel = TableSerialLabel(store);
    store.Leq_Record_Count = 4096;
    FindPeriodRows(store, store.Leq_Records, store.Leq_Record_Count);
    view.heading = QStringLiteral("Tableau des valeurs Leq") + periodText(store, true);
    if (store.Period_First != 0 || store.Period_Last != 0) {
        view.printable = true;
        view.newTableauLeft = NewTableauPosition::kLeqWithRows;
        view.list.lines = BuildLeqTableV3(store);
    } else {
        view.newTableauLeft = NewTableauPosition::kLeqWithoutRows;
        view.list = messageList(5, kNoLeqValue);
    }
    return view;
}

LeqTableV5View PrepareLeqTableV5(DataStore& store) {
    LeqTableV5View view;
    BuildSerialNumber(store);
    view.serialLabel = TableSerialLabel(store);
    store.Leq_Record_Count = 8192;
    FindPeriodRows(store, store.Leq_Records, store.Leq_Record_Count);
    const QString period = periodText(store, true);
    view.heading10 = QStringLiteral("Tableau des valeurs Leq 10 minutes") + period;
    view.heading1 = QStringLiteral("Tableau des valeurs Leq 1 minute") + period;

    const bool hasRows = store.Period_First != 0 || store.Period_Last != 0;
    if (hasRows) {
        SplitLeq1Leq10(store);
    } else {
        store.Leq1_Count = 1;
        store.Leq10_Count = 1;
    }
    view.printable = hasRows;
    view.newTableauLeft = hasRows ? NewTableauPosition::kLeqWithRows : NewTableauPosition::kLeqWithoutRows;

    const bool has10 = store.Leq10_Count > 1;
    const bool has1 = store.Leq1_Count > 1;
    view.hasLeq10 = has10;
    view.hasLeq1 = has1;
    // A period with rows of neither kind leaves both lists empty: only a period without any row,
    // or one kind missing beside the other, shows the messages.
    if (!hasRows || (!has10 && has1))
        view.list10 = messageList(5, kNoLeq10Value);
    else
        view.list10.lines = BuildLeq10Table(store);
    if (!hasRows || (!has1 && has10))
        view.list1 = messageList(5, kNoLeq1Value);
    else
        view.list1.lines = BuildLeq1Table(store);
    return view;
}

EventTableView PrepareEventTable(DataStore& store) {
    EventTableView view;
    BuildSerialNumber(store);
    view.serialLabel = TableSerialLabel(store);
    view.heading = QStringLiteral("Tableau des événements") + periodText(store, false);
    view.oneDay = isOneDayPeriod(store);
    FindPeriodRows(store, store.Event_Records, EventTable::rowCount);
    if (store.Period_First == 0 && store.Period_Last == 0) {
        view.printable = false;
        view.newTableauLeft = NewTableauPosition::kEventsWithoutRows;
        view.list = messageList(5, kNoEvent);
        return view;
    }
    view.printable = true;
    view.newTableauLeft = NewTableauPosition::kEventsWithRows;
    view.list.lines = BuildEventTable(store);
    return view;
}
