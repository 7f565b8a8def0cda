#include "ui/archive/FrmArchives.h"

#include "core/archive/ArchiveCalendar.h"
#include "core/archive/ArchiveNightVerdicts.h"
#include "core/store/Labels.h"
#include "ui/archive/ArchiveBusyLine.h"
#include "ui/archive/CoverageCalendar.h"
#include "ui/archive/DlgVenues.h"
#include "ui/archive/TransferKeeping.h"
#include "ui/shell/AppContext.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPixmap>
#include <QProgressDialog>
#include <QPushButton>
#include <QScrollArea>
#include <QShortcut>
#include <QSplitter>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {
const QString kTitle = QStringLiteral("Archives");
// The window's commands may create the archive, as an import does.
constexpr ArchiveOpenMode kOpening = ArchiveOpenMode::CreateIfMissing;

QString dateText(const QDate& day) {
    return day.toString(QStringLiteral("dd/MM/yyyy"));
}
QString stampText(const QDateTime& stamp) {
    return stamp.isValid() ? stamp.toString(QStringLiteral("dd/MM/yyyy HH:mm")) : QString();
}

QTableWidgetItem* readOnlyItem(const QString& text) {
    auto* item = new QTableWidgetItem(text);
    item->setFlags(item->flags() & ~Qt::ItemIsEditable);
    return item;
}

QTableWidget* makeTable(QWidget* parent, const char* name, const QStringList& headers) {
    auto* table = new QTableWidget(0, static_cast<int>(headers.size()), parent);
    table->setObjectName(QString::fromLatin1(name));
    table->setHorizontalHeaderLabels(headers);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setSelectionMode(QAbstractItemView::SingleSelection);
    table->verticalHeader()->hide();
    table->horizontalHeader()->setStretchLastSection(true);
    table->setTabKeyNavigation(false); // Tab leaves the table for the next control
    return table;
}

// A day's square and its meaning, for the legend under the calendar.
QWidget* legendEntry(QWidget* parent, DayCover cover, uint32_t colour, const QString& text,
                     bool future = false) {
    auto* entry = new QWidget(parent);
    auto* layout = new QHBoxLayout(entry);
    layout->setContentsMargins(0, 0, 8, 0);
    layout->setSpacing(4);
    QPixmap square(16, 16);
    square.fill(Qt::transparent);
    QPainter painter(&square);
    CoverageCalendar::paintDay(painter, square.rect(), cover, colour, future);
    painter.end();
    auto* icon = new QLabel(entry);
    icon->setPixmap(square);
    layout->addWidget(icon);
    layout->addWidget(new QLabel(text, entry));
    return entry;
}
} // namespace

struct FrmArchives::ImportTally {
    qint64 files = 0;
    int imported = 0, already = 0;
    QStringList report;
};

FrmArchives::FrmArchives(AppContext& ctx, QWidget* parent) : QWidget(parent), m_ctx(ctx) {
    setObjectName(QStringLiteral("frmArchives"));
    setWindowTitle(kTitle);
    buildControls();
    connect(&m_ctx.archive, &ArchiveWorker::busyChanged, this, &FrmArchives::updateCommands);
    refresh();
    updateCommands();
    resize(900, 640);
}

FrmArchives::~FrmArchives() {
    if (m_stopImport) *m_stopImport = true;
}

bool FrmArchives::hasArchive() const {
    return m_ctx.archive.unavailable().isEmpty();
}

