#pragma once

#include <QByteArray>
#include <optional>
#include <utility>
#include <vector>

// Sets environment variables for one test and puts them back afterwards.
class EnvironmentGuard {
public:
    void set(const char* name, const QByteArray& value) {
        remember(name);
        qputenv(name, value);
    }
    void unset(const char* name) {
        remember(name);
        qunsetenv(name);
    }
    ~EnvironmentGuard() {
        for (auto it = m_saved.rbegin(); it != m_saved.rend(); ++it) {
            if (it->second)
                qputenv(it->first, *it->second);
            else
                qunsetenv(it->first);
        }
    }

private:
    void remember(const char* name) {
        m_saved.emplace_back(name,
                             qEnvironmentVariableIsSet(name) ? std::optional(qgetenv(name)) : std::nullopt);
    }
    std::vector<std::pair<const char*, std::optional<QByteArray>>> m_saved;
};
