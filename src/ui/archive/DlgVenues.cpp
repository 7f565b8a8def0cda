#include "ui/archive/DlgVenues.h"

#include "core/archive/ArchiveWorker.h"
#include "ui/archive/ArchiveBusyLine.h"
#include "ui/shell/AppContext.h"
#include "ui/widgets/TypedDateEdit.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>

namespace {
constexpr ArchiveOpenMode kOpening = ArchiveOpenMode::CreateIfMissing;
const QString kDayFormat = QStringLiteral("dd/MM/yyyy");

// An open end of a stay shows as "…".
QString dayText(const QDate& day) {
    return day.isValid() ? day.toString(kDayFormat) : QStringLiteral("…");
}

QTableWidgetItem* readOnlyItem(const QString& text) {
    auto* item = new QTableWidgetItem(text);
    item->setFlags(item->flags() & ~Qt::ItemIsEditable);
    return item;
}

// The combo's entry with that id, or the first one.
void chooseById(QComboBox* combo, qint64 id) {
    const int index = combo->findData(id);
    combo->setCurrentIndex(index >= 0 ? index : (combo->count() > 0 ? 0 : -1));
}
} // namespace

DlgVenues::DlgVenues(AppContext& ctx, QWidget* parent) : QDialog(parent), m_ctx(ctx) {
    setObjectName(QStringLiteral("dlgVenues"));
    setWindowTitle(QStringLiteral("Lieux"));
    setSizeGripEnabled(true);
    buildControls();
    connect(&m_ctx.archive, &ArchiveWorker::busyChanged, this, &DlgVenues::updateCommands);
    refresh();
    updateCommands();
    resize(680, 560);
}

