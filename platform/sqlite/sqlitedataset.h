// A dataset over one query on an SQLite database file.
#pragma once

#include <cstdint>
#include <string>

#include "platform/db.h"

struct sqlite3;
struct sqlite3_stmt;

namespace zorvik {

// Opens the database read-only (a missing file is an error, never a new empty
// database) and runs one query. Moving forward steps the statement row by row,
// holding only the current record, so memory stays flat however many records
// are read. Prior and First run the query again from its start and step to
// the record; RecordCount runs it a second time on its own statement and
// counts (once; the count is kept until Close). Each value is shown by its own
// storage class, as SQLite types values rather than columns.
class TSqliteDataSet : public TDataSet {
public:
    explicit TSqliteDataSet(TComponent* AOwner);
    ~TSqliteDataSet() override;

    const std::string& DatabaseName() const { return m_databaseName; }
    // Both take effect at the next Open.
    void SetDatabaseName(const std::string& Value) { m_databaseName = Value; }
    const std::string& SQL() const { return m_sql; }
    void SetSQL(const std::string& Value) { m_sql = Value; }

protected:
    bool DoOpen(bool& HasRecord) override;
    void DoClose() override;
    bool DoNext(bool& Found) override;
    bool DoSeek(std::int64_t RecNo, bool& Found) override;
    bool DoLast(std::int64_t& RecNo) override;
    bool DoRecordCount(std::int64_t& Count) override;

private:
    bool prepare(sqlite3_stmt*& Statement);
    // One step of the statement: Row true with a row, false at its end.
    bool step(bool& Row);
    void loadRow();
    void release();

    std::string m_databaseName;
    std::string m_sql;
    sqlite3* m_db = nullptr;
    sqlite3_stmt* m_statement = nullptr;
    std::int64_t m_position = 0;  // rows stepped since the start of the statement
    std::int64_t m_loaded = 0;    // the row the fields hold
    bool m_done = false;          // the statement has returned its last row
    std::int64_t m_count = -1;    // -1 until known
};

}  // namespace zorvik
