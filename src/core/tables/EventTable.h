#pragma once

#include "core/store/DataStore.h"
#include "core/tables/TableList.h"

#include <QStringList>

// The event table: one line per event of Event_Records rows Period_First..Period_Last, an empty
// line between days; the window opening and closing at exactly 07:00 and 22:00 are left out.
QStringList BuildEventTable(const DataStore& store);

// The event list beside the graphs, for the store's period: the same lines with the graph list's
// texts, every event listed, and the no-event message when the period holds no row. Finds the rows
// itself and leaves Period_First and Period_Last alone.
TableList BuildGraphEventList(const DataStore& store);
