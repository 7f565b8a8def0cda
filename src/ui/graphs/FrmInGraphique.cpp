#include "ui/graphs/FrmInGraphique.h"

#include "core/graphs/GraphDialog.h"
#include "core/graphs/GraphPeriod.h"
#include "core/tables/DataSpan.h"
#include "ui/shell/AppContext.h"
#include "ui/tables/TableWidgets.h"
#include "ui/widgets/DialogControls.h"
#include "ui/widgets/Twips.h"
#include "ui/widgets/TypedDateEdit.h"

#include <QButtonGroup>
#include <QCalendarWidget>
#include <QCloseEvent>
#include <QDateEdit>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>

namespace {
using namespace GraphDialogTexts;

// Inner width of the dialog's frames, in twips: wide enough for the longest caption of the two
// threshold frames ("Heures de passages des seuils :") and their "Heure Jour vers Nuit :" labels.
constexpr int kFrameWidth = 7080;
constexpr int kHalfFrameWidth = 3480;
constexpr int kBoxLabelWidth = 2100;
constexpr int kBoxLeft = 2280;
// Height of the line under the date picker that says where the data in memory lies.
constexpr int kSpanHeight = 300;

QRadioButton* makeOption(QWidget* parent, const QString& name, const QString& text, int left) {
    auto* option = new QRadioButton(text, parent);
    option->setObjectName(name);
    option->setGeometry(twipsRect(left, 330, 1500, 285));
    return option;
}

QLineEdit* makeBox(QWidget* parent, const QString& name, int top) {
    auto* box = new QLineEdit(parent);
    box->setObjectName(name);
    box->setGeometry(twipsRect(kBoxLeft, top, 600, 315));
    box->setAlignment(Qt::AlignRight);
    return box;
}
} // namespace

frmInGraphique::frmInGraphique(AppContext& context, WindowId id, QWidget* parent)
    : QWidget(parent), m_ctx(context), m_id(id) {
    setObjectName(QString::fromLatin1(windowName(id)));
    setAttribute(Qt::WA_DeleteOnClose);
    DataStore& store = m_ctx.store;

    m_ctx.windows.closeOpenWindows();
    openFlag(store, m_id) = kTrue;
    move(0, 0);
    setWindowTitle(kCaption);
    const bool v3 = withThresholds();

    auto* header = makeLabel(this, QStringLiteral("Label_Entete"), v3 ? kHeaderV3 : kHeaderV5, 120, 120,
                             kFrameWidth, 285);
    header->setAlignment(Qt::AlignCenter);
    QFont bold = header->font();
    bold.setBold(true);
    header->setFont(bold);

    auto* dateFrame = new QGroupBox(v3 ? kStartFrameV3 : kStartFrameV5, this);
    dateFrame->setObjectName(QStringLiteral("Frame1"));
    dateFrame->setGeometry(twipsRect(120, 480, kFrameWidth, 840 + kSpanHeight));
    const QLocale french(QLocale::French, QLocale::France);
    m_date = new TypedDateEdit(dateFrame);
    m_date->setObjectName(QStringLiteral("DTPicker1"));
    m_date->setGeometry(twipsRect((kFrameWidth - 3000) / 2, 360, 3000, 330));
    m_date->setLocale(french);
    m_date->setDisplayFormat(QStringLiteral("dddd dd MMMM yyyy"));
    m_date->setCalendarPopup(true);
    m_date->calendarWidget()->setLocale(french);
    m_date->calendarWidget()->setFirstDayOfWeek(Qt::Monday);
    // The device keeps the year within the century.
    m_date->setDateRange(QDate(2000, 1, 1), QDate(2099, 12, 31));
    // The picker opens on today, which may hold no record: say where the records are.
    auto* span =
        makeLabel(dateFrame, QStringLiteral("Label_Data_Span"), QString(), 120, 750, kFrameWidth - 240, 285);
    span->setAlignment(Qt::AlignCenter);
    ShowDataSpan(DataSpanFor(store, store.Requested_View), span, {m_date});

    auto* lengthFrame = new QGroupBox(kLengthFrame, this);
    lengthFrame->setObjectName(QStringLiteral("Frame2"));
    lengthFrame->setGeometry(twipsRect(120, 1440 + kSpanHeight, kFrameWidth, 780));
    m_one = makeOption(lengthFrame, QStringLiteral("Option_1_Jour"), kOneDay, 600);
    m_three = makeOption(lengthFrame, QStringLiteral("Option_3_Jours"), kThreeDays, 2940);
    m_seven = makeOption(lengthFrame, QStringLiteral("Option_7_Jours"), kSevenDays, 5280);
    auto* group = new QButtonGroup(this);
    for (QRadioButton* option : {m_one, m_three, m_seven})
        group->addButton(option);

    int top = 2340 + kSpanHeight;
    if (v3) {
        buildThresholdBoxes(top);
        top += 1860;
    }
    auto* note = makeLabel(this, QStringLiteral("Label_Note"), kNote, 120, top, kFrameWidth, 480);
    note->setWordWrap(true);
    note->setAlignment(Qt::AlignCenter);
    auto* ok = new QPushButton(kOk, this);
    ok->setObjectName(QStringLiteral("Cmd_Ok"));
    ok->setGeometry(twipsRect(kFrameWidth / 2 - 1815, top + 600, 1335, 435));
    ok->setDefault(true);
    auto* cancel = new QPushButton(kCancel, this);
    cancel->setObjectName(QStringLiteral("Cmd_Annuler"));
    cancel->setGeometry(twipsRect(kFrameWidth / 2 + 600, top + 600, 1335, 435));
    resize(twips(kFrameWidth + 240), twips(top + 1200));

    m_date->setDate(RememberedGraphStart(store).value_or(QDate::currentDate()));
    switch (RememberedGraphDays(store)) {
    case 1:
        m_one->setChecked(true);
        break;
    case 3:
        m_three->setChecked(true);
        break;
    case 7:
        m_seven->setChecked(true);
        break;
    default:
        break;
    }
    if (v3) {
        const auto texts = DeviceThresholdTexts(store);
        for (int i = 0; i < 4; ++i) {
            m_boxes[i]->setEnabled(false);
            m_boxes[i]->setText(texts[static_cast<size_t>(i)]);
        }
        m_change->setText(kChange);
    }

    connect(ok, &QPushButton::clicked, this, &frmInGraphique::cmdOk);
    connect(cancel, &QPushButton::clicked, this, [this] { unloadSelf(this); });
    InstallDialogKeys(this, ok, cancel);
}