void FrmArchives::buildControls() {
    m_location = new QLabel(this);
    m_location->setObjectName(QStringLiteral("Label_Location"));
    m_location->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_location->setWordWrap(true); // a server's reason may run long

    m_devices = makeTable(this, "List_Devices",
                          {QStringLiteral("N° de série"), QStringLiteral("Lieu"),
                           QStringLiteral("Génération"), QStringLiteral("Premier relevé"),
                           QStringLiteral("Dernier relevé"), QStringLiteral("Téléchargements")});
    m_devices->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed);
    m_devices->setToolTip(QStringLiteral("Double-clic ou F2 sur le lieu pour le nommer"));
    m_devices->setMaximumHeight(120);

    m_daysSince = new QLabel(this);
    m_daysSince->setObjectName(QStringLiteral("Label_Days_Since"));
    m_weighting = new QLabel(this);
    m_weighting->setObjectName(QStringLiteral("Label_Weighting"));

    m_calendar = new CoverageCalendar(this);
    auto* scroll = new QScrollArea(this);
    scroll->setWidget(m_calendar);
    scroll->setWidgetResizable(false);
    scroll->setFocusPolicy(Qt::NoFocus);
    m_chosen = new QLabel(this);
    m_chosen->setObjectName(QStringLiteral("Label_Period"));

    // The nights' verdicts, then the cover; the loudness of the nights no legal limit fits on a second
    // line, shown when there are some.
    auto* legend = new QHBoxLayout;
    for (Verdict v : {Verdict::Compliant, Verdict::Possible, Verdict::Certain, Verdict::Incomplete})
        legend->addWidget(legendEntry(this, DayCover::Whole, VerdictColour(v), VerdictText(v)));
    legend->addWidget(legendEntry(this, DayCover::Partial, VerdictColour(Verdict::Compliant),
                                  QStringLiteral("couvert en partie")));
    legend->addWidget(legendEntry(this, DayCover::None, kGapColour, QStringLiteral("non couvert")));
    legend->addWidget(legendEntry(this, DayCover::None, kFutureColour, QStringLiteral("à venir"), true));
    legend->addStretch();
    m_loudnessLegend = new QWidget(this);
    auto* loudness = new QHBoxLayout(m_loudnessLegend);
    loudness->setContentsMargins(0, 0, 0, 0);
    loudness->addWidget(new QLabel(QStringLiteral("Type M, Leq10 max :"), m_loudnessLegend));
    loudness->addWidget(legendEntry(m_loudnessLegend, DayCover::Whole, LoudnessColour(Loudness::Quiet),
                                    QStringLiteral("sous le seuil")));
    loudness->addWidget(legendEntry(m_loudnessLegend, DayCover::Whole, LoudnessColour(Loudness::NearLimit),
                                    QStringLiteral("à moins de %1 dB du seuil").arg(kNearLimitMargin)));
    loudness->addWidget(legendEntry(m_loudnessLegend, DayCover::Whole, LoudnessColour(Loudness::OverLimit),
                                    QStringLiteral("au-dessus")));
    loudness->addWidget(legendEntry(m_loudnessLegend, DayCover::Whole, LoudnessColour(Loudness::NoLevel),
                                    QStringLiteral("sans niveau")));
    loudness->addStretch();
    m_loudnessLegend->hide();

    m_downloads =
        makeTable(this, "List_Downloads",
                  {QStringLiteral("Source"), QStringLiteral("Transfert"), QStringLiteral("Importé le"),
                   QStringLiteral("Couverture"), QStringLiteral("Mesures"), QStringLiteral("SHA-256")});
    m_downloads->setEditTriggers(QAbstractItemView::NoEditTriggers);

    m_import = new QPushButton(QStringLiteral("&Importer des fichiers ..."), this);
    m_import->setObjectName(QStringLiteral("Cmd_Importer"));
    m_load = new QPushButton(QStringLiteral("&Charger la période"), this);
    m_load->setObjectName(QStringLiteral("Cmd_Charger"));
    m_export = new QPushButton(QStringLiteral("&Exporter ..."), this);
    m_export->setObjectName(QStringLiteral("Cmd_Exporter"));
    m_verify = new QPushButton(QStringLiteral("&Vérifier l'archive"), this);
    m_verify->setObjectName(QStringLiteral("Cmd_Verifier"));
    m_venues = new QPushButton(QStringLiteral("&Lieux ..."), this);
    m_venues->setObjectName(QStringLiteral("Cmd_Lieux"));
    m_removeSerial = new QLineEdit(this);
    m_removeSerial->setObjectName(QStringLiteral("Text_Retirer"));
    m_removeSerial->setPlaceholderText(QStringLiteral("N° de série à retirer"));
    m_removeSerial->setToolTip(QStringLiteral("Pour retirer de l'archive l'appareil choisi et tous ses "
                                              "téléchargements, tapez son numéro de série"));
    m_removeSerial->setMaximumWidth(160);
    m_remove = new QPushButton(QStringLiteral("&Retirer l'appareil"), this);
    m_remove->setObjectName(QStringLiteral("Cmd_Retirer"));
    m_close = new QPushButton(QStringLiteral("&Fermer"), this);
    m_close->setObjectName(QStringLiteral("Cmd_Fermer"));
    m_busy = MakeArchiveBusyLine(m_ctx.archive, this);

    auto* calendarBox = new QGroupBox(QStringLiteral("Couverture"), this);
    auto* calendarLayout = new QVBoxLayout(calendarBox);
    auto* status = new QHBoxLayout;
    status->addWidget(m_daysSince);
    status->addStretch();
    status->addWidget(m_weighting);
    calendarLayout->addLayout(status);
    calendarLayout->addWidget(scroll, 1);
    calendarLayout->addLayout(legend);
    calendarLayout->addWidget(m_loudnessLegend);
    calendarLayout->addWidget(m_chosen);

    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : {m_import, m_load, m_export, m_verify, m_venues})
        buttons->addWidget(b);
    buttons->addStretch();
    buttons->addWidget(m_removeSerial);
    buttons->addWidget(m_remove);
    buttons->addWidget(m_close);

    auto* split = new QSplitter(Qt::Vertical, this);
    split->addWidget(calendarBox);
    split->addWidget(m_downloads);
    split->setStretchFactor(0, 3);
    split->setStretchFactor(1, 1);

    auto* layout = new QVBoxLayout(this);
    auto* top = new QHBoxLayout;
    top->addWidget(m_location, 1);
    top->addWidget(m_busy);
    layout->addLayout(top);
    layout->addWidget(m_devices);
    layout->addWidget(split, 1);
    layout->addLayout(buttons);

    setTabOrder(m_devices, m_calendar);
    setTabOrder(m_calendar, m_downloads);
    setTabOrder(m_downloads, m_import);
    setTabOrder(m_import, m_load);
    setTabOrder(m_load, m_export);
    setTabOrder(m_export, m_verify);
    setTabOrder(m_verify, m_venues);
    setTabOrder(m_venues, m_removeSerial);
    setTabOrder(m_removeSerial, m_remove);
    setTabOrder(m_remove, m_close);

    connect(m_devices, &QTableWidget::currentCellChanged, this, [this](int row) { chooseDevice(row); });
    connect(m_devices, &QTableWidget::cellChanged, this, &FrmArchives::venueEdited);
    connect(m_calendar, &CoverageCalendar::selectionChanged, this, &FrmArchives::updateCommands);
    connect(m_import, &QPushButton::clicked, this, [this] {
        const QStringList files =
            QFileDialog::getOpenFileNames(this, QStringLiteral("Importer des fichiers"), QString(),
                                          QStringLiteral("Sauvegarde QLV 40 (*.qlv)"));
        if (!files.isEmpty()) importFiles(files);
    });
    connect(m_load, &QPushButton::clicked, this, &FrmArchives::loadSelectedPeriod);
    connect(m_export, &QPushButton::clicked, this, &FrmArchives::exportSelectedPeriod);
    connect(m_verify, &QPushButton::clicked, this, &FrmArchives::verifyArchive);
    connect(m_venues, &QPushButton::clicked, this, &FrmArchives::openVenues);
    connect(m_removeSerial, &QLineEdit::textChanged, this, &FrmArchives::updateCommands);
    connect(m_remove, &QPushButton::clicked, this, &FrmArchives::removeChosenDevice);
    connect(m_close, &QPushButton::clicked, this, &QWidget::close);
    auto* reload = new QShortcut(QKeySequence::Refresh, this);
    reload->setContext(Qt::WidgetWithChildrenShortcut);
    connect(reload, &QShortcut::activated, this, &FrmArchives::refresh);
}

