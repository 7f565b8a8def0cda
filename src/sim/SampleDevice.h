#pragma once

#include "core/store/DataStore.h"

#include <QtGlobal>

// A plausible data set of one device, built from a seed: level records every ten minutes (and, in
// generation 5, one-minute records around loud moments), an event log, parameter changes, a
// parameter zone with thresholds, switching hours and a serial number, and erased memory (rows of
// 255) after the last record. In chronological order, as a transfer leaves it, unless shuffled
// (rows in random order, erased rows among them: work for the sort).
struct SampleOptions {
    int generation = 5;
    quint32 seed = 1;
    double fill = 0.75; // share of the record rows in use
    bool shuffled = false;
};
DeviceData MakeSampleDevice(const SampleOptions& options);
