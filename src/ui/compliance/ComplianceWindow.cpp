#include "ui/compliance/ComplianceWindow.h"

#include "core/archive/ArchiveCompliance.h"
#include "core/archive/ArchiveComplianceSources.h"
#include "core/compliance/ComplianceNights.h"
#include "core/tables/DataSpan.h"
#include "paint/ComplianceReportPdf.h"
#include "ui/archive/ArchiveBusyLine.h"
#include "ui/compliance/ComplianceBandWidget.h"
#include "ui/shell/AppContext.h"
#include "ui/tables/TablePrinting.h"
#include "ui/widgets/DialogControls.h"
#include "ui/widgets/TypedDateEdit.h"

#include <QCalendarWidget>
#include <QColor>
#include <QComboBox>
#include <QDateEdit>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QSplitter>
#include <QTableWidget>
#include <QTextCharFormat>
#include <QVBoxLayout>
#include <algorithm>

namespace {
const QString kTitle = QStringLiteral("Conformité");
const QString kDate = QStringLiteral("dd/MM/yyyy");
// The preset list: the data's own legal limit, the legal presets, then a free limit.
constexpr int kDefaultPresetItem = 0;

QString boundCell(const ComplianceReport& r, const BoundAt& b) {
    if (!b.db) return b.unbounded ? QStringLiteral("non bornée") : QStringLiteral("—");
    return FrenchDb(b.db, r.weighting) + b.start.toString(QStringLiteral(" (hh:mm)")) +
           (b.unbounded ? QStringLiteral(" *") : QString());
}

// The night in words (its worst window), with the colour the coverage calendar gives it.
QTableWidgetItem* nightVerdictCell(const ComplianceReport& r, const VerdictCounts& c) {
    const Verdict verdict = NightVerdictOf(r.scope, c);
    auto* item = new QTableWidgetItem(verdict == Verdict::None ? QStringLiteral("sans verdict")
                                                               : VerdictText(verdict));
    item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
    if (verdict != Verdict::None) item->setData(Qt::DecorationRole, QColor::fromRgb(VerdictColour(verdict)));
    return item;
}

QTableWidgetItem* cell(const QString& text, bool number = true) {
    auto* item = new QTableWidgetItem(text);
    item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
    if (number) item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return item;
}

// The window only reads the archive: a missing one is not created.
constexpr ArchiveOpenMode kOpening = ArchiveOpenMode::MustExist;

// The settings of the chosen limit for data of that weighting.
std::optional<ComplianceSettings> SettingsFor(const LimitChoice& choice, Weighting dataWeighting) {
    if (choice.item == choice.freeItem) return SettingsForFreeLimit(choice.limitDb, choice.durationMinutes);
    if (choice.item == kDefaultPresetItem) {
        if (const auto preset = DefaultPreset(dataWeighting)) return SettingsForPreset(*preset);
        return ComplianceSettings{};
    }
    return SettingsForPreset(CompliancePresets()[static_cast<std::size_t>(choice.item - 1)]);
}

// The report of the nights from..to, with the windows the band plot shows.
ComplianceReport BuildReport(const ComplianceInput& input, const LimitChoice& choice, const QDate& from,
                             const QDate& to) {
    auto settings = SettingsFor(choice, input.weighting);
    settings->keepWindows = true;
    return BuildComplianceReport(input, *settings, from, to);
}
} // namespace

ComplianceWindow::ComplianceWindow(AppContext& context, QWidget* parent) : QWidget(parent), m_ctx(context) {
    setObjectName(QStringLiteral("ComplianceWindow"));
    setWindowTitle(kTitle);
    setWindowFlag(Qt::Window);
    setAttribute(Qt::WA_DeleteOnClose);
    buildControls();
    // Fits a 1024×768 screen with its panel; every control stays in view down to 1024×700.
    resize(1024, 700);
}

ComplianceWindow::~ComplianceWindow() = default;