void DlgVenues::buildControls() {
    m_list = new QTableWidget(0, 4, this);
    m_list->setObjectName(QStringLiteral("List_Venues"));
    m_list->setHorizontalHeaderLabels(
        {QStringLiteral("Lieu"), QStringLiteral("Appareil"), QStringLiteral("Du"), QStringLiteral("Au")});
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->verticalHeader()->hide();
    m_list->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    m_list->horizontalHeader()->setStretchLastSection(true);
    m_list->setTabKeyNavigation(false); // Tab leaves the list for the next control
    auto* listLabel = new QLabel(QStringLiteral("&Lieux et appareils :"), this);
    listLabel->setBuddy(m_list);

    auto* createBox = new QGroupBox(QStringLiteral("Nouveau lieu"), this);
    m_name = new QLineEdit(createBox);
    m_name->setObjectName(QStringLiteral("Text_Nom_Lieu"));
    m_name->setMaxLength(Archive::kMaxVenueLength);
    m_create = new QPushButton(QStringLiteral("&Créer"), createBox);
    m_create->setObjectName(QStringLiteral("Cmd_Creer"));
    auto* nameLabel = new QLabel(QStringLiteral("&Nom :"), createBox);
    nameLabel->setBuddy(m_name);
    auto* createLayout = new QHBoxLayout(createBox);
    createLayout->addWidget(nameLabel);
    createLayout->addWidget(m_name, 1);
    createLayout->addWidget(m_create);

    auto* attachBox = new QGroupBox(QStringLiteral("Attacher un appareil à un lieu"), this);
    m_venue = new QComboBox(attachBox);
    m_venue->setObjectName(QStringLiteral("Combo_Lieu"));
    m_device = new QComboBox(attachBox);
    m_device->setObjectName(QStringLiteral("Combo_Appareil"));
    for (QComboBox* combo : {m_venue, m_device})
        combo->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    m_from = new TypedDateEdit(attachBox);
    m_from->setObjectName(QStringLiteral("Date_Du"));
    m_fromOpen = new QCheckBox(QStringLiteral("&sans date"), attachBox);
    m_fromOpen->setObjectName(QStringLiteral("Check_Du_Ouvert"));
    m_fromOpen->setToolTip(QStringLiteral("Sans premier jour : l'appareil y était depuis toujours"));
    m_to = new TypedDateEdit(attachBox);
    m_to->setObjectName(QStringLiteral("Date_Au"));
    m_toOpen = new QCheckBox(QStringLiteral("&ouvert"), attachBox);
    m_toOpen->setObjectName(QStringLiteral("Check_Au_Ouvert"));
    m_toOpen->setToolTip(QStringLiteral("Sans dernier jour : l'appareil y est encore"));
    m_toOpen->setChecked(true);
    for (QDateEdit* edit : {m_from, m_to}) {
        edit->setDisplayFormat(kDayFormat);
        edit->setDate(QDate::currentDate());
    }
    m_attach = new QPushButton(QStringLiteral("&Attacher"), attachBox);
    m_attach->setObjectName(QStringLiteral("Cmd_Attacher"));

    auto* venueLabel = new QLabel(QStringLiteral("L&ieu :"), attachBox);
    venueLabel->setBuddy(m_venue);
    auto* deviceLabel = new QLabel(QStringLiteral("A&ppareil :"), attachBox);
    deviceLabel->setBuddy(m_device);
    auto* fromLabel = new QLabel(QStringLiteral("&Du :"), attachBox);
    fromLabel->setBuddy(m_from);
    auto* toLabel = new QLabel(QStringLiteral("A&u :"), attachBox);
    toLabel->setBuddy(m_to);
    auto* attachLayout = new QGridLayout(attachBox);
    attachLayout->addWidget(venueLabel, 0, 0);
    attachLayout->addWidget(m_venue, 0, 1, 1, 2);
    attachLayout->addWidget(deviceLabel, 1, 0);
    attachLayout->addWidget(m_device, 1, 1, 1, 2);
    attachLayout->addWidget(fromLabel, 2, 0);
    attachLayout->addWidget(m_from, 2, 1);
    attachLayout->addWidget(m_fromOpen, 2, 2);
    attachLayout->addWidget(toLabel, 3, 0);
    attachLayout->addWidget(m_to, 3, 1);
    attachLayout->addWidget(m_toOpen, 3, 2);
    attachLayout->addWidget(m_attach, 3, 4);
    attachLayout->setColumnStretch(3, 1);

    m_message = new QLabel(this);
    m_message->setObjectName(QStringLiteral("Label_Message"));
    m_message->setWordWrap(true);
    m_message->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_busy = MakeArchiveBusyLine(m_ctx.archive, this);
    m_close = new QPushButton(QStringLiteral("&Fermer"), this);
    m_close->setObjectName(QStringLiteral("Cmd_Fermer"));

    auto* bottom = new QHBoxLayout;
    bottom->addWidget(m_busy);
    bottom->addStretch();
    bottom->addWidget(m_close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(listLabel);
    layout->addWidget(m_list, 1);
    layout->addWidget(createBox);
    layout->addWidget(attachBox);
    layout->addWidget(m_message);
    layout->addLayout(bottom);

    setTabOrder(m_list, m_name);
    setTabOrder(m_name, m_create);
    setTabOrder(m_create, m_venue);
    setTabOrder(m_venue, m_device);
    setTabOrder(m_device, m_from);
    setTabOrder(m_from, m_fromOpen);
    setTabOrder(m_fromOpen, m_to);
    setTabOrder(m_to, m_toOpen);
    setTabOrder(m_toOpen, m_attach);
    setTabOrder(m_attach, m_close);
    // Return runs the dialog's own choice (see keyPressEvent), never a button that once had the focus.
    for (QPushButton* button : {m_create, m_attach, m_close}) {
        button->setAutoDefault(false);
        button->setDefault(false);
    }

    connect(m_name, &QLineEdit::textChanged, this, &DlgVenues::updateCommands);
    connect(m_create, &QPushButton::clicked, this, &DlgVenues::createVenue);
    connect(m_attach, &QPushButton::clicked, this, &DlgVenues::attachDevice);
    connect(m_close, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_venue, &QComboBox::currentIndexChanged, this, &DlgVenues::updateCommands);
    connect(m_device, &QComboBox::currentIndexChanged, this, &DlgVenues::updateCommands);
    connect(m_fromOpen, &QCheckBox::toggled, this, &DlgVenues::updateCommands);
    connect(m_toOpen, &QCheckBox::toggled, this, &DlgVenues::updateCommands);
    auto* reload = new QShortcut(QKeySequence::Refresh, this);
    connect(reload, &QShortcut::activated, this, &DlgVenues::refresh);
}

void DlgVenues::keyPressEvent(QKeyEvent* event) {
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
        !(event->modifiers() & ~(Qt::KeypadModifier | Qt::ShiftModifier))) {
        QPushButton* target = m_attach;
        if (auto* button = qobject_cast<QPushButton*>(focusWidget()))
            target = button;
        else if (focusWidget() == m_name)
            target = m_create;
        if (target->isEnabled()) target->click();
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event); // Escape closes
}

QString DlgVenues::messageText() const {
    return m_message->text();
}

void DlgVenues::say(const QString& text, bool refused) {
    m_message->setText(text);
    m_message->setStyleSheet(refused ? QStringLiteral("color:#c00000;font-weight:bold") : QString());
}

void DlgVenues::refresh() {
    m_ctx.archive.run(
        this, kOpening,
        [](Archive& archive) -> ArchiveResult<Contents> {
            // The three lists from one state of the archive.
            const Archive::Snapshot snapshot(archive);
            if (!snapshot.status()) return ArchiveResult<Contents>::failure(snapshot.status().error());
            auto venues = archive.venues();
            if (!venues) return ArchiveResult<Contents>::failure(venues.error());
            auto stays = archive.venueDevices();
            if (!stays) return ArchiveResult<Contents>::failure(stays.error());
            auto devices = archive.devices();
            if (!devices) return ArchiveResult<Contents>::failure(devices.error());
            return Contents{std::move(venues).value(), std::move(stays).value(), std::move(devices).value()};
        },
        [this](const ArchiveResult<Contents>& contents) { showContents(contents); });
}

