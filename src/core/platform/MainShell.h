#pragma once

#include <QString>

// The main-window entries other parts of the program enable and disable.
enum class MenuEntry { mnuPort, mnuSave_As, mnuAnalyse, mnuAbout, mnuQuitter };

// What the rest of the program may do to the main window: its title is the status line, some of
// its menus are locked during long operations, and it is disabled while a modal-like window shows.
class MainShell {
public:
    virtual ~MainShell() = default;
    virtual void setCaption(const QString& caption) = 0;
    virtual QString caption() const = 0;
    virtual void setMenuEnabled(MenuEntry entry, bool enabled) = 0;
    virtual bool isMenuEnabled(MenuEntry entry) const = 0;
    virtual void setMainEnabled(bool enabled) = 0;
    virtual bool isMainEnabled() const = 0;
};
