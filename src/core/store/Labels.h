#pragma once

#include "core/store/DataStore.h"

#include <QDate>
#include <QString>

// Fixed-width French labels used in every table line, heading and graph axis.
QString MonthLabel(int month);   // 9 characters, "" outside 1..12
QString WeekdayLabel(const QString& dateText); // 8 characters, Sunday = "Dimanche"; "" for no date
QString WeekdayLabelOf(const QDate& date);

// Reads "d/m/y" texts. A year of one or two digits is a year of this century (the device stores
// the year within the century), so "01/01/09" is 2009, never 1909.
QDate ParseDateText(const QString& dateText);

// Two-digit text with a leading "0" below 10, as every date and time in the tables.
QString TwoDigits(int value);

// Sets Serial_Number from Param_Block cells 2360..2367, joined without leading zeros.
void BuildSerialNumber(DataStore& store);
QString SerialNumberOf(const ParamZone& block);
