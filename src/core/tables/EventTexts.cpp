#include "core/tables/EventTexts.h"

#include <array>

namespace {
// Texts by bit number (1, 2, 4 ... 128) of the non-zero byte.
using BitTexts = std::array<const char*, 8>;

constexpr BitTexts kColumn7Gen3 = {"Ouverture Capot",     "Fermeture Capot",        "Coupure Alimentation",
                                   "Coupure 10 Secondes", "Coupure Générale",       "Défaut Liaison Capteur",
                                   "Impression",          "Modification Paramètres"};
constexpr BitTexts kColumn8Gen3 = {"Fin Défaut Liaison Capteur",
                                   "Défaut Niveau Capteur",
                                   "Initialisation Système",
                                   "Changement d'Heure Automatique",
                                   "XXX",
                                   "XXX",
                                   "XXX",
                                   "XXX"};
constexpr BitTexts kColumn7Gen5 = {"Ouverture Capot",
                                   "Fermeture Capot",
                                   "Coupure Alimentation",
                                   "Changement d'heure Automatique",
                                   "Coupure Générale",
                                   "Défaut Liaison Capteur",
                                   "Modification Configuration",
                                   "Modification Paramètres"};
constexpr BitTexts kColumn8Gen5 = {
    "Fin Défaut Liaison Capteur", "Défaut Niveau Capteur", "Initialisation Système", "Calibrage Effectué",
    "Fin Coupure Générale",       "Fenêtre Ouverte",       "Fenêtre Fermée",         "Coupure 10 Secondes"};

// The graph list renames some generation-5 events.
constexpr BitTexts kColumn8Gen5Graph = {
    "Fin Défaut Liaison Capteur", "Défaut Niveau Capteur", "Initialisation Système", "Calibrage TRX40",
    "Fin de Coupure Générale",    "Ouverture Fenêtre",     "Fermeture Fenêtre",      "Coupure 10 Secondes"};

int singleBit(int value) {
    for (int bit = 0; bit < 8; ++bit)
        if (value == (1 << bit)) return bit;
    return -1;
}

std::optional<QString> textOfBit(const BitTexts& texts, int value) {
    const int bit = singleBit(value);
    if (bit < 0) return std::nullopt;
    return QString::fromUtf8(texts[static_cast<size_t>(bit)]);
}
} // namespace

std::optional<QString> knownEventText(int generation, int column7, int column8, EventList list) {
    if ((column7 != 0) == (column8 != 0)) return std::nullopt;
    if (generation == 3)
        return column7 != 0 ? textOfBit(kColumn7Gen3, column7) : textOfBit(kColumn8Gen3, column8);

    if (column7 != 0) {
        if (list == EventList::Graph && column7 == 8) return QStringLiteral("Changement d'Heure Automatique");
        return textOfBit(kColumn7Gen5, column7);
    }
    // A generation-5 ten-second cut may carry the highest level of the cut in column 8, as 68 + level.
    // The table has one plain text for every such value; 128 itself, which the graph list never
    // named, gets that plain text in both lists.
    if (column8 > 128) {
        if (list == EventList::Table) return QStringLiteral("Coupure 10 Secondes");
        return QStringLiteral("Coupure 10 Secondes => Leq max enregistré pendant la coupure : ") +
               QString::number(column8 - 68) + QStringLiteral(" dB");
    }
    return textOfBit(list == EventList::Graph ? kColumn8Gen5Graph : kColumn8Gen5, column8);
}

QString eventText(int generation, int column7, int column8, EventList list) {
    if (auto text = knownEventText(generation, column7, column8, list)) return *text;
    return QStringLiteral("Evénement non répertorié (codes %1 / %2)").arg(column7).arg(column8);
}
