#pragma once

#include <QString>
#include <optional>
#include <utility>

// What every archive operation gives back: its value, or the French reason it has none. A caller
// cannot take the value without looking (value() on a failure is a programming error), and it
// cannot drop the result unread.
template <class T> class [[nodiscard]] ArchiveResult {
public:
    ArchiveResult(T value) : m_value(std::move(value)) {} // NOLINT(google-explicit-constructor)
    static ArchiveResult failure(QString error) {
        ArchiveResult result;
        result.m_error = error.isEmpty() ? QStringLiteral("erreur inconnue") : std::move(error);
        return result;
    }

    bool ok() const { return m_value.has_value(); }
    explicit operator bool() const { return ok(); }
    const QString& error() const { return m_error; }

    const T& value() const& { return *m_value; }
    T& value() & { return *m_value; }
    // From a temporary result, the value itself: a reference into it would dangle once the result is
    // gone, in a range-for over *archive.devices() for one.
    T value() && { return std::move(*m_value); }
    const T* operator->() const { return &*m_value; }
    T* operator->() { return &*m_value; }
    const T& operator*() const& { return *m_value; }
    T& operator*() & { return *m_value; }
    T operator*() && { return std::move(*m_value); }

private:
    ArchiveResult() = default;
    std::optional<T> m_value;
    QString m_error;
};

// The result of an operation that gives nothing back but may fail.
struct ArchiveDone {};
using ArchiveStatus = ArchiveResult<ArchiveDone>;
inline ArchiveStatus ArchiveOk() {
    return ArchiveDone{};
}
