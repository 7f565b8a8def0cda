#include "core/tables/PeriodDialog.h"

#include "core/store/Labels.h"

QString PeriodDialogCaption(const QString& requestedView) {
    if (requestedView == kViewLeqTable) return QStringLiteral("Paramètres du tableau Leq");
    if (requestedView == kViewEventTable) return QStringLiteral("Paramètres du tableau d'événements");
    if (requestedView == kViewStatistics) return QStringLiteral("Paramètres des statistiques");
    return {};
}

bool HasPeriodTexts(const DataStore& store) {
    for (const QString* text : {&store.Start_Day, &store.Start_Month, &store.Start_Year, &store.End_Day,
                                &store.End_Month, &store.End_Year})
        if (!text->isEmpty()) return true;
    return false;
}

namespace {
std::optional<QDate> dateOf(const QString& day, const QString& month, const QString& year) {
    const QDate date = ParseDateText(day + QLatin1Char('/') + month + QLatin1Char('/') + year);
    if (!date.isValid()) return std::nullopt;
    return date;
}
} // namespace

std::optional<QDate> StoredPeriodStart(const DataStore& store) {
    return dateOf(store.Start_Day, store.Start_Month, store.Start_Year);
}

std::optional<QDate> StoredPeriodEnd(const DataStore& store) {
    return dateOf(store.End_Day, store.End_Month, store.End_Year);
}

void SetPeriodStart(DataStore& store, const QDate& day) {
    store.Start_Day = TwoDigits(day.day());
    store.Start_Month = TwoDigits(day.month());
    store.Start_Year = QString::number(day.year());
}

void SetPeriodEnd(DataStore& store, const QDate& day) {
    store.End_Day = TwoDigits(day.day());
    store.End_Month = TwoDigits(day.month());
    store.End_Year = QString::number(day.year());
}

bool CheckPeriod(const QDate& start, const QDate& end, UiServices& ui) {
    if (start > end) {
        ui.message(MessageIcon::Critical, kIncoherentPeriodTitle, kIncoherentPeriodText);
        return false;
    }
    return true;
}

std::optional<WindowId> TableWindowFor(const DataStore& store) {
    if (store.Requested_View == kViewEventTable) return WindowId::frmTableau_Evenements;
    if (store.Requested_View == kViewStatistics) return WindowId::frmStatistiques;
    if (store.Requested_View == kViewLeqTable)
        return store.Device_Version == 3 ? WindowId::frmTableau_Leq : WindowId::frmTableau_Leq_V5;
    return std::nullopt;
}
