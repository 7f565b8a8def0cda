#include "paint/ComplianceReportPdf.h"

#include "core/files/OutputTarget.h"
#include "paint/ComplianceBandPlot.h"

#include <QPdfWriter>
#include <functional>

namespace {
const QString kDate = QStringLiteral("dd/MM/yyyy");
constexpr double kPlotHeightMm = 95;

const std::vector<double> kColumnsMm = {34, 28, 28, 18, 18, 20, 20, 18};

QString nightTitle(const NightReport& night) {
    return QStringLiteral("Nuit du ") + night.day.toString(kDate) + QStringLiteral(" 12 h au ") +
           night.day.addDays(1).toString(kDate) + QStringLiteral(" 12 h");
}

// Lays the report out top to bottom, starting a page whenever the next piece does not fit. The same
// flow runs twice: once measuring only (to number the pages), once painting.
class Flow {
public:
    Flow(QPainter& painter, QPagedPaintDevice& device, const ComplianceReport& report, bool draw,
         int pageCount)
        : m_painter(painter), m_device(device), m_report(report), m_draw(draw), m_pageCount(pageCount) {
        m_dpi = device.logicalDpiY();
        m_area = QRectF(painter.viewport());
        m_base = painter.font();
        m_base.setPointSizeF(9);
        m_painter.setFont(m_base);
    }
    double mm(double v) const { return v * m_dpi / 25.4; }
    int pages() const { return m_page; }
    bool failed() const { return m_failed; }

    // A new page; `continued` is the heading repeated on the pages a section runs on to.
    void newPage(const QString& heading, const QString& continued, std::function<void()> onContinue = {}) {
        m_continued = continued;
        m_onContinue = std::move(onContinue);
        startPage();
        if (!heading.isEmpty()) line(heading, true);
    }
    // The heading and the lines repeated at the top of the pages the current section runs on to.
    void setContinuation(const QString& continued, std::function<void()> onContinue) {
        m_continued = continued;
        m_onContinue = std::move(onContinue);
    }
    void line(const QString& text, bool bold = false, double indentMm = 0) {
        const QFont font = fontOf(bold);
        const QRectF box(m_area.left() + mm(indentMm), 0, m_area.width() - mm(indentMm), 1e9);
        const double height =
            QFontMetricsF(font, &m_device).boundingRect(box, Qt::TextWordWrap, text).height();
        ensure(height);
        if (m_draw) {
            m_painter.setFont(font);
            m_painter.drawText(QRectF(box.left(), m_y, box.width(), height), Qt::TextWordWrap, text);
            m_painter.setFont(m_base);
        }
        m_y += height;
    }
    void skip(double lines = 0.5) { m_y += lines * lineHeight(); }
    void cells(const QStringList& texts, bool bold = false) {
        const double h = lineHeight();
        ensure(h);
        double x = m_area.left();
        if (m_draw) m_painter.setFont(fontOf(bold));
        for (int i = 0; i < texts.size(); ++i) {
            const double w = mm(kColumnsMm[static_cast<std::size_t>(i)]);
            if (m_draw)
                m_painter.drawText(QRectF(x, m_y, w - mm(1), h),
                                   (i == 0 ? Qt::AlignLeft : Qt::AlignRight) | Qt::AlignVCenter, texts[i]);
            x += w;
        }
        m_y += h;
        if (m_draw) {
            m_painter.setPen(QPen(QColor(200, 200, 200), 0));
            m_painter.drawLine(QPointF(m_area.left(), m_y), QPointF(x, m_y));
            m_painter.setPen(Qt::black);
            m_painter.setFont(m_base);
        }
    }
    // A box of the given height for a picture, on a new page when it does not fit.
    QRectF take(double heightMm) {
        ensure(mm(heightMm));
        const QRectF box(m_area.left(), m_y, m_area.width(), mm(heightMm));
        m_y += box.height();
        return box;
    }

private:
    QFont fontOf(bool bold) const {
        QFont font = m_base;
        font.setBold(bold);
        return font;
    }
    double lineHeight() const { return QFontMetricsF(m_base, &m_device).height(); }
    void ensure(double height) {
        // The first piece of a page goes on it however tall it is.
        if (m_y + height <= m_bottom || m_y <= m_topOfBody) return;
        startPage();
        if (!m_continued.isEmpty()) line(m_continued, true);
        if (m_onContinue) m_onContinue();
    }
    void startPage() {
        if (m_page > 0 && m_draw && !m_device.newPage()) m_failed = true;
        ++m_page;
        m_y = m_area.top();
        header();
        m_bottom = footer();
        m_topOfBody = m_y;
    }
    void header() {
        const ComplianceReport& r = m_report;
        QFont title = m_base;
        title.setPointSizeF(14);
        title.setBold(true);
        const double titleHeight = QFontMetricsF(title, &m_device).height();
        if (m_draw) {
            m_painter.setFont(title);
            m_painter.drawText(QRectF(m_area.left(), m_y, m_area.width(), titleHeight),
                               Qt::AlignLeft | Qt::AlignVCenter,
                               QStringLiteral("Conformité du niveau sonore"));
            m_painter.setFont(m_base);
            m_painter.drawText(QRectF(m_area.left(), m_y, m_area.width(), titleHeight),
                               Qt::AlignRight | Qt::AlignVCenter,
                               QStringLiteral("Page %1 / %2").arg(m_page).arg(m_pageCount));
        }
        m_y += titleHeight;
        m_bottom = m_area.bottom();
        headerLine(r.device);
        headerLine(QStringLiteral("Période : du ") + r.from.toString(kDate) + QStringLiteral(" 12 h au ") +
                   r.to.addDays(1).toString(kDate) + QStringLiteral(" 12 h"));
        headerLine(QStringLiteral("Limite : ") + r.limitLabel +
                   QStringLiteral(" — Pondération des mesures : ") + WeightingText(r.weighting));
        m_y += mm(1);
        if (m_draw) {
            m_painter.setPen(QPen(Qt::black, 0));
            m_painter.drawLine(QPointF(m_area.left(), m_y), QPointF(m_area.right(), m_y));
        }
        m_y += mm(2);
    }
    void headerLine(const QString& text) {
        const QRectF box(m_area.left(), m_y, m_area.width(), 1e9);
        const double height =
            QFontMetricsF(m_base, &m_device).boundingRect(box, Qt::TextWordWrap, text).height();
        if (m_draw) m_painter.drawText(QRectF(box.left(), m_y, box.width(), height), Qt::TextWordWrap, text);
        m_y += height;
    }
    // The model's notes at the foot of the page; returns where the body must stop.
    double footer() {
        QFont small = m_base;
        small.setPointSizeF(7);
        const QString text = QStringLiteral("Notes : ") + m_report.noteLines.join(QStringLiteral(" — "));
        const QRectF need =
            QFontMetricsF(small, &m_device)
                .boundingRect(QRectF(m_area.left(), 0, m_area.width(), 1e9), Qt::TextWordWrap, text);
        const QRectF box(m_area.left(), m_area.bottom() - need.height(), m_area.width(), need.height());
        if (m_draw) {
            m_painter.setFont(small);
            m_painter.drawText(box, Qt::TextWordWrap, text);
            m_painter.setPen(QPen(Qt::black, 0));
            m_painter.drawLine(QPointF(m_area.left(), box.top() - mm(1)),
                               QPointF(m_area.right(), box.top() - mm(1)));
            m_painter.setFont(m_base);
        }
        return box.top() - mm(3);
    }

