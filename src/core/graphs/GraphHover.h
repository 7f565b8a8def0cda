#pragma once

#include "core/graphs/GraphControls.h"
#include "core/store/DataStore.h"

#include <QString>
#include <optional>
#include <vector>

// The values under the mouse on a graph: the record whose step covers the cursor's time, its level
// and the threshold in force at its time. The index is built once per window load (a scan of the
// window's records) so that each mouse move costs one binary search, whatever the scale (normal,
// enlarged or a mouse-selected range: the x of a time never changes).
class GraphHoverIndex {
public:
    GraphHoverIndex() = default;
    GraphHoverIndex(const DataStore& store, GraphId graph);

    struct Hit {
        int record = 0; // row of the curve's table (Leq1_Records, Leq10_Records, or Leq_Records)
        double x = 0;   // the record's time on the axis, the right end of its step
        int level = 0;
    };
    // The record whose step (its interval, ending at its own time) holds x; nothing in a gap.
    std::optional<Hit> recordAt(double x) const;
    // "09/03/2007  13 h. 00 à 13 h. 10\nLeq 10 = 85 dB.\nSeuil = 105 dB." (no threshold line when no
    // template was built); nothing when no record lies under x.
    std::optional<QString> toolTipAt(double x) const;
    // The threshold of the template at that many minutes from noon of the start day.
    std::optional<int> thresholdAt(qint64 minutes) const;

    int size() const { return static_cast<int>(m_records.size()); }

private:
    struct Entry {
        double x = 0;     // end of the record's step
        double start = 0; // start of its step
        qint64 minutes = 0;
        int record = 0;
        int level = 0;
        int day = 0, month = 0, year = 0, hour = 0, minute = 0;
    };
    struct Step {
        qint64 minutes = 0;
        int before = 0, after = 0;
    };
    const Entry* entryAt(double x) const;

    std::vector<Entry> m_records; // by x
    std::vector<Step> m_steps;    // chronological
    double m_stepWidth = 0;       // x units of one record's interval
    int m_intervalMinutes = 10;
    QString m_levelName;
};
