#include "core/graphs/Axes.h"

#include "core/store/Labels.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {
constexpr double kScaleLeft = 9;

struct AxesLayout {
    bool enlarged = false;
    int days = 1;
    bool sevenDays() const { return days == 7; }
};

int calendarNumber(const DataStore& store, int k, int column) {
    if (k < 0 || k > 7) return 0;
    return store.graphDate(k + 1, column).trimmed().toInt();
}

// "05 / 03 / 2007", or "05/03/07" on the normal 7-day axis where eight dates share the width.
QString calendarText(const DataStore& store, int k, bool shortForm) {
    const int day = calendarNumber(store, k, 1);
    const int month = calendarNumber(store, k, 2);
    const int year = calendarNumber(store, k, 3);
    if (shortForm)
        return TwoDigits(day) + QLatin1Char('/') + TwoDigits(month) + QLatin1Char('/') +
               TwoDigits(year - 2000);
    return TwoDigits(day) + QStringLiteral(" / ") + TwoDigits(month) + QStringLiteral(" / ") +
           TwoDigits(year);
}

QString hourLabel(int days, int j) {
    if (days == 7) return j % 4 == 0 ? QStringLiteral("12") : QStringLiteral("00");
    if (days == 3) {
        static const char* const cycle[] = {"12", "18", "00", "06"};
        return QString::fromLatin1(cycle[(j / 2) % 4]);
    }
    return TwoDigits(j <= 11 ? j + 12 : j - 12);
}

void drawAxes(Canvas& box, const DataStore& store, RgbColor color, const AxesLayout& layout) {
    const double sl = kScaleLeft;
    const bool seven = layout.sevenDays();
    const double sw = seven ? 34 : 30;

    box.setFontSize(layout.enlarged ? 10 : 8);
    box.setFontBold(false);
    box.setDrawWidth(1);
    if (layout.enlarged && !seven)
        box.setScale(sl, -130, sw, 80);
    else
        box.setScale(sl, -129, sw, 81);
    box.setForeColor(color);

    // Time axis at 60 dB with its arrow.
    box.line(sl + 1, -60, sl + sw - 1, -60, color);
    const double arrowBack = !seven ? 1.75 : (layout.enlarged ? 1.55 : 2);
    const double arrowSpread = seven && !layout.enlarged ? 2 : 1;
    box.line(sl + sw - arrowBack, -60 - arrowSpread, sl + sw - 1, -60, color);
    box.line(sl + sw - arrowBack, -60 + arrowSpread, sl + sw - 1, -60, color);

    const int lastTick = seven ? 28 : 24;
    for (int j = 0; j <= lastTick; ++j) {
        const double x = sl + 3 + j;
        if (j % 2 == 0)
            box.line(x, -58, x, -62, color);
        else
            box.line(x, -59, x, -61, color);
    }
    const double hourLabelX = layout.enlarged && !seven ? 2.8 : 2.7;
    for (int j = 0; j <= lastTick; j += 2)
        box.printAt(sl + hourLabelX + j, -57, hourLabel(layout.days, j));

    const QString unit = layout.enlarged ? QStringLiteral("Heures") : QStringLiteral("Hrs");
    if (seven) box.printAt(sl + sw - 1.5, -57, unit);

    // Dates under the hours, a short stroke at each midnight.
    const double dateY = layout.enlarged && !seven ? -53.5 : -52.5;
    const double sepTop = layout.enlarged && !seven ? -51 : -49;
    const double sepBottom = layout.enlarged ? -54 : -52.5;
    const bool shortDates = seven && !layout.enlarged;
    if (layout.days == 1) {
        box.printAt(sl + 7, dateY, calendarText(store, 0, false));
        box.line(sl + 15, sepTop, sl + 15, sepBottom, color);
        box.printAt(sl + 19, dateY, calendarText(store, 1, false));
    } else if (layout.days == 3) {
        for (int k = 0; k <= 3; ++k) {
            box.printAt(k == 0 ? sl + 2 : sl + 1 + 8 * k, dateY, calendarText(store, k, false));
            if (k <= 2) box.line(sl - 1 + 8 * (k + 1), sepTop, sl - 1 + 8 * (k + 1), sepBottom, color);
        }
    } else if (seven) {
        for (int k = 0; k <= 7; ++k) {
            if (k >= 1) box.line(sl + 1 + 4 * k, sepTop, sl + 1 + 4 * k, sepBottom, color);
            box.printAt(sl + 1.75 + 4 * k, dateY, calendarText(store, k, shortDates));
        }
    }

    if (!seven) {
        if (layout.enlarged)
            box.printAt(37, -57, unit);
        else
            box.printAt(sl + sw - 2, -57, unit);
    }

    // Level axis with its arrow, a tick and a label every 5 dB from 65 to 120.
    box.line(sl + 2, -55, sl + 2, -125, color);
    const double arrowHalf = seven && !layout.enlarged ? 0.5 : 0.25;
    box.line(sl + 2 - arrowHalf, -122.5, sl + 2, -125, color);
    box.line(sl + 2 + arrowHalf, -122.5, sl + 2, -125, color);
    for (int k = 1; k <= 12; ++k) {
        const int level = 60 + 5 * k;
        box.line(sl + 1.75, -level, sl + 2.25, -level, color);
        double x, y;
        if (!layout.enlarged) {
            x = sl + (k < 8 ? 0.5 : 0.25);
            y = -(62.0 + 5 * k);
        } else {
            x = sl + (k < 8 ? 1 : 0.75);
            y = seven ? -(61.25 + 5 * k) : -(61.0 + 5 * k);
        }
        box.printAt(x, y, QString::number(level));
    }

    if (!layout.enlarged) {
        box.printAt(sl + 0.5, -128, QStringLiteral("dB"));
    } else if (box.name() == QLatin1String("Graphique_Leq10")) {
        box.printAt(sl + 0.5, -128, QStringLiteral("Niveau Leq 10 (dB)"));
    } else if (box.name() == QLatin1String("Graphique_Leq1")) {
        box.printAt(sl + 0.5, -128, QStringLiteral("Niveau Leq 1 (dB)"));
    }
}
} // namespace

