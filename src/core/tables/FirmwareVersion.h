#pragma once

#include "core/store/DataStore.h"

#include <QString>

// The firmware version of a generation-5 device, from the two digit codes of Param_Block cells 160
// and 161 ("5.6"); "5.X" when either cell holds no known code.
QString FirmwareVersionText(const ParamZone& block);
