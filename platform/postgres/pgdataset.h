// A dataset over one query on a PostgreSQL server, through libpq.
#pragma once

#include <cstdint>
#include <string>

#include "platform/db.h"

struct pg_conn;
struct pg_result;

namespace zorvik {

// Connects with a libpq connection URI (postgresql://user@host:port/db?...,
// where host may be a socket folder: postgresql:///db?host=/run/postgresql),
// in a read-only session, and runs one query. Rows arrive one at a time
// (libpq's single-row mode), so memory stays flat however many records are
// read. Values are shown as the SQLite dataset shows them: integers and
// booleans as integers, floating-point and fractional numerics as reals, NULL
// as NULL, byte strings as blobs (which have no display text), everything else
// as the server spells it. Prior and First run the query again from its start;
// RecordCount counts the query's rows on a second connection (once; kept until
// Close).
class TPgDataSet : public TDataSet {
public:
    explicit TPgDataSet(TComponent* AOwner);
    ~TPgDataSet() override;

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
    // A connection in a read-only session; nullptr with the error set.
    pg_conn* connect();
    // Sends the query; false with the error set.
    bool start();
    // The next row into m_row: Row false at the end of the query.
    bool fetch(bool& Row);
    // Stops a running query and drains what the server still sends.
    void abandon();
    void loadRow();
    void release();

    std::string m_databaseName;
    std::string m_sql;
    pg_conn* m_conn = nullptr;
    pg_result* m_row = nullptr;   // the current row
    std::int64_t m_position = 0;  // rows fetched since the query started
    bool m_done = false;          // the query has returned its last row
    std::int64_t m_count = -1;    // -1 until known
};

// The database name as it may be shown: the URI with any password hidden.
std::string redactedUri(const std::string& Uri);

}  // namespace zorvik
