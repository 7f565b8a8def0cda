#include "core/graphs/GraphControls.h"

#include <cmath>

GraphControlNames graphControlNames(GraphId graph) {
    const QString suffix = graph == GraphId::Leq1 ? QStringLiteral("1") : QStringLiteral("10");
    return {QStringLiteral("Graphique_Leq") + suffix, QStringLiteral("Label_Leq") + suffix,
            QStringLiteral("Cmd_Zoom_Leq") + suffix,  QStringLiteral("Cmd_Print_Leq") + suffix,
            QStringLiteral("List_Leq") + suffix,      suffix};
}

std::optional<ControlChange> findControl(const std::vector<ControlChange>& changes, const QString& name) {
    std::optional<ControlChange> found;
    for (const ControlChange& change : changes)
        if (change.name == name) found = change;
    return found;
}

BoxGeometry normalBoxGeometry(GraphId graph) {
    return graph == GraphId::Leq10 ? BoxGeometry{30, 840, kNormalBoxWidth, kNormalBoxHeight}
                                   : BoxGeometry{30, 5220, kNormalBoxWidth, kNormalBoxHeight};
}

int scaleXToBoxTwips(const Canvas& box, double x) {
    if (box.scaleWidth() == 0) return 0;
    return static_cast<int>(std::lround((x - box.scaleLeft()) / box.scaleWidth() * box.boxWidth()));
}
