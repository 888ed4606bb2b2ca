#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <random>
#include <regex>
#include <set>
#include <sstream>

#include "tests/support/pgserver.h"
#include "tests/support/support.h"

namespace zorvik {
namespace {

namespace fs = std::filesystem;

// A catalogue both databases read: EAN-13 data digits, with a letter in every
// 97th, a short one in every 131st and no value at all in every 211th.
std::string productsScript(int count) {
    std::mt19937 rng(17);
    std::string sql = "CREATE TABLE products (id INTEGER PRIMARY KEY, ean TEXT);\nINSERT INTO products VALUES ";
    for (int id = 1; id <= count; ++id) {
        std::string ean;
        for (int k = 0; k < 12; ++k) ean += static_cast<char>('0' + rng() % 10);
        if (id % 97 == 0) ean[3] = 'A';
        if (id % 131 == 0) ean.resize(9);
        sql += (id > 1 ? ",\n(" : "(") + std::to_string(id) + ", " + (id % 211 == 0 ? "NULL" : "'" + ean + "'") + ")";
    }
    return sql + ";\n";
}

std::string quoted(const std::string& arg) {
    std::string out = "'";
    for (char c : arg) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

TEST(PostgresBatch, TheSameFilesAsFromTheSameRowsInSqlite) {
    test::PgServer server;
    ASSERT_TRUE(server.ok()) << server.error();
    const std::string dir = test::scratchDir("pg-batch-same");
    const std::string script = productsScript(2500);
    std::string out;
    ASSERT_TRUE(server.run(script, &out)) << out;
    const std::string lite = test::makeDatabase(dir, script);
    const std::string query = " --sql 'SELECT ean FROM products ORDER BY id'";
    for (const char* name : {"pg", "lite"}) fs::create_directories(dir + "/" + name);
    std::string pgErr, liteErr;
    EXPECT_EQ(
        test::zorvik("batch Code.Symbology=EAN_13 --db '" + server.uri() + "'" + query + " -o '" + dir + "/pg/{n}.png'",
                     dir, &pgErr),
        2);
    EXPECT_EQ(test::zorvik("batch Code.Symbology=EAN_13 --db " + lite + query + " -o '" + dir + "/lite/{n}.png'", dir,
                           &liteErr),
              2);
    // NULL shows as an empty caption, refused by its record's number.
    EXPECT_NE(pgErr.find("zorvik: record 211: "), std::string::npos) << pgErr;
    EXPECT_EQ(pgErr, liteErr);
    const auto pgFiles = test::filesWithBytes(dir + "/pg");
    EXPECT_EQ(pgFiles.size(), 2500u - 25 - 19 - 11);  // less the refused: ids 97k, 131k and 211k
    EXPECT_TRUE(pgFiles == test::filesWithBytes(dir + "/lite"));
    EXPECT_EQ(
        test::zorvik("batch Code.Symbology=EAN_13 --db '" + server.uri() + "'" + query + " -o " + dir + "/pg.pdf", dir),
        2);
    EXPECT_EQ(test::zorvik("batch Code.Symbology=EAN_13 --db " + lite + query + " -o " + dir + "/lite.pdf", dir), 2);
    EXPECT_TRUE(test::readFile(dir + "/pg.pdf") == test::readFile(dir + "/lite.pdf"));
    EXPECT_FALSE(test::readFile(dir + "/pg.pdf").empty());
}

TEST(PostgresBatch, AReportFromTheServerIsTheReportFromTheSameRowsInSqlite) {
    test::PgServer server;
    ASSERT_TRUE(server.ok()) << server.error();
    const std::string dir = test::scratchDir("pg-report-same");
    std::string rows;
    for (int id = 1; id <= 40; ++id)
        rows += std::string(id > 1 ? "," : "") + "(" + std::to_string(id) + ", 'Item " + std::to_string(id) + "', '" +
                std::to_string(590123412300 + id) + "', 'S" + std::to_string(id) + "', " + std::to_string(id) + ".25)";
    const std::string script = "CREATE TABLE products (id INTEGER, name TEXT, ean TEXT, sku TEXT, price REAL);\n"
                               "INSERT INTO products VALUES " + rows + ";\n";
    std::string out;
    ASSERT_TRUE(server.run(script, &out)) << out;
    const std::string lite = test::makeDatabase(dir, script);
    // The sheet's own query formats the price with SQLite's printf; this one
    // is plain SQL for both.
    const std::string form = " --form " ZORVIK_SOURCE_DIR
                             "/demo/labels-report.dfm --sql 'SELECT id, name, ean, sku, price FROM products ORDER BY id'";
    std::string err;
    ASSERT_EQ(test::zorvik("report" + form + " --db '" + server.uri() + "' -o " + dir + "/pg.pdf", dir, &err), 0) << err;
    ASSERT_EQ(test::zorvik("report" + form + " --db " + lite + " -o " + dir + "/lite.pdf", dir, &err), 0) << err;
    EXPECT_FALSE(test::readFile(dir + "/pg.pdf").empty());
    EXPECT_TRUE(test::readFile(dir + "/pg.pdf") == test::readFile(dir + "/lite.pdf"));
}

TEST(PostgresBatch, FailuresSayWhatIsWrongAndWriteNothing) {
    test::PgServer server;
    ASSERT_TRUE(server.ok()) << server.error();
    const std::string dir = test::scratchDir("pg-batch-bad");
    std::string out;
    ASSERT_TRUE(server.run(productsScript(3000), &out)) << out;
    fs::create_directories(dir + "/nobody");
    const std::string uri = quoted(server.uri());
    struct Case {
        std::string db, sql;
        std::string message;
        int status = 1;
    } cases[] = {
        {"'postgresql://host:notaport/db'", "SELECT 1",
         "zorvik: Cannot connect to postgresql://host:notaport/db: invalid integer value \"notaport\" for connection "
         "option \"port\"\n"},
        {"'postgresql:///postgres?host=" + dir + "/nobody'", "SELECT 1",
         "zorvik: Cannot connect to postgresql:///postgres?host=" + dir + "/nobody: connection to server on socket \"" +
             dir + "/nobody/.s.PGSQL.5432\" failed: No such file or directory\n"},
        // The password is never shown.
        {"'postgresql://shop:s3cret@/postgres?host=" + dir + "/nobody'", "SELECT 1",
         "zorvik: Cannot connect to postgresql://shop:***@/postgres?host=" + dir +
             "/nobody: connection to server on socket \"" + dir +
             "/nobody/.s.PGSQL.5432\" failed: No such file or directory\n"},
        {uri, "SELECT nope FROM products", "zorvik: Query refused: column \"nope\" does not exist\n"},
        {uri, "SELECT ean FROM products; SELECT 1",
         "zorvik: Query refused: cannot insert multiple commands into a prepared statement\n"},
        // A reader never writes.
        {uri, "DELETE FROM products", "zorvik: Query refused: cannot execute DELETE in a read-only transaction\n"},
        // The server fails in row 1500, after the first rows were drawn.
        {uri, "SELECT ean, 1 / (id - 1500) FROM products", "zorvik: Query failed: division by zero\n"},
        // Bytes have no caption: the record is refused by number.
        {uri, "SELECT decode('0102', 'hex') AS b",
         "zorvik: record 1: Field \"b\" holds a blob of 2 bytes, which has no display text\n", 2},
    };
    for (const auto& c : cases) {
        std::string err;
        EXPECT_EQ(test::zorvik("batch Code.Symbology=EAN_13 --db " + c.db + " --sql " + quoted(c.sql) + " -o " + dir +
                                   "/out.pdf",
                               dir, &err),
                  c.status)
            << c.sql;
        // Records refused before the failure are reported on the way.
        EXPECT_EQ(err.substr(err.rfind("zorvik: ") == std::string::npos ? 0 : err.rfind("zorvik: ")), c.message)
            << c.sql;
        EXPECT_FALSE(fs::exists(dir + "/out.pdf")) << c.sql;
    }
    EXPECT_TRUE(server.run("SELECT count(*) FROM products;", &out));
    EXPECT_NE(out.find(" 3000\n"), std::string::npos) << out;
}

TEST(PostgresBatch, LibpqIsLoadedOnlyForAServerDatabase) {
    // The dynamic loader lists every library it opens (LD_DEBUG=files).
    const std::string dir = test::scratchDir("pg-batch-loading");
    test::writeFile(dir + "/in.txt", "ONE\n");
    const std::string db = test::makeDatabase(dir, "CREATE TABLE t (c TEXT); INSERT INTO t VALUES ('TWO');");
    const std::string zorvik =
        std::string("LD_DEBUG=files ") + ZORVIK_BINARY_DIR + "/bin/zorvik batch Code.Symbology=Code_39 ";
    const std::string output = " -o '" + dir + "/{n}.png' 2>&1";
    std::string log;
    EXPECT_EQ(test::runCommand(zorvik + "--input " + dir + "/in.txt" + output, &log), 0);
    EXPECT_EQ(log.find("libpq"), std::string::npos);
    EXPECT_EQ(test::runCommand(zorvik + "--db " + db + " --sql 'SELECT c FROM t'" + output, &log), 0);
    EXPECT_EQ(log.find("libpq"), std::string::npos);
    EXPECT_EQ(test::runCommand(zorvik + "--db 'postgresql:///x?host=" + dir + "' --sql 'SELECT 1'" + output, &log), 1);
    EXPECT_NE(log.find("libpq.so"), std::string::npos);
}

TEST(ScaleOut, TheIndexedJobManifestRunsLocally) {
    // Every index of the manifest's Job runs at once, as the cluster runs
    // them, against a server of our own and a local folder for the volume.
    test::PgServer server;
    ASSERT_TRUE(server.ok()) << server.error();
    const std::string dir = test::scratchDir("scale-out-manifest");
    std::string out;
    ASSERT_TRUE(server.run(productsScript(1200), &out)) << out;
    const std::string manifest = std::string(ZORVIK_SOURCE_DIR) + "/docs/scale-out/indexed-job.yaml";
    const std::string tool = "python3 " + std::string(ZORVIK_SOURCE_DIR) + "/tests/cli/indexed_job.py " + manifest;
    ASSERT_EQ(test::runCommand(tool + " --completions", &out), 0);
    const int completions = std::stoi(out);
    ASSERT_GT(completions, 1);

    auto argvOf = [&](int index, const std::string& root) {
        std::string lines;
        EXPECT_EQ(
            test::runCommand(tool + " --index " + std::to_string(index) + " --env ZORVIK_DB=" + quoted(server.uri()) +
                                 " --root " + root + " --program " + ZORVIK_BINARY_DIR + "/bin/zorvik",
                             &lines),
            0);
        std::vector<std::string> argv;
        std::istringstream in(lines);
        for (std::string line; std::getline(in, line);) argv.push_back(line);
        return argv;
    };
    std::string jobs = "status=0\n";
    for (int index = 0; index < completions; ++index) {
        const std::vector<std::string> argv = argvOf(index, dir + "/cluster");
        // The worker's share is its index of the Job's completions.
        const auto shard = std::find(argv.begin(), argv.end(), "--shard");
        ASSERT_NE(shard, argv.end());
        EXPECT_EQ(shard[1], std::to_string(index) + "/" + std::to_string(completions));
        std::string line;
        for (const auto& a : argv) line += quoted(a) + " ";
        jobs += line + "2>>" + dir + "/cluster.err &\npids=\"$pids $!\"\n";
    }
    jobs += "for p in $pids; do wait $p; s=$?; [ $s -gt $status ] && status=$s; done\nexit $status\n";
    fs::create_directories(dir + "/cluster/labels");
    test::writeFile(dir + "/jobs.sh", jobs);
    EXPECT_EQ(test::runCommand("sh " + dir + "/jobs.sh"), 2);

    // One run of the same command without --shard.
    std::vector<std::string> argv = argvOf(0, dir + "/single");
    const auto shard = std::find(argv.begin(), argv.end(), "--shard");
    argv.erase(shard, shard + 2);
    std::string line;
    for (const auto& a : argv) line += quoted(a) + " ";
    fs::create_directories(dir + "/single/labels");
    EXPECT_EQ(test::runCommand(line + "2>" + dir + "/single.err"), 2);

    const auto single = test::filesWithBytes(dir + "/single/labels");
    EXPECT_GT(single.size(), 1100u);
    EXPECT_TRUE(test::filesWithBytes(dir + "/cluster/labels") == single);
    std::multiset<std::string> a, b;
    std::istringstream ea(test::readFile(dir + "/cluster.err")), eb(test::readFile(dir + "/single.err"));
    // Each run ends with its own summary of counts and time; the records' messages are the same.
    // The shards' counts add up to the single run's.
    const std::regex summary("zorvik: ([0-9]+) written, ([0-9]+) failed, .*");
    long counts[2][2] = {};
    std::smatch m;
    for (std::string l; std::getline(ea, l);)
        if (std::regex_match(l, m, summary)) {
            counts[0][0] += std::stol(m[1]);
            counts[0][1] += std::stol(m[2]);
        } else {
            a.insert(l);
        }
    for (std::string l; std::getline(eb, l);)
        if (std::regex_match(l, m, summary)) {
            counts[1][0] += std::stol(m[1]);
            counts[1][1] += std::stol(m[2]);
        } else {
            b.insert(l);
        }
    EXPECT_EQ(a, b);
    EXPECT_EQ(counts[0][0], counts[1][0]);
    EXPECT_EQ(counts[0][1], counts[1][1]);
    EXPECT_EQ(counts[1][0], static_cast<long>(single.size()));
}

}  // namespace
}  // namespace zorvik