    QPainter& m_painter;
    QPagedPaintDevice& m_device;
    const ComplianceReport& m_report;
    const bool m_draw;
    const int m_pageCount;
    QRectF m_area;
    QFont m_base;
    double m_dpi = 72, m_y = 0, m_bottom = 0, m_topOfBody = 0;
    int m_page = 0;
    bool m_failed = false;
    QString m_continued;
    std::function<void()> m_onContinue;
};

void flowSummary(Flow& p, const ComplianceReport& r) {
    p.newPage(QStringLiteral("Sur la période"), QString());
    p.line(QStringLiteral("Borne haute la plus élevée : ") + ComplianceUpperText(r, r.highestUpper), false,
           4);
    p.line(QStringLiteral("Borne basse la plus élevée : ") + ComplianceLowerText(r, r.highestLower), false,
           4);
    p.line(QStringLiteral("Fenêtres : ") + ComplianceCountsText(r, r.counts), false, 4);
    p.line(QStringLiteral("Épisodes de dépassement : ") + FrenchCount(r.episodeCount), false, 4);
    p.line(QStringLiteral("Temps : ") + ComplianceMinutesText(r.minutes), false, 4);
    p.skip();
    p.line(QStringLiteral("Données"), true);
    for (const QString& source : ComplianceSourceLines(r))
        p.line(source, false, 4);
    p.line(QStringLiteral("SHA-256 du CSV de la même période et limite : ") + r.csvSha256, false, 4);
    p.skip();
    p.line(QStringLiteral("Nuit par nuit (bornes les plus élevées, fenêtres par verdict, épisodes)"), true);
    const QStringList heads = {QStringLiteral("Nuit"),        QStringLiteral("Borne haute"),
                               QStringLiteral("Borne basse"), QStringLiteral("Certain"),
                               QStringLiteral("Possible"),    QStringLiteral("Conforme"),
                               QStringLiteral("Incomplet"),   QStringLiteral("Épisodes")};
    p.cells(heads, true);
    p.setContinuation(QStringLiteral("Nuit par nuit (suite)"), [&p, heads] { p.cells(heads, true); });
}

void flowSummaryRows(Flow& p, const ComplianceReport& r) {
    for (const NightReport& n : r.nights) {
        QString upper = n.highestUpper.db ? FrenchDb(n.highestUpper.db, r.weighting) : QStringLiteral("—");
        if (n.highestUpper.unbounded) upper += QStringLiteral(" *");
        p.cells({n.day.toString(kDate) + QStringLiteral(" → ") +
                     n.day.addDays(1).toString(QStringLiteral("dd/MM")),
                 upper, n.highestLower.db ? FrenchDb(n.highestLower.db, r.weighting) : QStringLiteral("—"),
                 FrenchCount(n.counts.certain), FrenchCount(n.counts.possible),
                 FrenchCount(n.counts.compliant), FrenchCount(n.counts.incomplete),
                 FrenchCount(static_cast<int>(n.episodes.size()))});
    }
    p.line(QStringLiteral("* des fenêtres de la nuit n'ont pas de borne haute (minutes inconnues ou non "
                          "bornées) ; la borne donnée est la plus haute des autres."),
           false);
}

void flowNight(Flow& p, QPainter* painter, const ComplianceReport& r, const NightReport& n) {
    p.newPage(nightTitle(n), nightTitle(n) + QStringLiteral(" (suite)"));
    p.skip(0.3);
    const QRectF plot = p.take(kPlotHeightMm);
    if (painter)
        PaintComplianceBand(*painter, plot, r, n,
                            BandView{0, -1, std::nullopt, std::nullopt, p.mm(25.4) / 72.0});
    p.skip(0.5);
    p.line(QStringLiteral("Borne haute la plus élevée : ") + ComplianceUpperText(r, n.highestUpper));
    p.line(QStringLiteral("Borne basse la plus élevée : ") + ComplianceLowerText(r, n.highestLower));
    p.line(QStringLiteral("Fenêtres : ") + ComplianceCountsText(r, n.counts));
    p.line(QStringLiteral("Temps : ") + ComplianceMinutesText(n.minutes));
    p.skip();
    p.line(n.episodes.empty() ? QStringLiteral("Aucun épisode de dépassement.")
                              : QStringLiteral("Épisodes de dépassement (%1) :")
                                    .arg(FrenchCount(static_cast<int>(n.episodes.size()))),
           true);
    for (const ExceedanceEpisode& e : n.episodes)
        p.line(ComplianceEpisodeText(r, e), false, 4);
    if (n.events.empty()) return;
    p.skip();
    p.line(QStringLiteral("Événements :"), true);
    for (const ComplianceEvent& e : n.events)
        p.line(ComplianceEventText(e), false, 4);
}

// Runs the whole flow; `bands` fills the plots of a report that keeps no windows.
int flowReport(QPainter& painter, QPagedPaintDevice& device, const ComplianceReport& r, bool draw,
               int pageCount, ComplianceBandSource bands, bool& failed) {
    Flow p(painter, device, r, draw, pageCount);
    flowSummary(p, r);
    flowSummaryRows(p, r);
    for (const NightReport& night : r.nights) {
        if (!draw || !bands || !night.band.empty()) {
            flowNight(p, draw ? &painter : nullptr, r, night);
            continue;
        }
        NightReport withBand = night;
        withBand.band = bands->band(night);
        flowNight(p, &painter, r, withBand);
    }
    failed = p.failed();
    return p.pages();
}
} // namespace

