// Decoding and classification of a transfer on arbitrary memory images of both generations. The
// image starts as erased memory, a generated device's memory or the raw input, then takes patches;
// the monitor may ask to stop part-way, as the cancel button does.
#include "FuzzSupport.h"

#include "core/link/Decoding.h"
#include "sim/Generator.h"
#include "sim/MemoryImage.h"

#include <QDate>
#include <cstdlib>

namespace {

class FuzzMonitor : public WorkMonitor {
public:
    explicit FuzzMonitor(int abortAfter) : m_abortAfter(abortAfter) {}
    void progressTick() override { ++m_ticks; }
    bool abortRequested() const override { return m_abortAfter > 0 && m_ticks >= m_abortAfter; }

private:
    int m_abortAfter;
    int m_ticks = 0;
};

struct Images {
    QByteArray gen3Dump, gen3Param, gen5Dump;
    QByteArray erased3{DeviceMemory::kGen3DumpSize, '\xff'};
    QByteArray erased5{DeviceMemory::kGen5DumpSize, '\xff'};
    QByteArray erasedParam{DeviceMemory::kGen3ParamReplySize, '\xff'};
    Images() {
        GeneratorOptions options;
        options.start = QDate(2009, 3, 5);
        options.generation = 3;
        const DeviceData d3 = GenerateDeviceData(options);
        gen3Dump = EncodeGeneration3Dump(d3);
        gen3Param = EncodeGeneration3ParamReply(d3);
        options.generation = 5;
        gen5Dump = EncodeGeneration5Dump(GenerateDeviceData(options));
    }
};

const Images& images() {
    static const Images i;
    return i;
}

// Run over every row of every finished input: without coverage, which would cost more than the check.
template <class Table>
__attribute__((no_sanitize("coverage"))) void checkSorted(const Table& table, int rows) {
    // Invalid rows (all date cells 255) come last; the valid ones in ascending date order.
    auto key = [&](int r) {
        return std::array<int, 5>{table(r, 6), table(r, 5), table(r, 3), table(r, 2), table(r, 1)};
    };
    auto invalid = [&](int r) {
        return table(r, 1) == 255 && table(r, 2) == 255 && table(r, 3) == 255 && table(r, 5) == 255 &&
               table(r, 6) == 255;
    };
    for (int r = 2; r <= rows; ++r) {
        if (invalid(r - 1) && !invalid(r)) std::abort();
        if (!invalid(r) && key(r) < key(r - 1)) std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ByteStream in(data, size);
    const uint8_t mode = in.byte();
    const int generation = (mode & 1) ? 5 : 3;
    const int abortAfter = (mode & 2) ? in.intIn(1, 300) : 0;
    QByteArray dump, param;
    switch ((mode >> 2) & 3) {
    case 0: // the raw input, as a short or garbled reply
        dump = QByteArray(reinterpret_cast<const char*>(in.here()), static_cast<qsizetype>(in.remaining()));
        if (generation == 3) param = dump.right(DeviceMemory::kGen3ParamReplySize);
        in.skip(in.remaining());
        break;
    case 1: // erased memory
        dump = generation == 3 ? images().erased3 : images().erased5;
        param = images().erasedParam;
        break;
    default: // a real device's memory
        dump = generation == 3 ? images().gen3Dump : images().gen5Dump;
        param = images().gen3Param;
        break;
    }
    // Patches: offset (24 bits), run length, then the bytes.
    while (!in.atEnd() && !dump.isEmpty()) {
        const int target = in.byte();
        QByteArray& image = (generation == 3 && (target & 1) && !param.isEmpty()) ? param : dump;
        const uint32_t offset = (static_cast<uint32_t>(in.byte()) << 16 | static_cast<uint16_t>(in.int16())) %
                                static_cast<uint32_t>(image.size());
        const int length = in.byte() % 17;
        for (int i = 0; i < length && offset + i < static_cast<uint32_t>(image.size()); ++i)
            image[static_cast<qsizetype>(offset + i)] = static_cast<char>(in.byte());
    }

    // One data set serves every input, emptied by assignment: building full-size tables for each
    // input cost more than decoding into them.
    static const DeviceData empty;
    static DeviceData decoded;
    decoded = empty;
    FuzzMonitor monitor(abortAfter);
    const bool done = DecodeAndClassify(generation, dump, param, decoded, monitor);
    if (done) {
        checkSorted(decoded.Leq_Records, LeqRecordCount(generation));
        checkSorted(decoded.Event_Records, DeviceMemory::kEventRows);
    }
    if (abortAfter == 0 && !done) std::abort(); // only a cancel may stop the work
    return 0;
}
