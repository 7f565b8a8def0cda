#pragma once

#include "core/graphs/Canvas.h"

#include <QString>
#include <optional>
#include <vector>

// The two graphs of the graph window. Each has its own box, caption label, zoom and print buttons and
// rubber-band lines; the rules below are written once and take the graph as a parameter.
enum class GraphId { Leq1, Leq10 };

inline GraphId otherGraph(GraphId graph) {
    return graph == GraphId::Leq1 ? GraphId::Leq10 : GraphId::Leq1;
}

// The control names of one graph, as the window names its controls.
struct GraphControlNames {
    QString box;         // Graphique_Leq1
    QString caption;     // Label_Leq1
    QString zoomButton;  // Cmd_Zoom_Leq1
    QString printButton; // Cmd_Print_Leq1
    QString list;        // List_Leq1
    QString lineSuffix;  // "1": Line_Haut1, Line_Heure1, ...
};
GraphControlNames graphControlNames(GraphId graph);

// A change the window applies to one of its controls: any field left empty stays as it is.
// Positions and sizes are in twips.
struct ControlChange {
    QString name;
    std::optional<bool> visible;
    std::optional<int> left, top, width, height;
    bool operator==(const ControlChange&) const = default;
};

// A change that only shows or hides a control, and one that only moves its top.
inline ControlChange visibilityChange(const QString& name, bool visible) {
    ControlChange change;
    change.name = name;
    change.visible = visible;
    return change;
}
inline ControlChange topChange(const QString& name, int top) {
    ControlChange change;
    change.name = name;
    change.top = top;
    return change;
}

// The last change of that control in the list, or nullopt: the tests and the window read it the same way.
std::optional<ControlChange> findControl(const std::vector<ControlChange>& changes, const QString& name);

// Box geometry in twips.
struct BoxGeometry {
    int left = 0, top = 0, width = 0, height = 0;
    bool operator==(const BoxGeometry&) const = default;
};
BoxGeometry normalBoxGeometry(GraphId graph);
inline constexpr BoxGeometry kEnlargedBoxGeometry{30, 840, kEnlargedBoxWidth, kEnlargedBoxHeight};

// The left of a child control given in the box's scale units, in twips from the box's own left edge:
// the zoom and print buttons are placed inside the box by the box's scale.
int scaleXToBoxTwips(const Canvas& box, double x);

// The window's background, and the white of a printed page.
inline constexpr RgbColor kWindowBackground{197, 207, 237};

namespace GraphWindowTexts {
inline const QString kEnlargeLeq1 = QStringLiteral("Agrandir le graphique Leq 1.");
inline const QString kEnlargeLeq10AtLoad = QStringLiteral("Agrandir le graphique Leq 10.");
// The restored Leq10 button has always read "Leq10" without the blank; users know both.
inline const QString kEnlargeLeq10 = QStringLiteral("Agrandir le graphique Leq10.");
inline const QString kRestoreLeq1 = QStringLiteral("Retour à la taille normale du graphique Leq 1.");
// Enlarging from the normal size says "Leq10", leaving a mouse-selected range says "Leq 10".
inline const QString kRestoreLeq10FromNormal =
    QStringLiteral("Retour à la taille normale du graphique Leq10.");
inline const QString kRestoreLeq10FromZoom =
    QStringLiteral("Retour à la taille normale du graphique Leq 10.");
inline const QString kLeaveZoom = QStringLiteral("Retour au Zoom Normal.");

inline const QString kZoomPictureLeq1 = QStringLiteral("/Images/Zoom Leq 1.bmp");
inline const QString kZoomPictureLeq10 = QStringLiteral("/Images/Zoom Leq 10.bmp");
inline const QString kNoZoomPictureLeq1 = QStringLiteral("/Images/No Zoom Leq 1.bmp");
inline const QString kNoZoomPictureLeq10 = QStringLiteral("/Images/No Zoom Leq 10.bmp");

inline const QString kCaptionLeq1 = QStringLiteral("Graphique des niveaux Leq sur 1 minute.");
inline const QString kCaptionLeq10 = QStringLiteral("Graphique des niveaux Leq sur 10 minutes.");
} // namespace GraphWindowTexts