void FrmArchives::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (auto* button = qobject_cast<QPushButton*>(focusWidget()))
            button->click();
        else if (m_load->isEnabled())
            loadSelectedPeriod();
        return;
    case Qt::Key_Escape:
        close();
        return;
    default:
        QWidget::keyPressEvent(event);
    }
}

void FrmArchives::refresh() {
    m_ctx.archive.run(
        this, kOpening, [](Archive& archive) { return archive.devices(); },
        [this](ArchiveResult<std::vector<ArchivedDevice>> devices) { showDevices(std::move(devices)); });
}

// Devices imported or removed here: the venues dialog, when open, offers what the archive now holds.
void FrmArchives::archiveContentsChanged() {
    refresh();
    if (m_venuesDialog) m_venuesDialog->refresh();
}

void FrmArchives::showDevices(ArchiveResult<std::vector<ArchivedDevice>> devices) {
    const qint64 chosen = currentDeviceId();
    m_deviceList.clear();
    if (devices)
        m_deviceList = std::move(devices).value();
    else if (hasArchive()) // an archive that cannot be opened is said in the window itself
        m_ctx.ui.message(MessageIcon::Warning, kTitle, devices.error());
    m_filling = true;
    m_devices->setRowCount(static_cast<int>(m_deviceList.size()));
    int keep = m_deviceList.empty() ? -1 : 0;
    for (int row = 0; row < static_cast<int>(m_deviceList.size()); ++row) {
        const ArchivedDevice& d = m_deviceList[static_cast<std::size_t>(row)];
        if (d.id == chosen) keep = row;
        m_devices->setItem(row, 0, readOnlyItem(d.serial));
        m_devices->setItem(row, 1, new QTableWidgetItem(d.venue));
        m_devices->setItem(row, 2, readOnlyItem(QString::number(d.generation)));
        m_devices->setItem(row, 3, readOnlyItem(stampText(d.firstRecord)));
        m_devices->setItem(row, 4, readOnlyItem(stampText(d.lastRecord)));
        m_devices->setItem(row, 5, readOnlyItem(QString::number(d.downloads)));
    }
    m_devices->resizeColumnsToContents();
    m_filling = false;
    if (keep >= 0 && m_devices->currentRow() != keep)
        m_devices->setCurrentCell(keep, 0); // shows the device through currentCellChanged
    else
        showDevice();
}