QString DlgVenues::deviceText(qint64 deviceId) const {
    const auto device = std::find_if(m_contents.devices.begin(), m_contents.devices.end(),
                                     [deviceId](const ArchivedDevice& d) { return d.id == deviceId; });
    return device != m_contents.devices.end() ? QStringLiteral("%1 (id %2)").arg(device->serial).arg(deviceId)
                                              : QStringLiteral("id %1").arg(deviceId);
}

void DlgVenues::showContents(const ArchiveResult<Contents>& contents) {
    const qint64 venue = m_chooseVenue ? m_chooseVenue : m_venue->currentData().toLongLong();
    const qint64 device = m_device->currentData().toLongLong();
    m_chooseVenue = 0;
    // A list that could not be read is said, not shown as an archive without venues.
    m_contents = contents ? *contents : Contents{};
    if (!contents)
        say(contents.error(), true);
    else if (m_readFailed)
        say(QString(), false);
    m_readFailed = !contents;

    // Each venue with its stays in the order they began (an open start first); a venue without a
    // device on one line of its own.
    std::vector<const VenueDevice*> stays;
    for (const VenueDevice& stay : m_contents.stays)
        stays.push_back(&stay);
    std::stable_sort(stays.begin(), stays.end(), [](const VenueDevice* a, const VenueDevice* b) {
        return std::make_pair(a->from, a->deviceId) < std::make_pair(b->from, b->deviceId);
    });
    m_list->setRowCount(0);
    for (const ArchivedVenue& v : m_contents.venues) {
        bool any = false;
        auto addRow = [this, &v](const QString& device, const QString& from, const QString& to) {
            const int row = m_list->rowCount();
            m_list->insertRow(row);
            m_list->setItem(row, 0, readOnlyItem(v.name));
            m_list->setItem(row, 1, readOnlyItem(device));
            m_list->setItem(row, 2, readOnlyItem(from));
            m_list->setItem(row, 3, readOnlyItem(to));
        };
        for (const VenueDevice* stay : stays) {
            if (stay->venueId != v.id) continue;
            any = true;
            addRow(deviceText(stay->deviceId), dayText(stay->from), dayText(stay->to));
        }
        if (!any) addRow(QStringLiteral("(aucun appareil)"), QString(), QString());
    }
    m_list->resizeColumnsToContents();
    // The last column fills the list again, which sizing to the contents undid.
    m_list->horizontalHeader()->setStretchLastSection(false);
    m_list->horizontalHeader()->setStretchLastSection(true);

    const QSignalBlocker venueSignals(m_venue), deviceSignals(m_device);
    m_venue->clear();
    for (const ArchivedVenue& v : m_contents.venues)
        m_venue->addItem(v.name, v.id);
    chooseById(m_venue, venue);
    m_device->clear();
    for (const ArchivedDevice& d : m_contents.devices)
        m_device->addItem(deviceText(d.id), d.id);
    chooseById(m_device, device);
    updateCommands();
}

void DlgVenues::updateCommands() {
    const bool ready = m_ctx.archive.unavailable().isEmpty() && !m_ctx.archive.isBusy();
    m_create->setEnabled(ready && !m_name->text().trimmed().isEmpty());
    m_attach->setEnabled(ready && m_venue->currentIndex() >= 0 && m_device->currentIndex() >= 0);
    m_from->setEnabled(!m_fromOpen->isChecked());
    m_to->setEnabled(!m_toOpen->isChecked());
    if (!m_ctx.archive.unavailable().isEmpty())
        say(QStringLiteral("Archive indisponible : ") + m_ctx.archive.unavailable(), true);
}

void DlgVenues::createVenue() {
    if (!m_create->isEnabled()) return;
    const QString name = m_name->text().trimmed();
    m_ctx.archive.run(
        this, kOpening, [name](Archive& archive) { return archive.addVenue(name); },
        [this, name](const ArchiveResult<qint64>& made) {
            if (!made) {
                say(made.error(), true);
                return;
            }
            say(QStringLiteral("Lieu « %1 » créé.").arg(name), false);
            m_name->clear();
            m_chooseVenue = *made;
            refresh();
            Q_EMIT archiveChanged();
        });
}

void DlgVenues::attachDevice() {
    if (!m_attach->isEnabled()) return;
    const qint64 venue = m_venue->currentData().toLongLong();
    const qint64 device = m_device->currentData().toLongLong();
    const QDate from = m_fromOpen->isChecked() ? QDate() : m_from->date();
    const QDate to = m_toOpen->isChecked() ? QDate() : m_to->date();
    const QString shown =
        QStringLiteral("Appareil %1 attaché au lieu « %2 » : du %3 au %4")
            .arg(m_device->currentText(), m_venue->currentText(), dayText(from), dayText(to));
    m_ctx.archive.run(
        this, kOpening,
        [venue, device, from, to](Archive& archive) { return archive.attachDevice(venue, device, from, to); },
        [this, shown](const ArchiveResult<qint64>& attached) {
            if (!attached) {
                say(attached.error(), true);
                return;
            }
            say(shown, false);
            refresh();
            Q_EMIT archiveChanged();
        });
}
