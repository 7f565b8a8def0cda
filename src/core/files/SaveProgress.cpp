#include "core/files/SaveProgress.h"

int SaveProgressMaximum(int generation) {
    return generation == 3 ? 8512 : 16700;
}

SaveProgress::SaveProgress(int generation) {
    m_view.maximum = SaveProgressMaximum(generation);
    m_view.Label_Save_en_Cours = QStringLiteral("Sauvegarde en cours ...");
    m_view.Label_Patientez = QStringLiteral("Veuillez patientez SVP...");
    // The opening text has always read "effecuée"; the later ones are spelt right.
    m_view.Label_Progression = QStringLiteral("Sauvegarde effecuée à 00%.");
}

void SaveProgress::advance() {
    ++m_view.value;
    const int percent = static_cast<int>(static_cast<qint64>(m_view.value) * 100 / m_view.maximum);
    m_view.Label_Progression = QStringLiteral("Sauvegarde effectuée à %1%.").arg(percent);
    if (m_view.value == m_view.maximum) {
        m_view.Label_Save_en_Cours.clear();
        m_view.Label_Patientez = QStringLiteral("Sauvegarde terminée avec succès !!!");
        m_view.Label_Progression = QStringLiteral("Sauvegarde effectuée à 100%.");
        m_view.Picture_Good = true;
        m_view.complete = true;
    }
}

bool SaveProgress::step() {
    if (m_view.complete || m_view.value >= m_view.maximum - 1) return false;
    const QString before = m_view.Label_Progression;
    advance();
    return m_view.Label_Progression != before;
}

void SaveProgress::complete() {
    if (m_view.complete) return;
    m_view.value = m_view.maximum - 1;
    advance();
}