void ComplianceWindow::buildControls() {
    auto* source = new QGroupBox(QStringLiteral("Source"));
    m_fromMemory = new QRadioButton(QStringLiteral("Données en &mémoire"));
    m_fromArchive = new QRadioButton(QStringLiteral("&Archive :"));
    m_devices = new QComboBox;
    m_devices->setAccessibleName(QStringLiteral("Appareil archivé"));
    m_from = new TypedDateEdit;
    m_to = new TypedDateEdit;
    for (QDateEdit* edit : {m_from, m_to}) {
        edit->setCalendarPopup(true);
        edit->setDisplayFormat(kDate);
        edit->setDateRange(QDate(kComplianceFirstYear, 1, 1), QDate(kComplianceLastYear, 12, 30));
    }
    auto* sourceLayout = new QGridLayout(source);
    sourceLayout->addWidget(m_fromMemory, 0, 0, 1, 2);
    sourceLayout->addWidget(m_fromArchive, 1, 0);
    sourceLayout->addWidget(m_devices, 1, 1);
    auto* fromLabel = new QLabel(QStringLiteral("Nuits &du"));
    fromLabel->setBuddy(m_from);
    auto* toLabel = new QLabel(QStringLiteral("a&u"));
    toLabel->setBuddy(m_to);
    auto* dates = new QHBoxLayout;
    dates->addWidget(fromLabel);
    dates->addWidget(m_from);
    dates->addWidget(toLabel);
    dates->addWidget(m_to);
    dates->addStretch();
    sourceLayout->addLayout(dates, 2, 0, 1, 2);

    auto* limitBox = new QGroupBox(QStringLiteral("Limite"));
    m_preset = new QComboBox;
    m_preset->addItem(QStringLiteral("Selon la pondération des mesures"));
    for (const CompliancePreset& preset : CompliancePresets())
        m_preset->addItem(preset.name);
    m_preset->addItem(QStringLiteral("Limite libre"));
    m_limit = new QDoubleSpinBox;
    m_limit->setRange(0, 250);
    m_limit->setDecimals(1);
    m_limit->setValue(102);
    m_limit->setSuffix(QStringLiteral(" dB"));
    m_duration = new QSpinBox;
    m_duration->setRange(kMinComplianceDuration, kMaxComplianceDuration);
    m_duration->setValue(15);
    m_duration->setSuffix(QStringLiteral(" min"));
    auto* limitLayout = new QFormLayout(limitBox);
    limitLayout->addRow(QStringLiteral("&Préréglage :"), m_preset);
    limitLayout->addRow(QStringLiteral("&Niveau :"), m_limit);
    limitLayout->addRow(QStringLiteral("D&urée :"), m_duration);

    m_compute = new QPushButton(QStringLiteral("&Calculer"));
    m_compute->setDefault(true);
    auto* top = new QHBoxLayout;
    top->addWidget(source, 3);
    top->addWidget(limitBox, 2);
    top->addWidget(m_compute, 0, Qt::AlignBottom);

    m_nights = new QTableWidget(0, 9);
    m_nights->setObjectName(QStringLiteral("NightTable"));
    m_nights->setHorizontalHeaderLabels(
        {QStringLiteral("Verdict"), QStringLiteral("Nuit"), QStringLiteral("Borne haute max"),
         QStringLiteral("Borne basse max"), QStringLiteral("Certain"), QStringLiteral("Possible"),
         QStringLiteral("Conforme"), QStringLiteral("Incomplet"), QStringLiteral("Épisodes")});
    m_nights->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_nights->setSelectionMode(QAbstractItemView::SingleSelection);
    m_nights->verticalHeader()->hide();
    m_nights->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    m_plot = new ComplianceBandWidget;
    m_readOut = new QLabel;
    m_readOut->setObjectName(QStringLiteral("ReadOut"));
    m_episodes = new QListWidget;
    m_episodes->setObjectName(QStringLiteral("EpisodeList"));
    m_episodes->setAccessibleName(QStringLiteral("Épisodes de dépassement"));

    auto* right = new QWidget;
    auto* rightLayout = new QVBoxLayout(right);
    rightLayout->setContentsMargins(0, 0, 0, 0);
    rightLayout->addWidget(m_plot, 3);
    rightLayout->addWidget(m_readOut);
    auto* episodesLabel = new QLabel(QStringLiteral("É&pisodes de dépassement de la nuit :"));
    episodesLabel->setBuddy(m_episodes);
    rightLayout->addWidget(episodesLabel);
    rightLayout->addWidget(m_episodes, 1);
    auto* split = new QSplitter(Qt::Horizontal);
    split->addWidget(m_nights);
    split->addWidget(right);
    split->setStretchFactor(0, 2);
    split->setStretchFactor(1, 3);
    split->setChildrenCollapsible(false);
    m_nights->setMinimumWidth(260);

    m_summary = new QLabel;
    m_summary->setWordWrap(true);
    m_summary->setObjectName(QStringLiteral("Summary"));
    // The notes may run long: a few lines with a scroll bar, so the buttons below stay in view.
    m_notes = new QPlainTextEdit;
    m_notes->setReadOnly(true);
    m_notes->setObjectName(QStringLiteral("Notes"));
    m_notes->setAccessibleName(QStringLiteral("Notes du calcul"));
    m_notes->setMaximumHeight(QFontMetrics(m_notes->font()).lineSpacing() * 3 + 12);
    m_notes->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    m_print = new QPushButton(QStringLiteral("&Imprimer"));
    m_pdf = new QPushButton(QStringLiteral("&Exporter en PDF ..."));
    auto* close = new QPushButton(QStringLiteral("&Fermer"));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_print);
    buttons->addWidget(m_pdf);
    buttons->addWidget(close);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(split, 1);
    layout->addWidget(m_summary);
    layout->addWidget(m_notes);
    layout->addLayout(buttons);

    connect(m_fromMemory, &QRadioButton::toggled, this, &ComplianceWindow::sourceChanged);
    connect(m_devices, &QComboBox::currentIndexChanged, this, &ComplianceWindow::sourceChanged);
    connect(m_preset, &QComboBox::currentIndexChanged, this, &ComplianceWindow::presetChanged);
    // A report computed under other choices is not offered for printing until "Calculer" again.
    connect(m_preset, &QComboBox::currentIndexChanged, this, &ComplianceWindow::markStale);
    connect(m_limit, &QDoubleSpinBox::valueChanged, this, &ComplianceWindow::markStale);
    connect(m_duration, &QSpinBox::valueChanged, this, &ComplianceWindow::markStale);
    connect(m_from, &QDateEdit::dateChanged, this, &ComplianceWindow::markStale);
    connect(m_to, &QDateEdit::dateChanged, this, &ComplianceWindow::markStale);
    connect(m_fromMemory, &QRadioButton::toggled, this, &ComplianceWindow::markStale);
    connect(m_devices, &QComboBox::currentIndexChanged, this, &ComplianceWindow::markStale);
    connect(m_compute, &QPushButton::clicked, this, &ComplianceWindow::compute);
    // Return computes and Escape closes, wherever the focus is, as in the program's dialogs.
    InstallDialogKeys(this, m_compute, close);
    connect(m_nights, &QTableWidget::currentCellChanged, this, [this](int row) { showNight(row); });
    connect(m_episodes, &QListWidget::currentRowChanged, m_plot, &ComplianceBandWidget::showEpisode);
    connect(m_episodes, &QListWidget::itemClicked, this,
            [this](QListWidgetItem* item) { m_plot->showEpisode(m_episodes->row(item)); });
    connect(m_plot, &ComplianceBandWidget::hovered, m_readOut, &QLabel::setText);
    connect(m_print, &QPushButton::clicked, this, &ComplianceWindow::printReport);
    connect(m_pdf, &QPushButton::clicked, this, &ComplianceWindow::exportPdf);
    connect(close, &QPushButton::clicked, this, &QWidget::close);

    // The archived devices come when the archive has answered; meanwhile the data in memory is offered.
    m_fromArchive->setEnabled(false);
    const bool memory = m_ctx.store.Data_Loaded != kFalse;
    m_fromMemory->setEnabled(memory);
    m_fromMemory->setChecked(true);
    m_ctx.archive.run(
        this, kOpening, [](Archive& archive) { return archive.devices(); },
        [this](const ArchiveResult<std::vector<ArchivedDevice>>& devices) { listDevices(devices); });
    m_busy = MakeArchiveBusyLine(m_ctx.archive, this);
    buttons->insertWidget(0, m_busy);
    // The data in memory is computed at once; the archive's computation waits for the archive.
    auto offerCompute = [this] {
        m_compute->setEnabled(!m_fromArchive->isChecked() || !m_ctx.archive.isBusy());
    };
    connect(&m_ctx.archive, &ArchiveWorker::busyChanged, this, offerCompute);
    connect(m_fromArchive, &QRadioButton::toggled, this, offerCompute);
    offerCompute();
    m_print->setEnabled(false);
    m_pdf->setEnabled(false);
    sourceChanged();
    presetChanged();
}