void DrawAxes(Canvas& box, const DataStore& store, RgbColor color) {
    drawAxes(box, store, color, {false, store.Graph_Days});
}

void DrawAxesEnlarged(Canvas& box, const DataStore& store, RgbColor color) {
    drawAxes(box, store, color, {true, store.Graph_Days});
}

QString DayLabelText(const DataStore& store, int k) {
    return calendarText(store, k - 1, false);
}

void PrintZoomDayLabels(Canvas& box, const DataStore& store, int x1, int x2, RgbColor color) {
    box.setForeColor(color);
    const double y = box.scaleTop() + box.scaleHeight() - 0.075 * box.scaleHeight();
    // A label whose row meets a level label of the grid keeps clear of the level labels' columns
    // (a range starting just before midnight would otherwise put the first date over the left
    // column, half outside the box).
    const LevelLabelColumns columns = ZoomLevelLabelColumns(box);
    const bool sameRow = columns.rowMeetsLabel(y, box.textHeight());
    const double gap = 0.005 * box.scaleWidth();
    // Positions are kept to one decimal.
    auto place = [&](int k, double x) {
        const QString text = DayLabelText(store, k);
        x = std::round(x * 10) / 10;
        if (sameRow) {
            const double width = box.textWidth(text);
            const double low = columns.leftEnd + gap, high = columns.rightStart - gap - width;
            // Still to one decimal, rounded towards the free room.
            if (low <= high && x < low) x = std::min(std::ceil(low * 10) / 10, high);
            if (low <= high && x > high) x = std::max(std::floor(high * 10) / 10, low);
        }
        box.printAt(x, y, text);
    };

    if (store.Graph_Days != 3 && store.Graph_Days != 7) {
        if (x2 > 24 || x1 > 24) {
            if (x1 < 24 || x2 < 24) {
                place(1, (x1 + 24) / 2.0);
                place(2, (x2 + 24) / 2.0);
            } else {
                place(2, (x1 + x2) / 2.0);
            }
        } else {
            place(1, (x1 + x2) / 2.0);
        }
        return;
    }
    // The midnights between the calendar days; the window's own ends do not clip the range.
    static const std::vector<double> threeDays = {16, 24, 32};
    static const std::vector<double> sevenDays = {14, 18, 22, 26, 30, 34, 38};
    const std::vector<double>& midnights = store.Graph_Days == 3 ? threeDays : sevenDays;
    const double infinity = std::numeric_limits<double>::infinity();
    for (size_t k = 0; k <= midnights.size(); ++k) {
        const double low = std::max<double>(x1, k == 0 ? -infinity : midnights[k - 1]);
        const double high = std::min<double>(x2, k == midnights.size() ? infinity : midnights[k]);
        if (low < high) place(static_cast<int>(k) + 1, (low + high) / 2);
    }
}

