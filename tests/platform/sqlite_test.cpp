// Datasets on real SQLite files made here with SQLite's own C interface.
#include <gtest/gtest.h>
#include <malloc.h>
#include <sqlite3.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <limits>
#include <string>
#include <thread>
#include <vector>

#include "platform/sqlite/sqlitedataset.h"
#include "tests/support/support.h"

namespace zorvik {
namespace {

using Texts = std::vector<std::string>;

using test::makeDatabase;

std::string codesDatabase(const std::string& test) {
    return makeDatabase(test::scratchDir("sqlite-" + test),
                        "CREATE TABLE codes(id INTEGER PRIMARY KEY, code TEXT, label TEXT);"
                        "INSERT INTO codes(code, label) VALUES ('4006381333931', 'pen'), ('9780201379624', 'book'),"
                        "('5901234123457', 'cup');");
}

std::unique_ptr<TSqliteDataSet> openQuery(const std::string& path, const std::string& sql) {
    auto ds = std::make_unique<TSqliteDataSet>(nullptr);
    ds->SetDatabaseName(path);
    ds->SetSQL(sql);
    EXPECT_TRUE(ds->Open()) << ds->LastError();
    return ds;
}

// Every column of the current record, as display texts.
Texts record(const TDataSet& ds) {
    Texts texts;
    for (int i = 0; i < ds.FieldCount(); ++i) texts.push_back(ds.Fields(i)->DisplayText());
    return texts;
}

TEST(SqliteDataSet, ValuesShowByTheirOwnStorageClass) {
    const std::string path = test::scratchDir("sqlite-classes") + "/values.db";
    {
        // Bound one by one so every value keeps its exact class and bits.
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
        sqlite3_exec(db, "CREATE TABLE t(v)", nullptr, nullptr, nullptr);
        sqlite3_stmt* insert = nullptr;
        sqlite3_prepare_v2(db, "INSERT INTO t VALUES (?)", -1, &insert, nullptr);
        const std::vector<std::function<void()>> binds = {
            [&] { sqlite3_bind_int64(insert, 1, 42); },
            [&] { sqlite3_bind_int64(insert, 1, -7); },
            [&] { sqlite3_bind_int64(insert, 1, std::numeric_limits<std::int64_t>::max()); },
            [&] { sqlite3_bind_int64(insert, 1, std::numeric_limits<std::int64_t>::min()); },
            [&] { sqlite3_bind_double(insert, 1, 0.1); },
            [&] { sqlite3_bind_double(insert, 1, 1e300); },
            [&] { sqlite3_bind_double(insert, 1, -0.0); },
            [&] { sqlite3_bind_double(insert, 1, 3.0); },
            [&] { sqlite3_bind_text(insert, 1, "0012345", -1, SQLITE_TRANSIENT); },
            [&] { sqlite3_bind_text(insert, 1, "\xc3\x85ngstr\xc3\xb6m \xe2\x82\xac", -1, SQLITE_TRANSIENT); },
            [&] { sqlite3_bind_text(insert, 1, "", -1, SQLITE_TRANSIENT); },
            [&] { sqlite3_bind_null(insert, 1); },
        };
        for (const auto& bind : binds) {
            bind();
            ASSERT_EQ(sqlite3_step(insert), SQLITE_DONE);
            sqlite3_reset(insert);
        }
        sqlite3_finalize(insert);
        sqlite3_close(db);
    }
    struct Expected {
        TStorageClass cls;
        std::string text;
    };
    const std::vector<Expected> expected = {
        {TStorageClass::Integer, "42"},
        {TStorageClass::Integer, "-7"},
        {TStorageClass::Integer, "9223372036854775807"},
        {TStorageClass::Integer, "-9223372036854775808"},
        {TStorageClass::Real, "0.1"},
        {TStorageClass::Real, "1e+300"},
        {TStorageClass::Real, "0"},
        {TStorageClass::Real, "3"},
        {TStorageClass::Text, "0012345"},
        {TStorageClass::Text, "\xc3\x85ngstr\xc3\xb6m \xe2\x82\xac"},
        {TStorageClass::Text, ""},
        {TStorageClass::Null, ""},
    };
    auto ds = openQuery(path, "SELECT v FROM t ORDER BY rowid");
    for (const auto& e : expected) {
        ASSERT_FALSE(ds->Eof());
        const TField* v = ds->Fields(0);
        EXPECT_EQ(v->StorageClass(), e.cls) << ds->RecNo();
        EXPECT_EQ(v->DisplayText(), e.text) << ds->RecNo();
        ASSERT_TRUE(ds->Next());
    }
    EXPECT_TRUE(ds->Eof());
}

TEST(SqliteDataSet, ColumnAffinityDecidesTheStorageClass) {
    // SQLite converts on insert by the declared type: INTEGER takes '007' as 7,
    // REAL takes 3 as 3.0, TEXT takes 42 as '42'; an expression keeps its own class.
    const std::string path = makeDatabase(test::scratchDir("sqlite-affinity"),
                                          "CREATE TABLE a(n INTEGER, r REAL, t TEXT);"
                                          "INSERT INTO a VALUES ('007', 3, 42);");
    auto ds = openQuery(path, "SELECT n, r, t, r / 2, n || '' FROM a");
    EXPECT_EQ(record(*ds), (Texts{"7", "3", "42", "1.5", "7"}));
    EXPECT_EQ(ds->Fields(4)->StorageClass(), TStorageClass::Text);
}

TEST(SqliteDataSet, BlobIsRefusedWhenRead) {
    const std::string path = makeDatabase(test::scratchDir("sqlite-blob"),
                                          "CREATE TABLE b(name TEXT, data BLOB);"
                                          "INSERT INTO b VALUES ('x', x'00FF4142');");
    auto ds = openQuery(path, "SELECT name, data FROM b");
    EXPECT_EQ(ds->Fields(1)->StorageClass(), TStorageClass::Blob);
    EXPECT_EQ(ds->Fields(0)->DisplayText(), "x");  // the other columns read normally
    EXPECT_EQ(ds->LastError(), "");
    EXPECT_EQ(ds->Fields(1)->DisplayText(), "");
    EXPECT_EQ(ds->LastError(), "Field \"data\" holds a blob of 4 bytes, which has no display text");
}

TEST(SqliteDataSet, FieldsAreTheColumnsOfTheQuery) {
    auto ds = openQuery(codesDatabase("fields"), "SELECT code AS Ean, label FROM codes");
    ASSERT_EQ(ds->FieldCount(), 2);
    EXPECT_EQ(ds->Fields(0)->FieldName(), "Ean");
    EXPECT_EQ(ds->FieldByName("EAN"), ds->Fields(0));
    EXPECT_EQ(ds->FieldByName("LABEL"), ds->Fields(1));
    EXPECT_EQ(ds->FieldByName("code"), nullptr);  // renamed by the query
    EXPECT_EQ(ds->FieldByName("price"), nullptr);
    EXPECT_EQ(ds->Fields(-1), nullptr);
    EXPECT_EQ(ds->Fields(2), nullptr);
}

// Bof after Open, First and a Prior that could not move; Eof after Last and a
// Next that could not move; the cursor stays on the record it was on.
TEST(SqliteDataSet, NavigationRecNoBofAndEof) {
    auto ds = openQuery(codesDatabase("navigation"), "SELECT label FROM codes ORDER BY id");
    struct Step {
        const char* what;
        std::function<bool()> act;
        std::int64_t recNo;
        bool bof, eof;
        const char* label;
    };
    const std::vector<Step> steps = {
        {"open", [] { return true; }, 1, true, false, "pen"},
        {"next", [&] { return ds->Next(); }, 2, false, false, "book"},
        {"next", [&] { return ds->Next(); }, 3, false, false, "cup"},
        {"next past the end", [&] { return ds->Next(); }, 3, false, true, "cup"},
        {"next again", [&] { return ds->Next(); }, 3, false, true, "cup"},
        {"prior from the end", [&] { return ds->Prior(); }, 2, false, false, "book"},
        {"prior", [&] { return ds->Prior(); }, 1, false, false, "pen"},
        {"prior before the start", [&] { return ds->Prior(); }, 1, true, false, "pen"},
        {"last", [&] { return ds->Last(); }, 3, false, true, "cup"},
        {"last again", [&] { return ds->Last(); }, 3, false, true, "cup"},
        {"first", [&] { return ds->First(); }, 1, true, false, "pen"},
        {"next after first", [&] { return ds->Next(); }, 2, false, false, "book"},
        {"last from the middle", [&] { return ds->Last(); }, 3, false, true, "cup"},
        {"prior after last", [&] { return ds->Prior(); }, 2, false, false, "book"},
    };
    for (const auto& s : steps) {
        EXPECT_TRUE(s.act()) << s.what << ": " << ds->LastError();
        EXPECT_EQ(ds->RecNo(), s.recNo) << s.what;
        EXPECT_EQ(ds->Bof(), s.bof) << s.what;
        EXPECT_EQ(ds->Eof(), s.eof) << s.what;
        EXPECT_EQ(ds->Fields(0)->DisplayText(), s.label) << s.what;
    }
    EXPECT_EQ(ds->RecordCount(), 3);
    EXPECT_EQ(ds->RecNo(), 2);  // counting leaves the cursor alone
    EXPECT_EQ(ds->Fields(0)->DisplayText(), "book");
    ds->Close();
    EXPECT_FALSE(ds->Active());
    EXPECT_EQ(ds->RecNo(), 0);
    EXPECT_EQ(ds->RecordCount(), -1);
}

TEST(SqliteDataSet, LoopVisitsEveryRecordOnceAndCountsBeforeScrolling) {
    auto ds = openQuery(codesDatabase("loop"), "SELECT code FROM codes ORDER BY id");
    EXPECT_EQ(ds->RecordCount(), 3);
    Texts codes;
    for (ds->First(); !ds->Eof(); ds->Next()) codes.push_back(ds->Fields(0)->DisplayText());
    EXPECT_EQ(codes, (Texts{"4006381333931", "9780201379624", "5901234123457"}));
    EXPECT_EQ(ds->LastError(), "");
    // Reopening runs the query again from its first record.
    ds->Close();
    ASSERT_TRUE(ds->Open());
    EXPECT_EQ(ds->RecNo(), 1);
    EXPECT_EQ(ds->Fields(0)->DisplayText(), "4006381333931");
}

TEST(SqliteDataSet, OneDatasetPerThread) {
    // Nothing is shared between datasets: each thread reads on its own.
    const std::string path = codesDatabase("threads");
    std::vector<Texts> results(4);
    std::vector<std::thread> threads;
    for (auto& result : results) {
        threads.emplace_back([&path, &result] {
            TSqliteDataSet ds(nullptr);
            ds.SetDatabaseName(path);
            ds.SetSQL("SELECT label FROM codes ORDER BY id");
            if (!ds.Open()) return;
            for (int pass = 0; pass < 50; ++pass) {
                for (ds.First(); !ds.Eof(); ds.Next()) {
                    if (pass == 0) result.push_back(ds.Fields(0)->DisplayText());
                }
            }
        });
    }
    for (auto& t : threads) t.join();
    for (const auto& result : results) EXPECT_EQ(result, (Texts{"pen", "book", "cup"}));
}

TEST(SqliteDataSet, EmptyResult) {
    auto ds = openQuery(codesDatabase("empty"), "SELECT code FROM codes WHERE id > 99");
    EXPECT_EQ(ds->FieldCount(), 1);
    EXPECT_TRUE(ds->Bof());
    EXPECT_TRUE(ds->Eof());
    EXPECT_EQ(ds->RecNo(), 0);
    EXPECT_EQ(ds->RecordCount(), 0);
    for (auto move : {&TDataSet::Next, &TDataSet::Prior, &TDataSet::First, &TDataSet::Last}) {
        EXPECT_TRUE(((*ds).*move)());
        EXPECT_EQ(ds->RecNo(), 0);
        EXPECT_TRUE(ds->Bof() && ds->Eof());
        EXPECT_TRUE(ds->Fields(0)->IsNull());
    }
}

TEST(SqliteDataSet, DataChangeEventsOfABoundLink) {
    const std::string path = codesDatabase("events");
    auto ds = std::make_unique<TSqliteDataSet>(nullptr);
    ds->SetDatabaseName(path);
    ds->SetSQL("SELECT code, label FROM codes ORDER BY id");
    auto labels = std::make_unique<TSqliteDataSet>(nullptr);
    labels->SetDatabaseName(path);
    labels->SetSQL("SELECT label AS code FROM codes ORDER BY id DESC");
    TDataSource source(nullptr), other(nullptr);
    source.SetDataSet(ds.get());
    other.SetDataSet(labels.get());
    ASSERT_TRUE(labels->Open());

    TFieldDataLink link;
    TComponent control(nullptr);
    link.SetControl(&control);
    Texts seen;  // what the bound field showed at each OnDataChange, "-" for none
    link.OnDataChange = [&](TObject*) { seen.push_back(link.Field() ? link.Field()->DisplayText() : "-"); };

    struct Step {
        const char* what;
        std::function<void()> act;
        Texts expected;
    };
    const std::vector<Step> steps = {
        // While the link is inactive nothing it shows can change.
        {"field name", [&] { link.SetFieldName("code"); }, {}},
        {"data source", [&] { link.SetDataSource(&source); }, {}},
        {"same data source", [&] { link.SetDataSource(&source); }, {}},
        {"open", [&] { ds->Open(); }, {"4006381333931"}},
        {"next", [&] { ds->Next(); }, {"9780201379624"}},
        {"last", [&] { ds->Last(); }, {"5901234123457"}},
        {"next at the end", [&] { ds->Next(); }, {}},
        {"prior", [&] { ds->Prior(); }, {"9780201379624"}},
        {"first", [&] { ds->First(); }, {"4006381333931"}},
        {"prior at the start", [&] { ds->Prior(); }, {}},
        {"bound field edited", [&] { ds->FieldByName("CODE")->SetAsString("0012345678905"); }, {"0012345678905"}},
        {"another field edited", [&] { ds->FieldByName("label")->SetAsString("ink"); }, {}},
        {"field name", [&] { link.SetFieldName("label"); }, {"ink"}},
        {"same field name", [&] { link.SetFieldName("label"); }, {}},
        {"unknown field name", [&] { link.SetFieldName("price"); }, {"-"}},
        {"field name back", [&] { link.SetFieldName("code"); }, {"0012345678905"}},
        {"another data source", [&] { link.SetDataSource(&other); }, {"cup"}},
        {"its dataset closes", [&] { labels->Close(); }, {"-"}},
        {"back", [&] { link.SetDataSource(&source); }, {"0012345678905"}},
        {"close", [&] { ds->Close(); }, {"-"}},
        {"the source takes another, open, dataset",
         [&] {
             labels->Open();
             source.SetDataSet(labels.get());
         },
         {"cup"}},
        {"the source takes a closed one", [&] { source.SetDataSet(ds.get()); }, {"-"}},
    };
    for (const auto& s : steps) {
        s.act();
        EXPECT_EQ(seen, s.expected) << s.what;
        seen.clear();
    }
    EXPECT_EQ(link.Control(), &control);

    // Destroying the open dataset, then its data source, clears every reference.
    ASSERT_TRUE(ds->Open());
    seen.clear();
    ds.reset();
    EXPECT_EQ(source.DataSet(), nullptr);
    EXPECT_EQ(link.DataSource(), &source);
    EXPECT_FALSE(link.Active());
    EXPECT_EQ(link.Field(), nullptr);
    EXPECT_EQ(seen, Texts{"-"});  // told once, by the close
    seen.clear();
    {
        TDataSource temporary(nullptr);
        link.SetDataSource(&temporary);
    }
    EXPECT_EQ(link.DataSource(), nullptr);
}

TEST(SqliteDataSet, OpenFailuresSayWhat) {
    const std::string dir = test::scratchDir("sqlite-failures");
    const std::string path = makeDatabase(dir, "CREATE TABLE t(v); INSERT INTO t VALUES (1), (2);");
    const std::string notDatabase = dir + "/notes.txt";
    std::ofstream(notDatabase) << "not a database, just some text that is long enough to have a header\n";
    const std::string missing = dir + "/missing.db";
    struct Case {
        const char* what;
        std::string file, sql, error;
    };
    const std::vector<Case> cases = {
        {"missing file", missing, "SELECT 1", "Database file not found: " + missing},
        {"no file given", "", "SELECT 1", "No database file is given"},
        {"not a database", notDatabase, "SELECT * FROM t", "Query refused: file is not a database"},
        {"syntax", path, "SELEC v FROM t", "Query refused: near \"SELEC\": syntax error"},
        {"no such table", path, "SELECT v FROM nowhere", "Query refused: no such table: nowhere"},
        {"no such column", path, "SELECT w FROM t", "Query refused: no such column: w"},
        {"empty query", path, "  -- nothing\n", "The query is empty"},
        {"two statements", path, "SELECT v FROM t; SELECT v FROM t", "The query holds more than one statement"},
        {"not a query", path, "DELETE FROM t", "The statement returns no columns, so it is not a query"},
        {"a write that returns rows", path, "UPDATE t SET v = v + 1 RETURNING v",
         "Query failed: attempt to write a readonly database"},
        {"a failure while stepping", path, "SELECT abs(-9223372036854775807 - 1) FROM t",
         "Query failed: integer overflow"},
        {"NUL in the query", path, std::string("SELECT v FROM t\0; DELETE FROM t", 31),
         "The query holds a NUL character"},
    };
    for (const auto& c : cases) {
        TSqliteDataSet ds(nullptr);
        ds.SetDatabaseName(c.file);
        ds.SetSQL(c.sql);
        EXPECT_FALSE(ds.Open()) << c.what;
        EXPECT_EQ(ds.LastError(), c.error) << c.what;
        EXPECT_FALSE(ds.Active()) << c.what;
        EXPECT_EQ(ds.FieldCount(), 0) << c.what;
    }
    // Nothing was created, and nothing was written.
    EXPECT_FALSE(std::filesystem::exists(missing));
    auto ds = openQuery(path, "SELECT v FROM t; -- a trailing comment is fine\n");
    EXPECT_EQ(ds->RecordCount(), 2);
    EXPECT_EQ(ds->Fields(0)->DisplayText(), "1");
}

TEST(SqliteDataSet, FailureWhileScrollingEndsTheLoopWithSqlitesMessage) {
    const std::string path =
        makeDatabase(test::scratchDir("sqlite-midway"), "CREATE TABLE t(v); INSERT INTO t VALUES (1), (2), (3);");
    // The second row overflows: abs() of the smallest 64-bit integer. Rows in
    // rowid order come straight from the table, not from a sorter that would
    // compute them all at Open.
    auto ds =
        openQuery(path, "SELECT CASE v WHEN 2 THEN abs(-9223372036854775807 - 1) ELSE v END FROM t ORDER BY rowid");
    Texts seen;
    bool ok = true;
    for (; !ds->Eof(); ok = ds->Next() && ok) seen.push_back(ds->Fields(0)->DisplayText());
    EXPECT_EQ(seen, Texts{"1"});
    EXPECT_FALSE(ok);
    EXPECT_EQ(ds->LastError(), "Query failed: integer overflow");
    // The cursor can start again.
    EXPECT_TRUE(ds->First());
    EXPECT_EQ(ds->Fields(0)->DisplayText(), "1");
}

// glibc's count of heap bytes in use now (not a high-water mark), which also
// covers SQLite's own allocations.
std::size_t heapInUse() {
    const struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
}

TEST(SqliteDataSet, ForwardPassRunsInFlatMemory) {
    // 100,000 records of about 100 bytes each: some 10 MB of data.
    constexpr int kRows = 100000;
    const std::string path =
        makeDatabase(test::scratchDir("sqlite-memory"),
                     "CREATE TABLE big(id INTEGER PRIMARY KEY, payload TEXT);"
                     "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 100000)"
                     "INSERT INTO big SELECT i, printf('%013d', i) || hex(randomblob(44)) FROM n;");
    auto ds = openQuery(path, "SELECT id, payload FROM big ORDER BY id");
    std::size_t atQuarter = 0;
    std::int64_t sum = 0;
    std::size_t payloadBytes = 0;
    for (; !ds->Eof(); ds->Next()) {
        sum += std::stoll(ds->Fields(0)->DisplayText());
        payloadBytes += ds->Fields(1)->DisplayText().size();
        // By now SQLite's page cache has reached its bound.
        if (ds->RecNo() == kRows / 4) atQuarter = heapInUse();
    }
    const std::size_t atEnd = heapInUse();
    EXPECT_EQ(ds->LastError(), "");
    EXPECT_EQ(ds->RecNo(), kRows);
    EXPECT_EQ(sum, std::int64_t{kRows} * (kRows + 1) / 2);
    EXPECT_EQ(payloadBytes, std::size_t{kRows} * (13 + 88));
    // The last three quarters held over 7 MB of payload; holding them would show.
    EXPECT_LT(atEnd, atQuarter + 512 * 1024) << "heap grew from " << atQuarter << " to " << atEnd;
}

}  // namespace
}  // namespace zorvik
