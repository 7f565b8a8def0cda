#pragma once

#include "cli/ConsoleShell.h"

#include "core/platform/MainShell.h"
#include "core/platform/UiServices.h"

#include <cstddef>
#include <cstdint>
#include <cstring>

// Stand-ins for the message boxes and the main window: a fuzz run answers nothing and shows nothing,
// but still goes through every path that would show a box.
class SilentUiServices : public UiServices {
public:
    void message(MessageIcon, const QString& title, const QString& text) override {
        m_messages += static_cast<int>(title.size() + text.size() > 0);
    }
    std::optional<QString> openFileName(const QString&, const QString&) override { return std::nullopt; }
    std::optional<QString> saveFileName(const QString&, const QString&) override { return std::nullopt; }
    void setBusyCursor(bool) override {}
    int messages() const { return m_messages; }

private:
    int m_messages = 0;
};

// The main window of a fuzzing run keeps its caption and nothing else.
using SilentMainShell = ConsoleShell;

// Reads the fuzzer's bytes as a stream of values; past the end every value is 0.
class ByteStream {
public:
    ByteStream(const uint8_t* data, size_t size) : m_data(data), m_size(size) {}

    uint8_t byte() { return m_pos < m_size ? m_data[m_pos++] : 0; }
    int16_t int16() {
        const auto low = byte();
        return static_cast<int16_t>(static_cast<uint16_t>(low | (byte() << 8)));
    }
    int intIn(int lo, int hi) {
        return lo + static_cast<int>(static_cast<uint16_t>(int16()) % (hi - lo + 1));
    }
    bool atEnd() const { return m_pos >= m_size; }
    size_t remaining() const { return m_size - m_pos; }
    const uint8_t* here() const { return m_data + m_pos; }
    void skip(size_t n) { m_pos += n < remaining() ? n : remaining(); }

private:
    const uint8_t* m_data;
    size_t m_size;
    size_t m_pos = 0;
};
