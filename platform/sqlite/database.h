// Datasets by database name, as users give it to programs (--db): an SQLite
// file, or a PostgreSQL server by its libpq URI.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "platform/db.h"

namespace zorvik {

// True when Name is a PostgreSQL URI (postgresql://... or postgres://...);
// any other name is an SQLite file.
bool isServerDatabase(std::string_view Name);

// A dataset that runs Sql on the database Name, not yet open: Open it and
// read LastError as with any dataset. A PostgreSQL URI takes libpq's syntax,
// with host= a socket folder allowed (postgresql:///catalogue?host=/run/postgresql).
// The PostgreSQL dataset lives in a module loaded on first use beside the
// program (lib/zorvik/zorvik-postgres.so); nullptr, with the reason in Error,
// when it cannot be loaded.
std::unique_ptr<TDataSet> newDatabaseDataSet(const std::string& Name, const std::string& Sql, std::string& Error);

// The same dataset, opened; nullptr with the reason in Error when it cannot be.
std::unique_ptr<TDataSet> openDatabase(const std::string& Name, const std::string& Sql, std::string& Error);

}  // namespace zorvik