qint64 FrmArchives::currentDeviceId() const {
    const int row = m_devices->currentRow();
    return row >= 0 && row < static_cast<int>(m_deviceList.size())
               ? m_deviceList[static_cast<std::size_t>(row)].id
               : 0;
}

void FrmArchives::chooseDevice(int row) {
    if (m_filling) return;
    if (row != m_devices->currentRow()) m_devices->setCurrentCell(row, 0);
    showDevice();
}

void FrmArchives::showDevice() {
    const qint64 id = currentDeviceId();
    if (!hasArchive() || id == 0) {
        showDevice(id, {}, {}, {}, {});
        return;
    }
    struct DeviceView {
        Coverage coverage;
        std::vector<JudgedNight> nights;
        QString nightsProblem;
        std::vector<ArchivedDownload> downloads;
    };
    m_ctx.archive.run(
        this, kOpening,
        [id](Archive& archive) -> ArchiveResult<DeviceView> {
            auto coverage = archive.coverage(id);
            if (!coverage) return ArchiveResult<DeviceView>::failure(coverage.error());
            auto downloads = archive.downloads(id);
            if (!downloads) return ArchiveResult<DeviceView>::failure(downloads.error());
            DeviceView view{std::move(coverage).value(), {}, {}, std::move(downloads).value()};
            // Nights the archive cannot judge leave the calendar its cover and loudness.
            if (!view.coverage.days.empty()) {
                auto nights = ArchivedNightVerdicts(archive, id, view.coverage.days.front().day,
                                                    view.coverage.days.back().day);
                if (nights)
                    view.nights = std::move(nights).value();
                else
                    view.nightsProblem = nights.error();
            }
            return view;
        },
        [this, id](const ArchiveResult<DeviceView>& view) {
            // Another device chosen meanwhile has its own reply coming.
            if (id != currentDeviceId()) return;
            if (!view) m_ctx.ui.message(MessageIcon::Warning, kTitle, view.error());
            showDevice(id, view ? view->coverage : Coverage{},
                       view ? view->nights : std::vector<JudgedNight>{},
                       view ? view->nightsProblem : QString(),
                       view ? view->downloads : std::vector<ArchivedDownload>{});
        });
}

