#include "ui/graphs/FrmGraphiqueLeq.h"

#include "core/graphs/GraphDialog.h"
#include "ui/shell/AppContext.h"
#include "ui/tables/TableWidgets.h"
#include "ui/widgets/GraphPicture.h"
#include "ui/widgets/Pictures.h"
#include "ui/widgets/Twips.h"

#include <QCloseEvent>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>

namespace {
using namespace GraphWindowTexts;

// The right-hand column: the three lists and, under them, the summary labels.
constexpr int kColumnLeft = 7680;
constexpr int kColumnWidth = 7410;
constexpr int kLabelsTop = 7050;
constexpr int kLabelStep = 240;
constexpr int kThresholdLeft = 11040;

QListWidget* makeList(QWidget* parent, const QString& name, int top, int height) {
    auto* list = new QListWidget(parent);
    list->setObjectName(name);
    list->setGeometry(twipsRect(kColumnLeft, top, kColumnWidth, height));
    return list;
}

QPushButton* makeBoxButton(QWidget* box, const QString& name, const QString& picture,
                           const QString& toolTip) {
    auto* button = new QPushButton(box);
    button->setObjectName(name);
    button->resize(twips(kBoxButtonSize), twips(kBoxButtonSize));
    const QPixmap pixmap = loadPicture(picture);
    if (!pixmap.isNull()) {
        button->setIcon(QIcon(pixmap));
        button->setIconSize(button->size() - QSize(6, 6));
    }
    button->setToolTip(toolTip);
    return button;
}
} // namespace

frmGraphique_Leq::frmGraphique_Leq(AppContext& context, QWidget* parent) : QWidget(parent), m_ctx(context) {
    setObjectName(QStringLiteral("frmGraphique_Leq"));
    setAttribute(Qt::WA_DeleteOnClose);
    move(0, 0);
    m_ctx.windows.closeOpenWindows();
    m_ctx.store.Open_frmGraphique_Leq = kTrue;
    setWindowTitle(kCaption);
    createControls();

    m_view = LoadGraphWindow(m_ctx.store, m_ctx.ui);
    showView();
    redrawGraph(GraphBoxId::Leq10);
    redrawGraph(GraphBoxId::Leq1);
    m_hover10 = GraphHoverIndex(m_ctx.store, GraphId::Leq10);
    m_hover1 = GraphHoverIndex(m_ctx.store, GraphId::Leq1);
    connectCommands();
}

void frmGraphique_Leq::createControls() {
    resize(twips(15240), twips(9720));
    QPalette background = palette();
    background.setColor(QPalette::Window,
                        QColor(kWindowBackground.red, kWindowBackground.green, kWindowBackground.blue));
    setPalette(background);
    setAutoFillBackground(true);
    m_header = makeLabel(this, QStringLiteral("Label_Entete"), QString(), 30, 60, 15060, 285);
    m_date = makeLabel(this, QStringLiteral("Label_Date"), QString(), 30, 420, 15060, 285);
    QFont bold = m_header->font();
    bold.setBold(true);
    m_header->setFont(bold);
    m_header->setAlignment(Qt::AlignCenter);
    m_date->setAlignment(Qt::AlignCenter);

    const GraphBoxPlacement leq10 = normalGraphPlacement(GraphBoxId::Leq10);
    const GraphBoxPlacement leq1 = normalGraphPlacement(GraphBoxId::Leq1);
    m_leq10 = new GraphPicture(QStringLiteral("Graphique_Leq10"), this);
    m_leq10->setBoxGeometry(leq10.box);
    m_leq1 = new GraphPicture(QStringLiteral("Graphique_Leq1"), this);
    m_leq1->setBoxGeometry(leq1.box);
    m_leq10Caption = makeLabel(this, QStringLiteral("Label_Leq10"), kLeq10Caption, kGraphLabelLeft,
                               leq10.labelTop, leq10.labelWidth, kGraphLabelHeight);
    m_leq1Caption = makeLabel(this, QStringLiteral("Label_Leq1"), kLeq1Caption, kGraphLabelLeft,
                              leq1.labelTop, leq1.labelWidth, kGraphLabelHeight);
    m_leq10Caption->setAlignment(Qt::AlignCenter);
    m_leq1Caption->setAlignment(Qt::AlignCenter);

    m_list10Caption =
        makeLabel(this, QStringLiteral("Label3"), kList10Caption, kColumnLeft, 840, kColumnWidth, 285);
    m_list10 = makeList(this, QStringLiteral("List_Leq10"), 1110, 1830);
    m_list1Caption = makeLabel(this, QStringLiteral("Label_List_Leq1"), kList1Caption, kColumnLeft, 3000,
                               kColumnWidth, 285);
    m_list1 = makeList(this, QStringLiteral("List_Leq1"), 3270, 1830);
    m_eventsCaption =
        makeLabel(this, QStringLiteral("Label4"), kEventsCaption, kColumnLeft, 5160, kColumnWidth, 285);
    m_events = makeList(this, QStringLiteral("List_Depassement"), 5430, 1500);

    auto summary = [this](const char* name, int left, int row, int width) {
        return makeLabel(this, QString::fromLatin1(name), QString(), left, kLabelsTop + row * kLabelStep,
                         width, 240);
    };
    m_mini10 = summary("Label_Mini_Leq10", kColumnLeft, 0, 3300);
    m_maxi10 = summary("Label_Maxi_Leq10", kColumnLeft, 1, 3300);
    m_mini1 = summary("Label_Mini_Leq1", kColumnLeft, 2, 3300);
    m_maxi1 = summary("Label_Maxi_Leq1", kColumnLeft, 3, 3300);
    m_analyse = summary("Label_Analyse", kColumnLeft, 5, 3300);
    m_analyse->setText(QStringLiteral("Analyse : Pondérée Type A."));
    m_dayLevel = summary("Label_Niveau_Leq_Jour", kThresholdLeft, 0, 3000);
    m_nightLevel = summary("Label_Niveau_Leq_Nuit", kThresholdLeft, 1, 3000);
    m_dayWindow = summary("Label_Niveau_Leq_Jour_Fenetre", kThresholdLeft, 2, 3000);
    m_nightWindow = summary("Label_Niveau_Leq_Nuit_Fenetre", kThresholdLeft, 3, 3000);
    m_dayNightHour = summary("Label_Heure_Jour_Nuit", kThresholdLeft, 4, 3000);
    m_nightDayHour = summary("Label_Heure_Nuit_Jour", kThresholdLeft, 5, 3000);

    m_newGraph = makePictureButton(this, QStringLiteral("Cmd_New_Graph"), QStringLiteral("New Graphique.bmp"),
                                   14280, kLabelsTop, kNewGraph);
    connect(m_newGraph, &QPushButton::clicked, this, &frmGraphique_Leq::cmdNewGraph);

    m_zoom10 = makeBoxButton(m_leq10, QStringLiteral("Cmd_Zoom_Leq10"), QStringLiteral("Zoom Leq 10.bmp"),
                             kZoom10Tip);
    m_zoom1 =
        makeBoxButton(m_leq1, QStringLiteral("Cmd_Zoom_Leq1"), QStringLiteral("Zoom Leq 1.bmp"), kZoom1Tip);
    m_print10 =
        makeBoxButton(m_leq10, QStringLiteral("Cmd_Print_Leq10"), QStringLiteral("Print.bmp"), kPrint10Tip);
    m_print1 =
        makeBoxButton(m_leq1, QStringLiteral("Cmd_Print_Leq1"), QStringLiteral("Print.bmp"), kPrint1Tip);
    // Printing is offered on an enlarged graph only.
    m_print10->hide();
    m_print1->hide();
}

