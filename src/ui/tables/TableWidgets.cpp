#include "ui/tables/TableWidgets.h"

#include "core/tables/TableViews.h"
#include "ui/shell/AppContext.h"
#include "ui/widgets/Pictures.h"
#include "ui/widgets/Twips.h"

#include <QCloseEvent>
#include <QLabel>
#include <QListWidget>
#include <QMdiSubWindow>
#include <QPushButton>

namespace {
constexpr int kButtonSize = 810;
constexpr int kButtonStep = 870;
} // namespace

QFont tableListFont(bool message) {
    QFont font(QStringLiteral("DejaVu Sans Mono"));
    font.setStyleHint(QFont::Monospace);
    font.setPointSize(message ? 12 : 8);
    font.setBold(message);
    return font;
}

void fillList(QListWidget* list, const TableList& content) {
    list->clear();
    list->setFont(tableListFont(content.message));
    list->addItems(content.lines);
}

void unloadSelf(QWidget* window) {
    if (auto* frame = qobject_cast<QMdiSubWindow*>(window->parentWidget()))
        frame->close();
    else
        window->close();
}

QLabel* makeLabel(QWidget* parent, const QString& name, const QString& text, int left, int top, int width,
                  int height) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setGeometry(twipsRect(left, top, width, height));
    return label;
}

QPushButton* makePictureButton(QWidget* parent, const QString& name, const QString& picture, int left,
                               int top, const QString& toolTip) {
    auto* button = new QPushButton(parent);
    button->setObjectName(name);
    button->setGeometry(twipsRect(left, top, kButtonSize, kButtonSize));
    const QPixmap pixmap = loadPicture(picture);
    if (!pixmap.isNull()) {
        button->setIcon(QIcon(pixmap));
        button->setIconSize(QSize(twips(kButtonSize) - 6, twips(kButtonSize) - 6));
    }
    if (!toolTip.isEmpty()) button->setToolTip(toolTip);
    return button;
}

TableWindow::TableWindow(AppContext& context, WindowId id, QWidget* parent)
    : QWidget(parent), m_ctx(context), m_id(id) {
    setAttribute(Qt::WA_DeleteOnClose);
}

void TableWindow::beginLoad() {
    m_ctx.windows.closeOpenWindows();
    openFlag(m_ctx.store, m_id) = kTrue;
    move(0, 0);
}

// The buttons stand side by side from `left` (Cmd_New_Tableau's place when there is something to print).
void TableWindow::createButtons(int left, int top, const QString& newToolTip, const QString& printToolTip,
                                const QString& exitToolTip) {
    m_buttonsTop = top;
    m_newTableau = makePictureButton(this, QStringLiteral("Cmd_New_Tableau"),
                                     QStringLiteral("New Tableau.bmp"), left, top, newToolTip);
    m_print = makePictureButton(this, QStringLiteral("Cmd_Print"), QStringLiteral("Print.bmp"),
                                left + kButtonStep, top, printToolTip);
    m_exit = makePictureButton(this, QStringLiteral("Cmd_Exit"), QStringLiteral("Exit.jpg"),
                               left + 2 * kButtonStep, top, exitToolTip);
    connect(m_newTableau, &QPushButton::clicked, this, &TableWindow::newTableau);
    connect(m_print, &QPushButton::clicked, this, [this] { printTable(); });
    connect(m_exit, &QPushButton::clicked, this, [this] { unloadSelf(this); });
}

// Without anything to print, Cmd_Print hides and Cmd_New_Tableau moves into its place beside Cmd_Exit.
void TableWindow::placeButtons(bool printable, int newTableauLeft) {
    m_newTableau->move(twips(newTableauLeft), twips(m_buttonsTop));
    m_print->setVisible(printable);
}

TableWindow::OneListControls TableWindow::buildOneListLayout(const QString& listName,
                                                             const QString& newToolTip,
                                                             const QString& printToolTip,
                                                             const QString& exitToolTip) {
    resize(twips(14040), twips(9030));
    OneListControls c{};
    c.serial = makeLabel(this, QStringLiteral("Label_Serial_Number"), QString(), 120, 120, 13800, 285);
    c.heading = makeLabel(this, QStringLiteral("Label_Entete"), QString(), 120, 450, 13800, 285);
    c.serial->setAlignment(Qt::AlignCenter);
    c.heading->setAlignment(Qt::AlignCenter);
    c.list = new QListWidget(this);
    c.list->setObjectName(listName);
    c.list->setGeometry(twipsRect(120, 780, 13800, 7200));
    createButtons(NewTableauPosition::kEventsWithRows, 8100, newToolTip, printToolTip, exitToolTip);
    return c;
}

void TableWindow::newTableau() {
    AppContext& ctx = m_ctx;
    unloadSelf(this);
    ctx.windows.open(WindowId::frmInTableau);
}

void TableWindow::closeEvent(QCloseEvent* event) {
    openFlag(m_ctx.store, m_id) = kFalse;
    QWidget::closeEvent(event);
}