void FrmArchives::showDevice(qint64 id, const Coverage& coverage, const std::vector<JudgedNight>& nights,
                             const QString& nightsProblem, const std::vector<ArchivedDownload>& downloads) {
    const QDate today = QDate::currentDate();
    const std::optional<int> since = DaysSinceDownload(coverage.lastDownload, today);
    m_daysSince->setText(id ? DaysSinceText(coverage.lastDownload, today) : QString());
    m_daysSince->setStyleSheet(
        DownloadIsDue(since)
            ? QStringLiteral("color:#%1;font-weight:bold").arg(kDueColour, 6, 16, QLatin1Char('0'))
            : QString());
    // What the colours say, for the weighting of the latest download.
    QString judged;
    for (Weighting w : {Weighting::A, Weighting::Linear, Weighting::M}) {
        if (coverage.weighting != WeightingText(w)) continue;
        const auto preset = DefaultPreset(w);
        judged = preset
                     ? QStringLiteral("%1 : nuits de midi à midi jugées contre « %2 »")
                           .arg(coverage.weighting, preset->name)
                     : QStringLiteral("%1 : aucune limite légale, Leq10 max de midi à midi contre le seuil "
                                      "de %2 dB")
                           .arg(coverage.weighting)
                           .arg(coverage.limitDb);
    }
    if (!nightsProblem.isEmpty())
        judged = QStringLiteral("Verdicts des nuits indisponibles : ") + nightsProblem;
    m_weighting->setText(judged);
    std::vector<CalendarMonth> months = BuildCalendar(coverage, nights, today);
    bool loudnessShown = false;
    for (const CalendarMonth& month : months)
        for (const CalendarCell& cell : month.days)
            loudnessShown = loudnessShown || (!cell.verdict && cell.cover != DayCover::None);
    m_loudnessLegend->setVisible(loudnessShown);
    m_calendar->setMonths(std::move(months));
    m_calendar->adjustSize();

    m_downloads->setRowCount(static_cast<int>(downloads.size()));
    for (int row = 0; row < static_cast<int>(downloads.size()); ++row) {
        const ArchivedDownload& d = downloads[static_cast<std::size_t>(row)];
        const QString source = d.sourceKind == SourceKind::Transfer
                                   ? QStringLiteral("Transfert ") + d.sourceName
                                   : QStringLiteral("Fichier ") + d.sourceName;
        m_downloads->setItem(row, 0, readOnlyItem(source));
        QString transfer = (d.transferDate + QLatin1Char(' ') + d.transferTime).trimmed();
        if (d.transferBeforeRecords) transfer += QStringLiteral(" (avant le dernier relevé)");
        m_downloads->setItem(row, 1, readOnlyItem(transfer));
        m_downloads->setItem(row, 2, readOnlyItem(stampText(d.importedAt.toLocalTime())));
        m_downloads->setItem(
            row, 3, readOnlyItem(stampText(d.coverFrom) + QStringLiteral(" → ") + stampText(d.coverTo)));
        m_downloads->setItem(row, 4, readOnlyItem(QString::number(d.counts.total())));
        m_downloads->setItem(row, 5, readOnlyItem(d.originalSha256));
    }
    m_downloads->resizeColumnsToContents();
    updateCommands();
}

