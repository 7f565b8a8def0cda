#include "sim/History.h"

#include "core/files/SaveFile.h"
#include "sim/Generator.h"

#include <QDir>
#include <memory>

QString CheckHistoryOptions(const HistoryOptions& options) {
    if (options.weeks < 1 || options.weeks * 7 > 366)
        return QStringLiteral("the number of weeks must be 1 to 52");
    if (options.missedWeek < 0 || options.missedWeek > options.weeks)
        return QStringLiteral("the missed week must be 0 (none) or one of the weeks");
    GeneratorOptions gen;
    gen.start = options.start;
    gen.days = options.weeks * 7;
    return CheckGeneratorOptions(gen);
}

std::vector<HistoryReading> GenerateHistory(const HistoryOptions& options) {
    Q_ASSERT(CheckHistoryOptions(options).isEmpty());
    GeneratorOptions gen;
    gen.generation = 5;
    gen.start = options.start;
    gen.days = options.weeks * 7;
    gen.seed = options.seed;
    gen.summerTime = true;
    std::vector<int> days;
    for (int week = 1; week <= options.weeks; ++week)
        if (week != options.missedWeek) days.push_back(week * 7);
    // The missed week's records are lost for good: the memory was erased at a service visit that morning.
    std::vector<DeviceData> readings = GenerateReadings(gen, days, options.missedWeek * 7);
    std::vector<HistoryReading> history;
    for (std::size_t i = 0; i < readings.size(); ++i)
        history.push_back({options.start.addDays(days[i]), std::move(readings[i])});
    return history;
}

QStringList WriteHistoryFiles(const HistoryOptions& options, const QString& folder, QString* error) {
    if (!QDir().mkpath(folder)) {
        if (error) *error = QStringLiteral("cannot create the folder ") + folder;
        return {};
    }
    QStringList paths;
    auto store = std::make_unique<DataStore>();
    store->Device_Version = 5;
    for (HistoryReading& reading : GenerateHistory(options)) {
        store->commit(std::move(reading.data));
        const QString path =
            QDir(folder).filePath(QStringLiteral("qlv40-%1.qlv").arg(reading.day.toString(Qt::ISODate)));
        if (!WriteSaveFile(*store, path, 5, LeqTable::rowCount, {}, error)) return {};
        paths << path;
    }
    return paths;
}
