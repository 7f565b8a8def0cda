#include "core/tables/LeqTables.h"

#include "core/store/Labels.h"
#include "core/store/Validity.h"
#include "core/tables/TableDates.h"

#include <QtMath>
#include <algorithm>
#include <functional>

QString LevelTextV3(int column7, int column8) {
    // Column 7 is the hundreds digit, 0 or 1 on a sound record; any other value is shown as it is so
    // that a broken record never shows a level it does not hold.
    const QString prefix = column7 == 0 ? QStringLiteral(" ") : QString::number(column7);
    return prefix + TwoDigits(column8);
}

QString LevelTextV5(int column7, int column8) {
    // The usual cells (two decimal digits each) are written without temporaries: a week's table
    // writes eight thousand of them.
    if (column7 >= 0 && column7 <= 99 && column8 >= 0 && column8 <= 99) {
        char16_t text[5];
        int size = 0;
        if (column8 * 100 + column7 < 100) text[size++] = u' ';
        if (column8 >= 10) text[size++] = static_cast<char16_t>(u'0' + column8 / 10);
        if (column8 != 0) text[size++] = static_cast<char16_t>(u'0' + column8 % 10);
        text[size++] = static_cast<char16_t>(u'0' + column7 / 10);
        text[size++] = static_cast<char16_t>(u'0' + column7 % 10);
        return QString(reinterpret_cast<const QChar*>(text), size);
    }
    QString text = (column8 == 0 ? QString() : QString::number(column8)) + TwoDigits(column7);
    if (column8 * 100 + column7 < 100) text.prepend(QLatin1Char(' '));
    return text;
}

namespace {
using LevelText = QString (*)(int, int);

// A week of full memory makes thousands of lines: each is written into one fixed buffer and becomes
// a string once, instead of being joined from a score of temporary strings.
class LineBuffer {
public:
    void add(QStringView text) {
        const qsizetype n = std::min<qsizetype>(text.size(), kSize - m_size);
        std::copy_n(text.utf16(), n, m_buffer + m_size);
        m_size += n;
    }
    void add(const char16_t* text) { add(QStringView(text)); }
    // Two digits for 0..99 ("05"), the plain number otherwise, as TwoDigits writes it.
    void twoDigits(int value) {
        if (value < 0 || value > 99 || m_size + 2 > kSize) return add(TwoDigits(value));
        m_buffer[m_size++] = static_cast<char16_t>(u'0' + value / 10);
        m_buffer[m_size++] = static_cast<char16_t>(u'0' + value % 10);
    }
    void number(int value) {
        if (value < 0 || value > 9999) return add(QString::number(value));
        char16_t digits[4];
        int count = 0;
        do {
            digits[count++] = static_cast<char16_t>(u'0' + value % 10);
            value /= 10;
        } while (value > 0);
        while (count > 0 && m_size < kSize)
            m_buffer[m_size++] = digits[--count];
    }
    QString text() const { return QString(reinterpret_cast<const QChar*>(m_buffer), m_size); }

private:
    static constexpr qsizetype kSize = 256;
    char16_t m_buffer[kSize];
    qsizetype m_size = 0;
};

QString tableLine(const RecordStamp& start, const RecordStamp& end, const QString& levelIntro,
                  const QString& level) {
    LineBuffer line;
    line.add(u"        Le  ");
    line.add(weekdayOf(start));
    line.add(u"  ");
    line.twoDigits(start.day);
    line.add(u"  ");
    line.add(MonthLabel(start.month));
    line.add(u"  ");
    line.number(start.year);
    line.add(u"  de  ");
    line.twoDigits(start.hour);
    line.add(u" h. ");
    line.twoDigits(start.minute);
    line.add(u"  à  ");
    line.twoDigits(end.hour);
    line.add(u" h. ");
    line.twoDigits(end.minute);
    line.add(levelIntro);
    line.add(level);
    line.add(u" dB.");
    return line.text();
}

// Adds a line with the day separators of the tables: an empty line before it when the previous row
// lies on another day than the line, and one after it when its own row does (the line is dated at
// the start of its interval, which may be the day before the row).
void addLine(QStringList& lines, const QString& line, const RecordStamp& lineDate,
             const RecordStamp* previous, const RecordStamp& own) {
    if (previous && !previous->sameDate(lineDate)) lines.append(QString());
    lines.append(line);
    if (previous && !own.sameDate(lineDate)) lines.append(QString());
}

// The ten-minute tables. A row holds the level of the ten minutes that end at its time stamp; when
// the row before it is no more than ten minutes earlier the interval starts at that row's time
// instead, so that consecutive lines join up.
QStringList tenMinuteLines(const LeqTable& table, int first, int last, const QString& levelIntro,
                           LevelText levelText) {
    QStringList lines;
    first = std::max(first, 1);
    last = std::min(last, LeqTable::rowCount);
    for (int r = first; r <= last; ++r) {
        const RecordStamp own = recordStamp(table, r);
        bool gap = true;
        if (r > 1) {
            // The device software compared the time stamps in days rounded to four decimals with
            // 0.007: ten minutes (0.0069) still joins, eleven (0.0076) does not.
            const int64_t minutes = stampMinutes(own) - stampMinutes(recordStamp(table, r - 1));
            gap = qRound64(static_cast<double>(minutes) * 10000.0 / 1440.0) >= 70;
        }
        // The line is dated by the start of its interval: a joined interval that began at 23:50
        // belongs to the day before a row stamped 00:00.
        const RecordStamp start = gap ? stepBack(own, 10) : recordStamp(table, r - 1);
        const RecordStamp previous = r > first ? recordStamp(table, r - 1) : RecordStamp{};
        addLine(lines, tableLine(start, own, levelIntro, levelText(table(r, 7), table(r, 8))), start,
                r > first ? &previous : nullptr, own);
    }
    return lines;
}

bool isValidSplitRow(const LeqTable& table, int row) {
    return hasValidRecordDate(table, row);
}
} // namespace

