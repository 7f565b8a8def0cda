#pragma once

struct AppContext;

// The "&Enregistrer Sous ..." command of the main window: the save with its progress window.
void runSaveCommand(AppContext& ctx);
