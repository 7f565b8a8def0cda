#include "core/store/Labels.h"

#include <QStringList>
#include <array>

namespace {
const std::array<QString, 12> kMonths = {
    QStringLiteral(" Janvier "), QStringLiteral(" Février "), QStringLiteral("  Mars   "),
    QStringLiteral("  Avril  "), QStringLiteral("   Mai   "), QStringLiteral("  Juin   "),
    QStringLiteral(" Juillet "), QStringLiteral("  Août   "), QStringLiteral("Septembre"),
    QStringLiteral(" Octobre "), QStringLiteral("Novembre "), QStringLiteral("Décembre "),
};
const std::array<QString, 7> kWeekdays = {
    QStringLiteral("Dimanche"), QStringLiteral(" Lundi  "), QStringLiteral(" Mardi  "), QStringLiteral("Mercredi"),
    QStringLiteral(" Jeudi  "), QStringLiteral("Vendredi"), QStringLiteral(" Samedi "),
};
} // namespace

QString MonthLabel(int month) {
    if (month < 1 || month > 12) return {};
    return kMonths[static_cast<size_t>(month - 1)];
}

QString TwoDigits(int value) {
    return value >= 0 && value < 10 ? QStringLiteral("0") + QString::number(value) : QString::number(value);
}

QDate ParseDateText(const QString& dateText) {
    const QStringList parts = dateText.trimmed().split(QLatin1Char('/'));
    if (parts.size() != 3) return {};
    bool okDay = false, okMonth = false, okYear = false;
    const int day = parts[0].trimmed().toInt(&okDay);
    const int month = parts[1].trimmed().toInt(&okMonth);
    int year = parts[2].trimmed().toInt(&okYear);
    if (!okDay || !okMonth || !okYear || year < 0) return {};
    if (parts[2].trimmed().size() <= 2) year += 2000;
    return QDate(year, month, day); // invalid (isNull) for an impossible day
}

QString WeekdayLabelOf(const QDate& date) {
    if (!date.isValid()) return {};
    // Qt counts Monday = 1 .. Sunday = 7; the labels count Sunday = 1.
    return kWeekdays[static_cast<size_t>(date.dayOfWeek() % 7)];
}

QString WeekdayLabel(const QString& dateText) { return WeekdayLabelOf(ParseDateText(dateText)); }

QString SerialNumberOf(const ParamZone& block) {
    QString serial;
    for (int cell = 2360; cell <= 2367; ++cell) serial += QString::number(block[cell]);
    return serial;
}

void BuildSerialNumber(DataStore& store) { store.Serial_Number = SerialNumberOf(store.Param_Block); }
