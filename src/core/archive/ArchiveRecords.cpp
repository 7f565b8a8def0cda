#include "core/archive/ArchiveRecords.h"

#include "core/archive/ArchiveValidation.h"
#include "core/files/SaveFileTexts.h"

#include <QCryptographicHash>
#include <QStringList>

namespace Stamp {
QDateTime toDateTime(int64_t s) {
    const QDate date(2000 + year(s), month(s), day(s));
    const QTime time(hour(s), minute(s));
    if (s < 0 || !date.isValid() || !time.isValid()) return {};
    return QDateTime(date, time, Qt::UTC);
}

int64_t fromDateTime(const QDateTime& t) {
    const QDate d = t.date();
    return of(d.year() - 2000, d.month(), d.day(), t.time().hour(), t.time().minute());
}
} // namespace Stamp

QDateTime TransferDateTime(const QString& date, const QString& time) {
    const QDate d = QDate::fromString(date.left(10), QStringLiteral("dd/MM/yyyy"));
    const QTime t = QTime::fromString(time.left(5), QStringLiteral("hh:mm"));
    if (!d.isValid() || !t.isValid()) return {};
    return QDateTime(d, t, Qt::UTC);
}

namespace {
class Writer {
public:
    explicit Writer(qsizetype reserve) { m_bytes.reserve(reserve); }
    void number(int value) {
        if (value >= 0) {
            char text[8];
            int n = 0;
            do {
                text[n++] = static_cast<char>('0' + value % 10);
                value /= 10;
            } while (value > 0);
            m_bytes.append(' ');
            while (n > 0)
                m_bytes.append(text[--n]);
        } else {
            m_bytes.append('-');
            m_bytes.append(QByteArray::number(-static_cast<qint64>(value)));
        }
    }
    template <class Table> void rows(const Table& table, int count) {
        for (int r = 1; r <= count; ++r) {
            const int16_t* row = table.rowData(r);
            for (int c = 0; c < Table::columnCount; ++c)
                number(row[c]);
        }
    }
    template <class Block> void cells(const Block& block) {
        for (int i = 0; i < Block::size; ++i)
            number(block[i]);
    }
    void text(const QByteArray& bytes) { m_bytes.append(bytes); }
    void endLine() { m_bytes.append("\r\n", 2); }
    QByteArray take() { return std::move(m_bytes); }

private:
    QByteArray m_bytes;
};
} // namespace

QByteArray SaveFileBytes(const DeviceData& data, int generation, bool withLastLine) {
    Writer out(600000);
    const bool gen3 = generation == 3;
    out.text(gen3 ? SaveFileTexts::kHeaderV3 : SaveFileTexts::kHeaderV5);
    out.endLine();
    out.rows(data.Leq_Records, gen3 ? 4096 : LeqTable::rowCount);
    out.endLine();
    out.rows(data.Event_Records, EventTable::rowCount);
    out.endLine();
    if (gen3) {
        out.cells(data.Param_Block_V3);
        out.text(" ");
        out.endLine();
        return out.take();
    }
    out.cells(data.Param_Block);
    out.endLine();
    out.rows(data.Param_Change_Records, ParamChangeTable::rowCount);
    out.text(" ");
    out.endLine();
    if (withLastLine) {
        out.text(data.Transfer_Date.toLatin1() + '_' + data.Transfer_Time.toLatin1() + ' ');
        out.endLine();
    }
    return out.take();
}

QString ContentHash(const DeviceData& data, int generation) {
    return QString::fromLatin1(
        QCryptographicHash::hash(SaveFileBytes(data, generation, false), QCryptographicHash::Sha256).toHex());
}

QString SerialCellsText(const ParamZone& block) {
    QStringList cells;
    for (int i = 2360; i <= 2367; ++i)
        cells << QString::number(block[i]);
    return cells.join(QLatin1Char(','));
}

bool RestoreParamZone(const QByteArray& archived, int generation, DeviceData& data) {
    if (generation != 3 && generation != 5) return false;
    const int cells = generation == 3 ? ParamZoneV3::size : ParamZone::size;
    const std::optional<QByteArray> unpacked =
        ArchiveCheck::unpacked(QVariant(archived), qsizetype{cells} * 2);
    if (!unpacked) return false;
    const QByteArray& bytes = *unpacked;
    auto cell = [&bytes](int i) {
        return static_cast<int16_t>(static_cast<quint8>(bytes[qsizetype{2} * i]) |
                                    (static_cast<quint8>(bytes[qsizetype{2} * i + 1]) << 8));
    };
    if (generation == 5) {
        for (int i = 0; i < cells; ++i)
            data.Param_Block[i] = cell(i);
        return true;
    }
    // As the file reader does for generation 3: the device's short zone moved to the top of the long one.
    for (int i = 0; i < cells; ++i)
        data.Param_Block_V3[i] = cell(i);
    data.Param_Block.fill(255);
    for (int i = 0; i < 512; ++i)
        data.Param_Block[2048 + i] = data.Param_Block_V3[i];
    data.Param_Block[6] = data.Param_Block_V3[512];
    data.Param_Block[7] = data.Param_Block_V3[513];
    return true;
}
