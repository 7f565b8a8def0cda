#include "ui/tables/FrmParametresV4.h"

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
const QColor kBackground(197, 207, 237);

// Where each caption and value stands (twips): four columns, general, levels, hours and curve,
// management. A level has its unit beside it, an hour its "Hrs.".
struct Place {
    int captionLeft, captionTop, captionWidth;
    int valueLeft, valueTop, valueWidth;
    const char* unit;
};

const QHash<QString, Place>& places() {
    static const QHash<QString, Place> table = {
        {QStringLiteral("Label_Version_FirmWare"), {120, 1320, 1800, 1920, 1320, 1680, nullptr}},
        {QStringLiteral("Label_Numero_Serie"), {120, 1680, 1800, 1920, 1680, 1680, nullptr}},
        {QStringLiteral("Label_Niveau_Leq_Jour"), {3840, 1320, 2280, 6120, 1320, 600, "dB"}},
        {QStringLiteral("Label_Niveau_Leq_Jour_Fenetre"), {3840, 1620, 2280, 6120, 1620, 600, "dB"}},
        {QStringLiteral("Label_Niveau_Leq_Nuit"), {3840, 1920, 2280, 6120, 1920, 600, "dB"}},
        {QStringLiteral("Label_Niveau_Leq_Nuit_Fenetre"), {3840, 2220, 2280, 6120, 2220, 600, "dB"}},
        {QStringLiteral("Label_Niveau_Public"), {3840, 2520, 2280, 6120, 2520, 600, "dB"}},
        {QStringLiteral("Label_Niveau_Capteur"), {3840, 2820, 2280, 6120, 2820, 600, "dB"}},
        {QStringLiteral("Label_Heure_Jour_Nuit"), {7560, 1320, 2160, 9720, 1320, 420, "Hrs."}},
        {QStringLiteral("Label_Heure_Nuit_Jour"), {7560, 1620, 2160, 9720, 1620, 420, "Hrs."}},
        {QStringLiteral("Label_Analyse"), {0, 0, 0, 7560, 2520, 3480, nullptr}},
        {QStringLiteral("Label_Relais"), {11280, 1320, 3600, 11520, 1620, 3360, nullptr}},
        {QStringLiteral("Label_Cut_Capteur"), {11280, 1920, 3600, 11520, 2220, 3360, nullptr}},
        {QStringLiteral("Label_Cut_G"), {11280, 2520, 3600, 11520, 2820, 3360, nullptr}},
    };
    return table;
}

// The generation-5 design; generation 3 shortens it (the layout of the view says by how much).
constexpr int kFrameBottom = 3900, kButtonsTop = 3300, kWindowHeight = 4500, kWindowWidth = 15000;
} // namespace

