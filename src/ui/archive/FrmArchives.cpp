#include "ui/archive/FrmArchives.h"

#include "core/archive/ArchiveCalendar.h"
#include "core/store/Labels.h"
#include "ui/archive/CoverageCalendar.h"
#include "ui/archive/TransferKeeping.h"
#include "ui/shell/AppContext.h"

#include <QApplication>
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
QWidget* legendEntry(QWidget* parent, DayCover cover, Loudness loudness, const QString& text) {
    auto* entry = new QWidget(parent);
    auto* layout = new QHBoxLayout(entry);
    layout->setContentsMargins(0, 0, 8, 0);
    layout->setSpacing(4);
    QPixmap square(16, 16);
    square.fill(Qt::transparent);
    QPainter painter(&square);
    CoverageCalendar::paintDay(painter, square.rect(), cover, loudness);
    painter.end();
    auto* icon = new QLabel(entry);
    icon->setPixmap(square);
    layout->addWidget(icon);
    layout->addWidget(new QLabel(text, entry));
    return entry;
}
} // namespace

FrmArchives::FrmArchives(AppContext& ctx, QWidget* parent) : QWidget(parent), m_ctx(ctx) {
    setObjectName(QStringLiteral("frmArchives"));
    setWindowTitle(kTitle);
    buildControls();

    ArchiveLocation location;
    QString error;
    if (ResolveArchiveLocation({}, location, &error) && !location.isOff())
        m_archive = Archive::open(location, &error);
    else if (location.isOff() && error.isEmpty())
        error = QStringLiteral("Archive désactivée : l'archivage est éteint (« off »).");
    m_location->setText(m_archive ? QStringLiteral("Archive : ") + location.displayText()
                                  : QStringLiteral("Archive indisponible : ") + error);
    refresh();
    resize(900, 640);
}

FrmArchives::~FrmArchives() = default;

void FrmArchives::buildControls() {
    m_location = new QLabel(this);
    m_location->setObjectName(QStringLiteral("Label_Location"));
    m_location->setTextInteractionFlags(Qt::TextSelectableByMouse);

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

    auto* legend = new QHBoxLayout;
    legend->addWidget(legendEntry(this, DayCover::Whole, Loudness::Quiet, QStringLiteral("sous la limite")));
    legend->addWidget(legendEntry(this, DayCover::Whole, Loudness::NearLimit,
                                  QStringLiteral("à moins de %1 dB de la limite").arg(kNearLimitMargin)));
    legend->addWidget(legendEntry(this, DayCover::Whole, Loudness::OverLimit, QStringLiteral("au-dessus")));
    legend->addWidget(legendEntry(this, DayCover::Whole, Loudness::NoLevel, QStringLiteral("sans niveau")));
    legend->addWidget(
        legendEntry(this, DayCover::Partial, Loudness::Quiet, QStringLiteral("couvert en partie")));
    legend->addWidget(legendEntry(this, DayCover::None, Loudness::NoLevel, QStringLiteral("non couvert")));
    legend->addStretch();

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

    auto* calendarBox = new QGroupBox(QStringLiteral("Couverture"), this);
    auto* calendarLayout = new QVBoxLayout(calendarBox);
    auto* status = new QHBoxLayout;
    status->addWidget(m_daysSince);
    status->addStretch();
    status->addWidget(m_weighting);
    calendarLayout->addLayout(status);
    calendarLayout->addWidget(scroll, 1);
    calendarLayout->addLayout(legend);
    calendarLayout->addWidget(m_chosen);

    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : {m_import, m_load, m_export, m_verify})
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
    layout->addWidget(m_location);
    layout->addWidget(m_devices);
    layout->addWidget(split, 1);
    layout->addLayout(buttons);

    setTabOrder(m_devices, m_calendar);
    setTabOrder(m_calendar, m_downloads);
    setTabOrder(m_downloads, m_import);
    setTabOrder(m_import, m_load);
    setTabOrder(m_load, m_export);
    setTabOrder(m_export, m_verify);
    setTabOrder(m_verify, m_removeSerial);
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
    const qint64 chosen = currentDeviceId();
    m_deviceList.clear();
    if (m_archive) {
        auto devices = m_archive->devices();
        if (devices)
            m_deviceList = std::move(*devices);
        else
            m_ctx.ui.message(MessageIcon::Warning, kTitle, devices.error());
    }
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
    Coverage coverage;
    std::vector<ArchivedDownload> downloads;
    if (m_archive && id != 0) {
        auto readCoverage = m_archive->coverage(id);
        auto readDownloads = m_archive->downloads(id);
        if (readCoverage && readDownloads) {
            coverage = std::move(*readCoverage);
            downloads = std::move(*readDownloads);
        } else {
            m_ctx.ui.message(MessageIcon::Warning, kTitle,
                             readCoverage ? readDownloads.error() : readCoverage.error());
        }
    }
    const std::optional<int> since = DaysSinceDownload(coverage.lastDownload, QDate::currentDate());
    m_daysSince->setText(id ? DaysSinceText(since) : QString());
    m_daysSince->setStyleSheet(
        DownloadIsDue(since)
            ? QStringLiteral("color:#%1;font-weight:bold").arg(kDueColour, 6, 16, QLatin1Char('0'))
            : QString());
    m_weighting->setText(coverage.weighting.isEmpty()
                             ? QString()
                             : QStringLiteral("%1 : limite %2 dB (Leq10 max de midi à midi)")
                                   .arg(coverage.weighting)
                                   .arg(coverage.limitDb));
    m_calendar->setMonths(BuildCalendar(coverage));
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
    m_import->setEnabled(m_archive != nullptr);
    m_verify->setEnabled(m_archive != nullptr);
    m_load->setEnabled(m_archive && !chosen.isEmpty());
    m_export->setEnabled(m_archive && !chosen.isEmpty());
    const int row = m_devices->currentRow();
    const bool typed = row >= 0 && row < static_cast<int>(m_deviceList.size()) &&
                       m_removeSerial->text().trimmed() == m_deviceList[static_cast<std::size_t>(row)].serial;
    m_removeSerial->setEnabled(m_archive && row >= 0);
    m_remove->setEnabled(m_archive && typed);
}

