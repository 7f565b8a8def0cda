#include "core/stats/Export.h"

#include "core/stats/PeriodStats.h"
#include "core/stats/ThresholdTimeline.h"
#include "core/store/Labels.h"
#include "core/store/Validity.h"
#include "core/tables/EventTexts.h"
#include "core/tables/Parameters.h"

#include <QJsonArray>
#include <QJsonObject>

namespace {
QByteArray csvField(const QVariant& value) {
    if (!value.isValid() || value.isNull()) return {};
    const QString text = value.toString();
    QByteArray field = text.toUtf8();
    if (text.contains(QLatin1Char(',')) || text.contains(QLatin1Char('"')) ||
        text.contains(QLatin1Char('\n')) || text.contains(QLatin1Char('\r'))) {
        field.replace('"', "\"\"");
        field = '"' + field + '"';
    }
    return field;
}

void appendCsvLine(QByteArray& out, const QList<QVariant>& fields) {
    for (qsizetype i = 0; i < fields.size(); ++i) {
        if (i > 0) out += ',';
        out += csvField(fields[i]);
    }
    out += "\r\n";
}

int levelOf(int hundreds, int units) {
    return hundreds * 100 + units;
}

QVariant hourOrNothing(int hour) {
    return hour >= 0 && hour <= 23 ? QVariant(hour) : QVariant();
}
} // namespace

QByteArray ToCsv(const ExportTable& table) {
    QByteArray out;
    QList<QVariant> header;
    for (const QString& column : table.columns)
        header.append(column);
    appendCsvLine(out, header);
    for (const QList<QVariant>& row : table.rows)
        appendCsvLine(out, row);
    return out;
}

QJsonDocument ToJson(const ExportTable& table) {
    QJsonArray array;
    for (const QList<QVariant>& row : table.rows) {
        QJsonObject object;
        for (qsizetype i = 0; i < table.columns.size(); ++i)
            object.insert(table.columns[i], i < row.size() ? QJsonValue::fromVariant(row[i]) : QJsonValue());
        array.append(object);
    }
    return QJsonDocument(array);
}

QList<QStringList> ParseCsv(const QByteArray& csv) {
    const QString text = QString::fromUtf8(csv);
    QList<QStringList> rows;
    QStringList row;
    QString field;
    bool quoted = false, fieldStarted = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (quoted) {
            if (c == QLatin1Char('"')) {
                if (i + 1 < text.size() && text[i + 1] == QLatin1Char('"')) {
                    field += c;
                    ++i;
                } else {
                    quoted = false;
                }
            } else {
                field += c;
            }
        } else if (c == QLatin1Char('"')) {
            quoted = true;
            fieldStarted = true;
        } else if (c == QLatin1Char(',')) {
            row.append(field);
            field.clear();
            fieldStarted = true;
        } else if (c == QLatin1Char('\r') || c == QLatin1Char('\n')) {
            if (c == QLatin1Char('\r') && i + 1 < text.size() && text[i + 1] == QLatin1Char('\n')) ++i;
            row.append(field);
            rows.append(row);
            row.clear();
            field.clear();
            fieldStarted = false;
        } else {
            field += c;
            fieldStarted = true;
        }
    }
    if (fieldStarted || !field.isEmpty() || !row.isEmpty()) {
        row.append(field);
        rows.append(row);
    }
    return rows;
}

QString IsoStamp(const QDateTime& stamp) {
    return stamp.toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss"));
}

ExportTable LevelsExport(const DataStore& store, const ExportPeriod& period) {
    ExportTable table{{QStringLiteral("time"), QStringLiteral("kind"), QStringLiteral("level_db")}, {}};
    const int generation = store.Device_Version == 3 ? 3 : 5;
    const int rows = generation == 3 ? 4096 : LeqTable::rowCount;
    for (int r = 1; r <= rows; ++r) {
        if (!isValidLevelOrEventRow(store.Leq_Records, r)) continue;
        QString kind = QStringLiteral("leq");
        if (generation == 5) {
            const int type = store.Leq_Records(r, 4);
            if (type != 1 && type != 10) continue;
            kind = type == 1 ? QStringLiteral("leq1") : QStringLiteral("leq10");
        }
        const QDateTime stamp = RowStamp(store.Leq_Records, r);
        if (!stamp.isValid() || !period.contains(stamp.date())) continue;
        table.rows.append(
            QList<QVariant>{IsoStamp(stamp), kind, RecordLevel(store.Leq_Records, r, generation)});
    }
    return table;
}

