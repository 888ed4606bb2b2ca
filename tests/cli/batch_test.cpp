#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#include "symbologies/ean.h"
#include "tests/support/support.h"

namespace zorvik {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> filesIn(const std::string& dir, const std::string& ext) {
    std::vector<std::string> out;
    for (const auto& e : fs::directory_iterator(dir))
        if (e.path().extension() == ext) out.push_back(e.path().filename().string());
    std::sort(out.begin(), out.end());
    return out;
}

TEST(Batch, ABlankRecordIsRefusedWhateverTheSymbology) {
    const std::string dir = test::scratchDir("batch-blank");
    const std::pair<const char*, const char*> cases[] = {
        {"Code_128", "Zorvik"}, {"EAN_13", "590123412345"}, {"Codabar", "A123B"}, {"ITF", "123456"}};
    for (const auto& [symbology, caption] : cases) {
        test::writeFile(dir + "/in.txt", std::string(caption) + "\n\n" + caption + "\n");
        std::string err;
        EXPECT_EQ(test::zorvik(std::string("batch Code.Symbology=") + symbology + " --input " + dir + "/in.txt -o '" +
                                   dir + "/" + symbology + "{n}.png'",
                               dir, &err),
                  2)
            << symbology;
        EXPECT_EQ(err, "zorvik: record 2: Caption is empty\n") << symbology;
        const std::string prefix = dir + "/" + symbology;
        EXPECT_TRUE(fs::exists(prefix + "1.png") && !fs::exists(prefix + "2.png") && fs::exists(prefix + "3.png"))
            << symbology;
    }
}

TEST(Batch, OneFilePerRecordFromLines) {
    const std::string dir = test::scratchDir("batch-lines");
    // A CR before each LF is dropped; a blank line is a record with an empty caption.
    test::writeFile(dir + "/captions.txt", "HELLO\r\nZORVIK-39\n\nlower\nLAST");
    std::string err;
    EXPECT_EQ(test::zorvik("batch Code.Symbology=Code_39 --input " + dir + "/captions.txt -o '" + dir + "/r{n}.png'", dir, &err),
              2);
    EXPECT_EQ(err,
              "zorvik: record 3: Caption is empty\n"
              "zorvik: record 4: Caption has a character that Code 39 cannot encode: 'l' at position 1\n");
    EXPECT_EQ(filesIn(dir, ".png"), (std::vector<std::string>{"r1.png", "r2.png", "r5.png"}));
    const std::pair<const char*, const char*> expected[] = {{"r1.png", "HELLO"}, {"r2.png", "ZORVIK-39"}, {"r5.png", "LAST"}};
    for (const auto& [file, caption] : expected) {
        const auto d = test::decodePng(dir + "/" + file, ZXing::BarcodeFormat::Code39);
        EXPECT_TRUE(d.ok) << file;
        // Code 39 takes its check character by default.
        EXPECT_EQ(d.text.substr(0, std::string(caption).size()), caption) << file;
    }
}

TEST(Batch, EveryFormatPerRecord) {
    const std::string dir = test::scratchDir("batch-formats");
    test::writeFile(dir + "/in.txt", "ABC\nDEF\n");
    for (const char* ext : {"png", "svg", "pdf", "ps"}) {
        ASSERT_EQ(test::zorvik(std::string("batch Code.Symbology=Code_128 --input ") + dir + "/in.txt -o '" + dir + "/x{n}-{n}." +
                          ext + "'",
                      dir),
                  0)
            << ext;
        EXPECT_TRUE(fs::exists(dir + "/x1-1." + ext)) << ext;
        EXPECT_TRUE(fs::exists(dir + "/x2-2." + ext)) << ext;
    }
}

// Rasterises page `page` of a PDF at 96 dots per inch.
std::string pagePng(const std::string& pdf, int page, const std::string& dir) {
    const std::string base = dir + "/page";
    test::runCommand("pdftoppm -r 96 -f " + std::to_string(page) + " -l " + std::to_string(page) + " -png -singlefile '" +
                     pdf + "' '" + base + "'");
    return base + ".png";
}

TEST(Batch, APdfHasOnePagePerGoodRecordInRecordOrder) {
    const std::string dir = test::scratchDir("batch-pdf");
    const std::string db = test::makeDatabase(
        dir, "CREATE TABLE items (name TEXT, code TEXT);"
             "INSERT INTO items VALUES ('first', 'ONE'), ('second', 'two'), ('third', 'THREE'), ('fourth', 'FOUR');");
    std::string err;
    EXPECT_EQ(test::zorvik("batch Code.Symbology=Code_93 DataField=code --db " + db +
                      " --sql 'SELECT name, code FROM items ORDER BY rowid' -o " + dir + "/labels.pdf",
                  dir, &err),
              2);
    EXPECT_EQ(err, "zorvik: record 2: Caption has a character that Code 93 cannot encode: 't' at position 1\n");
    std::string info;
    test::runCommand("pdfinfo " + dir + "/labels.pdf", &info);
    EXPECT_NE(info.find("Pages:           3\n"), std::string::npos) << info;
    const char* order[] = {"ONE", "THREE", "FOUR"};
    for (int page = 1; page <= 3; ++page) {
        const auto d = test::decodePng(pagePng(dir + "/labels.pdf", page, dir), ZXing::BarcodeFormat::Code93);
        EXPECT_EQ(d.text, order[page - 1]) << page;
    }
}

TEST(Batch, TheSameBytesWhateverTheNumberOfJobs) {
    const std::string dir = test::scratchDir("batch-jobs");
    std::string captions;
    std::mt19937 rng(7);
    for (int i = 0; i < 120; ++i) {
        // Stretched, so that each record settles its own density.
        captions += std::to_string(rng() % 100000000) + (i % 17 == 5 ? "\xC3\xA9" : "") + "\n";
    }
    test::writeFile(dir + "/in.txt", captions);
    const std::string common = "batch Code.Symbology=Code_128 Code.AutoSize=False Width=260 Code.TextAutosize=True --input " +
                               dir + "/in.txt";
    for (int jobs : {1, 2, 3}) {
        fs::create_directories(dir + "/j" + std::to_string(jobs));
        test::zorvik(common + " --jobs " + std::to_string(jobs) + " -o '" + dir + "/j" + std::to_string(jobs) + "/{n}.png'", dir);
        EXPECT_EQ(test::zorvik(common + " --jobs " + std::to_string(jobs) + " -o " + dir + "/j" + std::to_string(jobs) + ".pdf",
                      dir),
                  2);
    }
    EXPECT_EQ(test::readFile(dir + "/j1.pdf"), test::readFile(dir + "/j2.pdf"));
    EXPECT_EQ(test::readFile(dir + "/j1.pdf"), test::readFile(dir + "/j3.pdf"));
    const auto files = filesIn(dir + "/j1", ".png");
    EXPECT_EQ(files.size(), 120u - 7u);
    for (const auto& f : files) {
        EXPECT_EQ(test::readFile(dir + "/j1/" + f), test::readFile(dir + "/j2/" + f)) << f;
        EXPECT_EQ(test::readFile(dir + "/j1/" + f), test::readFile(dir + "/j3/" + f)) << f;
    }
}

TEST(Batch, BadInputIsAUsageErrorAndWritesNothing) {
    const std::string dir = test::scratchDir("batch-bad");
    const std::string db = test::makeDatabase(dir, "CREATE TABLE items (code TEXT); INSERT INTO items VALUES ('1');");
    struct Case {
        std::string args;
        std::string message;
    } cases[] = {
        {"--db " + dir + "/missing.db --sql 'SELECT 1'", "Database file not found: " + dir + "/missing.db"},
        {"--db " + db + " --sql 'SELECT nope FROM items'", "Query refused: no such column: nope"},
        {"DataField=price --db " + db + " --sql 'SELECT code FROM items'",
         "unknown DataField 'price': the records have code"},
        {"--input " + dir + "/missing.txt", "cannot read '" + dir + "/missing.txt': No such file or directory"},
        {"Code.Colour=1 --input " + dir + "/missing.txt", "unknown property 'Code.Colour'"},
    };
    for (const auto& c : cases) {
        std::string err;
        EXPECT_EQ(test::zorvik("batch " + c.args + " -o " + dir + "/out.pdf", dir, &err), 1) << c.args;
        EXPECT_NE(err.find("zorvik: " + c.message), std::string::npos) << c.args << ": " << err;
        EXPECT_FALSE(fs::exists(dir + "/out.pdf")) << c.args;
    }
    std::string err;
    EXPECT_EQ(test::zorvik("batch --input " + dir + "/x.txt -o " + dir + "/out.png", dir, &err), 1);
    EXPECT_NE(err.find("needs {n}"), std::string::npos) << err;
    EXPECT_EQ(test::zorvik("batch -o " + dir + "/out.pdf", dir, &err), 1);
    EXPECT_NE(err.find("--input FILE, or --db FILE with --sql QUERY"), std::string::npos) << err;
}

TEST(Batch, ZeroRecordsWriteNothingAndSaySo) {
    const std::string dir = test::scratchDir("batch-empty");
    test::writeFile(dir + "/in.txt", "");
    std::string err;
    EXPECT_EQ(test::zorvik("batch --input " + dir + "/in.txt -o " + dir + "/out.pdf", dir, &err), 0);
    EXPECT_EQ(err, "zorvik: no records; nothing written\n");
    EXPECT_FALSE(fs::exists(dir + "/out.pdf"));
}

TEST(Batch, AFewThousandProducts) {
    // Every valid record decodes to its field; the invalid ones are refused by number.
    const std::string dir = test::scratchDir("batch-products");
    std::mt19937 rng(2026);
    std::string sql = "CREATE TABLE products (id INTEGER PRIMARY KEY, ean TEXT); BEGIN;";
    std::map<int, std::string> valid;
    std::vector<int> invalid;
    const int count = 2500;
    for (int id = 1; id <= count; ++id) {
        std::string ean;
        for (int k = 0; k < 12; ++k) ean += static_cast<char>('0' + rng() % 10);
        if (id % 97 == 0) {
            ean[3] = 'A';
            invalid.push_back(id);
        } else if (id % 131 == 0) {
            ean.resize(9);
            invalid.push_back(id);
        } else {
            valid[id] = CheckEAN13(ean);
        }
        sql += "INSERT INTO products VALUES (" + std::to_string(id) + ", '" + ean + "');";
    }
    sql += "COMMIT;";
    const std::string db = test::makeDatabase(dir, sql);
    fs::create_directories(dir + "/labels");
    std::string err;
    EXPECT_EQ(test::zorvik("batch Code.Symbology=EAN_13 --jobs 2 --db " + db + " --sql 'SELECT ean FROM products ORDER BY id' -o '" +
                      dir + "/labels/{n}.png'",
                  dir, &err),
              2);
    std::string expectedErr;
    for (int id : invalid)
        expectedErr += "zorvik: record " + std::to_string(id) + ": " +
                       (id % 97 == 0 ? "Caption should be numeric" : "EAN-13 should be 12 numeric chars") + "\n";
    EXPECT_EQ(err, expectedErr);
    EXPECT_EQ(filesIn(dir + "/labels", ".png").size(), valid.size());
    int decoded = 0;
    for (const auto& [id, ean13] : valid) {
        const auto d = test::decodePng(dir + "/labels/" + std::to_string(id) + ".png", ZXing::BarcodeFormat::EAN13);
        decoded += d.ok && d.text == ean13;
    }
    EXPECT_EQ(decoded, static_cast<int>(valid.size()));
}

}  // namespace
}  // namespace zorvik
