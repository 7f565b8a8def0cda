#pragma once

#include "core/store/WindowId.h"

class QWidget;
struct AppContext;

// Creates the window of that name; its load handler runs in the constructor. Windows that are not
// part of the program yet are shown as a short placeholder.
QWidget* createWindow(WindowId id, AppContext& context);
