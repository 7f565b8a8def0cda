#pragma once

#include <QStringList>

// The administration commands of vorl-server, without the command word; each gives its exit code.
int migrateCommand(const QStringList& arguments);
int userCommand(const QStringList& arguments);
int tokenCommand(const QStringList& arguments);
