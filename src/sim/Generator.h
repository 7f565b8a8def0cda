#pragma once

#include "core/store/DataStore.h"

#include <QDate>
#include <QString>
#include <cstdint>
#include <vector>

// What the synthetic data set looks like: a QLV 40 installed in a bar on the morning of `start`,
// recording `days` evenings of music, then read the morning after the last one.
struct GeneratorOptions {
    int generation = 5; // 3 or 5
    QDate start;
    int days = 3;
    uint32_t seed = 1;
    // The device's clock follows summer time: the hour from 2:00 is skipped on the last Sunday of March
    // and lived twice from 3:00 on the last Sunday of October.
    bool summerTime = false;
};

// An empty text when the options can be generated, else why not (in English, for the console).
QString CheckGeneratorOptions(const GeneratorOptions& options);

// The device data exactly as a transfer of that device would leave it in the store: rows in
// chronological order, unused rows 255 in every cell. The same options give the same data on
// every platform. The options must pass CheckGeneratorOptions.
DeviceData GenerateDeviceData(const GeneratorOptions& options);

// The same recording read at several moments: for each day offset, the device memory as a transfer
// on the morning of that day (start + offset) would find it, newest rows kept when the memory is full.
// Every reading must fall within the recording (offset 1..days). clearedDay > 0: the memory is erased at
// a service visit on the morning of that day, so later readings hold nothing older.
std::vector<DeviceData> GenerateReadings(const GeneratorOptions& options, const std::vector<int>& readingDays,
                                         int clearedDay = 0);

// Puts a generated data set into the store as a successful transfer would: data, generation and
// Data_Loaded.
void GenerateIntoStore(DataStore& store, const GeneratorOptions& options);

// The generator's fixed settings, for tests and documentation of the data.
namespace GeneratorFacts {
constexpr int kDayToNightHour = 22;
constexpr int kNightToDayHour = 7;
constexpr int kLeq10StoreLevel = 70; // the device keeps a ten-minute level from 70 dB
constexpr int kFirmwareCode = 172;   // digit 5 in cells 160 and 161: firmware 5.5
} // namespace GeneratorFacts