void FrmArchives::updateCommands() {
    const CalendarSelection& chosen = m_calendar->selection();
    m_chosen->setText(
        chosen.isEmpty()
            ? QStringLiteral("Choisissez des jours sur le calendrier (clic, Maj+clic ou glisser).")
            : QStringLiteral("Période choisie : du %1 au %2 (%3 jours)")
                  .arg(dateText(chosen.first()), dateText(chosen.last()))
                  .arg(chosen.dayCount()));
    m_location->setText(hasArchive()
                            ? QStringLiteral("Archive : ") + m_ctx.archive.location().displayText()
                            : QStringLiteral("Archive indisponible : ") + m_ctx.archive.unavailable());
    // While the archive works, the commands wait: each would only queue behind the job under way.
    const bool ready = hasArchive() && !m_ctx.archive.isBusy();
    m_import->setEnabled(ready);
    m_verify->setEnabled(ready);
    m_venues->setEnabled(hasArchive());
    m_load->setEnabled(ready && !chosen.isEmpty());
    m_export->setEnabled(ready && !chosen.isEmpty());
    const int row = m_devices->currentRow();
    const bool typed = row >= 0 && row < static_cast<int>(m_deviceList.size()) &&
                       m_removeSerial->text().trimmed() == m_deviceList[static_cast<std::size_t>(row)].serial;
    m_removeSerial->setEnabled(hasArchive() && row >= 0);
    m_remove->setEnabled(ready && typed);
}

void FrmArchives::openVenues() {
    if (!hasArchive()) return;
    if (m_venuesDialog) {
        m_venuesDialog->refresh();
    } else {
        m_venuesDialog = new DlgVenues(m_ctx, this);
        connect(m_venuesDialog, &DlgVenues::archiveChanged, this, &FrmArchives::refresh);
    }
    m_venuesDialog->show();
    m_venuesDialog->raise();
    m_venuesDialog->activateWindow();
}

void FrmArchives::removeChosenDevice() {
    if (!m_remove->isEnabled()) return;
    const qint64 id = currentDeviceId();
    m_ctx.archive.run(
        this, kOpening, [id](Archive& archive) { return archive.removeDevice(id); },
        [this](const ArchiveStatus& removed) {
            if (!removed) {
                m_ctx.ui.message(MessageIcon::Warning, kTitle, removed.error());
                return;
            }
            m_removeSerial->clear();
            archiveContentsChanged();
        });
}

void FrmArchives::venueEdited(int row, int column) {
    if (m_filling || column != 1 || !hasArchive()) return;
    const qint64 id = m_deviceList.at(static_cast<std::size_t>(row)).id;
    const QString venue = m_devices->item(row, column)->text().trimmed();
    m_ctx.archive.run(
        this, kOpening, [id, venue](Archive& archive) { return archive.setVenue(id, venue); },
        [this, id, venue](const ArchiveStatus& named) {
            for (std::size_t row = 0; row < m_deviceList.size(); ++row) {
                ArchivedDevice& device = m_deviceList[row];
                if (device.id != id) continue;
                if (named) {
                    device.venue = venue;
                } else {
                    // The list shows the name in force, not the one refused.
                    m_filling = true;
                    m_devices->item(static_cast<int>(row), 1)->setText(device.venue);
                    m_filling = false;
                }
            }
            if (!named)
                m_ctx.ui.message(MessageIcon::Warning, kTitle, named.error());
            else if (m_venuesDialog) // the name made or chose a venue
                m_venuesDialog->refresh();
        });
}

