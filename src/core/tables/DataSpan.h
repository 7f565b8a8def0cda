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
// loaded data counts, and only rows with a real calendar date.
DataSpan DataSpanFor(const DataStore& store, const QString& requestedView);

// "Données du 23/03/2009 18:30 au 30/03/2009 11:27"; empty for an empty span.
QString DataSpanText(const DataSpan& span);
