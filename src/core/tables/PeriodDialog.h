#pragma once

#include "core/platform/UiServices.h"
#include "core/store/DataStore.h"
#include "core/store/WindowId.h"

#include <QDate>
#include <QString>
#include <optional>

// The rules of the period dialog frmInTableau, shared by the window and the command line.

inline const QString kIncoherentPeriodTitle = QStringLiteral("Pb de paramètres !!!");
inline const QString kIncoherentPeriodText = QStringLiteral("Veuillez entrer des dates cohérentes SVP !!!");

inline const QString kViewLeqTable = QStringLiteral("Tableau Leq");
inline const QString kViewEventTable = QStringLiteral("Tableau Evénements");
inline const QString kViewStatistics = QStringLiteral("Statistiques");

// The dialog's caption for the requested view ("" for a view that has no period dialog).
QString PeriodDialogCaption(const QString& requestedView);

// Whether any of the six period texts holds something (a period was chosen before).
bool HasPeriodTexts(const DataStore& store);

// The first and last day of the stored period, or nothing when the texts do not make a date.
std::optional<QDate> StoredPeriodStart(const DataStore& store);
std::optional<QDate> StoredPeriodEnd(const DataStore& store);

// Day and month with a leading "0" below 10, the year in four digits.
void SetPeriodStart(DataStore& store, const QDate& day);
void SetPeriodEnd(DataStore& store, const QDate& day);

// A start after the end is refused with the critical message; equal days make a one-day period.
bool CheckPeriod(const QDate& start, const QDate& end, UiServices& ui);

// The table window that shows the requested view for the store's generation.
std::optional<WindowId> TableWindowFor(const DataStore& store);