frmParametres_v4::frmParametres_v4(AppContext& context, QWidget* parent) : QWidget(parent), m_ctx(context) {
    setObjectName(QStringLiteral("frmParametres_v4"));
    setAttribute(Qt::WA_DeleteOnClose);
    m_ctx.windows.closeOpenWindows();
    m_ctx.store.Open_frmParametres_v4 = kTrue;
    move(0, 0);
    setWindowTitle(kParametersCaption);
    setAutoFillBackground(true);
    setBackground(kBackground);

    m_loaded = LoadParameters(m_ctx.store);
    const ParametersLayout& layout = m_loaded.layout;

    auto* heading = makeLabel(this, QStringLiteral("Label_Entete"), kParametersHeading, 120,
                              layout.headingTop, 14760, 285);
    heading->setAlignment(Qt::AlignCenter);
    QFont headingFont = heading->font();
    headingFont.setBold(true);
    heading->setFont(headingFont);
    m_date = makeLabel(this, QStringLiteral("Label_Date"), QString(), 120, 360, 9000, 285);
    m_combo = new QComboBox(this);
    m_combo->setObjectName(QStringLiteral("Combo_Jour"));
    m_combo->setEditable(true);
    m_combo->setInsertPolicy(QComboBox::NoInsert);
    m_combo->setGeometry(twipsRect(9240, 330, 5640, 315));

    struct Section {
        const char* name;
        const char* text;
        int left, top;
    };
    for (const Section& s : {Section{"Label9", "Paramètres Généraux", 120, 900},
                             Section{"Label8", "Paramètres de Niveaux", 3840, 900},
                             Section{"Label1", "Paramètres d'Heures", 7560, 900},
                             Section{"Label4", "Paramètres de Courbe", 7560, 2160},
                             Section{"Label2", "Utilitaires de Gestion", 11280, 900}}) {
        QLabel* label =
            makeLabel(this, QString::fromLatin1(s.name), QString::fromUtf8(s.text), s.left, s.top, 3360, 285);
        QFont font = label->font();
        font.setUnderline(true);
        label->setFont(font);
        if (qstrcmp(s.name, "Label2") == 0) label->setVisible(layout.showManagement);
    }
    const int frameBottom = layout.compact ? layout.frameBottom : kFrameBottom;
    for (int i = 0; i < 3; ++i) {
        auto* line = new QFrame(this);
        line->setObjectName(QStringLiteral("Line%1").arg(i + 1));
        line->setFrameShape(QFrame::VLine);
        line->setGeometry(twipsRect(3720 + i * 3720, 840, 30, frameBottom - 840));
    }

    for (const ParameterRow& row : m_loaded.rows) {
        const Place place = places().value(row.valueControl);
        if (!row.captionControl.isEmpty()) {
            QLabel* caption = makeLabel(this, row.captionControl, row.caption, place.captionLeft,
                                        place.captionTop, place.captionWidth, 285);
            caption->setVisible(row.visible);
        }
        QLabel* value = makeLabel(this, row.valueControl, QString(), place.valueLeft, place.valueTop,
                                  place.valueWidth, 285);
        value->setVisible(row.visible);
        m_values.insert(row.valueControl, value);
        if (place.unit) {
            const bool hour = qstrcmp(place.unit, "Hrs.") == 0;
            QLabel* unit = makeLabel(this, hour ? QStringLiteral("Label_H") : QStringLiteral("Label3"),
                                     QString::fromLatin1(place.unit), place.valueLeft + place.valueWidth,
                                     place.valueTop, 600, 285);
            unit->setVisible(row.visible);
        }
    }

    const int buttonsTop = layout.compact ? layout.buttonsTop : kButtonsTop;
    m_print =
        makePictureButton(this, QStringLiteral("Cmd_Print"), QStringLiteral("Print.bmp"), 6480, buttonsTop);
    m_exit =
        makePictureButton(this, QStringLiteral("Cmd_Exit"), QStringLiteral("Exit.jpg"), 7350, buttonsTop);
    resize(twips(kWindowWidth), twips(layout.compact ? layout.windowHeight : kWindowHeight));

    m_combo->addItems(m_loaded.history);
    m_combo->setEditText(m_loaded.newestChange);
    m_combo->setVisible(m_loaded.comboVisible);
    m_date->setVisible(m_loaded.dateLabelVisible);
    showValues(m_loaded);

    connect(m_combo, &QComboBox::activated, this, &frmParametres_v4::chooseChange);
    // Typing in the box is not a choice: the newest change stays written there.
    connect(m_combo->lineEdit(), &QLineEdit::textEdited, this, [this] {
        if (isVisible()) m_combo->setEditText(m_loaded.newestChange);
    });
    connect(m_print, &QPushButton::clicked, this, &frmParametres_v4::cmdPrint);
    connect(m_exit, &QPushButton::clicked, this, [this] { unloadSelf(this); });
}

void frmParametres_v4::showValues(const ParametersView& view) {
    for (const ParameterRow& row : view.rows)
        if (QLabel* label = m_values.value(row.valueControl)) label->setText(row.value);
    m_date->setText(view.dateLabel);
}

void frmParametres_v4::chooseChange(int k) {
    showValues(ChooseParameterChange(m_ctx.store, m_loaded, k));
}

void frmParametres_v4::setBackground(const QColor& colour) {
    QPalette p = palette();
    p.setColor(QPalette::Window, colour);
    setPalette(p);
}

// The window is printed as it shows, without its controls and on white.
void frmParametres_v4::cmdPrint() {
    std::unique_ptr<QPagedPaintDevice> printer = printerSource().choosePrinter(this);
    if (!printer) return;
    m_combo->hide();
    m_print->hide();
    m_exit->hide();
    setBackground(Qt::white);
    paintWindowImage(*printer, this);
    m_combo->setVisible(!m_combo->currentText().isEmpty() && m_loaded.generation5);
    m_print->show();
    m_exit->show();
    setBackground(kBackground);
}

void frmParametres_v4::closeEvent(QCloseEvent* event) {
    m_ctx.store.Open_frmParametres_v4 = kFalse;
    QWidget::closeEvent(event);
}

QWidget* createFrmParametresV4(AppContext& context) {
    return new frmParametres_v4(context);
}
