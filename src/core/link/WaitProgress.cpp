#include "core/link/WaitProgress.h"

// Maxima per generation: about as many ticks as a transfer of that generation gives in each phase.
WaitProgress::WaitProgress(int generation)
    : m_transmissionMax(generation == 3 ? 50 : 55), m_classementMax(generation == 3 ? 103 : 164),
      m_transmissionLabel(QStringLiteral("Transmission en cours ...")),
      m_classementLabel(QStringLiteral("Attente de fin de transmission pour classement...")) {}

QString WaitProgress::caption() {
    return QStringLiteral("Transfert des données en cours ...");
}
QString WaitProgress::traitementLabel() {
    return QStringLiteral(" Traitement des données en cours ...");
}
QString WaitProgress::cancelCaption() {
    return QStringLiteral("Annuler");
}

QString WaitProgress::percentageLabel() const {
    const int p = percentage();
    const QString number = p < 10 ? QStringLiteral("0") + QString::number(p) : QString::number(p);
    return QStringLiteral("Traitement des données effectué à ") + number + QStringLiteral(" %.");
}

void WaitProgress::tick() {
    if (m_transmission < m_transmissionMax && m_classement == 0) ++m_transmission;
    if (m_transmission == m_transmissionMax && m_classement == 0) {
        m_transmissionLabel = QStringLiteral("Transmission effectuée avec succès !!!");
        m_transmissionOk = true;
        m_classementLabel = QStringLiteral("Classement des données en cours ...");
        ++m_classement;
    }
    // On the tick that ends the transmission the classification bar therefore rises by two.
    if (m_transmission == m_transmissionMax && m_classement > 0 && m_classement < m_classementMax)
        ++m_classement;
    if (m_classement == m_classementMax) {
        m_classementLabel = QStringLiteral("Classement effectué avec succès !!!");
        m_classementOk = true;
    }
}

void WaitProgress::setTransmissionNearlyDone() {
    m_transmission = m_transmissionMax - 1;
}
