#pragma once

#include <QString>

// What a print command says when the printer (or the PDF file) could not take the pages; a
// cancelled print dialog says nothing.
namespace PrintFailureTexts {
inline const QString kTitle = QStringLiteral("Impression");
inline const QString kText = QStringLiteral("L'impression a échoué.");
inline const QString kGraphText = QStringLiteral("L'impression du graphique a échoué.");
} // namespace PrintFailureTexts
