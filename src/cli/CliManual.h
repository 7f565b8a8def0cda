#pragma once

#include <QString>
#include <QTextStream>
#include <vector>

// The texts that vorl-cli --help and its manual page share, so that the two never drift apart.
struct HelpEntry {
    QString term; // an option, a variable, a file; empty: a paragraph
    QString text;
};
struct HelpSection {
    QString title; // "Exit status" in --help, "EXIT STATUS" in the manual page
    std::vector<HelpEntry> entries;
};
const std::vector<HelpSection>& cliHelpSections();

// text broken into lines of at most width columns, each line after the first indented by indent.
QString wrapHelpText(const QString& text, int indent, int width = 80);

// The whole --help text, and the manual page in roff (without its .TH line, which carries the
// build's date).
void printCliHelp(QTextStream& out);
void printCliManualPage(QTextStream& out);
