#include "core/files/SaveFile.h"

#include "core/files/OutputTarget.h"
#include "core/files/SaveFileReader.h"
#include "core/files/SaveFileTexts.h"

#include <QFile>
#include <algorithm>
#include <array>
#include <filesystem>

namespace {

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

SaveFileRead ReadSaveFile(const QString& path, const DeviceData& base) {
    using namespace SaveFileTexts;
    std::error_code statError;
    const bool regular =
        std::filesystem::is_regular_file(std::filesystem::path(path.toStdU16String()), statError);
    QFile file(path);
    if (!regular || !file.open(QIODevice::ReadOnly)) {
        SaveFileRead read;
        read.problem = SaveFileProblem{MessageIcon::None, kCannotOpenTitle, cannotOpenText(path)};
        return read;
    }
    // The buffer is sized by the file, not by the largest acceptable one.
    QByteArray bytes = file.read(std::min(file.size(), kMostSaveFileBytes));
    file.close();
    return ReadSaveFileFromBytes(std::move(bytes), base);
}

SaveFileRead ReadSaveFileFromBytes(QByteArray bytes, const DeviceData& base) {
    using namespace SaveFileTexts;
    SaveFileRead read;
    auto refuse = [&read](MessageIcon icon, const QString& title, const QString& text) {
        read.problem = SaveFileProblem{icon, title, text};
        return std::move(read);
    };
    read.bytes = std::move(bytes);
    read.data = base;
    switch (ReadSaveFileBytes(read.bytes, read.data, read.generation)) {
    case SaveFileFault::None:
        return read;
    case SaveFileFault::Header:
        return refuse(MessageIcon::Critical, kBadHeaderTitle, kNotQlvText);
    case SaveFileFault::Data:
        return refuse(MessageIcon::Critical, kBadDataTitle, kNotQlvText);
    case SaveFileFault::TransferField:
        return refuse(MessageIcon::Critical, kBadDataTitle, kBadTransferFieldText);
    }
    return read;
}

bool LoadSaveFile(DataStore& store, const QString& path, UiServices& ui, MainShell& shell) {
    using namespace SaveFileTexts;
    SaveFileRead read;
    {
        const BusyCursor busy(ui);
        // The scratch copy starts from the data in memory so that what a file does not carry keeps
        // its value, exactly as if the file had been read into the store itself.
        read = ReadSaveFile(path, store.deviceData());
    }
    if (!read.ok()) {
        ui.message(read.problem->icon, read.problem->title, read.problem->text);
        return false;
    }

    store.commit(std::move(read.data));
    store.Device_Version = static_cast<int16_t>(read.generation);
    store.Abort_Flag = kFalse;
    store.Data_Loaded = kTrue;
    shell.setCaption(fileModeCaption(store.Com_Port, read.generation == 3 ? kFirmwareV3 : kFirmwareV5));
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

QByteArray SaveFileContent(const DataStore& store, int generation, int leqRows,
                           const std::function<void()>& progressStep) {
    if ((generation != 3 && generation != 5) || leqRows < 0 || leqRows > LeqTable::rowCount) return {};
    const std::function<void()> step = progressStep ? progressStep : [] {};
    QByteArray file;
    auto writeLine = [&file](const QByteArray& line) { file += line; };

    writeLine((generation == 3 ? SaveFileTexts::kHeaderV3 : SaveFileTexts::kHeaderV5) + "\r\n");

    LineBuilder leq(leqRows * 8 * 4 + 2);
    appendRows(leq, store.Leq_Records, leqRows, step);
    writeLine(leq.endLine());

    LineBuilder events(EventTable::rowCount * 8 * 4 + 2);
    appendRows(events, store.Event_Records, EventTable::rowCount, step);
    writeLine(events.endLine());

    if (generation == 3) {
        LineBuilder params(ParamZoneV3::size * 4 + 3);
        appendCells(params, store.Param_Block_V3, step);
        params.blank();
        writeLine(params.endLine());
    } else {
        LineBuilder params(ParamZone::size * 4 + 2);
        appendCells(params, store.Param_Block, step);
        writeLine(params.endLine());

        LineBuilder changes(ParamChangeTable::rowCount * ParamChangeTable::columnCount * 4 + 3);
        appendParamChanges(changes, store.Param_Change_Records, step);
        changes.blank();
        writeLine(changes.endLine());

        LineBuilder transfer(32);
        transfer.text(store.Transfer_Date.toLatin1() + '_' + store.Transfer_Time.toLatin1());
        transfer.blank();
        writeLine(transfer.endLine());
    }
    return file;
}

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
    return WriteSaveFileContent(path, SaveFileContent(store, generation, leqRows, progressStep), error);
}

bool WriteSaveFileContent(const QString& path, const QByteArray& content, QString* error) {
    auto fail = [error](const QString& reason) {
        if (error) *error = reason;
        return false;
    };
    if (content.isEmpty()) return fail(QStringLiteral("no save-file content to write"));
    // Only a regular file is replaced, and only by a complete new one: a failure leaves it as it was.
    if (const QString problem = outputTargetProblem(path); !problem.isEmpty()) return fail(problem);
    QString reason;
    if (!writeFileReplacing(path, content, reason)) return fail(reason);
    return true;
}
