// The save-file reader on arbitrary bytes: any file a user may pick must be refused or read, never
// crash, and a read one must hold device bytes only. The mutator mostly changes single values and
// line ends so that inputs keep the line structure and reach the values behind it.
#include "core/files/SaveFileReader.h"
#include "core/store/DataStore.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <vector>

extern "C" size_t LLVMFuzzerMutate(uint8_t* data, size_t size, size_t maxSize);

namespace {

// Run over every cell of every file read: without coverage, which would cost more than the reading.
template <class Cells>
__attribute__((no_sanitize("coverage"))) bool deviceBytesOnly(const Cells& cells, int count) {
    for (int i = 0; i < count; ++i)
        if (cells[i] < 0 || cells[i] > 255) return false;
    return true;
}

bool holdsDeviceBytesOnly(const DeviceData& d) {
    return deviceBytesOnly(d.Leq_Records.rowData(1), LeqTable::rowCount * 8) &&
           deviceBytesOnly(d.Event_Records.rowData(1), EventTable::rowCount * 8) &&
           deviceBytesOnly(d.Param_Change_Records.rowData(1), ParamChangeTable::rowCount * 48) &&
           deviceBytesOnly(d.Param_Block, ParamZone::size) &&
           deviceBytesOnly(d.Param_Block_V3, ParamZoneV3::size);
}

// --- the mutator -------------------------------------------------------------------------------

struct Span {
    size_t begin, end;
};

// The lines of the input (at most a few: a save file has six), without their line ends.
std::vector<Span> linesOf(const uint8_t* data, size_t size) {
    std::vector<Span> lines;
    size_t pos = 0;
    while (pos < size && lines.size() < 16) {
        const auto* lf = static_cast<const uint8_t*>(std::memchr(data + pos, '\n', size - pos));
        const size_t lfAt = lf ? static_cast<size_t>(lf - data) : size;
        const auto* cr = static_cast<const uint8_t*>(std::memchr(data + pos, '\r', lfAt - pos));
        const size_t stop = cr ? static_cast<size_t>(cr - data) : lfAt;
        lines.push_back({pos, stop});
        pos = stop;
        if (pos < size) pos += (data[pos] == '\r' && pos + 1 < size && data[pos + 1] == '\n') ? 2 : 1;
    }
    return lines;
}

// Replaces [at, at + length) with `with`, within maxSize; returns the new size.
size_t replace(uint8_t* data, size_t size, size_t maxSize, size_t at, size_t length, const uint8_t* with,
               size_t withLength) {
    if (size - length + withLength > maxSize) return size;
    std::memmove(data + at + withLength, data + at + length, size - at - length);
    std::memcpy(data + at, with, withLength);
    return size - length + withLength;
}

// A new text for one value: mostly a device byte, so that the file still reads and the new value
// goes on to the store; sometimes padded, out of range or garbled.
size_t valueText(std::minstd_rand& rng, bool plain, const uint8_t* old, size_t oldLength, uint8_t* out) {
    static const char* const kEdges[] = {"0",  "255", "256",   "00255", "000000",
                                         "-0", "-1",  "99999", "65536", ""};
    char text[16];
    int n = 0;
    const unsigned how = plain ? 0 : rng() % 16;
    if (how < 10) {
        n = std::snprintf(text, sizeof text, "%u", static_cast<unsigned>(rng() % 256));
    } else if (how == 10) {
        n = std::snprintf(text, sizeof text, "%s", kEdges[rng() % std::size(kEdges)]);
    } else if (how == 11) {
        n = std::snprintf(text, sizeof text, "%0*u", static_cast<int>(1 + rng() % 6),
                          static_cast<unsigned>(rng() % 300));
    } else if (how < 14) {
        n = std::snprintf(text, sizeof text, "%u", static_cast<unsigned>(rng() % 1000));
    } else { // the fuzzer's own byte mutations on the old text
        uint8_t buffer[16] = {};
        const size_t kept = std::min<size_t>(oldLength, 8);
        std::memcpy(buffer, old, kept);
        const size_t length = LLVMFuzzerMutate(buffer, kept, 8);
        std::memcpy(out, buffer, length);
        return length;
    }
    std::memcpy(out, text, static_cast<size_t>(n));
    return static_cast<size_t>(n);
}

// One value of a line of values, found from a random place in it: from after its opening blank to
// the next blank or the end of the line.
Span valueAt(const uint8_t* data, Span line, size_t offset) {
    size_t begin = line.begin + offset;
    while (begin > line.begin && data[begin - 1] != ' ')
        --begin;
    const auto* blank = static_cast<const uint8_t*>(std::memchr(data + begin, ' ', line.end - begin));
    return {begin, blank ? static_cast<size_t>(blank - data) : line.end};
}

size_t convertLineEnds(uint8_t* data, size_t size, size_t maxSize, const std::vector<Span>& lines,
                       std::minstd_rand& rng) {
    static const char* const kEnds[] = {"\r\n", "\n", "\r"};
    const bool all = rng() % 2;
    const char* to = kEnds[rng() % 3];
    // From the last line back, so that the spans still ahead stay in place.
    const size_t one = rng() % lines.size();
    for (size_t i = lines.size(); i-- > 0;) {
        if (!all && i != one) continue;
        const size_t at = lines[i].end;
        const size_t next = i + 1 < lines.size() ? lines[i + 1].begin : size;
        if (at == next) continue; // the last line without a line end
        size = replace(data, size, maxSize, at, next - at, reinterpret_cast<const uint8_t*>(to),
                       std::strlen(to));
    }
    return size;
}

} // namespace

