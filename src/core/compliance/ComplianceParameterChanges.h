#pragma once

#include "core/store/DataStore.h"

#include <QDateTime>
#include <QStringList>
#include <map>

// What each change of the parameter history changed, field by field, named as the parameters window
// names them ("Niveau Leq Nuit : 95 → 96"), keyed by the change's stamp. The oldest change has no entry:
// what was in force before it is not recorded.
std::map<QDateTime, QStringList> ParameterChangeLines(const DeviceData& data);
