#pragma once

#include "core/store/DataStore.h"

#include <QDate>
#include <QDateTime>
#include <QSet>
#include <QString>

// What the data in memory covers, shown by the period and graph dialogs under their date pickers so
// that the user can find his records: the first and last time stamps and the days that hold records.
struct DataSpan {
    QDateTime first;
    QDateTime last;
    QSet<QDate> days;
    bool isEmpty() const { return days.isEmpty(); }
};

// The span of the records a view lists: the events for the event table, the levels otherwise. Only
// loaded data counts, and only rows with a real calendar date. For a period loaded from the archive the
// first and last time stamps are those of its days (see LoadedDays); every day with records is listed.
DataSpan DataSpanFor(const DataStore& store, const QString& requestedView);

// "Données du 23/03/2009 18:30 au 30/03/2009 11:27"; empty for an empty span.
QString DataSpanText(const DataSpan& span);

// The days the data in memory stands for: the days of a period loaded from the archive, else the first
// and last days of its level records. Empty when nothing is loaded.
struct LoadedDayRange {
    QDate first;
    QDate last;
    bool period = false; // the days of a loaded period: the data holds the night of its last day
    bool isEmpty() const { return !first.isValid() || !last.isValid(); }
};
LoadedDayRange LoadedDays(const DataStore& store);

// The nights a compliance report proposes for these days, as first..last night (a night runs from noon to
// noon the next day): at most the last seven. Records end on the morning of their last day, so its own
// night is not complete; a loaded period holds the night of its last day.
LoadedDayRange ProposedNights(const LoadedDayRange& days);
