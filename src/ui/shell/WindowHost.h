#pragma once

#include "core/store/WindowId.h"

class QWidget;

// The main window's work area as the other windows see it: it opens a window by its name (the
// window's load handler runs in its constructor), shows it inside the main window, and unloads
// windows for the housekeeping (each window's own close logic runs).
class WindowHost : public WindowCloser {
public:
    // Creates and shows the named window; a window already open is unloaded first.
    virtual void open(WindowId id) = 0;
    // The loaded window of that name, or nullptr.
    virtual QWidget* window(WindowId id) const = 0;
    // Places a window created elsewhere inside the main window (child windows not in the list,
    // such as the about box, use it too).
    virtual void show(QWidget* window) = 0;
    // Closes every open window of the housekeeping list, in list order.
    virtual void closeOpenWindows() = 0;
};
