#pragma once

#include "core/graphs/GraphControls.h"
#include "core/graphs/GraphHover.h"
#include "core/graphs/GraphLayout.h"
#include "core/graphs/GraphWindow.h"
#include "core/graphs/ZoomSelection.h"

#include <QWidget>

class GraphPicture;
class QLabel;
class QListWidget;
class QPushButton;
struct AppContext;

// frmGraphique_Leq: the Leq10 and Leq1 graphs of the chosen window with the lists of its levels and
// events and the summary labels. The constructor is the window's load; closing it is its unload.
class frmGraphique_Leq : public QWidget {
    Q_OBJECT
    friend class GraphWindowPrintTarget;

public:
    explicit frmGraphique_Leq(AppContext& context, QWidget* parent = nullptr);

    // What the load worked out (lists, labels, which buttons show).
    const GraphWindowView& view() const { return m_view; }

    // The hover text of a graph for the mouse at user x (what its tool tip shows).
    std::optional<QString> hoverTextAt(GraphId graph, double x) const;

protected:
    void closeEvent(QCloseEvent* event) override;

    // Wipes a box and draws it again for its present state (normal or enlarged by its size).
    void redrawGraph(GraphBoxId id);
    // Puts the box's zoom and print buttons at their place in its current scale.
    void placeBoxButtons(GraphBoxId id);
    void cmdNewGraph();

    // The commands after the load (FrmGraphiqueLeqCommands.cpp).
    void connectCommands();
    void cmdZoom(GraphId graph);
    void cmdPrint(GraphId graph);
    void listClick(GraphId graph, int row);
    void boxPressed(GraphId graph, Qt::MouseButton button, QPointF at);
    void boxMoved(GraphId graph, Qt::MouseButtons buttons, QPointF at);
    void boxReleased(GraphId graph, Qt::MouseButton button, QPointF at);
    // Puts a list of control changes worked out by the rules into the real controls.
    void applyControls(const std::vector<ControlChange>& changes);
    void setBackgrounds(const std::vector<QString>& controls, RgbColor color);
    QWidget* control(const QString& name);
    GraphPicture* picture(GraphId graph) const { return graph == GraphId::Leq10 ? m_leq10 : m_leq1; }
    QPushButton* zoomButton(GraphId graph) const { return graph == GraphId::Leq10 ? m_zoom10 : m_zoom1; }
    QPushButton* printButton(GraphId graph) const { return graph == GraphId::Leq10 ? m_print10 : m_print1; }

    GraphPicture* box(GraphBoxId id) const { return id == GraphBoxId::Leq10 ? m_leq10 : m_leq1; }

    AppContext& m_ctx;
    GraphWindowView m_view;

    QLabel* m_header = nullptr;        // Label_Entete
    QLabel* m_date = nullptr;          // Label_Date
    GraphPicture* m_leq10 = nullptr;   // Graphique_Leq10
    GraphPicture* m_leq1 = nullptr;    // Graphique_Leq1
    QLabel* m_leq10Caption = nullptr;  // Label_Leq10
    QLabel* m_leq1Caption = nullptr;   // Label_Leq1
    QLabel* m_list10Caption = nullptr; // Label3
    QLabel* m_list1Caption = nullptr;  // Label_List_Leq1
    QLabel* m_eventsCaption = nullptr; // Label4
    QListWidget* m_list10 = nullptr;   // List_Leq10
    QListWidget* m_list1 = nullptr;    // List_Leq1
    QListWidget* m_events = nullptr;   // List_Depassement
    QLabel* m_mini10 = nullptr;        // Label_Mini_Leq10
    QLabel* m_maxi10 = nullptr;        // Label_Maxi_Leq10
    QLabel* m_mini1 = nullptr;         // Label_Mini_Leq1
    QLabel* m_maxi1 = nullptr;         // Label_Maxi_Leq1
    QLabel* m_dayLevel = nullptr;      // Label_Niveau_Leq_Jour
    QLabel* m_nightLevel = nullptr;    // Label_Niveau_Leq_Nuit
    QLabel* m_dayWindow = nullptr;     // Label_Niveau_Leq_Jour_Fenetre
    QLabel* m_nightWindow = nullptr;   // Label_Niveau_Leq_Nuit_Fenetre
    QLabel* m_dayNightHour = nullptr;  // Label_Heure_Jour_Nuit
    QLabel* m_nightDayHour = nullptr;  // Label_Heure_Nuit_Jour
    QLabel* m_analyse = nullptr;       // Label_Analyse
    QPushButton* m_newGraph = nullptr; // Cmd_New_Graph
    QPushButton* m_zoom10 = nullptr;   // Cmd_Zoom_Leq10
    QPushButton* m_zoom1 = nullptr;    // Cmd_Zoom_Leq1
    QPushButton* m_print10 = nullptr;  // Cmd_Print_Leq10
    QPushButton* m_print1 = nullptr;   // Cmd_Print_Leq1

    ZoomSelection m_selection; // the mouse selection, shared by both graphs
    GraphHoverIndex m_hover10;
    GraphHoverIndex m_hover1;

private:
    void createControls();
    void showView();
};

QWidget* createFrmGraphiqueLeq(AppContext& context);
