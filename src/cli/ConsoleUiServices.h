#pragma once

#include "core/platform/UiServices.h"

#include <QTextStream>

// Message boxes of a command-line run: each one is printed as two lines, its title then its text.
// Error and warning boxes mark the run as failed. File dialogs are never answered from a console.
class ConsoleUiServices : public UiServices {
public:
    explicit ConsoleUiServices(QTextStream& out) : m_out(out) {}
    void message(MessageIcon icon, const QString& title, const QString& text) override {
        m_out << title << '\n' << text << '\n';
        m_out.flush();
        if (icon == MessageIcon::Critical || icon == MessageIcon::Warning) m_failed = true;
        ++m_count;
    }
    std::optional<QString> openFileName(const QString&, const QString&) override { return std::nullopt; }
    std::optional<QString> saveFileName(const QString&, const QString&) override { return std::nullopt; }
    void setBusyCursor(bool) override {}

    bool failed() const { return m_failed; }
    int messageCount() const { return m_count; }

private:
    QTextStream& m_out;
    bool m_failed = false;
    int m_count = 0;
};
