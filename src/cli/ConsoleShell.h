#pragma once

#include "core/platform/MainShell.h"

// The main window of a command-line run: it keeps the caption (the status line) and has no menus
// to lock.
class ConsoleShell : public MainShell {
public:
    void setCaption(const QString& caption) override { m_caption = caption; }
    QString caption() const override { return m_caption; }
    void setMenuEnabled(MenuEntry, bool) override {}
    bool isMenuEnabled(MenuEntry) const override { return true; }
    void setMainEnabled(bool) override {}
    bool isMainEnabled() const override { return true; }

private:
    QString m_caption;
};
