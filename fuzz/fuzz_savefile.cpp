// The save-file reader on arbitrary bytes: any file a user may pick must be refused or read,
// never crash; a refused file must leave the data in memory untouched and a read one must hold
// device bytes only. The mutator mostly changes single values and line ends so that inputs keep the
// line structure and reach the values behind it.
#include "FuzzSupport.h"

#include "core/files/SaveFile.h"
#include "core/store/DataStore.h"

#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <random>
#include <vector>

extern "C" size_t LLVMFuzzerMutate(uint8_t* data, size_t size, size_t maxSize);

namespace {

struct Fixture {
    QTemporaryDir dir;
    QString path;
    DataStore reference;
    DataStore store;
    Fixture() : dir(tempRoot()), path(dir.filePath(QStringLiteral("input.qlv"))) {
        reference.applyStartValues();
        reference.Leq_Records(1, 1) = 42;
        reference.Transfer_Date = QStringLiteral("01/02/2009");
        store = reference;
    }
    // Files written for every input go to memory when the system offers it.
    static QString tempRoot() {
        return QFile::exists(QStringLiteral("/dev/shm")) ? QStringLiteral("/dev/shm/vorl-fuzz-XXXXXX")
                                                         : QString();
    }
};

Fixture& fixture() {
    static Fixture f;
    return f;
}

template <class Cells> bool deviceBytesOnly(const Cells& cells, int count) {
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

// A new text for one value: mostly a plausible number, sometimes padded, out of range or garbled.
size_t valueText(std::minstd_rand& rng, const uint8_t* old, size_t oldLength, uint8_t* out) {
    char text[16];
    int n = 0;
    switch (rng() % 8) {
    case 0:
    case 1:
    case 2:
        n = std::snprintf(text, sizeof text, "%u", static_cast<unsigned>(rng() % 256));
        break;
    case 3:
        n = std::snprintf(text, sizeof text, "%0*u", static_cast<int>(1 + rng() % 7),
                          static_cast<unsigned>(rng() % 300));
        break;
    case 4:
        n = std::snprintf(text, sizeof text, "-%u", static_cast<unsigned>(rng() % 300));
        break;
    case 5:
        n = std::snprintf(text, sizeof text, "%u", static_cast<unsigned>(rng() % 100000));
        break;
    default: { // the fuzzer's own byte mutations on the old text
        uint8_t buffer[16] = {};
        const size_t kept = std::min<size_t>(oldLength, 8);
        std::memcpy(buffer, old, kept);
        const size_t length = LLVMFuzzerMutate(buffer, kept, 8);
        std::memcpy(out, buffer, length);
        return length;
    }
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
            const size_t length = valueText(rng, data + value.begin, value.end - value.begin, text);
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
    Fixture& f = fixture();
    {
        QFile file(f.path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) std::abort();
        file.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size));
    }
    // One store serves every input: a refused file must leave it as it was, a read one is put back.
    DataStore& store = f.store;
    SilentUiServices ui;
    SilentMainShell shell;
    const bool loaded = LoadSaveFile(store, f.path, ui, shell);
    if (!loaded &&
        !(store.deviceData() == f.reference.deviceData() &&
          store.Device_Version == f.reference.Device_Version && store.Data_Loaded == f.reference.Data_Loaded))
        std::abort();                                // a refused file changed the data
    if (!loaded && ui.messages() == 0) std::abort(); // refused without telling the user
    if (loaded) {
        if (store.Device_Version != 3 && store.Device_Version != 5) std::abort();
        if (!holdsDeviceBytesOnly(store.deviceData())) std::abort(); // a value no device byte can be
        store.commit(DeviceData(f.reference.deviceData()));
        store.Device_Version = f.reference.Device_Version;
        store.Data_Loaded = f.reference.Data_Loaded;
        store.Abort_Flag = f.reference.Abort_Flag;
    }
    return 0;
}
