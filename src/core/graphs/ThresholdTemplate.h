#pragma once

#include "core/platform/UiServices.h"
#include "core/store/DataStore.h"

#include <QString>
#include <vector>

// The threshold template ("gabarit"): the Leq threshold the device applied at every moment of the
// graph window, as the steps of Template_Steps. Generation 3 gets a fixed day/night template from
// the values typed in the graph dialog; generation 5 gets the recorded template, rebuilt from the
// window-state events and the parameter history, or, when that cannot be done, the template of the
// current parameters. Sets Template_Drawn (and, for the recorded one, Template_Params_Constant,
// Template_Param_First and Template_Param_Last). Messages go through ui.
void BuildThresholdTemplate(DataStore& store, UiServices& ui);

// Generation 5 only. Returns true (Template_Drawn -1) when the recorded template was built; otherwise
// shows why, leaves Template_Drawn 0 and returns false.
bool BuildRecordedTemplate(DataStore& store, UiServices& ui);

// The template of fixed levels and switch hours, two steps per day of the window.
void BuildFixedTemplate(DataStore& store, int dayLevel, int nightLevel, int dayNightHour, int nightDayHour);

// An hour is a night hour when it lies from the day->night hour up to (not including) the
// night->day hour, across midnight if need be; equal hours give no night.
bool isNightHour(int hour, int dayNightHour, int nightDayHour);

// One change that can start a step of the recorded template.
struct TemplateChange {
    enum Kind : int16_t { Switch = 0, ParameterSet = 1, WindowState = 2 };
    int16_t minute = 0;
    int16_t hour = 0;
    int16_t day = 0;
    int16_t month = 0;
    int16_t year = 0; // within the century
    int16_t kind = Switch;
    int16_t reference = 0; // parameter-history row (0 = current parameters) or window-state row
    bool operator==(const TemplateChange&) const = default;
};

// Chronological order by five selection-sort passes (year, then month, day, hour, minute). The sort is
// not stable, and the order it leaves among changes of the same minute decides which of them applies
// first, so it is kept exactly as the device software sorted.
void SortTemplateChanges(std::vector<TemplateChange>& changes);

namespace TemplateMessages {
inline const QString kTitle = QStringLiteral("Impossible d'afficher le gabarit réel!!!");
inline const QString kUncertainTitle = QStringLiteral("Impossible de dessiner le gabarit réel !!!");
inline const QString kNoWindowState = QStringLiteral("Impossible d'afficher le Gabarit. Aucune information "
                                                     "d'état de fenêtre. Le gabarit affiché sera alors le "
                                                     "gabarit des paramètres en cours !!!");
inline const QString kBadWindowState =
    QStringLiteral("Impossible d'afficher le Gabarit. Informations de fenêtre érronées. Le gabarit affiché "
                   "sera alors le gabarit "
                   "des paramètres en cours !!!");
inline const QString kBadParameterChanges =
    QStringLiteral("Impossible d'afficher le Gabarit. Informations de Changement de Paramètres érronées. Le "
                   "gabarit affiché sera "
                   "alors le gabarit des paramètres en cours !!!");
inline const QString kNoParameterBeforeWindow =
    QStringLiteral("Impossible d'afficher le Gabarit. Informations de Changement de Paramètres erronées. Le "
                   "gabarit affiché sera "
                   "alors le gabarit des paramètres en cours !!!");
inline const QString kUncertainParameters =
    QStringLiteral("Il existe une incertide au niveau des Paramètres !!! Le gabarit affiché sera alors le "
                   "gabarit des paramètres "
                   "en cours !!!");
} // namespace TemplateMessages
