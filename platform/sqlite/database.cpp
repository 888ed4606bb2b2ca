#include "platform/sqlite/database.h"

#include <dlfcn.h>
#include <unistd.h>

#include <climits>
#include <mutex>

#include "platform/sqlite/sqlitedataset.h"

namespace zorvik {

namespace {

using PostgresEntry = TDataSet* (*)(const char* Uri, const char* Sql);

std::string ownFolder() {
    char path[PATH_MAX];
    const ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
    if (n <= 0) return ".";
    path[n] = '\0';
    const std::string s(path);
    return s.substr(0, s.rfind('/'));
}

// Loaded once per process and never unloaded: its datasets may outlive any caller.
PostgresEntry postgresEntry(std::string& Error) {
    static std::once_flag once;
    static PostgresEntry entry = nullptr;
    static std::string failure;
    std::call_once(once, [] {
        const std::string module = ownFolder() + "/" ZORVIK_MODULE_RELPATH "/zorvik-postgres.so";
        void* handle = dlopen(module.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (handle != nullptr) entry = reinterpret_cast<PostgresEntry>(dlsym(handle, "zorvik_postgres_dataset"));
        if (entry == nullptr) {
            const char* why = dlerror();
            failure = "cannot load the PostgreSQL module '" + module + "': " + (why ? why : "no dataset in it");
        }
    });
    if (entry == nullptr) Error = failure;
    return entry;
}

}  // namespace

bool isServerDatabase(std::string_view Name) {
    return Name.starts_with("postgresql://") || Name.starts_with("postgres://");
}

std::unique_ptr<TDataSet> newDatabaseDataSet(const std::string& Name, const std::string& Sql, std::string& Error) {
    if (isServerDatabase(Name)) {
        PostgresEntry entry = postgresEntry(Error);
        if (entry == nullptr) return nullptr;
        return std::unique_ptr<TDataSet>(entry(Name.c_str(), Sql.c_str()));
    }
    auto sqlite = std::make_unique<TSqliteDataSet>(nullptr);
    sqlite->SetDatabaseName(Name);
    sqlite->SetSQL(Sql);
    return sqlite;
}

std::unique_ptr<TDataSet> openDatabase(const std::string& Name, const std::string& Sql, std::string& Error) {
    std::unique_ptr<TDataSet> dataset = newDatabaseDataSet(Name, Sql, Error);
    if (dataset != nullptr && !dataset->Open()) {
        Error = dataset->LastError();
        dataset.reset();
    }
    return dataset;
}

}  // namespace zorvik
