#pragma once

#include <QString>
#include <cstdio>

// What vorl-server's commands print: results on standard output, messages on standard error.
void serverPrint(std::FILE* stream, const QString& text);
// "vorl-server : MESSAGE" and the pointer to --help; exit code 2.
int serverUsageError(const QString& message);
// "vorl-server : MESSAGE"; exit code 1.
int serverFailure(const QString& message);
