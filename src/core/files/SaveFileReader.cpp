#include "core/files/SaveFileReader.h"

#include "core/files/SaveFileTexts.h"

#include <QString>
#include <cstring>

// The loops over every character of a file carry no fuzzing coverage: it would cost far more than
// the reading itself, and the few outcomes of these loops show in the branches of their callers.
#if defined(__clang__)
#define NO_CHARACTER_COVERAGE __attribute__((no_sanitize("coverage"), noinline))
#else
#define NO_CHARACTER_COVERAGE
#endif

namespace {

// Characters of one value with the blank that ends it: always fewer than this. A line end counts
// as the two characters of the CR LF the writer puts there, whatever the file holds now, so a file
// whose line ends were converted is accepted exactly when its original is.
constexpr int kValueLimit = 7;
constexpr int kTransferFieldLimit = 21; // the same for the date and time of the last line
constexpr int kLineEndWidth = 2;
constexpr int kLongestHeader = 32;
constexpr int kLongestInnerValue = kValueLimit - 2;                // then its blank
constexpr int kLongestLastValue = kValueLimit - 2 - kLineEndWidth; // then CR LF and the next blank
static_assert(kLongestHeader + kLineEndWidth + 133600 * (kValueLimit - 1) + kTransferFieldLimit + 8 <
              kMostSaveFileBytes);

struct Line {
    const char* begin = nullptr;
    const char* end = nullptr;
    bool ended = false; // a line end follows
};

// The lines of the bytes, each without its line end: CR LF, LF or CR alone.
class LineCursor {
public:
    LineCursor(const char* begin, const char* end) : m_pos(begin), m_end(end) {}

    bool next(Line& line) {
        if (m_pos == m_end) return false;
        const auto rest = static_cast<std::size_t>(m_end - m_pos);
        const auto* lf = static_cast<const char*>(std::memchr(m_pos, '\n', rest));
        const auto* cr = static_cast<const char*>(
            std::memchr(m_pos, '\r', lf ? static_cast<std::size_t>(lf - m_pos) : rest));
        const char* stop = cr ? cr : lf ? lf : m_end;
        line = {m_pos, stop, stop != m_end};
        m_pos = stop;
        if (m_pos != m_end) m_pos += (*m_pos == '\r' && m_pos + 1 != m_end && m_pos[1] == '\n') ? 2 : 1;
        return true;
    }

private:
    const char* m_pos;
    const char* m_end;
};

// One line of exactly `count` values in the number form (each opened by a blank), ending with one
// more blank where the writer puts one. A value is a whole number of a device byte, 0..255:
// anything else refuses the file rather than putting a wrong number into a cell.
NO_CHARACTER_COVERAGE bool readValueLine(const Line& line, int16_t* cells, int count, bool endsWithBlank) {
    const char* p = line.begin;
    const char* const end = line.end;
    for (int i = 0; i < count; ++i) {
        if (p == end || *p != ' ') return false;
        const char* const text = ++p;
        const bool negative = p != end && *p == '-';
        if (negative) ++p;
        const char* const digits = p;
        unsigned value = 0;
        bool notDigit = false;
        for (; p != end && *p != ' '; ++p) {
            const unsigned digit = static_cast<unsigned char>(*p) - unsigned{'0'};
            notDigit |= digit > 9;
            value = value * 10 + digit; // wraps only past the longest value, refused below
        }
        const int longest = i + 1 == count && !endsWithBlank ? kLongestLastValue : kLongestInnerValue;
        if (notDigit || p == digits || p - text > longest || value > (negative ? 0u : 255u)) return false;
        cells[i] = static_cast<int16_t>(value); // "-0" is the only negative form left: 0
    }
    if (endsWithBlank) {
        if (p == end || *p != ' ') return false;
        ++p;
    }
    return p == end;
}

// The header ends at a blank (not kept) or as soon as it ends with "!!!".
SaveFileFault readHeader(const QByteArray& bytes, qsizetype& pos, QByteArray& header) {
    while (pos < bytes.size()) {
        const char c = bytes[pos++];
        if (c == ' ') return SaveFileFault::None;
        header.append(c);
        if (header.endsWith("!!!")) return SaveFileFault::None;
        if (header.size() > kLongestHeader) return SaveFileFault::Header; // can no longer match
    }
    return SaveFileFault::Data;
}

// The date and time of the generation-5 transfer, then a blank.
SaveFileFault readTransferLine(const Line& line, DeviceData& data) {
    const auto* blank = static_cast<const char*>(
        std::memchr(line.begin, ' ', static_cast<std::size_t>(line.end - line.begin)));
    const auto length = (blank ? blank : line.end) - line.begin;
    const auto counted = blank ? length + 1 : length + (line.ended ? kLineEndWidth : 0);
    if (counted >= kTransferFieldLimit) return SaveFileFault::TransferField;
    if (!blank || blank + 1 != line.end) return SaveFileFault::Data;
    const QString field = QString::fromLatin1(line.begin, length);
    data.Transfer_Date = field.left(10);
    data.Transfer_Time = field.mid(11, 5);
    return SaveFileFault::None;
}

// Generation 3 has no zone of its own at the place of Param_Block: the program rebuilds it from
// the 514 cells the device sends, so that every reader finds thresholds and hours at one place.
void rebuildParamBlockFromV3(DeviceData& data) {
    data.Param_Block.fill(255);
    for (int i = 0; i < 512; ++i)
        data.Param_Block[2048 + i] = data.Param_Block_V3[i];
    data.Param_Block[6] = data.Param_Block_V3[512];
    data.Param_Block[7] = data.Param_Block_V3[513];
}

struct ValueLine {
    int16_t* cells;
    int count;
    bool endsWithBlank;
};

template <class Table> ValueLine rowsOf(Table& table, int rows, bool endsWithBlank) {
    return {table.rowData(1), rows * Table::columnCount, endsWithBlank};
}

template <class Block> ValueLine cellsOf(Block& block, bool endsWithBlank) {
    return {&block[0], Block::size, endsWithBlank};
}

} // namespace

