#pragma once

// The drawing surfaces need QtGui only, so the command line renders with them too.
#include "paint/PainterCanvas.h"
