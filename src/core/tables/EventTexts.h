#pragma once

#include <QString>
#include <optional>

// The two lists that name events: the event table window and the event list beside the graphs.
// They differ for a few generation-5 codes.
enum class EventList { Table, Graph };

// The text the list gives an event row (exactly one of the code bytes non-zero), or nothing when the
// code has no text of its own.
std::optional<QString> knownEventText(int generation, int column7, int column8, EventList list);

// The text shown for an event row: its own text, or, for a code the device software never named
// (a byte with several bits set, a value no firmware writes), a neutral text carrying the two code
// bytes. Such a row is still listed so that no entry of the log goes unseen.
QString eventText(int generation, int column7, int column8, EventList list);