void frmInGraphique::buildThresholdBoxes(int top) {
    auto* levels = new QGroupBox(kThresholdFrame, this);
    levels->setObjectName(QStringLiteral("Frame3"));
    levels->setGeometry(twipsRect(120, top, kHalfFrameWidth, 1200));
    makeLabel(levels, QStringLiteral("Label_Leq_Jour"), kDayLevel, 120, 360, kBoxLabelWidth, 285);
    makeLabel(levels, QStringLiteral("Label_Leq_Nuit"), kNightLevel, 120, 780, kBoxLabelWidth, 285);
    m_boxes[0] = makeBox(levels, QStringLiteral("txt_Leq_Jour"), 345);
    m_boxes[1] = makeBox(levels, QStringLiteral("txt_Leq_Nuit"), 765);
    makeLabel(levels, QStringLiteral("Label_dB_Jour"), QStringLiteral("dB."), kBoxLeft + 720, 360, 480, 285);
    makeLabel(levels, QStringLiteral("Label_dB_Nuit"), QStringLiteral("dB."), kBoxLeft + 720, 780, 480, 285);

    auto* hours = new QGroupBox(kHourFrame, this);
    hours->setObjectName(QStringLiteral("Frame4"));
    hours->setGeometry(twipsRect(120 + kFrameWidth - kHalfFrameWidth, top, kHalfFrameWidth, 1200));
    makeLabel(hours, QStringLiteral("Label_Heure_Jour_Nuit"), kDayNightHour, 120, 360, kBoxLabelWidth, 285);
    makeLabel(hours, QStringLiteral("Label_Heure_Nuit_Jour"), kNightDayHour, 120, 780, kBoxLabelWidth, 285);
    m_boxes[2] = makeBox(hours, QStringLiteral("txt_Heure_Jour_Nuit"), 345);
    m_boxes[3] = makeBox(hours, QStringLiteral("txt_Heure_Nuit_Jour"), 765);
    makeLabel(hours, QStringLiteral("Label_Hrs1"), kHours, kBoxLeft + 720, 360, 480, 285);
    makeLabel(hours, QStringLiteral("Label_Hrs2"), kHours, kBoxLeft + 720, 780, 480, 285);

    m_change = new QPushButton(kChangeDesign, this);
    m_change->setObjectName(QStringLiteral("Cmd_Change_Parametres"));
    m_change->setGeometry(twipsRect(120, top + 1320, kFrameWidth, 435));
    connect(m_change, &QPushButton::clicked, this, &frmInGraphique::cmdChangeParametres);
}

void frmInGraphique::cmdChangeParametres() {
    const ThresholdToggle toggle = ToggleThresholdBoxes(m_change->text());
    if (!toggle.changes) return;
    m_change->setText(toggle.caption);
    const auto texts = DeviceThresholdTexts(m_ctx.store);
    for (int i = 0; i < 4; ++i) {
        m_boxes[i]->setEnabled(toggle.boxesEnabled);
        m_boxes[i]->setText(toggle.refillFromDevice ? texts[static_cast<size_t>(i)] : QString());
    }
    if (toggle.boxesEnabled) m_boxes[0]->setFocus();
}

void frmInGraphique::cmdOk() {
    GraphDialogInput input;
    input.startDate = m_date->date();
    input.oneDay = m_one->isChecked();
    input.threeDays = m_three->isChecked();
    input.sevenDays = m_seven->isChecked();
    if (withThresholds()) {
        input.dayLevel = m_boxes[0]->text();
        input.nightLevel = m_boxes[1]->text();
        input.dayNightHour = m_boxes[2]->text();
        input.nightDayHour = m_boxes[3]->text();
    }
    // A refused box keeps the dialog open with its message; nothing is stored.
    if (!AcceptGraphDialog(m_ctx.store, input, withThresholds(), m_ctx.ui)) return;
    // Opening the graph window closes every other window, this one included.
    QPointer<frmInGraphique> self(this);
    m_ctx.windows.open(WindowId::frmGraphique_Leq);
    if (self) unloadSelf(self);
}

void frmInGraphique::closeEvent(QCloseEvent* event) {
    openFlag(m_ctx.store, m_id) = kFalse;
    QWidget::closeEvent(event);
}

QWidget* createFrmInGraphique(AppContext& context) {
    return new frmInGraphique(context, WindowId::frmInGraphique);
}

QWidget* createFrmInGraphiqueV5(AppContext& context) {
    return new frmInGraphique(context, WindowId::frmInGraphique_v5);
}
