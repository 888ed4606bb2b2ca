#include <ZXing/ReadBarcode.h>
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include "tests/support/support.h"

namespace zorvik {
namespace {

namespace fs = std::filesystem;

const std::string kLabelSheet = std::string(ZORVIK_DEMO) + "/labels-report.dfm";

// The EAN-13 check digit: weights 1 and 3 from the left, then up to a multiple of ten.
char eanCheck(const std::string& twelve) {
    int sum = 0;
    for (size_t i = 0; i < twelve.size(); ++i) sum += (twelve[i] - '0') * (i % 2 == 0 ? 1 : 3);
    return static_cast<char>('0' + (10 - sum % 10) % 10);
}

// Millimetres on the page to dots at Dpi.
int dots(double mm, int dpi) { return static_cast<int>(std::nearbyint(mm * dpi / 25.4)); }

bool dark(const test::PngImage& page, int x, int y) { return (page.at(x, y) & 0xFF) < 128; }

// Decodes the EAN-13 symbols inside one rectangle of a page.
std::string decodeArea(const test::PngImage& page, int left, int top, int right, int bottom) {
    left = std::max(left, 0), top = std::max(top, 0);
    right = std::min(right, page.width), bottom = std::min(bottom, page.height);
    std::vector<uint8_t> lum;
    for (int y = top; y < bottom; ++y)
        for (int x = left; x < right; ++x) lum.push_back(static_cast<uint8_t>(page.at(x, y) & 0xFF));
    ZXing::DecodeHints hints;
    hints.setFormats(ZXing::BarcodeFormat::EAN13);
    hints.setTryHarder(true);
    const auto r = ZXing::ReadBarcode(ZXing::ImageView(lum.data(), right - left, bottom - top, ZXing::ImageFormat::Lum), hints);
    return r.isValid() ? r.text() : "";
}

TEST(ReportCommand, LabelSheetPagesScanWhereTheirBandsAndElementsPutThem) {
    // 30 products: 24 labels on the first A4 page, 6 on the second. Record 5's
    // code is not numeric, so its label stays empty.
    const std::string dir = test::scratchDir("report-sheet");
    std::string script = "CREATE TABLE products (id INTEGER PRIMARY KEY, name TEXT, ean TEXT, sku TEXT, price REAL);";
    std::vector<std::string> eans;
    for (int id = 1; id <= 30; ++id) eans.push_back(id == 5 ? "40063813339X" : std::to_string(400638133300 + 17 * id));
    // Written in reverse: the form's query puts them in id order.
    for (int id = 30; id >= 1; --id)
        script += "INSERT INTO products VALUES (" + std::to_string(id) + ", 'Item " + std::to_string(id) + "', '" +
                  eans[id - 1] + "', 'S" + std::to_string(id) + "', " + std::to_string(id) + ".5);";
    const std::string db = test::makeDatabase(dir, script);
    constexpr int kDpi = 300;
    std::string err;
    ASSERT_EQ(test::zorvik("report --form '" + kLabelSheet + "' --db '" + db + "' --dpi 300 -o '" + dir + "/sheet.pdf'",
                           dir, &err),
              2)
        << err;
    EXPECT_EQ(err, "zorvik: record 5: Caption should be numeric\n");
    ASSERT_EQ(test::runCommand("pdftoppm -r 300 -aa no -aaVector no -png '" + dir + "/sheet.pdf' '" + dir + "/page'"), 0);
    test::PngImage pages[2];
    ASSERT_TRUE(test::readPng(dir + "/page-1.png", pages[0]));
    ASSERT_TRUE(test::readPng(dir + "/page-2.png", pages[1]));
    EXPECT_FALSE(fs::exists(dir + "/page-3.png"));
    ASSERT_EQ(pages[0].width, dots(210, kDpi));
    ASSERT_EQ(pages[0].height, dots(297, kDpi));

    // The sheet: 3 columns of 70 mm, rows of 36 mm from 4 mm down; the
    // barcode element at (6, 15) mm in its label. At 300 dpi the scale is 3,
    // and a Medium module of 2 screen pixels is 6 dots, so the first bar lies
    // 10 modules (60 dots) right of the element's corner.
    for (int id = 1; id <= 30; ++id) {
        const int i = (id - 1) % 24, column = i % 3, row = i / 3;
        const test::PngImage& page = pages[(id - 1) / 24];
        const double cellLeft = 70.0 * column, cellTop = 4 + 36.0 * row;
        const int x = dots(cellLeft + 6, kDpi), y = dots(cellTop + 15, kDpi);
        const int cell[4] = {dots(cellLeft, kDpi), dots(cellTop, kDpi), dots(cellLeft + 70, kDpi), dots(cellTop + 36, kDpi)};
        if (id == 5) {
            bool blank = true;
            for (int py = cell[1]; py < cell[3] && blank; ++py)
                for (int px = cell[0]; px < cell[2] && blank; ++px) blank = !dark(page, px, py);
            EXPECT_TRUE(blank) << "record 5's label is left empty";
            continue;
        }
        EXPECT_EQ(decodeArea(page, cell[0], cell[1], cell[2], cell[3]), eans[id - 1] + eanCheck(eans[id - 1]))
            << "record " << id;
        int firstBar = -1;
        for (int px = x - 30; px < x + 200 && firstBar < 0; ++px)
            if (dark(page, px, y + 30)) firstBar = px;
        EXPECT_EQ(firstBar, x + 60) << "record " << id;
    }
}

TEST(ReportCommand, RefusesWhatItCannotPrint) {
    const std::string dir = test::scratchDir("report-refusals");
    test::writeFile(dir + "/no-report.dfm", "object F: TForm\n  object Z: TZorvik\n  end\nend\n");
    test::writeFile(dir + "/bad-band.dfm",
                    "object R: TQuickRep\n  object B: TQRBand\n    BandType = rbMiddle\n  end\nend\n");
    test::writeFile(dir + "/tall.dfm",
                    "object R: TQuickRep\n  object B: TQRBand\n    Size.Height = 280\n  end\nend\n");
    // A database named relative to its form file is found beside it.
    test::makeDatabase(dir, "CREATE TABLE t(a);");
    for (const char* db : {"missing", "test"})
        test::writeFile(dir + "/" + db + "-db.dfm",
                        std::string("object D: TSqliteDataSet\n  DatabaseName = '") + db +
                            ".db'\n  SQL.Text = 'SELECT 1 AS a'\nend\n"
                            "object R: TQuickRep\n  DataSet = D\n  object B: TQRBand\n    object T: TQRDBText\n"
                            "      DataField = 'b'\n    end\n  end\nend\n");
    const std::string sheet = "'" + kLabelSheet + "'", out = dir + "/out.pdf";
    struct Case {
        const char* name;
        std::string args;
        std::string error;  // the start of the message
    } cases[] = {
        {"a PNG", "--form " + sheet + " -o " + dir + "/out.png", "zorvik: cannot print a report to '" + dir + "/out.png'"},
        {"no report in the file", "--form " + dir + "/no-report.dfm -o " + out, "zorvik: " + dir + "/no-report.dfm: the file holds no TQuickRep"},
        {"a name that is not a report", "--form " + sheet + " --name ProductCode -o " + out,
         "zorvik: " + kLabelSheet + ":12: 'ProductCode' is a TZorvik, not a TQuickRep"},
        {"an unknown band type", "--form " + dir + "/bad-band.dfm -o " + out, "zorvik: " + dir + "/bad-band.dfm:3: bad value for BandType"},
        {"a band taller than the page", "--form " + dir + "/tall.dfm -o " + out, "zorvik: a band does not fit on a page"},
        {"a query on a table that is not there", "--form " + sheet + " --sql 'SELECT * FROM absent' -o " + out,
         "zorvik: Query refused: no such table: absent"},
        {"the database is missing", "--form " + dir + "/missing-db.dfm -o " + out,
         "zorvik: Database file not found: " + dir + "/missing.db"},
        {"an unknown field", "--form " + dir + "/test-db.dfm -o " + out,
         "zorvik: 'T': unknown DataField 'b': the records have a"},
    };
    for (const Case& c : cases) {
        std::string err;
        EXPECT_EQ(test::zorvik("report " + c.args, dir, &err), 1) << c.name << ": " << err;
        EXPECT_EQ(err.substr(0, c.error.size()), c.error) << c.name;
        EXPECT_FALSE(fs::exists(dir + "/out.pdf")) << c.name;
    }
}

TEST(ReportCommand, PostScriptPagesAndNoRecords) {
    const std::string dir = test::scratchDir("report-ps");
    const std::string db = test::makeDatabase(
        dir, "CREATE TABLE products (id INTEGER PRIMARY KEY, name TEXT, ean TEXT, sku TEXT, price REAL);"
             "INSERT INTO products VALUES (1, 'Tea', '400638133393', 'T1', 2.5);");
    std::string err;
    ASSERT_EQ(test::zorvik("report --form '" + kLabelSheet + "' --db " + db + " -o " + dir + "/sheet.ps", dir, &err), 0) << err;
    EXPECT_EQ(test::readFile(dir + "/sheet.ps").substr(0, 4), "%!PS");
    ASSERT_EQ(test::zorvik("report --form '" + kLabelSheet + "' --db " + db + " --sql 'SELECT * FROM products WHERE id > 1'"
                           " -o " + dir + "/none.pdf",
                           dir, &err),
              0);
    EXPECT_EQ(err, "zorvik: no records; nothing written\n");
    EXPECT_FALSE(fs::exists(dir + "/none.pdf"));
}

}  // namespace
}  // namespace zorvik
