#include "paint/ComplianceReportPdf.h"

#include "paint/ComplianceBandPlot.h"

#include <QFileInfo>
#include <QPdfWriter>
#include <QSaveFile>
#include <algorithm>

namespace {
const QString kDate = QStringLiteral("dd/MM/yyyy");
const QString kDateTime = QStringLiteral("dd/MM/yyyy hh:mm");
constexpr int kSummaryRowsFirstPage = 28;
constexpr int kSummaryRowsNextPages = 40;

QString boundText(const BoundAt& b, bool withTime = true) {
    if (!b.start.isValid()) return QStringLiteral("—");
    QString text = b.unbounded ? QStringLiteral("non bornée")
                   : b.db
                       ? BoundText(b.db).replace(QLatin1Char('.'), QLatin1Char(',')) + QStringLiteral(" dB")
                       : QStringLiteral("—");
    if (withTime) text += QStringLiteral(" à ") + b.start.toString(QStringLiteral("dd/MM hh:mm"));
    return text;
}

QString hoursText(int minutes) {
    return QStringLiteral("%1 h %2").arg(minutes / 60).arg(minutes % 60, 2, 10, QLatin1Char('0'));
}

QString countsText(const ComplianceReport& r, const VerdictCounts& c) {
    if (r.scope == VerdictScope::None) return QStringLiteral("%1 fenêtre(s), sans verdict").arg(c.none);
    return QStringLiteral("%1 dépassement certain, %2 dépassement possible, %3 conforme, %4 incomplet")
        .arg(c.certain)
        .arg(c.possible)
        .arg(c.compliant)
        .arg(c.incomplete);
}

QString minutesText(const MinuteAccount& m) {
    QString text = QStringLiteral("couvert ") + hoursText(m.covered) + QStringLiteral(", inconnu ") +
                   hoursText(m.unknownTotal());
    QStringList causes;
    for (int i = 0; i < kUnknownCauseCount; ++i)
        if (const int n = m.unknown[static_cast<std::size_t>(i)]; n > 0)
            causes << UnknownCauseText(static_cast<UnknownCause>(i)) + QLatin1Char(' ') + hoursText(n);
    if (!causes.isEmpty())
        text += QStringLiteral(" (") + causes.join(QStringLiteral(", ")) + QLatin1Char(')');
    return text;
}

QString nightTitle(const NightReport& night) {
    return QStringLiteral("Nuit du ") + night.day.toString(kDate) + QStringLiteral(" 12 h au ") +
           night.day.addDays(1).toString(kDate) + QStringLiteral(" 12 h");
}

// Lays out one page in device pixels, top to bottom.
class Page {
public:
    Page(QPainter& painter, const ComplianceReport& report, int number, int count)
        : m_painter(painter), m_report(report) {
        m_dpi = painter.device()->logicalDpiY();
        m_area = QRectF(painter.viewport());
        m_base = painter.font();
        m_base.setPointSizeF(9);
        m_painter.setFont(m_base);
        m_bottom = footer();
        m_y = m_area.top();
        header(number, count);
    }
    double mm(double v) const { return v * m_dpi / 25.4; }
    double lineHeight() const { return QFontMetricsF(m_painter.font(), m_painter.device()).height(); }
    double y() const { return m_y; }
    double bottom() const { return m_bottom; }
    QRectF area() const { return m_area; }

