#pragma once

#include "core/platform/Clock.h"
#include "core/platform/MainShell.h"
#include "core/platform/UiServices.h"
#include "core/store/WindowId.h"

#include <QString>
#include <QStringList>
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <vector>

struct RecordedMessage {
    MessageIcon icon;
    QString title;
    QString text;
};

// Records every message box and answers the file dialogs from a queue of scripted answers
// (std::nullopt = the user cancelled). No test ever blocks on a modal box.
class FakeUiServices : public UiServices {
public:
    void message(MessageIcon icon, const QString& title, const QString& text) override {
        messages.push_back({icon, title, text});
        if (onMessage) onMessage(messages.back());
    }
    std::optional<QString> openFileName(const QString& fileName, const QString& filter) override {
        openRequests.push_back({fileName, filter});
        return next(openAnswers);
    }
    std::optional<QString> saveFileName(const QString& fileName, const QString& filter) override {
        saveRequests.push_back({fileName, filter});
        return next(saveAnswers);
    }
    void setBusyCursor(bool busy) override { busyCursor = busy; }
    bool question(const QString& title, const QString& text) override {
        questions.push_back({MessageIcon::None, title, text});
        if (questionAnswers.empty()) return true;
        const bool yes = questionAnswers.front();
        questionAnswers.pop_front();
        return yes;
    }

    std::vector<RecordedMessage> messages;
    std::vector<RecordedMessage> questions; // every question box asked; answered "Oui" unless scripted
    std::deque<bool> questionAnswers;
    std::deque<std::optional<QString>> openAnswers, saveAnswers;
    std::vector<std::pair<QString, QString>> openRequests, saveRequests;
    std::function<void(const RecordedMessage&)> onMessage;
    bool busyCursor = false;

private:
    static std::optional<QString> next(std::deque<std::optional<QString>>& answers) {
        if (answers.empty()) return std::nullopt;
        const bool answered = answers.front().has_value();
        QString name = answered ? *answers.front() : QString();
        answers.pop_front();
        if (!answered) return std::nullopt;
        return name;
    }
};

// A clock whose time only moves when the code under test waits. Events can be scheduled at given
// times (bytes arriving, a click): a wait jumps to the next one, runs it and returns.
class FakeClock : public Clock {
public:
    qint64 ticks() const override { return now; }
    void waitForEvent(qint64 maxMs) override {
        ++waits;
        if (onWait) onWait();
        if (woken) {
            woken = false;
            return;
        }
        const qint64 deadline = now + qMax<qint64>(0, maxMs);
        auto it = scheduled.begin();
        if (it != scheduled.end() && it->first <= deadline) {
            now = qMax(now, it->first);
            auto action = std::move(it->second);
            scheduled.erase(it);
            action();
            return;
        }
        now = deadline;
    }
    void wake() override { woken = true; }

    void at(qint64 time, std::function<void()> action) { scheduled.emplace(time, std::move(action)); }

    qint64 now = 0;
    int waits = 0;
    bool woken = false;
    std::function<void()> onWait; // runs at every wait (to observe the state while waiting)
    std::multimap<qint64, std::function<void()>> scheduled;
};

class FakeMainShell : public MainShell {
public:
    void setCaption(const QString& caption) override { m_caption = caption; }
    QString caption() const override { return m_caption; }
    void setMenuEnabled(MenuEntry entry, bool enabled) override { m_menus[entry] = enabled; }
    bool isMenuEnabled(MenuEntry entry) const override {
        auto it = m_menus.find(entry);
        return it == m_menus.end() ? true : it->second;
    }
    void setMainEnabled(bool enabled) override { m_enabled = enabled; }
    bool isMainEnabled() const override { return m_enabled; }

private:
    QString m_caption = QStringLiteral("VORL Analyser - QLV 40 - Version 5.6");
    std::map<MenuEntry, bool> m_menus;
    bool m_enabled = true;
};

// Records the order in which windows are unloaded; a window's close logic clears its own flag.
class FakeWindowCloser : public WindowCloser {
public:
    explicit FakeWindowCloser(DataStore& store) : m_store(store) {}
    void unloadWindow(WindowId id) override {
        closed.push_back(id);
        openFlag(m_store, id) = kFalse;
    }
    std::vector<WindowId> closed;

private:
    DataStore& m_store;
};