void ComplianceWindow::listDevices(const ArchiveResult<std::vector<ArchivedDevice>>& devices) {
    const QSignalBlocker quiet(m_devices);
    for (const ArchivedDevice& device : devices ? *devices : std::vector<ArchivedDevice>{}) {
        const QString name =
            device.venue.isEmpty() ? device.serial : device.serial + QStringLiteral(" — ") + device.venue;
        m_devices->addItem(name, device.id);
        m_devices->setItemData(m_devices->count() - 1, device.firstRecord.date(), Qt::UserRole + 1);
        m_devices->setItemData(m_devices->count() - 1, device.lastRecord.date(), Qt::UserRole + 2);
    }
    m_fromArchive->setEnabled(m_devices->count() > 0);
    if (m_devices->count() == 0)
        m_fromArchive->setToolTip(devices ? QStringLiteral("Archive vide") : devices.error());
    // Without data in memory, the archive is the source.
    if (m_devices->count() > 0 && !m_fromMemory->isEnabled()) m_fromArchive->setChecked(true);
}

void ComplianceWindow::sourceChanged() {
    m_devices->setEnabled(m_fromArchive->isChecked());
    // The days of the source: an archived device's records, else the days the data in memory stands for.
    LoadedDayRange days;
    if (m_fromArchive->isChecked())
        days = {m_devices->currentData(Qt::UserRole + 1).toDate(),
                m_devices->currentData(Qt::UserRole + 2).toDate()};
    else
        days = LoadedDays(m_ctx.store);
    markRecordDays();
    const LoadedDayRange nights = ProposedNights(days);
    if (nights.isEmpty()) return;
    m_to->setDate(nights.last);
    m_from->setDate(nights.first);
}