LevelLabelColumns ZoomLevelLabelColumns(Canvas& box) {
    // The same places ShowZoomGrid prints at; "120 dB" is the widest label.
    const double left = box.scaleLeft(), width = box.scaleWidth(), height = box.scaleHeight();
    const double labelWidth = box.textWidth(QStringLiteral("120 dB"));
    LevelLabelColumns columns;
    columns.leftStart = left;
    columns.leftEnd = left + labelWidth;
    columns.rightStart = left + width - 0.015 * height;
    columns.rightEnd = columns.rightStart + labelWidth;
    columns.labelRise = 0.025 * height;
    columns.labelHeight = box.textHeight();
    return columns;
}

bool LevelLabelColumns::rowMeetsLabel(double y, double height) const {
    for (int b = 0; b <= 11; ++b) {
        const double top = -(65.0 + 5 * b) - labelRise;
        if (y < top + labelHeight && top < y + height) return true;
    }
    return false;
}

QString ZoomGridHourLabel(int graphDays, int j) {
    if (graphDays == 7) {
        static const char* const cycle[] = {"12h.", "18h.", "00h.", "06h."};
        return QString::fromLatin1(cycle[j % 4]);
    }
    if (graphDays == 3) {
        static const char* const cycle[] = {"12h.", "15h.", "18h.", "21h.", "00h.", "03h.", "06h.", "09h."};
        return QString::fromLatin1(cycle[j % 8]);
    }
    return TwoDigits(j <= 11 ? j + 12 : j - 12) + QStringLiteral("h.");
}

ZoomGrid ShowZoomGrid(Canvas& box, int graphDays, int16_t visible) {
    ZoomGrid grid;
    grid.visible = visible != kFalse;
    const double left = box.scaleLeft(), top = box.scaleTop();
    const double width = box.scaleWidth(), height = box.scaleHeight();
    box.setForeColor(grid.visible ? kBlack : kWhite);

    const int lastLine = graphDays == 7 ? 28 : 24;
    for (int j = 0; j <= lastLine; ++j) {
        const double x = j + 12;
        grid.hourLines.push_back({x, top, x, top + height});
        const QString label = ZoomGridHourLabel(graphDays, j);
        box.printAt(x + 0.0033 * height, top, label);
        box.printAt(x + 0.0033 * height, top + height - 0.025 * height, label);
    }
    grid.levelLabels = ZoomLevelLabelColumns(box);
    const double rightColumn = grid.levelLabels.rightStart;
    const double labelHeight = grid.levelLabels.labelHeight;
    const double bottomRow = top + height - 0.025 * height;
    auto meetsHourLabels = [&](double labelTop) {
        auto meets = [&](double rowTop) {
            return labelTop < rowTop + labelHeight && rowTop < labelTop + labelHeight;
        };
        return meets(top) || meets(bottomRow);
    };
    for (int b = 0; b <= 11; ++b) {
        const double y = -(65.0 + 5 * b);
        grid.levelLines.push_back({left, y, left + width, y});
        // A level at the very top or bottom of the zoom would be written over the hour labels: its
        // line is drawn, its label left out.
        if (meetsHourLabels(y - 0.025 * height)) continue;
        const QString label = QString::number(65 + 5 * b) + QStringLiteral(" dB");
        box.printAt(left, y - 0.025 * height, label);
        box.printAt(rightColumn, y - 0.025 * height, label);
    }
    return grid;
}