void FrmArchives::removeChosenDevice() {
    if (!m_remove->isEnabled()) return;
    const qint64 id = currentDeviceId();
    if (const ArchiveStatus removed = m_archive->removeDevice(id); !removed) {
        m_ctx.ui.message(MessageIcon::Warning, kTitle, removed.error());
        return;
    }
    m_removeSerial->clear();
    refresh();
}

void FrmArchives::venueEdited(int row, int column) {
    if (m_filling || column != 1 || !m_archive) return;
    const qint64 id = m_deviceList.at(static_cast<std::size_t>(row)).id;
    const QString venue = m_devices->item(row, column)->text().trimmed();
    if (!m_archive->setVenue(id, venue))
        m_ctx.ui.message(MessageIcon::Warning, kTitle, m_archive->lastError());
    else
        m_deviceList[static_cast<std::size_t>(row)].venue = venue;
}

void FrmArchives::importFiles(const QStringList& paths) {
    if (!m_archive) return;
    QProgressDialog progress(QStringLiteral("Import des fichiers dans l'archive ..."),
                             QStringLiteral("Arrêter"), 0, static_cast<int>(paths.size()), this);
    progress.setWindowTitle(kTitle);
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(300);
    QStringList report;
    int imported = 0, already = 0;
    for (int i = 0; i < paths.size(); ++i) {
        progress.setValue(i);
        progress.setLabelText(QStringLiteral("Import de %1 ...").arg(QFileInfo(paths[i]).fileName()));
        QApplication::processEvents();
        if (progress.wasCanceled()) break;
        // One file is one transaction: a failure leaves the archive as it was and the next file goes on.
        const ImportResult result = ImportSaveFile(*m_archive, paths[i]);
        if (result.status == ImportStatus::Imported) ++imported;
        if (result.status == ImportStatus::AlreadyArchived) ++already;
        if (!result.ok())
            report << QFileInfo(paths[i]).fileName() + QStringLiteral(" : ") + ImportResultText(result);
    }
    progress.setValue(static_cast<int>(paths.size()));
    refresh();
    QString text = QStringLiteral("%1 fichier(s) importé(s), %2 déjà archivé(s).").arg(imported).arg(already);
    if (!report.isEmpty()) text += QStringLiteral("\n") + report.join(QLatin1Char('\n'));
    m_ctx.ui.message(report.isEmpty() ? MessageIcon::Information : MessageIcon::Warning, kTitle, text);
}

