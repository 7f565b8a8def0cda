#pragma once

#include "core/store/WindowId.h"
#include "core/tables/TableList.h"

#include <QWidget>

class QLabel;
class QListWidget;
class QPushButton;
struct AppContext;

// The fixed-pitch font of the table lists: the lines line up through their fixed-width labels.
// Table lines are 8-point; a no-value message is 12-point bold.
QFont tableListFont(bool message);

// Puts a builder's lines into a list box with the matching font.
void fillList(QListWidget* list, const TableList& content);

// Unloads a window from its own button: inside the main window its sub-window frame closes (which
// closes the window first), so no empty frame stays behind.
void unloadSelf(QWidget* window);

// A named label at a position given in twips.
QLabel* makeLabel(QWidget* parent, const QString& name, const QString& text, int left, int top, int width,
                  int height);

// A picture button (pictures from the program's "Images" folder), 810 twips square.
QPushButton* makePictureButton(QWidget* parent, const QString& name, const QString& picture, int left,
                               int top, const QString& toolTip = {});

// What the three table windows share: the open flag kept in the store from load to unload, and the
// buttons Cmd_New_Tableau (back to the period dialog), Cmd_Print and Cmd_Exit.
class TableWindow : public QWidget {
    Q_OBJECT
public:
    TableWindow(AppContext& context, WindowId id, QWidget* parent);

protected:
    // Closes every other window and marks this one open: the first step of each window's load.
    void beginLoad();
    void createButtons(int left, int top, const QString& newToolTip = {}, const QString& printToolTip = {},
                       const QString& exitToolTip = {});
    void placeButtons(bool printable, int newTableauLeft);

    // The one-list window of the event table and of the statistics: the serial label and the heading
    // centred above one list, the three buttons below it.
    struct OneListControls {
        QLabel* serial;
        QLabel* heading;
        QListWidget* list;
    };
    OneListControls buildOneListLayout(const QString& listName, const QString& newToolTip,
                                       const QString& printToolTip, const QString& exitToolTip);
    virtual void printTable() = 0;
    void closeEvent(QCloseEvent* event) override;

    AppContext& m_ctx;
    QPushButton* m_newTableau = nullptr;
    QPushButton* m_print = nullptr;
    QPushButton* m_exit = nullptr;

private:
    void newTableau();
    WindowId m_id;
    int m_buttonsTop = 0;
};