void ComplianceWindow::markRecordDays() {
    // The days that hold records in bold in both pop-ups, as the other date dialogs show them.
    QSet<QDate> days;
    if (m_fromArchive->isChecked()) {
        const qint64 device = m_devices->currentData().toLongLong();
        m_ctx.archive.run(
            this, kOpening, [device](Archive& archive) { return archive.coverage(device); },
            [this, device](const ArchiveResult<Coverage>& coverage) {
                // Another source chosen meanwhile has marked its own days.
                if (!m_fromArchive->isChecked() || m_devices->currentData().toLongLong() != device) return;
                QSet<QDate> covered;
                if (coverage)
                    for (const DayStatus& day : coverage->days)
                        if (day.cover != DayCover::None) covered.insert(day.day);
                markDays(covered);
            });
    } else if (m_ctx.store.Data_Loaded != kFalse) {
        days = DataSpanFor(m_ctx.store, QString()).days;
    }
    markDays(days);
}

void ComplianceWindow::markDays(const QSet<QDate>& days) {
    QTextCharFormat bold;
    bold.setFontWeight(QFont::Bold);
    for (QDateEdit* picker : {m_from, m_to}) {
        picker->calendarWidget()->setDateTextFormat(QDate(), QTextCharFormat());
        for (const QDate& day : days)
            picker->calendarWidget()->setDateTextFormat(day, bold);
    }
}