ExportTable EventsExport(const DataStore& store, const ExportPeriod& period) {
    ExportTable table{
        {QStringLiteral("time"), QStringLiteral("code7"), QStringLiteral("code8"), QStringLiteral("text")},
        {}};
    const int generation = store.Device_Version == 3 ? 3 : 5;
    for (int r = 1; r <= EventTable::rowCount; ++r) {
        if (!hasValidRecordDate(store.Event_Records, r) || !isEventRow(store.Event_Records, r)) continue;
        const QDateTime stamp = RowStamp(store.Event_Records, r);
        if (!stamp.isValid() || !period.contains(stamp.date())) continue;
        const int c7 = store.Event_Records(r, 7), c8 = store.Event_Records(r, 8);
        table.rows.append(
            QList<QVariant>{IsoStamp(stamp), c7, c8, eventText(generation, c7, c8, EventList::Table)});
    }
    return table;
}

ExportTable ParametersExport(const DataStore& store, const ExportPeriod& period) {
    ExportTable table{
        {QStringLiteral("source"), QStringLiteral("time"), QStringLiteral("day_db"),
         QStringLiteral("day_window_db"), QStringLiteral("night_db"), QStringLiteral("night_window_db"),
         QStringLiteral("public_db"), QStringLiteral("sensor_db"), QStringLiteral("day_night_hour"),
         QStringLiteral("night_day_hour"), QStringLiteral("relay"), QStringLiteral("sensor_cut"),
         QStringLiteral("general_cut"), QStringLiteral("analysis")},
        {}};
    const ParamZone& zone = store.Param_Block;
    const bool generation3 = store.Device_Version == 3;
    // The reading's moment, when the data came from a generation-5 transfer; empty otherwise.
    QVariant readingTime;
    const QDate readDate = ParseDateText(store.Transfer_Date);
    const QTime readTime = QTime::fromString(store.Transfer_Time.left(5), QStringLiteral("hh:mm"));
    if (readDate.isValid() && readTime.isValid()) readingTime = IsoStamp(DeviceTime(readDate, readTime));

    QList<QVariant> current{QStringLiteral("current"),       readingTime,
                            levelOf(zone[2176], zone[2177]), levelOf(zone[2178], zone[2179]),
                            levelOf(zone[2180], zone[2181]), levelOf(zone[2182], zone[2183])};
    if (generation3) {
        current << QVariant() << QVariant() << hourOrNothing(zone[2187]) << hourOrNothing(zone[2189])
                << QVariant() << QVariant() << QVariant() << QVariant();
    } else {
        current << levelOf(zone[2186], zone[2187]) << levelOf(zone[2188], zone[2189])
                << hourOrNothing(zone[2191]) << hourOrNothing(zone[2193]) << RelayText(zone[7])
                << SensorCutText(zone[6]) << GeneralCutText(zone[7]) << AnalysisText(zone[6]);
    }
    table.rows.append(current);
    if (generation3) return table;

    const ParamChangeTable& history = store.Param_Change_Records;
    for (int r = 1; r <= ParamChangeTable::rowCount; ++r) {
        if (!isValidParamChangeRow(history, r)) continue;
        const QDateTime stamp = RowStamp(history, r);
        if (!stamp.isValid() || !period.contains(stamp.date())) continue;
        table.rows.append(QList<QVariant>{
            QStringLiteral("change"), IsoStamp(stamp), levelOf(history(r, 29), history(r, 30)),
            levelOf(history(r, 31), history(r, 32)), levelOf(history(r, 33), history(r, 34)),
            levelOf(history(r, 35), history(r, 36)), levelOf(history(r, 39), history(r, 40)),
            levelOf(history(r, 41), history(r, 42)), hourOrNothing(history(r, 44)),
            hourOrNothing(history(r, 46)), RelayText(history(r, 8)), SensorCutText(history(r, 7)),
            GeneralCutText(history(r, 8)), AnalysisText(history(r, 7))});
    }
    return table;
}

ExportTable BuildExport(const DataStore& store, ExportWhat what, const ExportPeriod& period) {
    switch (what) {
    case ExportWhat::Levels:
        return LevelsExport(store, period);
    case ExportWhat::Events:
        return EventsExport(store, period);
    case ExportWhat::Parameters:
        return ParametersExport(store, period);
    }
    return {};
}

QString ExportFileSuffix(ExportWhat what) {
    switch (what) {
    case ExportWhat::Levels:
        return QStringLiteral("niveaux");
    case ExportWhat::Events:
        return QStringLiteral("evenements");
    case ExportWhat::Parameters:
        return QStringLiteral("parametres");
    }
    return {};
}
