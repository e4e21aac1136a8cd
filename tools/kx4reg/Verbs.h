#pragma once

#include "kx4reg/CommandIo.h"

#include <QStringList>

// The verbs of kx4reg, each given its arguments after the verb; they return the exit status.
namespace Kx4RegCommands {

int Query(Io& io, const QStringList& args);
int Add(Io& io, const QStringList& args);
int Delete(Io& io, const QStringList& args);
int Import(Io& io, const QStringList& args);
int Export(Io& io, const QStringList& args);
// Runs SQLite's integrity check over the hive files (both, or the one holding ROOT) and lists
// what is damaged.
int Check(Io& io, const QStringList& args);

} // namespace Kx4RegCommands