QStringList BuildLeqTableV3(const DataStore& store) {
    if (store.Period_First <= 0) return {};
    return tenMinuteLines(store.Leq_Records, store.Period_First, store.Period_Last,
                          QStringLiteral("   :  Niveau Leq  =  "), LevelTextV3);
}

void SplitLeq1Leq10(DataStore& store) {
    store.Leq1_Count = 1;
    store.Leq10_Count = 1;
    const int first = std::max(store.Period_First, 1);
    const int last = std::min(store.Period_Last, LeqTable::rowCount);
    for (int r = first; r <= last; ++r) {
        if (!isValidSplitRow(store.Leq_Records, r)) continue;
        const int type = store.Leq_Records(r, 4);
        LeqTable* target = nullptr;
        int16_t* count = nullptr;
        if (type == 10) {
            target = &store.Leq10_Records;
            count = &store.Leq10_Count;
        } else if (type == 1) {
            target = &store.Leq1_Records;
            count = &store.Leq1_Count;
        } else {
            continue;
        }
        std::copy_n(store.Leq_Records.rowData(r), LeqTable::columnCount, target->rowData(*count));
        ++*count;
    }
}

QStringList BuildLeq10Table(const DataStore& store) {
    return tenMinuteLines(store.Leq10_Records, 1, store.Leq10_Count - 1,
                          QStringLiteral("   :  Niveau Leq 10 =  "), LevelTextV5);
}

QStringList BuildLeq1Table(const DataStore& store) {
    QStringList lines;
    const LeqTable& table = store.Leq1_Records;
    const int last = std::min(store.Leq1_Count - 1, LeqTable::rowCount);
    for (int r = 1; r <= last; ++r) {
        const RecordStamp own = recordStamp(table, r);
        const RecordStamp start = stepBack(own, 1);
        const RecordStamp previous = r > 1 ? recordStamp(table, r - 1) : RecordStamp{};
        addLine(lines,
                tableLine(start, own, QStringLiteral("   :  Niveau Leq 1 =  "),
                          LevelTextV5(table(r, 7), table(r, 8))),
                start, r > 1 ? &previous : nullptr, own);
    }
    return lines;
}