void ComplianceWindow::presetChanged() {
    const bool free = m_preset->currentIndex() == m_preset->count() - 1;
    m_limit->setEnabled(free);
    m_duration->setEnabled(free);
    const int presetIndex = m_preset->currentIndex() - 1;
    if (presetIndex >= 0 && presetIndex < static_cast<int>(CompliancePresets().size())) {
        const CompliancePreset& preset = CompliancePresets()[static_cast<std::size_t>(presetIndex)];
        m_limit->setValue(preset.limitDb);
        m_duration->setValue(preset.durationMinutes);
    }
}

LimitChoice ComplianceWindow::chosenLimit() const {
    return {m_preset->currentIndex(), m_preset->count() - 1, m_limit->value(), m_duration->value()};
}

void ComplianceWindow::compute() {
    const QDate from = m_from->date(), to = m_to->date();
    if (from > to) {
        m_ctx.ui.message(MessageIcon::Warning, kTitle,
                         QStringLiteral("La première nuit doit précéder la dernière."));
        return;
    }
    if (const QString problem = CompliancePeriodProblem(from, to); !problem.isEmpty()) {
        m_ctx.ui.message(MessageIcon::Warning, kTitle, problem);
        return;
    }
    const LimitChoice choice = chosenLimit();
    if (m_fromArchive->isChecked()) {
        // Read and computed on the archive's thread: a long period never freezes the window.
        const qint64 device = m_devices->currentData().toLongLong();
        m_ctx.archive.run(
            this, kOpening,
            [device, from, to, choice](Archive& archive) -> ArchiveResult<ComplianceReport> {
                const ArchiveResult<ComplianceInput> input =
                    ComplianceInputFromArchive(archive, device, from, to);
                if (!input) return ArchiveResult<ComplianceReport>::failure(input.error());
                auto sources = ArchivedReportSources(archive, device, from, to);
                if (!sources) return ArchiveResult<ComplianceReport>::failure(sources.error());
                ComplianceReport report = BuildReport(*input, choice, from, to);
                report.sources = std::move(sources).value();
                return report;
            },
            [this, choices = m_choiceChanges](ArchiveResult<ComplianceReport> report) {
                if (!report) {
                    m_ctx.ui.message(MessageIcon::Critical, kTitle, report.error());
                    return;
                }
                setReport(std::move(report).value());
                // Choices changed while it was computed: it is not theirs.
                if (choices != m_choiceChanges) markStale();
            });
        return;
    }
    if (m_ctx.store.Data_Loaded == kFalse) {
        m_ctx.ui.message(MessageIcon::Critical, kTitle, QStringLiteral("Aucune donnée en mémoire."));
        return;
    }
    m_ctx.ui.setBusyCursor(true);
    ComplianceReport report = BuildReport(ComplianceInputFromStore(m_ctx.store), choice, from, to);
    // The data in memory: its transfer; the bytes it was read from are not kept.
    report.sources.push_back(
        {QString(),
         (m_ctx.store.Transfer_Date + QLatin1Char(' ') + m_ctx.store.Transfer_Time.left(5)).trimmed(),
         QString(), QString()});
    m_ctx.ui.setBusyCursor(false);
    setReport(std::move(report));
}