extern "C" size_t LLVMFuzzerCustomMutator(uint8_t* data, size_t size, size_t maxSize, unsigned int seed) {
    std::minstd_rand rng(seed);
    const std::vector<Span> lines = linesOf(data, size);
    // Inputs without lines of values (the broken seeds, the fuzzer's own short finds) and now and
    // then any input are changed byte-wise.
    if (lines.size() < 3 || rng() % 32 == 0) return LLVMFuzzerMutate(data, size, maxSize);

    const size_t which = 1 + rng() % (lines.size() - 1);
    const Span line = lines[which];
    const size_t choice = rng() % 16;
    if (choice < 11 && line.end > line.begin) { // one value, or several values of the line
        const int count = choice < 9 ? 1 : 1 + static_cast<int>(rng() % 16);
        for (int k = 0; k < count; ++k) {
            const Span value = valueAt(data, line, rng() % (line.end - line.begin));
            uint8_t text[16];
            const size_t length =
                valueText(rng, count > 1, data + value.begin, value.end - value.begin, text);
            size = replace(data, size, maxSize, value.begin, value.end - value.begin, text, length);
            if (length != value.end - value.begin) break; // the line moved: find it again next time
        }
        return size;
    }
    if (choice < 13) return convertLineEnds(data, size, maxSize, lines, rng);
    if (choice == 13 && line.end > line.begin) { // a value more or less, or a doubled blank
        const size_t at = valueAt(data, line, rng() % (line.end - line.begin)).begin - 1;
        static const uint8_t kExtra[] = {' ', '7'};
        return rng() % 2 ? replace(data, size, maxSize, at, 0, kExtra, rng() % 2 + 1)
                         : replace(data, size, maxSize, at, std::min<size_t>(2, size - at), kExtra, 0);
    }
    // The header or the last line as bytes: small spans keep the rest of the file in place.
    const Span span = choice == 14 ? lines.front() : lines.back();
    uint8_t buffer[64] = {};
    const size_t length = std::min<size_t>(span.end - span.begin, 40);
    std::memcpy(buffer, data + span.begin, length);
    const size_t mutated = LLVMFuzzerMutate(buffer, length, sizeof buffer);
    return replace(data, size, maxSize, span.begin, length, buffer, mutated);
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The bytes go to the reader as they are: writing each input to a file and reading it back,
    // and copying the data set around it, cost more than the reading itself. What the loader adds
    // around the reader (refusing a non-file, keeping the data of a refused file) does not depend
    // on the bytes and is covered by the unit tests.
    static DeviceData scratch;
    const QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    int generation = 0;
    const SaveFileFault fault = ReadSaveFileBytes(bytes, scratch, generation);
    if (fault == SaveFileFault::None) {
        if (generation != 3 && generation != 5) std::abort();
        if (!holdsDeviceBytesOnly(scratch)) std::abort(); // a value no device byte can be
    }
    return 0;
}