void frmGraphique_Leq::showView() {
    m_header->setText(m_view.header);
    m_date->setText(m_view.dateLabel);

    fillList(m_list10, m_view.list10);
    fillList(m_list1, m_view.list1);
    fillList(m_events, m_view.events);
    m_list10->setEnabled(m_view.list10Enabled);
    m_list1->setEnabled(m_view.list1Enabled);

    m_zoom10->setVisible(m_view.zoom10Shown);
    m_zoom1->setVisible(m_view.zoom1Shown);

    m_mini10->setText(m_view.mini10);
    m_maxi10->setText(m_view.maxi10);
    m_mini1->setText(m_view.mini1);
    m_maxi1->setText(m_view.maxi1);
    m_mini10->setVisible(m_view.minMax10Shown);
    m_maxi10->setVisible(m_view.minMax10Shown);
    m_mini1->setVisible(m_view.minMax1Shown);
    m_maxi1->setVisible(m_view.minMax1Shown);

    const ThresholdLabels& t = m_view.thresholds;
    m_dayLevel->setText(t.dayLevel);
    m_nightLevel->setText(t.nightLevel);
    m_dayWindow->setText(t.dayWindowLevel);
    m_nightWindow->setText(t.nightWindowLevel);
    m_dayNightHour->setText(t.dayNightHour);
    m_nightDayHour->setText(t.nightDayHour);
    for (QLabel* label : {m_dayLevel, m_nightLevel, m_dayNightHour, m_nightDayHour})
        label->setVisible(t.shown);
    m_dayWindow->setVisible(t.shown && t.windowShown);
    m_nightWindow->setVisible(t.shown && t.windowShown);
    m_analyse->setText(m_view.analyse);
}

void frmGraphique_Leq::redrawGraph(GraphBoxId id) {
    GraphPicture* picture = box(id);
    ImageCanvas& canvas = picture->canvas();
    canvas.clear();
    const DataStore& store = m_ctx.store;
    const bool leq10 = id == GraphBoxId::Leq10;
    if (canvas.isEnlargedSize()) {
        if (leq10)
            DrawLeq10GraphEnlarged(canvas, store);
        else
            DrawLeq1GraphEnlarged(canvas, store);
    } else if (leq10) {
        DrawLeq10GraphNormal(canvas, store, m_view.hasRecords);
    } else {
        DrawLeq1GraphNormal(canvas, store, m_view.hasRecords);
    }
    placeBoxButtons(id);
    picture->refresh();
}

void frmGraphique_Leq::placeBoxButtons(GraphBoxId id) {
    GraphPicture* picture = box(id);
    const ImageCanvas& canvas = picture->canvas();
    const double rightEdge = canvas.scaleLeft() + canvas.scaleWidth();
    const int days = m_ctx.store.Graph_Days;
    auto leftOf = [&](double offset) { return qRound(canvas.toDevice(rightEdge - offset, 0).x()); };
    QPushButton* zoom = id == GraphBoxId::Leq10 ? m_zoom10 : m_zoom1;
    QPushButton* print = id == GraphBoxId::Leq10 ? m_print10 : m_print1;
    zoom->move(leftOf(zoomButtonOffset(days)), twips(kBoxButtonTop));
    print->move(leftOf(printButtonOffset(days)), twips(kBoxButtonTop));
}

void frmGraphique_Leq::cmdNewGraph() {
    AppContext& ctx = m_ctx;
    const WindowId dialog = GraphDialogWindow(ctx.store);
    unloadSelf(this);
    ctx.windows.open(dialog);
}

void frmGraphique_Leq::closeEvent(QCloseEvent* event) {
    m_ctx.store.Open_frmGraphique_Leq = kFalse;
    QWidget::closeEvent(event);
}

QWidget* createFrmGraphiqueLeq(AppContext& context) {
    return new frmGraphique_Leq(context);
}