    bool fits(int lines = 1) const { return m_y + lines * lineHeight() <= m_bottom; }
    void line(const QString& text, bool bold = false, double indentMm = 0) {
        QFont font = m_base;
        font.setBold(bold);
        m_painter.setFont(font);
        const QRectF box(m_area.left() + mm(indentMm), m_y, m_area.width() - mm(indentMm), m_bottom - m_y);
        const QRectF used = m_painter.boundingRect(box, Qt::TextWordWrap, text);
        m_painter.drawText(box, Qt::TextWordWrap, text);
        m_y += used.height();
        m_painter.setFont(m_base);
    }
    void skip(double lines = 0.5) { m_y += lines * lineHeight(); }
    void cells(const QStringList& texts, const std::vector<double>& widthsMm, bool bold = false) {
        QFont font = m_base;
        font.setBold(bold);
        m_painter.setFont(font);
        double x = m_area.left();
        const double h = lineHeight();
        for (int i = 0; i < texts.size(); ++i) {
            const double w = mm(widthsMm[static_cast<std::size_t>(i)]);
            m_painter.drawText(QRectF(x, m_y, w - mm(1), h),
                               (i == 0 ? Qt::AlignLeft : Qt::AlignRight) | Qt::AlignVCenter, texts[i]);
            x += w;
        }
        m_y += h;
        m_painter.setPen(QPen(QColor(200, 200, 200), 0));
        m_painter.drawLine(QPointF(m_area.left(), m_y), QPointF(x, m_y));
        m_painter.setPen(Qt::black);
        m_painter.setFont(m_base);
    }
    QRectF take(double heightMm) {
        const QRectF box(m_area.left(), m_y, m_area.width(), mm(heightMm));
        m_y += box.height();
        return box;
    }

private:
    void header(int number, int count) {
        const ComplianceReport& r = m_report;
        QFont title = m_base;
        title.setPointSizeF(14);
        title.setBold(true);
        m_painter.setFont(title);
        const double titleHeight = QFontMetricsF(title, m_painter.device()).height();
        m_painter.drawText(QRectF(m_area.left(), m_y, m_area.width(), titleHeight),
                           Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Conformité du niveau sonore"));
        m_painter.setFont(m_base);
        m_painter.drawText(QRectF(m_area.left(), m_y, m_area.width(), titleHeight),
                           Qt::AlignRight | Qt::AlignVCenter,
                           QStringLiteral("Page %1 / %2").arg(number).arg(count));
        m_y += titleHeight;
        line(r.device);
        line(QStringLiteral("Période : du ") + r.from.toString(kDate) + QStringLiteral(" 12 h au ") +
             r.to.addDays(1).toString(kDate) + QStringLiteral(" 12 h"));
        line(QStringLiteral("Limite : ") + r.limitLabel + QStringLiteral(" — Pondération des mesures : ") +
             WeightingText(r.weighting));
        m_y += mm(1);
        m_painter.setPen(QPen(Qt::black, 0));
        m_painter.drawLine(QPointF(m_area.left(), m_y), QPointF(m_area.right(), m_y));
        m_y += mm(2);
    }
    // The model's notes at the foot of the page; returns where the body must stop.
    double footer() {
        QFont small = m_base;
        small.setPointSizeF(7);
        m_painter.setFont(small);
        const QString text = QStringLiteral("Notes : ") + m_report.noteLines.join(QStringLiteral(" — "));
        const QRectF wide(m_area.left(), m_area.top(), m_area.width(), m_area.height());
        const QRectF need = m_painter.boundingRect(wide, Qt::TextWordWrap, text);
        const QRectF box(m_area.left(), m_area.bottom() - need.height(), m_area.width(), need.height());
        m_painter.drawText(box, Qt::TextWordWrap, text);
        m_painter.setPen(QPen(Qt::black, 0));
        m_painter.drawLine(QPointF(m_area.left(), box.top() - mm(1)),
                           QPointF(m_area.right(), box.top() - mm(1)));
        m_painter.setFont(m_base);
        return box.top() - mm(3);
    }

    QPainter& m_painter;
    const ComplianceReport& m_report;
    QRectF m_area;
    QFont m_base;
    double m_dpi = 72, m_y = 0, m_bottom = 0;
};

const std::vector<double> kColumnsMm = {34, 28, 28, 18, 18, 20, 20, 18};

void paintSummary(QPainter& painter, const ComplianceReport& r, int page, int pageCount,
                  std::size_t& nextNight) {
    Page p(painter, r, page, pageCount);
    if (page == 1) {
        p.line(QStringLiteral("Sur la période"), true);
        p.line(QStringLiteral("Borne haute la plus élevée : ") + boundText(r.highestUpper), false, 4);
        p.line(QStringLiteral("Borne basse la plus élevée : ") + boundText(r.highestLower), false, 4);
        p.line(QStringLiteral("Fenêtres : ") + countsText(r, r.counts), false, 4);
        p.line(QStringLiteral("Épisodes de dépassement : %1").arg(r.episodeCount), false, 4);
        p.line(QStringLiteral("Temps : ") + minutesText(r.minutes), false, 4);
        p.skip();
        p.line(QStringLiteral("Nuit par nuit (bornes les plus élevées, fenêtres par verdict, épisodes)"),
               true);
    }
    p.cells({QStringLiteral("Nuit"), QStringLiteral("Borne haute"), QStringLiteral("Borne basse"),
             QStringLiteral("Certain"), QStringLiteral("Possible"), QStringLiteral("Conforme"),
             QStringLiteral("Incomplet"), QStringLiteral("Épisodes")},
            kColumnsMm, true);
    const int rows = page == 1 ? kSummaryRowsFirstPage : kSummaryRowsNextPages;
    for (int i = 0; i < rows && nextNight < r.nights.size() && p.fits(); ++i, ++nextNight) {
        const NightReport& n = r.nights[nextNight];
        p.cells({n.day.toString(kDate) + QStringLiteral(" → ") +
                     n.day.addDays(1).toString(QStringLiteral("dd/MM")),
                 boundText(n.highestUpper, false), boundText(n.highestLower, false),
                 QString::number(n.counts.certain), QString::number(n.counts.possible),
                 QString::number(n.counts.compliant), QString::number(n.counts.incomplete),
                 QString::number(n.episodes.size())},
                kColumnsMm);
    }
}

void paintNight(QPainter& painter, const ComplianceReport& r, const NightReport& n, int page, int pageCount) {
    Page p(painter, r, page, pageCount);
    p.line(nightTitle(n), true);
    p.skip(0.3);
    PaintComplianceBand(painter, p.take(95), r, n,
                        BandView{0, -1, std::nullopt, std::nullopt, p.mm(25.4) / 72.0});
    p.skip(0.5);
    p.line(QStringLiteral("Borne haute la plus élevée : ") + boundText(n.highestUpper));
    p.line(QStringLiteral("Borne basse la plus élevée : ") + boundText(n.highestLower));
    p.line(QStringLiteral("Fenêtres : ") + countsText(r, n.counts));
    p.line(QStringLiteral("Temps : ") + minutesText(n.minutes));
    p.skip();
    p.line(n.episodes.empty() ? QStringLiteral("Aucun épisode de dépassement.")
                              : QStringLiteral("Épisodes de dépassement (%1) :").arg(n.episodes.size()),
           true);
    std::size_t shown = 0;
    for (; shown < n.episodes.size() && p.fits(3); ++shown) {
        const ExceedanceEpisode& e = n.episodes[shown];
        p.line(e.firstStart.toString(kDateTime) + QStringLiteral(" – ") +
                   e.end.toString(QStringLiteral("hh:mm")) + QStringLiteral(" : ") +
                   VerdictText(e.certain ? Verdict::Certain : Verdict::Possible) +
                   QStringLiteral(", borne haute ") + boundText(e.highestUpper, false) +
                   QStringLiteral(", borne basse ") + boundText(e.highestLower, false),
               false, 4);
    }
    if (shown < n.episodes.size())
        p.line(QStringLiteral("… et %1 autre(s) épisode(s)").arg(n.episodes.size() - shown), false, 4);
    if (n.events.empty() || !p.fits(3)) return;
    p.skip();
    p.line(QStringLiteral("Événements :"), true);
    shown = 0;
    for (; shown < n.events.size() && p.fits(2); ++shown) {
        const ComplianceEvent& e = n.events[shown];
        QString text = e.stamp.toString(kDateTime) + QLatin1Char(' ') + e.text;
        if (e.thresholdBefore && e.thresholdAfter)
            text += QStringLiteral(" (seuil %1 dB → %2 dB)").arg(*e.thresholdBefore).arg(*e.thresholdAfter);
        p.line(text, false, 4);
    }
    if (shown < n.events.size())
        p.line(QStringLiteral("… et %1 autre(s) événement(s)").arg(n.events.size() - shown), false, 4);
}
} // namespace

int ComplianceSummaryPageCount(const ComplianceReport& report) {
    const int nights = static_cast<int>(report.nights.size());
    if (nights <= kSummaryRowsFirstPage) return 1;
    return 1 + (nights - kSummaryRowsFirstPage + kSummaryRowsNextPages - 1) / kSummaryRowsNextPages;
}

int ComplianceReportPageCount(const ComplianceReport& report) {
    return ComplianceSummaryPageCount(report) + static_cast<int>(report.nights.size());
}

bool PrintComplianceReport(QPagedPaintDevice& device, const ComplianceReport& report) {
    QPainter painter;
    if (!painter.begin(&device)) return false;
    const int pages = ComplianceReportPageCount(report);
    const int summaryPages = ComplianceSummaryPageCount(report);
    std::size_t nextNight = 0;
    for (int page = 1; page <= pages; ++page) {
        if (page > 1 && !device.newPage()) return painter.end(), false;
        if (page <= summaryPages)
            paintSummary(painter, report, page, pages, nextNight);
        else
            paintNight(painter, report, report.nights[static_cast<std::size_t>(page - summaryPages - 1)],
                       page, pages);
    }
    return painter.end();
}

bool WriteComplianceReportPdf(const ComplianceReport& report, const QString& fileName, QString& error) {
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly)) {
        error = QStringLiteral("Impossible d'écrire %1 : %2").arg(fileName, file.errorString());
        return false;
    }
    bool painted = false;
    {
        QPdfWriter writer(&file);
        writer.setPageSize(QPageSize(QPageSize::A4));
        writer.setPageOrientation(QPageLayout::Portrait);
        writer.setPageMargins(QMarginsF(12, 12, 12, 12), QPageLayout::Millimeter);
        writer.setResolution(300);
        writer.setTitle(QStringLiteral("Conformité du niveau sonore"));
        writer.setCreator(QStringLiteral("VORL Analyser"));
        painted = PrintComplianceReport(writer, report);
    }
    if (!painted || file.error() != QFileDevice::NoError) {
        error = QStringLiteral("Impossible d'écrire %1 : %2")
                    .arg(fileName,
                         painted ? file.errorString() : QStringLiteral("le PDF n'a pas pu être dessiné"));
        file.cancelWriting();
        return false;
    }
    if (!file.commit()) {
        error = QStringLiteral("Impossible d'écrire %1 : %2").arg(fileName, file.errorString());
        return false;
    }
    return true;
}
