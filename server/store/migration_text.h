#pragma once
// How a migration file is read: its statements for one kind of database.

#include "database.h"

#include <QStringList>

// A statement ends with a line whose last character is ';' (the ';' is not
// part of it). Lines starting with "--" are comments, except the dialect
// markers "-- sqlite: " and "-- postgresql: ", whose rest is SQL for that
// database only. Throws StoreError when the text ends inside a statement.
QStringList migrationStatements(const QString& fileText, DatabaseConfig::Kind kind);
