#include "core/files/SaveFile.h"

#include "core/files/SaveFileTexts.h"

#include <QFile>
#include <QSaveFile>
#include <array>

namespace {

constexpr int kValueLimit = 7;          // characters of one value with its ending space: always fewer
constexpr int kTransferFieldLimit = 21; // the same for the date and time of the last line
constexpr int kLongestHeader = 32;

// Nothing past this many bytes can belong to an acceptable file (the longest header, the three
// skipped characters, 133,600 values of at most six characters and the last field), so a huge
// file picked by mistake is never read whole into memory.
constexpr qint64 kMostBytesRead = 1 << 20;
static_assert(kLongestHeader + 3 + 133600 * (kValueLimit - 1) + 2 + kTransferFieldLimit < kMostBytesRead);

enum class Failure { None, Header, Data, TransferField };
enum class Field { Read, TooLong, Ended };

// Walks the file one character at a time, as the format is defined, over bytes read in one go.
class CharReader {
public:
    explicit CharReader(const QByteArray& bytes) : m_data(bytes.constData()), m_size(bytes.size()) {}

    bool next(char& c) {
        if (m_pos >= m_size) return false;
        c = m_data[m_pos++];
        return true;
    }

    // The line ends and the opening space of the first number are skipped unseen: the writer
    // always puts them there.
    bool skip(qsizetype count) {
        if (m_size - m_pos < count) return false;
        m_pos += count;
        return true;
    }

    // The header ends at a space (not kept) or as soon as it ends with "!!!".
    Failure readHeader(QByteArray& header) {
        char c;
        while (next(c)) {
            if (c == ' ') return Failure::None;
            header.append(c);
            if (header.endsWith("!!!")) return Failure::None;
            if (header.size() > kLongestHeader) return Failure::Header; // can no longer match
        }
        return Failure::Data;
    }

    // One field: every character up to the next space. Line ends are not part of the value but
    // count against the limit, which is why the last value of a line allows one digit fewer.
    Field readField(int limit, char* text, int& length) {
        length = 0;
        char c;
        for (int count = 1;; ++count) {
            if (!next(c)) return Field::Ended;
            if (count >= limit) return Field::TooLong;
            if (c == ' ') return Field::Read;
            if (c != '\r' && c != '\n') text[length++] = c;
        }
    }

    // A value must be a whole number of a device byte, 0..255; anything else refuses the file
    // rather than putting a wrong number into a cell.
    bool readValue(int16_t& cell) {
        char text[kValueLimit];
        int length = 0;
        if (readField(kValueLimit, text, length) != Field::Read) return false;
        int i = 0;
        const bool negative = length > 0 && text[0] == '-';
        if (negative) ++i;
        if (i == length) return false;
        int value = 0;
        for (; i < length; ++i) {
            if (text[i] < '0' || text[i] > '9') return false;
            value = value * 10 + (text[i] - '0');
        }
        if (negative) value = -value;
        if (value < 0 || value > 255) return false;
        cell = static_cast<int16_t>(value);
        return true;
    }

    template <class Table> bool readRows(Table& table, int rows) {
        for (int r = 1; r <= rows; ++r) {
            int16_t* row = table.rowData(r);
            for (int c = 0; c < Table::columnCount; ++c)
                if (!readValue(row[c])) return false;
        }
        return true;
    }