int ComplianceReportPageCount(QPagedPaintDevice& device, const ComplianceReport& report) {
    QPainter painter;
    if (!painter.begin(&device)) return 0;
    bool failed = false;
    const int pages = flowReport(painter, device, report, false, 0, nullptr, failed);
    painter.end();
    return pages;
}

bool PrintComplianceReport(QPagedPaintDevice& device, const ComplianceReport& report,
                           ComplianceBandSource bands) {
    QPainter painter;
    if (!painter.begin(&device)) return false;
    bool failed = false;
    const QFont font = painter.font();
    const int pages = flowReport(painter, device, report, false, 0, nullptr, failed);
    painter.setFont(font);
    flowReport(painter, device, report, true, pages, bands, failed);
    return painter.end() && !failed;
}

void SetUpComplianceReportWriter(QPdfWriter& writer) {
    writer.setPageSize(QPageSize(QPageSize::A4));
    writer.setPageOrientation(QPageLayout::Portrait);
    writer.setPageMargins(QMarginsF(12, 12, 12, 12), QPageLayout::Millimeter);
    writer.setResolution(300);
    writer.setTitle(QStringLiteral("Conformité du niveau sonore"));
    writer.setCreator(QStringLiteral("VORL Analyser"));
}

bool WriteComplianceReportPdf(const ComplianceReport& report, const QString& fileName, QString& error,
                              ComplianceBandSource bands) {
    // The pages go to the temporary file as they are painted: memory does not grow with the nights.
    CheckedOutputFile file(fileName);
    if (!file.open(error)) {
        error = QStringLiteral("Impossible d'écrire %1 : %2").arg(fileName, error);
        return false;
    }
    bool painted = false;
    {
        QPdfWriter writer(&file.device());
        SetUpComplianceReportWriter(writer);
        painted = PrintComplianceReport(writer, report, bands);
    }
    if (painted && file.commit(error)) return true;
    // The reason without the writer's "cannot write PATH: ", in the words of the message box.
    QString reason = painted ? error : QStringLiteral("le PDF n'a pas pu être dessiné");
    const QString prefix = QStringLiteral("cannot write %1: ").arg(fileName);
    if (reason.startsWith(prefix)) reason = reason.mid(prefix.size());
    error = QStringLiteral("Impossible d'écrire %1 : %2").arg(fileName, reason);
    return false;
}
