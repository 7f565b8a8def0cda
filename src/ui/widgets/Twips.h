#pragma once

// The twips conversion lives with the drawing surfaces, which the command line shares.
#include "paint/Twips.h"