    template <class Block> bool readCells(Block& block) {
        for (int i = 0; i < Block::size; ++i)
            if (!readValue(block[i])) return false;
        return true;
    }

private:
    const char* m_data;
    qsizetype m_size;
    qsizetype m_pos = 0;
};

// Generation 3 has no zone of its own at the place of Param_Block: the program rebuilds it from
// the 514 cells the device sends, so that every reader finds thresholds and hours at one place.
void rebuildParamBlockFromV3(DeviceData& data) {
    data.Param_Block.fill(255);
    for (int i = 0; i < 512; ++i)
        data.Param_Block[2048 + i] = data.Param_Block_V3[i];
    data.Param_Block[6] = data.Param_Block_V3[512];
    data.Param_Block[7] = data.Param_Block_V3[513];
}

Failure readBody(CharReader& in, int generation, DeviceData& data) {
    if (!in.skip(3)) return Failure::Data;
    if (generation == 3) {
        // Rows 4097..8192 of the level table are not part of a generation-3 file: they keep what
        // the scratch copy brought from the store.
        if (!in.readRows(data.Leq_Records, 4096) || !in.readRows(data.Event_Records, 4096) ||
            !in.readCells(data.Param_Block_V3))
            return Failure::Data;
        rebuildParamBlockFromV3(data);
        return Failure::None;
    }
    if (!in.readRows(data.Leq_Records, 8192) || !in.readRows(data.Event_Records, 4096) ||
        !in.readCells(data.Param_Block) ||
        !in.readRows(data.Param_Change_Records, ParamChangeTable::rowCount) || !in.skip(2))
        return Failure::Data;
    char text[kTransferFieldLimit];
    int length = 0;
    switch (in.readField(kTransferFieldLimit, text, length)) {
    case Field::Read:
        break;
    case Field::TooLong:
        return Failure::TransferField;
    case Field::Ended:
        return Failure::Data;
    }
    const QString field = QString::fromLatin1(text, length);
    data.Transfer_Date = field.left(10);
    data.Transfer_Time = field.mid(11, 5);
    return Failure::None;
}

class BusyCursor {
public:
    explicit BusyCursor(UiServices& ui) : m_ui(ui) { m_ui.setBusyCursor(true); }
    ~BusyCursor() { m_ui.setBusyCursor(false); }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;

private:
    UiServices& m_ui;
};

} // namespace

bool LoadSaveFile(DataStore& store, const QString& path, UiServices& ui, MainShell& shell) {
    using namespace SaveFileTexts;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        ui.message(MessageIcon::None, kCannotOpenTitle, cannotOpenText(path));
        return false;
    }
    const BusyCursor busy(ui);
    const QByteArray bytes = file.read(kMostBytesRead);
    file.close();

    CharReader in(bytes);
    QByteArray header;
    Failure failure = in.readHeader(header);
    int generation = 0;
    if (failure == Failure::None) {
        if (header == kHeaderV3)
            generation = 3;
        else if (header == kHeaderV5)
            generation = 5;
        else
            failure = Failure::Header;
    }

    // The scratch copy starts from the data in memory so that what a file does not carry keeps
    // its value, exactly as if the file had been read into the store itself.
    DeviceData scratch;
    if (failure == Failure::None) {
        scratch = store.deviceData();
        failure = readBody(in, generation, scratch);
    }

    switch (failure) {
    case Failure::None:
        break;
    case Failure::Header:
        ui.message(MessageIcon::Critical, kBadHeaderTitle, kNotQlvText);
        return false;
    case Failure::Data:
        ui.message(MessageIcon::Critical, kBadDataTitle, kNotQlvText);
        return false;
    case Failure::TransferField:
        ui.message(MessageIcon::Critical, kBadDataTitle, kBadTransferFieldText);
        return false;
    }

    store.commit(std::move(scratch));
    store.Device_Version = static_cast<int16_t>(generation);
    store.Abort_Flag = kFalse;
    store.Data_Loaded = kTrue;
    shell.setCaption(fileModeCaption(store.Com_Port, generation == 3 ? kFirmwareV3 : kFirmwareV5));
    // A file already on disk is not saved again: saving comes back with the next transfer.
    shell.setMenuEnabled(MenuEntry::mnuSave_As, false);
    return true;
}

namespace {

// The number form of the file: a blank before a value of 0 or more, a minus sign before a
// negative one. Byte values are looked up, being nearly every cell written.
class LineBuilder {
public:
    explicit LineBuilder(qsizetype reserve) { m_line.reserve(reserve); }

