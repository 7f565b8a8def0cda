#pragma once

#include "core/store/DataStore.h"

#include <QByteArray>
#include <QDate>
#include <QJsonDocument>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <optional>

// A table of named columns for the export files: CSV with a header row, or JSON as an array of
// objects with the same names. Numbers stay numbers in JSON; an invalid QVariant is an empty field
// (null in JSON).
struct ExportTable {
    QStringList columns;
    QList<QList<QVariant>> rows;
};

// RFC 4180: comma-separated, CRLF line ends, a field quoted (quotes doubled) when it holds a comma,
// a quote or a line break; UTF-8 without a byte-order mark.
QByteArray ToCsv(const ExportTable& table);
QJsonDocument ToJson(const ExportTable& table);

// Reads RFC 4180 text back into rows of fields (the header is the first row). Accepts LF or CRLF.
QList<QStringList> ParseCsv(const QByteArray& csv);

// The optional period of an export: whole days, by the date of each record's stamp.
struct ExportPeriod {
    QDate from, to;
    bool contains(const QDate& day) const {
        return (!from.isValid() || day >= from) && (!to.isValid() || day <= to);
    }
};

// Stamps are written ISO 8601 without a zone ("2009-03-05T14:10:00"): the device's own local time.
QString IsoStamp(const QDateTime& stamp);

// Every valid level record: time, kind (leq1 / leq10 for generation 5, leq for generation 3), level_db.
ExportTable LevelsExport(const DataStore& store, const ExportPeriod& period = {});
// Every event: time, code7, code8 (the two code bytes), text (the event table's French text).
ExportTable EventsExport(const DataStore& store, const ExportPeriod& period = {});
// The parameters in force at the reading (source "current"), then, generation 5, every valid row of the
// change history oldest first (source "change", time = the moment of the change).
ExportTable ParametersExport(const DataStore& store, const ExportPeriod& period = {});

enum class ExportWhat { Levels, Events, Parameters };
ExportTable BuildExport(const DataStore& store, ExportWhat what, const ExportPeriod& period = {});
QString ExportFileSuffix(ExportWhat what); // "niveaux", "evenements", "parametres"
