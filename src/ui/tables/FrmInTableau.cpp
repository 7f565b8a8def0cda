#include "ui/tables/FrmInTableau.h"

#include "core/tables/DataSpan.h"
#include "core/tables/PeriodDialog.h"
#include "ui/shell/AppContext.h"
#include "ui/tables/TableWidgets.h"
#include "ui/widgets/DialogControls.h"
#include "ui/widgets/Twips.h"
#include "ui/widgets/TypedDateEdit.h"

#include <QCalendarWidget>
#include <QCloseEvent>
#include <QDateEdit>
#include <QGroupBox>
#include <QLabel>
#include <QPointer>
#include <QPushButton>

namespace {
QDateEdit* makeDatePicker(QWidget* parent, const QString& name, int left, int top) {
    const QLocale french(QLocale::French, QLocale::France);
    auto* picker = new TypedDateEdit(parent);
    picker->setObjectName(name);
    picker->setGeometry(twipsRect(left, top, 2520, 330));
    picker->setLocale(french);
    picker->setDisplayFormat(QStringLiteral("dd MMMM yyyy"));
    picker->setCalendarPopup(true);
    picker->calendarWidget()->setLocale(french);
    picker->calendarWidget()->setFirstDayOfWeek(Qt::Monday);
    // The device keeps the year within the century.
    picker->setDateRange(QDate(2000, 1, 1), QDate(2099, 12, 31));
    return picker;
}
} // namespace

frmInTableau::frmInTableau(AppContext& context, QWidget* parent) : QWidget(parent), m_ctx(context) {
    setObjectName(QStringLiteral("frmInTableau"));
    setAttribute(Qt::WA_DeleteOnClose);
    DataStore& store = m_ctx.store;

    m_ctx.windows.closeOpenWindows();
    move(0, 0);
    store.Open_frmInTableau = kTrue;
    setWindowTitle(PeriodDialogCaption(store.Requested_View));
    resize(twips(5400), twips(3240));

    auto* title = makeLabel(this, QStringLiteral("Label7"),
                            QStringLiteral("Sélectionnez les paramètres du tableau"), 120, 120, 5160, 285);
    title->setAlignment(Qt::AlignCenter);
    auto* frame = new QGroupBox(QStringLiteral("Dates de début et de fin de l'analyse :"), this);
    frame->setObjectName(QStringLiteral("Frame1"));
    frame->setGeometry(twipsRect(120, 480, 5160, 1800));
    makeLabel(frame, QStringLiteral("Label_Date_Start"), QStringLiteral("Date de début :"), 240, 480, 2000,
              285);
    makeLabel(frame, QStringLiteral("Label_Date_End"), QStringLiteral("Date de fin :"), 240, 1080, 2000, 285);
    m_start = makeDatePicker(frame, QStringLiteral("DTP_Jour_Start"), 2400, 450);
    m_end = makeDatePicker(frame, QStringLiteral("DTP_Jour_End"), 2400, 1050);
    // Where the records are: the pickers open on today, which may hold none.
    auto* span = makeLabel(frame, QStringLiteral("Label_Data_Span"), QString(), 240, 1500, 4680, 285);
    span->setAlignment(Qt::AlignCenter);
    ShowDataSpan(DataSpanFor(store, store.Requested_View), span, {m_start, m_end});
    m_ok = new QPushButton(QStringLiteral("Ok"), this);
    m_ok->setObjectName(QStringLiteral("Cmd_Ok"));
    m_ok->setGeometry(twipsRect(1080, 2520, 1335, 435));
    auto* cancel = new QPushButton(QStringLiteral("Annuler"), this);
    cancel->setObjectName(QStringLiteral("Cmd_Annuler"));
    cancel->setGeometry(twipsRect(2880, 2520, 1335, 435));

    // The period last used is offered again; the first time, today.
    const QDate today = QDate::currentDate();
    const bool remembered = HasPeriodTexts(store);
    m_start->setDate(remembered ? StoredPeriodStart(store).value_or(today) : today);
    m_end->setDate(remembered ? StoredPeriodEnd(store).value_or(today) : today);
    SetPeriodStart(store, m_start->date());
    SetPeriodEnd(store, m_end->date());

    connect(m_start, &QDateEdit::dateChanged, this, &frmInTableau::startChanged);
    connect(m_end, &QDateEdit::dateChanged, this, &frmInTableau::endChanged);
    connect(m_ok, &QPushButton::clicked, this, &frmInTableau::cmdOk);
    connect(cancel, &QPushButton::clicked, this, [this] { unloadSelf(this); });
    InstallDialogKeys(this, m_ok, cancel);
}

void frmInTableau::startChanged() {
    SetPeriodStart(m_ctx.store, m_start->date());
    m_ok->setFocus();
}

void frmInTableau::endChanged() {
    SetPeriodEnd(m_ctx.store, m_end->date());
    m_ok->setFocus();
}

void frmInTableau::cmdOk() {
    if (!CheckPeriod(m_start->date(), m_end->date(), m_ctx.ui)) return;
    const std::optional<WindowId> table = TableWindowFor(m_ctx.store);
    // Opening the table closes every other window, this one included; the window may be gone when
    // open() returns.
    QPointer<frmInTableau> self(this);
    if (table) m_ctx.windows.open(*table);
    if (self) unloadSelf(self);
}

void frmInTableau::closeEvent(QCloseEvent* event) {
    m_ctx.store.Open_frmInTableau = kFalse;
    QWidget::closeEvent(event);
}

QWidget* createFrmInTableau(AppContext& context) {
    return new frmInTableau(context);
}
