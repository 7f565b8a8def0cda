#include "core/compliance/ComplianceParameterChanges.h"

#include "core/stats/ThresholdTimeline.h"
#include "core/tables/Parameters.h"

#include <QRegularExpression>

namespace {
// "Niveau Leq Nuit : " becomes "Niveau Leq Nuit"; the analysis row has no caption, its value names it.
QString fieldName(const ParameterRow& row) {
    QString caption = row.caption;
    caption.remove(QRegularExpression(QStringLiteral("\\s*:\\s*$")));
    return caption.isEmpty() ? QStringLiteral("Analyse") : caption;
}

QString fieldValue(const ParameterRow& row) {
    QString value = row.value;
    if (row.caption.isEmpty()) value.remove(QRegularExpression(QStringLiteral("^Analyse : |\\.$")));
    return value;
}
} // namespace

std::map<QDateTime, QStringList> ParameterChangeLines(const DeviceData& data) {
    std::map<QDateTime, QStringList> changes;
    DataStore scratch;
    scratch.commit(DeviceData(data));
    const ParametersView loaded = LoadParameters(scratch);
    // The history is listed newest first: entry k + 1 was in force before entry k.
    for (int k = 0; k + 1 < loaded.historyRows.size(); ++k) {
        const QDateTime stamp = RowStamp(scratch.Param_Change_Records, loaded.historyRows[k]);
        if (!stamp.isValid()) continue;
        const ParametersView after = ChooseParameterChange(scratch, loaded, k);
        const ParametersView before = ChooseParameterChange(scratch, loaded, k + 1);
        QStringList lines;
        for (const ParameterRow& row : after.rows) {
            const ParameterRow* old = before.row(row.valueControl);
            if (!row.visible || !old || old->value == row.value || row.value == kInfoNotAvailable ||
                old->value == kInfoNotAvailable)
                continue;
            lines << fieldName(row) + QStringLiteral(" : ") + fieldValue(*old) + QStringLiteral(" → ") +
                         fieldValue(row);
        }
        changes[stamp] = lines;
    }
    return changes;
}