    void number(int value) {
        if (value >= 0 && value <= 255) {
            const Form& form = forms()[static_cast<std::size_t>(value)];
            m_line.append(form.text, form.length);
        } else {
            m_line.append(value < 0 ? '-' : ' ');
            m_line.append(QByteArray::number(value < 0 ? -static_cast<qint64>(value) : value));
        }
    }
    void text(const QByteArray& bytes) { m_line.append(bytes); }
    void blank() { m_line.append(' '); }
    const QByteArray& endLine() {
        m_line.append("\r\n", 2);
        return m_line;
    }

private:
    struct Form {
        char text[4];
        int length;
    };
    static const std::array<Form, 256>& forms() {
        static const std::array<Form, 256> table = [] {
            std::array<Form, 256> t{};
            for (int v = 0; v < 256; ++v) {
                const QByteArray s = ' ' + QByteArray::number(v);
                std::copy(s.begin(), s.end(), t[static_cast<std::size_t>(v)].text);
                t[static_cast<std::size_t>(v)].length = static_cast<int>(s.size());
            }
            return t;
        }();
        return table;
    }
    QByteArray m_line;
};

template <class Table>
void appendRows(LineBuilder& line, const Table& table, int rows, const std::function<void()>& step) {
    for (int r = 1; r <= rows; ++r) {
        const int16_t* row = table.rowData(r);
        for (int c = 0; c < Table::columnCount; ++c)
            line.number(row[c]);
        step();
    }
}

template <class Block>
void appendCells(LineBuilder& line, const Block& block, const std::function<void()>& step) {
    for (int i = 0; i < Block::size; ++i) {
        line.number(block[i]);
        if ((i + 1) % 8 == 0) step();
    }
}

// Each parameter-change row advances the progress once per eight of its 48 columns.
void appendParamChanges(LineBuilder& line, const ParamChangeTable& table, const std::function<void()>& step) {
    for (int r = 1; r <= ParamChangeTable::rowCount; ++r) {
        const int16_t* row = table.rowData(r);
        for (int c = 0; c < ParamChangeTable::columnCount; ++c) {
            line.number(row[c]);
            if ((c + 1) % 8 == 0) step();
        }
    }
}

} // namespace

bool WriteSaveFile(const DataStore& store, const QString& path, int generation, int leqRows,
                   const std::function<void()>& progressStep, QString* error) {
    auto fail = [error](const QString& reason) {
        if (error) *error = reason;
        return false;
    };
    if (generation != 3 && generation != 5)
        return fail(QStringLiteral("unknown generation %1").arg(generation));
    if (leqRows < 0 || leqRows > LeqTable::rowCount)
        return fail(QStringLiteral("level row count %1 out of range").arg(leqRows));

    const std::function<void()> step = progressStep ? progressStep : [] {};
    // The old file is replaced only by a complete new one: a failure leaves it as it was.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return fail(file.errorString());
    auto writeLine = [&file](const QByteArray& line) { return file.write(line) == line.size(); };

    bool ok = writeLine((generation == 3 ? SaveFileTexts::kHeaderV3 : SaveFileTexts::kHeaderV5) + "\r\n");

    LineBuilder leq(leqRows * 8 * 4 + 2);
    appendRows(leq, store.Leq_Records, leqRows, step);
    ok = ok && writeLine(leq.endLine());

    LineBuilder events(EventTable::rowCount * 8 * 4 + 2);
    appendRows(events, store.Event_Records, EventTable::rowCount, step);
    ok = ok && writeLine(events.endLine());

    if (generation == 3) {
        LineBuilder params(ParamZoneV3::size * 4 + 3);
        appendCells(params, store.Param_Block_V3, step);
        params.blank();
        ok = ok && writeLine(params.endLine());
    } else {
        LineBuilder params(ParamZone::size * 4 + 2);
        appendCells(params, store.Param_Block, step);
        ok = ok && writeLine(params.endLine());

        LineBuilder changes(ParamChangeTable::rowCount * ParamChangeTable::columnCount * 4 + 3);
        appendParamChanges(changes, store.Param_Change_Records, step);
        changes.blank();
        ok = ok && writeLine(changes.endLine());

        LineBuilder transfer(32);
        transfer.text(store.Transfer_Date.toLatin1() + '_' + store.Transfer_Time.toLatin1());
        transfer.blank();
        ok = ok && writeLine(transfer.endLine());
    }

    if (!ok) {
        const QString reason = file.errorString();
        file.cancelWriting();
        return fail(reason);
    }
    if (!file.commit()) return fail(file.errorString());
    return true;
}
