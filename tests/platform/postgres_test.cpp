#include <gtest/gtest.h>

#include <array>
#include <string>

#include "platform/sqlite/database.h"
#include "tests/support/pgserver.h"
#include "tests/support/support.h"

namespace zorvik {
namespace {

// The same value written for each server; SQLite's dataset is the reference
// for how each kind of value shows.
struct Value {
    const char* postgres;
    const char* sqlite;
};
constexpr std::array kValues = {
    Value{"42::int4", "42"},
    Value{"(-32768)::int2", "-32768"},
    Value{"(-9007199254740993)::int8", "-9007199254740993"},
    Value{"0.1::float8", "0.1"},
    Value{"0.1::float4", "0.1"},  // as the server spells a float4: its shortest exact form
    Value{"1e300::float8", "1e300"},
    Value{"'-0'::float8", "-0.0"},
    Value{"'Infinity'::float8", "9e999"},
    Value{"'-Infinity'::float8", "-9e999"},
    Value{"12.50::numeric", "12.50"},
    Value{"4006381333931::numeric", "4006381333931"},
    Value{"123456789012345678901234::numeric", "123456789012345678901234"},
    Value{"true", "1"},
    Value{"false", "0"},
    Value{"'Caf\xC3\xA9 5'::text", "'Caf\xC3\xA9 5'"},
    Value{"'  padded'::varchar", "'  padded'"},
    Value{"NULL::text", "NULL"},
    Value{"'\\x0102ff'::bytea", "x'0102ff'"},
};
static_assert(kValues.size() == 18);

std::string selectOf(bool postgres) {
    std::string sql = "SELECT ";
    for (size_t i = 0; i < kValues.size(); ++i)
        sql += (i ? ", " : "") + std::string(postgres ? kValues[i].postgres : kValues[i].sqlite) + " AS c" +
               std::to_string(i);
    return sql;
}

TEST(Postgres, ValuesShowAsTheSqliteDatasetShowsThem) {
    test::PgServer server;
    ASSERT_TRUE(server.ok()) << server.error();
    const std::string dir = test::scratchDir("pg-values");
    const std::string db = test::makeDatabase(dir, "CREATE TABLE t (x);");
    std::string error;
    auto pg = openDatabase(server.uri(), selectOf(true), error);
    ASSERT_NE(pg, nullptr) << error;
    auto lite = openDatabase(db, selectOf(false), error);
    ASSERT_NE(lite, nullptr) << error;
    ASSERT_EQ(pg->FieldCount(), static_cast<int>(kValues.size()));
    for (int i = 0; i < pg->FieldCount(); ++i) {
        EXPECT_EQ(pg->Fields(i)->FieldName(), std::string("c").append(std::to_string(i)));
        EXPECT_EQ(pg->Fields(i)->StorageClass(), lite->Fields(i)->StorageClass()) << kValues[size_t(i)].postgres;
        EXPECT_EQ(pg->Fields(i)->DisplayText(), lite->Fields(i)->DisplayText()) << kValues[size_t(i)].postgres;
        EXPECT_EQ(pg->LastError(), lite->LastError()) << kValues[size_t(i)].postgres;
    }
}

TEST(Postgres, TheCursorStreamsAndMovesAsOnSqlite) {
    test::PgServer server;
    ASSERT_TRUE(server.ok()) << server.error();
    std::string error;
    auto ds = openDatabase(server.uri(), "SELECT n, 'item ' || n FROM generate_series(1, 3000) AS n ORDER BY n", error);
    ASSERT_NE(ds, nullptr) << error;
    EXPECT_EQ(ds->FieldByName("N")->DisplayText(), "1");
    std::int64_t visited = 0, sum = 0;
    for (; !ds->Eof(); ds->Next()) {
        ++visited;
        sum += std::stoll(ds->Fields(0)->DisplayText());
    }
    EXPECT_EQ(visited, 3000);
    EXPECT_EQ(sum, 3000 * 3001 / 2);
    EXPECT_EQ(ds->RecordCount(), 3000);
    // Prior and First run the query again; Last reads to its end.
    EXPECT_TRUE(ds->Prior());
    EXPECT_EQ(ds->RecNo(), 2999);
    EXPECT_EQ(ds->Fields(1)->DisplayText(), "item 2999");
    EXPECT_TRUE(ds->First());
    EXPECT_EQ(ds->Fields(0)->DisplayText(), "1");
    EXPECT_TRUE(ds->Last());
    EXPECT_EQ(ds->RecNo(), 3000);
    EXPECT_EQ(ds->Fields(1)->DisplayText(), "item 3000");
    EXPECT_TRUE(ds->LastError().empty()) << ds->LastError();
}

}  // namespace
}  // namespace zorvik