SaveFileFault ReadSaveFileBytes(const QByteArray& bytes, DeviceData& data, int& generation) {
    qsizetype pos = 0;
    QByteArray header;
    if (const SaveFileFault fault = readHeader(bytes, pos, header); fault != SaveFileFault::None)
        return fault;
    if (header == SaveFileTexts::kHeaderV3)
        generation = 3;
    else if (header == SaveFileTexts::kHeaderV5)
        generation = 5;
    else
        return SaveFileFault::Header;

    LineCursor lines(bytes.constData() + pos, bytes.constData() + bytes.size());
    Line line;
    // Nothing may stand between the header and its line end.
    if (!lines.next(line) || line.begin != line.end || !line.ended) return SaveFileFault::Data;

    // Rows 4097..8192 of the level table are not part of a generation-3 file: they keep what the
    // scratch copy brought from the store.
    const std::initializer_list<ValueLine> gen3 = {rowsOf(data.Leq_Records, 4096, false),
                                                   rowsOf(data.Event_Records, 4096, false),
                                                   cellsOf(data.Param_Block_V3, true)};
    const std::initializer_list<ValueLine> gen5 = {
        rowsOf(data.Leq_Records, LeqTable::rowCount, false), rowsOf(data.Event_Records, 4096, false),
        cellsOf(data.Param_Block, false),
        rowsOf(data.Param_Change_Records, ParamChangeTable::rowCount, true)};
    for (const ValueLine& values : generation == 3 ? gen3 : gen5)
        if (!lines.next(line) || !readValueLine(line, values.cells, values.count, values.endsWithBlank))
            return SaveFileFault::Data;

    if (generation == 3) {
        rebuildParamBlockFromV3(data);
    } else {
        if (!lines.next(line)) return SaveFileFault::Data;
        if (const SaveFileFault fault = readTransferLine(line, data); fault != SaveFileFault::None)
            return fault;
    }
    // The last line may end with a line end; nothing else may follow it.
    return lines.next(line) ? SaveFileFault::Data : SaveFileFault::None;
}