void FrmArchives::importFiles(const QStringList& paths) {
    if (!hasArchive() || paths.isEmpty() || m_importProgress) return;
    // Not modal: the other windows stay usable while the files go in.
    m_importProgress =
        new QProgressDialog(QStringLiteral("Import de %1 ...").arg(QFileInfo(paths[0]).fileName()),
                            QStringLiteral("Arrêter"), 0, static_cast<int>(paths.size()), this);
    m_importProgress->setWindowTitle(kTitle);
    m_importProgress->setMinimumDuration(300);
    m_importProgress->setValue(0);
    m_stopImport = std::make_shared<std::atomic_bool>(false);
    connect(m_importProgress, &QProgressDialog::canceled, this, [stop = m_stopImport] { *stop = true; });
    auto tally = std::make_shared<ImportTally>();
    tally->files = paths.size();
    for (qint64 i = 0; i < paths.size(); ++i)
        m_ctx.archive.run(
            this, kOpening,
            [path = paths[i], stop = m_stopImport](Archive& archive) -> std::optional<ImportResult> {
                if (*stop) return std::nullopt;
                // One file is one transaction: a failure leaves the archive as it was and the next file
                // goes on.
                return ImportSaveFile(archive, path);
            },
            [this, i, tally, name = QFileInfo(paths[i]).fileName(),
             next = QFileInfo(paths.value(i + 1)).fileName()](
                const ArchiveResult<std::optional<ImportResult>>& result) {
                if (m_importProgress && !next.isEmpty())
                    m_importProgress->setLabelText(QStringLiteral("Import de %1 ...").arg(next));
                importDone(i, name, result, tally);
            });
}

void FrmArchives::importDone(qint64 index, const QString& name,
                             const ArchiveResult<std::optional<ImportResult>>& result,
                             const std::shared_ptr<ImportTally>& tally) {
    if (m_importProgress) m_importProgress->setValue(static_cast<int>(index + 1));
    if (!result) {
        tally->report << name + QStringLiteral(" : ") + result.error();
    } else if (const std::optional<ImportResult>& imported = *result) {
        if (!*imported)
            tally->report << name + QStringLiteral(" : ") + ImportResultText(*imported);
        else if ((*imported)->status == ImportStatus::Imported)
            ++tally->imported;
        else if ((*imported)->status == ImportStatus::AlreadyArchived)
            ++tally->already;
    }
    if (index + 1 < tally->files) return;
    delete m_importProgress;
    m_stopImport.reset();
    archiveContentsChanged();
    QString text = QStringLiteral("%1 fichier(s) importé(s), %2 déjà archivé(s).")
                       .arg(tally->imported)
                       .arg(tally->already);
    if (!tally->report.isEmpty()) text += QStringLiteral("\n") + tally->report.join(QLatin1Char('\n'));
    m_ctx.ui.message(tally->report.isEmpty() ? MessageIcon::Information : MessageIcon::Warning, kTitle, text);
}

