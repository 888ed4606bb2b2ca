#include "platform/sqlite/sqlitedataset.h"

#include <sqlite3.h>

#include <filesystem>
#include <string_view>

namespace zorvik {

namespace {

// A reader waits this long for a writer's lock before giving up with
// "database is locked".
constexpr int kBusyTimeoutMs = 5000;

}  // namespace

TSqliteDataSet::TSqliteDataSet(TComponent* AOwner) : TDataSet(AOwner) {}

TSqliteDataSet::~TSqliteDataSet() {
    Close();
    release();
}

bool TSqliteDataSet::DoOpen(bool& HasRecord) {
    HasRecord = false;
    if (m_databaseName.empty()) {
        SetError("No database file is given");
        return false;
    }
    // SQLite's own word for a missing file is only "unable to open database file".
    std::error_code error;
    if (!std::filesystem::exists(m_databaseName, error)) {
        SetError("Database file not found: " + m_databaseName);
        return false;
    }
    // Read-only and without SQLITE_OPEN_CREATE: a reader never makes a database.
    const int rc = sqlite3_open_v2(m_databaseName.c_str(), &m_db, SQLITE_OPEN_READONLY, nullptr);
    if (rc != SQLITE_OK) {
        SetError("Cannot open database " + m_databaseName + ": " +
                 (m_db != nullptr ? sqlite3_errmsg(m_db) : sqlite3_errstr(rc)));
        release();
        return false;
    }
    sqlite3_busy_timeout(m_db, kBusyTimeoutMs);
    if (!prepare(m_statement)) {
        release();
        return false;
    }
    const int columns = sqlite3_column_count(m_statement);
    if (columns == 0) {
        SetError("The statement returns no columns, so it is not a query");
        release();
        return false;
    }
    for (int i = 0; i < columns; ++i) {
        const char* name = sqlite3_column_name(m_statement, i);
        AddField(name != nullptr ? name : "");
    }
    bool row = false;
    if (!step(row)) {
        release();
        return false;
    }
    if (row) loadRow();
    HasRecord = row;
    return true;
}

void TSqliteDataSet::DoClose() {
    release();
}

bool TSqliteDataSet::DoNext(bool& Found) {
    Found = false;
    // A finished statement would start again if stepped.
    if (m_done) return true;
    if (!step(Found)) return false;
    if (Found) loadRow();
    return true;
}

bool TSqliteDataSet::DoSeek(std::int64_t RecNo, bool& Found) {
    Found = false;
    if (RecNo < 1) return true;
    if (m_done || RecNo <= m_position) {
        sqlite3_reset(m_statement);
        m_position = 0;
        m_done = false;
    }
    // Rows on the way are stepped over, not loaded.
    while (m_position < RecNo) {
        bool row = false;
        if (!step(row)) return false;
        if (!row) return true;
    }
    loadRow();
    Found = true;
    return true;
}

bool TSqliteDataSet::DoLast(std::int64_t& RecNo) {
    RecNo = 0;
    if (m_done && m_loaded != m_position) {
        sqlite3_reset(m_statement);
        m_position = 0;
        m_done = false;
    }
    // Each row is copied over the one before, so only the last stays.
    while (!m_done) {
        bool row = false;
        if (!step(row)) return false;
        if (row) loadRow();
    }
    RecNo = m_position;
    return true;
}

bool TSqliteDataSet::DoRecordCount(std::int64_t& Count) {
    if (m_count < 0) {
        // A second run of the query on its own statement leaves the cursor alone.
        sqlite3_stmt* counter = nullptr;
        if (!prepare(counter)) return false;
        std::int64_t rows = 0;
        int rc = SQLITE_ROW;
        while ((rc = sqlite3_step(counter)) == SQLITE_ROW) ++rows;
        if (rc != SQLITE_DONE) {
            SetError(std::string("Query failed: ") + sqlite3_errmsg(m_db));
            sqlite3_finalize(counter);
            return false;
        }
        sqlite3_finalize(counter);
        m_count = rows;
    }
    Count = m_count;
    return true;
}

bool TSqliteDataSet::prepare(sqlite3_stmt*& Statement) {
    Statement = nullptr;
    // SQLite would stop reading at a NUL and run only what came before it.
    if (m_sql.find('\0') != std::string::npos) {
        SetError("The query holds a NUL character");
        return false;
    }
    const char* tail = nullptr;
    if (sqlite3_prepare_v2(m_db, m_sql.c_str(), -1, &Statement, &tail) != SQLITE_OK) {
        SetError(std::string("Query refused: ") + sqlite3_errmsg(m_db));
        sqlite3_finalize(Statement);
        Statement = nullptr;
        return false;
    }
    if (Statement == nullptr) {
        SetError("The query is empty");
        return false;
    }
    // Whatever follows the first statement must be blank or comments; SQLite
    // answers that by preparing nothing from it.
    sqlite3_stmt* more = nullptr;
    const int rc = sqlite3_prepare_v2(m_db, tail, -1, &more, nullptr);
    if (rc != SQLITE_OK || more != nullptr) {
        sqlite3_finalize(more);
        sqlite3_finalize(Statement);
        Statement = nullptr;
        SetError("The query holds more than one statement");
        return false;
    }
    return true;
}

bool TSqliteDataSet::step(bool& Row) {
    Row = false;
    const int rc = sqlite3_step(m_statement);
    if (rc == SQLITE_ROW) {
        ++m_position;
        Row = true;
        return true;
    }
    if (rc == SQLITE_DONE) {
        m_done = true;
        m_count = m_position;
        return true;
    }
    SetError(std::string("Query failed: ") + sqlite3_errmsg(m_db));
    sqlite3_reset(m_statement);
    m_position = 0;
    m_done = false;
    return false;
}

void TSqliteDataSet::loadRow() {
    const int columns = FieldCount();
    for (int i = 0; i < columns; ++i) {
        switch (sqlite3_column_type(m_statement, i)) {
            case SQLITE_INTEGER:
                LoadInteger(i, sqlite3_column_int64(m_statement, i));
                break;
            case SQLITE_FLOAT:
                LoadReal(i, sqlite3_column_double(m_statement, i));
                break;
            case SQLITE_TEXT: {
                // The text first, then its length in bytes, as SQLite asks.
                const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(m_statement, i));
                const int bytes = sqlite3_column_bytes(m_statement, i);
                LoadText(
                    i, text != nullptr ? std::string_view(text, static_cast<std::size_t>(bytes)) : std::string_view());
                break;
            }
            case SQLITE_BLOB:
                LoadBlob(i, static_cast<std::size_t>(sqlite3_column_bytes(m_statement, i)));
                break;
            default:
                LoadNull(i);
                break;
        }
    }
    m_loaded = m_position;
}

void TSqliteDataSet::release() {
    sqlite3_finalize(m_statement);
    m_statement = nullptr;
    sqlite3_close(m_db);
    m_db = nullptr;
    m_position = 0;
    m_loaded = 0;
    m_done = false;
    m_count = -1;
}

}  // namespace zorvik
