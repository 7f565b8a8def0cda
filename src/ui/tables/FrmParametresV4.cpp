#include "ui/tables/FrmParametresV4.h"

#include "paint/FormPainter.h"
#include "ui/shell/AppContext.h"
#include "ui/tables/TablePrinting.h"
#include "ui/tables/TableWidgets.h"
#include "ui/widgets/Twips.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {
QColor colour(const FormColour& c) {
    return QColor(c.red, c.green, c.blue);
}
} // namespace

frmParametres_v4::frmParametres_v4(AppContext& context, QWidget* parent) : QWidget(parent), m_ctx(context) {
    setObjectName(QStringLiteral("frmParametres_v4"));
    setAttribute(Qt::WA_DeleteOnClose);
    m_ctx.windows.closeOpenWindows();
    m_ctx.store.Open_frmParametres_v4 = kTrue;
    move(0, 0);
    setAutoFillBackground(true);

    m_loaded = LoadParameters(m_ctx.store);
    m_shown = m_loaded;
    const ParametersForm form = BuildParametersForm(m_loaded);
    setWindowTitle(form.caption);
    setBackground(colour(form.background));

    // Every control comes from the form the printout paints.
    for (const FormItem& item : form.items) {
        QWidget* widget = nullptr;
        switch (item.kind) {
        case FormItemKind::Label: {
            QLabel* label =
                makeLabel(this, item.name, item.text, item.left, item.top, item.width, item.height);
            label->setFont(formFont(item.font));
            if (item.centred) label->setAlignment(Qt::AlignCenter);
            m_labels.insert(item.name, label);
            widget = label;
            break;
        }
        case FormItemKind::Line: {
            auto* line = new QFrame(this);
            line->setObjectName(item.name);
            line->setFrameShape(QFrame::VLine);
            line->setFrameShadow(QFrame::Sunken);
            line->setGeometry(twipsRect(item.left, item.top, item.width, item.height));
            widget = line;
            break;
        }
        case FormItemKind::ComboBox:
            m_combo = new QComboBox(this);
            m_combo->setObjectName(item.name);
            m_combo->setEditable(true);
            m_combo->setInsertPolicy(QComboBox::NoInsert);
            m_combo->setFont(formFont(item.font));
            m_combo->setGeometry(twipsRect(item.left, item.top, item.width, item.height));
            m_combo->addItems(m_loaded.history);
            m_combo->setEditText(item.text);
            widget = m_combo;
            break;
        case FormItemKind::Button: {
            QPushButton* button = makePictureButton(this, item.name, item.text, item.left, item.top);
            (item.name == QLatin1String("Cmd_Print") ? m_print : m_exit) = button;
            widget = button;
            break;
        }
        }
        widget->setVisible(item.visible);
    }
    resize(twips(form.width), twips(form.height));

    connect(m_combo, &QComboBox::activated, this, &frmParametres_v4::chooseChange);
    // Typing in the box is not a choice: the newest change stays written there.
    connect(m_combo->lineEdit(), &QLineEdit::textEdited, this, [this] {
        if (isVisible()) m_combo->setEditText(m_loaded.newestChange);
    });
    connect(m_print, &QPushButton::clicked, this, &frmParametres_v4::cmdPrint);
    connect(m_exit, &QPushButton::clicked, this, [this] { unloadSelf(this); });
}

ParametersForm frmParametres_v4::form() const {
    return BuildParametersForm(m_shown);
}

void frmParametres_v4::chooseChange(int k) {
    m_shown = ChooseParameterChange(m_ctx.store, m_loaded, k);
    for (const ParameterRow& row : m_shown.rows)
        if (QLabel* label = m_labels.value(row.valueControl)) label->setText(row.value);
    m_labels.value(QStringLiteral("Label_Date"))->setText(m_shown.dateLabel);
}

void frmParametres_v4::setBackground(const QColor& colour) {
    QPalette p = palette();
    p.setColor(QPalette::Window, colour);
    setPalette(p);
}

// The window is printed as it shows, on white and without its list and buttons: the same form the
// window was built from, painted at the printer's resolution.
void frmParametres_v4::cmdPrint() {
    std::unique_ptr<QPagedPaintDevice> printer = printerSource().choosePrinter(this, QPageLayout::Portrait);
    if (!printer) return;
    if (!printForm(*printer, form()) || !printedFileComplete(*printer)) reportPrintFailure(m_ctx.ui);
}

void frmParametres_v4::closeEvent(QCloseEvent* event) {
    m_ctx.store.Open_frmParametres_v4 = kFalse;
    QWidget::closeEvent(event);
}

QWidget* createFrmParametresV4(AppContext& context) {
    return new frmParametres_v4(context);
}
