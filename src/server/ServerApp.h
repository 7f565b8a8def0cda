#pragma once

#include <QStringList>

// vorl-server's command line, without the program name. Runs the event loop for "serve"; the exit code:
// 0 done, 1 failure (the address is taken), 2 bad use.
int runServer(const QStringList& arguments);

// The text of --help.
QString serverHelpText();