void FrmArchives::loadSelectedPeriod() {
    const CalendarSelection& chosen = m_calendar->selection();
    const qint64 id = currentDeviceId();
    if (!hasArchive() || !id || chosen.isEmpty()) return;
    const QDate first = chosen.first(), last = chosen.last();
    auto transferRuns = [this] {
        if (!isTrue(m_ctx.store.Open_frmWait)) return false;
        m_ctx.ui.message(MessageIcon::Warning, kTitle, QStringLiteral("Un transfert est en cours."));
        return true;
    };
    if (transferRuns()) return;
    struct PeriodLoad {
        ArchiveResult<LoadedPeriod> period;
        ArchiveResult<QDate> fits; // on a refusal, the last day of the longest period that fits
    };
    m_ctx.archive.run(
        this, kOpening,
        [id, first, last](Archive& archive) {
            auto period = archive.loadPeriod(id, first, last);
            auto fits = period ? ArchiveResult<QDate>(last) : archive.longestLoadable(id, first, last);
            return PeriodLoad{std::move(period), std::move(fits)};
        },
        [this, first, last, transferRuns](ArchiveResult<PeriodLoad> load) {
            if (!load || !load->period) {
                if (load && load->fits && *load->fits >= first && *load->fits < last)
                    m_calendar->setSelection(first, *load->fits); // offers the longest that fits
                m_ctx.ui.message(MessageIcon::Warning, kTitle, load ? load->period.error() : load.error());
                return;
            }
            // A transfer started while the archive was read owns the data in memory now.
            if (transferRuns()) return;
            LoadedPeriod& period = load->period.value();
            // The period replaces the data in memory as a memory image would: the windows showing the old
            // data close first, and "Dernières données utilisées" then reaches every table and graph.
            m_ctx.windows.closeOpenWindows();
            DataStore& store = m_ctx.store;
            store.commitPeriod(std::move(period.data), first, last);
            store.Device_Version = static_cast<int16_t>(period.generation);
            store.Abort_Flag = kFalse;
            store.Data_Loaded = kTrue;
            BuildSerialNumber(store);
            m_ctx.shell.setCaption(
                QStringLiteral("VORL Analyser - QLV 40") + kCaptionNoteSeparator + kLoadedPeriodCaption +
                QStringLiteral("%1, du %2 au %3").arg(period.serial, dateText(first), dateText(last)));
            // Not in any file yet: the save command may write it.
            m_ctx.shell.setMenuEnabled(MenuEntry::mnuSave_As, true);
        });
}

void FrmArchives::exportSelectedPeriod() {
    const CalendarSelection& chosen = m_calendar->selection();
    const qint64 id = currentDeviceId();
    if (!hasArchive() || !id || chosen.isEmpty()) return;
    const QDate first = chosen.first(), last = chosen.last();
    const QString serial = m_deviceList.at(static_cast<std::size_t>(m_devices->currentRow())).serial;
    const QString name = QStringLiteral("Archive %1 du %2 au %3.qlv")
                             .arg(serial, first.toString(QStringLiteral("dd-MM-yyyy")),
                                  last.toString(QStringLiteral("dd-MM-yyyy")));
    const std::optional<QString> path = m_ctx.ui.saveFileName(name, kSaveFileFilter);
    if (!path || path->isEmpty()) return;
    m_ctx.archive.run(
        this, kOpening,
        [id, first, last, path = *path](Archive& archive) {
            return ExtractPeriodToFile(archive, id, first, last, path);
        },
        [this, path = *path](const ArchiveStatus& written) {
            if (written)
                m_ctx.ui.message(MessageIcon::Information, kTitle,
                                 QStringLiteral("Période exportée dans ") + path);
            else
                m_ctx.ui.message(MessageIcon::Warning, kTitle, written.error());
        });
}

void FrmArchives::verifyArchive() {
    if (!hasArchive()) return;
    m_ctx.archive.run(
        this, kOpening, [](Archive& archive) { return archive.verify(); },
        [this](const ArchiveResult<VerifyReport>& report) {
            if (!report) {
                m_ctx.ui.message(MessageIcon::Warning, kTitle, report.error());
                return;
            }
            QStringList lines;
            lines
                << (report->ok()
                        ? QStringLiteral("L'archive est cohérente.")
                        : QStringLiteral("L'archive présente %1 problème(s) :").arg(report->problems.size()));
            lines << report->problems;
            if (!report->notes.isEmpty()) lines << QStringLiteral("Remarques :") << report->notes;
            m_ctx.ui.message(report->ok() ? MessageIcon::Information : MessageIcon::Warning, kTitle,
                             lines.join('\n'));
        });
}
