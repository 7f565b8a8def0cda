#pragma once

#include "core/files/SaveCommand.h"

struct AppContext;

// The "&Enregistrer Sous ..." command of the main window: the save with its progress window.
SaveResult runSaveCommand(AppContext& ctx);