bool FrmArchives::loadSelectedPeriod() {
    const CalendarSelection& chosen = m_calendar->selection();
    const qint64 id = currentDeviceId();
    if (!m_archive || !id || chosen.isEmpty()) return false;
    if (isTrue(m_ctx.store.Open_frmWait)) {
        m_ctx.ui.message(MessageIcon::Warning, kTitle, QStringLiteral("Un transfert est en cours."));
        return false;
    }
    m_ctx.ui.setBusyCursor(true);
    auto period = m_archive->loadPeriod(id, chosen.first(), chosen.last());
    m_ctx.ui.setBusyCursor(false);
    if (!period) {
        const auto fits = m_archive->longestLoadable(id, chosen.first(), chosen.last());
        if (fits && *fits >= chosen.first() && *fits < chosen.last())
            m_calendar->setSelection(chosen.first(), *fits); // offers the longest that fits
        m_ctx.ui.message(MessageIcon::Warning, kTitle, period.error());
        return false;
    }
    // The period replaces the data in memory as a memory image would: the windows showing the old
    // data close first, and "Dernières données utilisées" then reaches every table and graph.
    m_ctx.windows.closeOpenWindows();
    DataStore& store = m_ctx.store;
    store.commit(std::move(period->data));
    store.Device_Version = static_cast<int16_t>(period->generation);
    store.Abort_Flag = kFalse;
    store.Data_Loaded = kTrue;
    BuildSerialNumber(store);
    m_ctx.shell.setCaption(QStringLiteral("VORL Analyser - QLV 40") + kCaptionNoteSeparator +
                           kLoadedPeriodCaption +
                           QStringLiteral("%1, du %2 au %3")
                               .arg(period->serial, dateText(chosen.first()), dateText(chosen.last())));
    // Not in any file yet: the save command may write it.
    m_ctx.shell.setMenuEnabled(MenuEntry::mnuSave_As, true);
    return true;
}

void FrmArchives::exportSelectedPeriod() {
    const CalendarSelection& chosen = m_calendar->selection();
    const qint64 id = currentDeviceId();
    if (!m_archive || !id || chosen.isEmpty()) return;
    const QString serial = m_deviceList.at(static_cast<std::size_t>(m_devices->currentRow())).serial;
    const QString name = QStringLiteral("Archive %1 du %2 au %3.qlv")
                             .arg(serial, chosen.first().toString(QStringLiteral("dd-MM-yyyy")),
                                  chosen.last().toString(QStringLiteral("dd-MM-yyyy")));
    const std::optional<QString> path = m_ctx.ui.saveFileName(name, kSaveFileFilter);
    if (!path || path->isEmpty()) return;
    QString error;
    m_ctx.ui.setBusyCursor(true);
    const bool written = ExtractPeriodToFile(*m_archive, id, chosen.first(), chosen.last(), *path, &error);
    m_ctx.ui.setBusyCursor(false);
    if (written)
        m_ctx.ui.message(MessageIcon::Information, kTitle, QStringLiteral("Période exportée dans ") + *path);
    else
        m_ctx.ui.message(MessageIcon::Warning, kTitle, error);
}

void FrmArchives::verifyArchive() {
    if (!m_archive) return;
    m_ctx.ui.setBusyCursor(true);
    const VerifyReport report = m_archive->verify();
    m_ctx.ui.setBusyCursor(false);
    QStringList lines;
    lines << (report.ok()
                  ? QStringLiteral("L'archive est cohérente.")
                  : QStringLiteral("L'archive présente %1 problème(s) :").arg(report.problems.size()));
    lines << report.problems;
    if (!report.notes.isEmpty()) lines << QStringLiteral("Remarques :") << report.notes;
    m_ctx.ui.message(report.ok() ? MessageIcon::Information : MessageIcon::Warning, kTitle, lines.join('\n'));
}
