#include "core/compliance/ComplianceInput.h"

#include "core/compliance/ComplianceParameterChanges.h"

#include "core/stats/PeriodStats.h"
#include "core/stats/ThresholdTimeline.h"
#include "core/store/Labels.h"
#include "core/store/Validity.h"
#include "core/tables/EventTexts.h"
#include "core/tables/FirmwareVersion.h"

#include <algorithm>
#include <memory>

namespace {
constexpr int kMaxPlausibleLevel = 250;
constexpr int kLeq1Type = 1;
constexpr int kLeq10Type = 10;
constexpr int kGeneration3Rows = 4096;

std::optional<QDateTime> transferTimeOf(const DeviceData& data) {
    const QDate date = ParseDateText(data.Transfer_Date);
    if (!date.isValid()) return std::nullopt;
    QTime time = QTime::fromString(data.Transfer_Time, QStringLiteral("hh:mm:ss"));
    if (!time.isValid()) time = QTime::fromString(data.Transfer_Time, QStringLiteral("hh:mm"));
    if (!time.isValid()) return std::nullopt;
    return DeviceTime(date, QTime(time.hour(), time.minute()));
}

// The parameter history: the weighting each row set, and the oldest row, from which the set level in
// force is documented.
struct ParameterHistory {
    std::vector<WeightingChange> weightings;
    std::optional<QDateTime> oldest;
};

ParameterHistory parameterHistoryOf(const DeviceData& data) {
    ParameterHistory history;
    for (int r = 1; r <= ParamChangeTable::rowCount; ++r) {
        if (!isValidParamChangeRow(data.Param_Change_Records, r)) continue;
        const QDateTime stamp = RowStamp(data.Param_Change_Records, r);
        if (!stamp.isValid()) continue;
        history.weightings.push_back({stamp, WeightingOf(data.Param_Change_Records(r, 7))});
        if (!history.oldest || stamp < *history.oldest) history.oldest = stamp;
    }
    std::stable_sort(history.weightings.begin(), history.weightings.end(),
                     [](const WeightingChange& a, const WeightingChange& b) { return a.from < b.from; });
    return history;
}

QString deviceLine(const DeviceData& data, int generation) {
    const QString version = generation == 3 ? QStringLiteral("3.2") : FirmwareVersionText(data.Param_Block);
    return QStringLiteral("QLV 40 - FirmWare Version : ") + version +
           QStringLiteral(" - Numéro de Série : ") + SerialNumberOf(data.Param_Block);
}
} // namespace

Weighting WeightingOf(int optionA) {
    switch (optionA & 0x0C) {
    case 12:
        return Weighting::A;
    case 8:
        return Weighting::M;
    default:
        return Weighting::Linear;
    }
}

EventKind EventKindOf(int generation, int column7, int column8) {
    if ((column7 != 0) == (column8 != 0)) return EventKind::Other;
    if (column7 != 0) {
        switch (column7) {
        case 1:
            return EventKind::CoverOpened;
        case 2:
            return EventKind::CoverClosed;
        case 4:
            return EventKind::PowerCut;
        case 8:
            return generation == 3 ? EventKind::TenSecondCut : EventKind::ClockChange;
        case 16:
            return EventKind::GeneralCut;
        case 32:
            return EventKind::SensorFault;
        case 64:
            return generation == 3 ? EventKind::Other : EventKind::ConfigurationChange;
        case 128:
            return EventKind::ParameterChange;
        default:
            return EventKind::Other;
        }
    }
    if (generation != 3 && column8 >= 128) return EventKind::TenSecondCut;
    switch (column8) {
    case 1:
        return EventKind::SensorFaultEnd;
    case 4:
        return EventKind::SystemStart;
    case 8:
        return generation == 3 ? EventKind::ClockChange : EventKind::Calibration;
    case 16:
        return generation == 3 ? EventKind::Other : EventKind::GeneralCutEnd;
    default:
        return EventKind::Other;
    }
}

ComplianceInput ComplianceInputFromDevice(const DeviceData& data, int generation) {
    ComplianceInput input;
    input.generation = generation == 3 ? 3 : 5;
    input.weighting = WeightingOf(data.Param_Block[6]);
    input.device = deviceLine(data, input.generation);

    const LeqTable& leq = data.Leq_Records;
    const int rows = input.generation == 3 ? kGeneration3Rows : LeqTable::rowCount;
    for (int r = 1; r <= rows; ++r) {
        if (!isValidLevelOrEventRow(leq, r)) continue;
        const int type = leq(r, 4);
        if (input.generation == 5 && type != kLeq1Type && type != kLeq10Type) continue;
        const QDateTime stamp = RowStamp(leq, r);
        const int level = RecordLevel(leq, r, input.generation);
        if (!stamp.isValid() || level < 0 || level > kMaxPlausibleLevel) continue;
        input.records.push_back({stamp, level, input.generation == 3 || type == kLeq10Type});
    }
    std::stable_sort(input.records.begin(), input.records.end(),
                     [](const LevelRecord& a, const LevelRecord& b) { return a.stamp < b.stamp; });

    std::shared_ptr<const ThresholdTimeline> timeline;
    if (input.generation == 5) {
        DataStore scratch;
        scratch.commit(DeviceData(data));
        timeline = std::make_shared<const ThresholdTimeline>(ThresholdTimeline::recorded(scratch));
        // Before the oldest history row the set level in force is not known: today's parameters may
        // have been set at any time since.
        ParameterHistory history = parameterHistoryOf(data);
        input.weightingChanges = std::move(history.weightings);
        input.setLevelAt = [timeline, from = history.oldest](const QDateTime& minute) -> std::optional<int> {
            if (!from || minute < *from) return std::nullopt;
            return timeline->at(minute).threshold;
        };
        input.transferTime = transferTimeOf(data);
    }

    const auto parameterChanges =
        input.generation == 5 ? ParameterChangeLines(data) : std::map<QDateTime, QStringList>();
    const EventTable& events = data.Event_Records;
    for (int r = 1; r <= EventTable::rowCount; ++r) {
        if (!hasValidRecordDate(events, r) || !isEventRow(events, r)) continue;
        const QDateTime stamp = RowStamp(events, r);
        if (!stamp.isValid()) continue;
        ComplianceEvent event;
        event.stamp = stamp;
        event.kind = EventKindOf(input.generation, events(r, 7), events(r, 8));
        event.text = eventText(input.generation, events(r, 7), events(r, 8), EventList::Table);
        if (event.kind == EventKind::ParameterChange && timeline) {
            event.thresholdBefore = timeline->at(stamp.addSecs(-60)).threshold;
            event.thresholdAfter = timeline->at(stamp).threshold;
            if (const auto it = parameterChanges.find(stamp); it != parameterChanges.end())
                event.changes = it->second;
        }
        input.events.push_back(std::move(event));
    }
    std::stable_sort(input.events.begin(), input.events.end(),
                     [](const ComplianceEvent& a, const ComplianceEvent& b) { return a.stamp < b.stamp; });
    return input;
}

ComplianceInput ComplianceInputFromStore(const DataStore& store) {
    return ComplianceInputFromDevice(store.deviceData(), store.Device_Version);
}