void ComplianceWindow::setReport(ComplianceReport report) {
    // Empty the views first: clearing them emits selection changes that must find the old report whole.
    m_plot->setNight(nullptr, -1);
    m_episodes->clear();
    m_nights->setRowCount(0);
    m_report = std::make_shared<const ComplianceReport>(std::move(report));
    m_stale = false;
    const ComplianceReport& r = *m_report;
    m_nights->setRowCount(static_cast<int>(r.nights.size()));
    int firstWithEpisode = -1;
    for (int row = 0; row < m_nights->rowCount(); ++row) {
        const NightReport& n = r.nights[static_cast<std::size_t>(row)];
        m_nights->setItem(row, 0, nightVerdictCell(r, n.counts));
        m_nights->setItem(row, 1,
                          cell(n.day.toString(kDate) + QStringLiteral(" → ") +
                                   n.day.addDays(1).toString(QStringLiteral("dd/MM")),
                               false));
        m_nights->setItem(row, 2, cell(boundCell(r, n.highestUpper)));
        m_nights->setItem(row, 3, cell(boundCell(r, n.highestLower)));
        const int counts[] = {n.counts.certain, n.counts.possible, n.counts.compliant, n.counts.incomplete,
                              static_cast<int>(n.episodes.size())};
        for (int c = 0; c < 5; ++c)
            m_nights->setItem(row, 4 + c, cell(FrenchCount(counts[c])));
        if (firstWithEpisode < 0 && !n.episodes.empty()) firstWithEpisode = row;
    }
    m_summary->setText(
        QStringLiteral("%1 — limite : %2 — pondération : %3 — épisodes de dépassement : %4 "
                       "sur %5 nuit(s)")
            .arg(r.device, r.limitLabel, WeightingText(r.weighting), FrenchCount(r.episodeCount))
            .arg(r.nights.size()));
    m_notes->setPlainText(QStringLiteral("Notes : ") + r.noteLines.join(QStringLiteral("\n")));
    m_print->setEnabled(true);
    m_pdf->setEnabled(true);
    if (r.nights.empty()) return;
    m_nights->selectRow(std::max(0, firstWithEpisode));
    showNight(std::max(0, firstWithEpisode));
}

bool ComplianceWindow::reportCurrent() const {
    return m_report && !m_stale;
}

void ComplianceWindow::markStale() {
    ++m_choiceChanges;
    if (!m_report || m_stale) return;
    m_stale = true;
    m_print->setEnabled(false);
    m_pdf->setEnabled(false);
    m_summary->setText(QStringLiteral("Les choix ont changé : « Calculer » pour refaire le rapport avant de "
                                      "l'imprimer ou de l'exporter."));
}

void ComplianceWindow::showNight(int row) {
    m_episodes->clear();
    if (!m_report || row < 0 || row >= static_cast<int>(m_report->nights.size())) return;
    const NightReport& n = m_report->nights[static_cast<std::size_t>(row)];
    m_plot->setNight(m_report, row);
    for (const ExceedanceEpisode& e : n.episodes) {
        QString upper = e.highestUpper.unbounded ? QStringLiteral("non bornée")
                                                 : BoundText(e.highestUpper.db) + QStringLiteral(" dB");
        m_episodes->addItem(e.firstStart.toString(QStringLiteral("dd/MM hh:mm")) + QStringLiteral(" – ") +
                            e.end.toString(QStringLiteral("hh:mm")) + QStringLiteral(" : ") +
                            VerdictText(e.certain ? Verdict::Certain : Verdict::Possible) +
                            QStringLiteral(", borne haute ") +
                            upper.replace(QLatin1Char('.'), QLatin1Char(',')));
    }
}

void ComplianceWindow::printReport() {
    if (!reportCurrent()) return;
    std::unique_ptr<QPagedPaintDevice> printer = printerSource().choosePrinter(this, QPageLayout::Portrait);
    if (!printer) return;
    if (!PrintComplianceReport(*printer, *m_report) || !printedFileComplete(*printer))
        reportPrintFailure(m_ctx.ui);
}

void ComplianceWindow::exportPdf() {
    if (!reportCurrent()) return;
    const auto path =
        m_ctx.ui.saveFileName(QStringLiteral("conformite.pdf"), QStringLiteral("Document PDF (*.pdf)|*.pdf"));
    if (!path || path->isEmpty()) return;
    QString error;
    m_ctx.ui.setBusyCursor(true);
    const bool written = WriteComplianceReportPdf(*m_report, *path, error);
    m_ctx.ui.setBusyCursor(false);
    if (written)
        m_ctx.ui.message(MessageIcon::Information, kTitle, QStringLiteral("Rapport exporté dans ") + *path);
    else
        m_ctx.ui.message(MessageIcon::Critical, kTitle, error);
}

void OpenComplianceWindow(AppContext& context, QWidget* parent) {
    auto* window = new ComplianceWindow(context, parent);
    window->show();
    window->raise();
    window->activateWindow();
}
