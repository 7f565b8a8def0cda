#include "core/graphs/GraphHover.h"

#include "core/graphs/Curves.h"
#include "core/graphs/GraphTime.h"
#include "core/store/Labels.h"

#include <QDateTime>
#include <algorithm>

GraphHoverIndex::GraphHoverIndex(const DataStore& store, GraphId graph) {
    if (store.Period_First == 0 || store.Period_Last == 0) return;
    const bool generation3 = store.Device_Version == 3;
    if (graph == GraphId::Leq1 && generation3) return;

    const LeqTable* table = nullptr;
    int first = 1, last = 0;
    if (graph == GraphId::Leq1) {
        table = &store.Leq1_Records;
        last = store.Leq1_Count - 1;
        m_levelName = QStringLiteral("Leq 1");
        m_intervalMinutes = 1;
    } else if (generation3) {
        table = &store.Leq_Records;
        first = std::max(1, store.Period_First);
        last = store.Period_Last;
        m_levelName = QStringLiteral("Leq");
    } else {
        table = &store.Leq10_Records;
        last = store.Leq10_Count - 1;
        m_levelName = QStringLiteral("Leq 10");
    }
    last = std::min(last, LeqTable::rowCount);

    const GraphSpan span = graphSpanOf(store);
    m_stepWidth = static_cast<double>(m_intervalMinutes) / minutesPerUnit(span.days);
    for (int row = first; row <= last; ++row) {
        const auto x = recordX(span, *table, row);
        const auto minutes = minutesSinceStart(span, (*table)(row, 3), (*table)(row, 5), (*table)(row, 6),
                                               (*table)(row, 2), (*table)(row, 1));
        if (!x || !minutes) continue;
        m_records.push_back({*x, 0, *minutes, row, recordLevel(*table, row, generation3), (*table)(row, 3),
                             (*table)(row, 5), 2000 + (*table)(row, 6), (*table)(row, 2), (*table)(row, 1)});
    }
    // The tables are sorted already; sorting again keeps the search right on a damaged one.
    std::stable_sort(m_records.begin(), m_records.end(),
                     [](const Entry& a, const Entry& b) { return a.x < b.x; });
    // A step starts one interval before its record, or where the previous step ends when the curve
    // joins them: the cut minute leaves a hair between two consecutive intervals that the curve
    // bridges, and the cursor must not fall into it.
    const double join = (m_intervalMinutes == 1 ? 2.0 : 11.0) / minutesPerUnit(span.days);
    for (size_t i = 0; i < m_records.size(); ++i) {
        Entry& e = m_records[i];
        e.start = e.x - m_stepWidth;
        if (i > 0 && e.x - m_records[i - 1].x < join) e.start = std::min(e.start, m_records[i - 1].x);
    }

    if (store.Template_Drawn == kTrue) {
        for (const TemplateStep& s : store.Template_Steps) {
            const auto minutes = minutesSinceStart(span, s.day, s.month, s.year, s.hour, s.minute);
            if (minutes) m_steps.push_back({*minutes, s.before, s.after});
        }
    }
}

const GraphHoverIndex::Entry* GraphHoverIndex::entryAt(double x) const {
    // The first record ending at or after x; its step reaches back one interval.
    const auto it = std::lower_bound(m_records.begin(), m_records.end(), x,
                                     [](const Entry& e, double value) { return e.x < value; });
    if (it == m_records.end() || it->start > x) return nullptr;
    return &*it;
}

std::optional<GraphHoverIndex::Hit> GraphHoverIndex::recordAt(double x) const {
    const Entry* e = entryAt(x);
    if (!e) return std::nullopt;
    return Hit{e->record, e->x, e->level};
}

std::optional<int> GraphHoverIndex::thresholdAt(qint64 minutes) const {
    if (m_steps.empty()) return std::nullopt;
    // The template rows are in chronological order; a step applies from its own minute on.
    const auto it = std::upper_bound(m_steps.begin(), m_steps.end(), minutes,
                                     [](qint64 value, const Step& s) { return value < s.minutes; });
    if (it == m_steps.begin()) return m_steps.front().before;
    return std::prev(it)->after;
}

std::optional<QString> GraphHoverIndex::toolTipAt(double x) const {
    const Entry* found = entryAt(x);
    if (!found) return std::nullopt;
    const Entry& e = *found;
    const QDateTime end(QDate(e.year, e.month, e.day), QTime(e.hour, e.minute));
    const QDateTime start = end.addSecs(-60LL * m_intervalMinutes);
    auto clock = [](const QDateTime& t) {
        return TwoDigits(t.time().hour()) + QStringLiteral(" h. ") + TwoDigits(t.time().minute());
    };
    QString text = start.toString(QStringLiteral("dd/MM/yyyy")) + QStringLiteral("  ") + clock(start) +
                   QStringLiteral(" à ") + clock(end) + QLatin1Char('\n') + m_levelName +
                   QStringLiteral(" = ") + QString::number(e.level) + QStringLiteral(" dB.");
    // The threshold in force when the interval began: a record ending on a template step still
    // belongs to the period before it.
    if (const auto threshold = thresholdAt(e.minutes - m_intervalMinutes))
        text += QStringLiteral("\nSeuil = ") + QString::number(*threshold) + QStringLiteral(" dB.");
    return text;
}
