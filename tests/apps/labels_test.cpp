// The Zorvik Labels application as people script it: screenshots of the
// window, the current record, and arguments it refuses.
#include <gtest/gtest.h>

#include "tests/support/pgserver.h"
#include "tests/support/support.h"

namespace zorvik {
namespace {

int labels(const std::string& args, const std::string& dir, std::string* err = nullptr) {
    const std::string errFile = dir + "/stderr.txt";
    const int status = test::runCommand("QT_QPA_PLATFORM=offscreen '" + std::string(ZORVIK_BINARY_DIR) +
                                        "/bin/zorvik-labels' " + args + " 2>'" + errFile + "'");
    if (err != nullptr) *err = test::readFile(errFile);
    return status;
}

TEST(Labels, ScreenshotsFollowTheCurrentRecord) {
    const std::string dir = test::scratchDir("labels-rows");
    const std::string db = test::makeDatabase(
        dir, "CREATE TABLE products (id INTEGER, name TEXT, ean TEXT);"
             "INSERT INTO products VALUES (1, 'Tea', '400638133393'), (2, 'Rice', '590123412345');");
    const std::string form = std::string(ZORVIK_SOURCE_DIR) + "/demo/label.dfm";
    std::string err;
    for (int row : {1, 2}) {
        ASSERT_EQ(labels("--form '" + form + "' --db '" + db + "' --row " + std::to_string(row) + " --screenshot '" + dir +
                             "/row" + std::to_string(row) + ".png'",
                         dir, &err),
                  0)
            << err;
        test::PngImage shot;
        ASSERT_TRUE(test::readPng(dir + "/row" + std::to_string(row) + ".png", shot));
        EXPECT_EQ(shot.width, 1000);
        EXPECT_EQ(shot.height, 640);
    }
    // Another record, another symbol on the label.
    EXPECT_NE(test::readFile(dir + "/row1.png"), test::readFile(dir + "/row2.png"));
}

TEST(Labels, TheProductTableCanLiveOnADatabaseServer) {
    test::PgServer server;
    ASSERT_TRUE(server.ok()) << server.error();
    std::string out;
    ASSERT_TRUE(server.run("CREATE TABLE products (id INTEGER, name TEXT, ean TEXT);"
                           "INSERT INTO products VALUES (1, 'Tea', '400638133393'), (2, 'Rice', '590123412345');",
                           &out))
        << out;
    const std::string dir = test::scratchDir("labels-server");
    const std::string form = std::string(ZORVIK_SOURCE_DIR) + "/demo/label.dfm";
    std::string err;
    ASSERT_EQ(labels("--form '" + form + "' --db '" + server.uri() + "' --sql 'SELECT ean, name FROM products ORDER BY id' "
                     "--row 2 --screenshot '" + dir + "/row2.png'",
                     dir, &err),
              0)
        << err;
    // Record 2's number, with its GS1 check digit 7, is on the label.
    EXPECT_EQ(test::decodePng(dir + "/row2.png", ZXing::BarcodeFormat::EAN13).text, "5901234123457");
    EXPECT_EQ(labels("--db 'postgresql:///nowhere?host=" + dir + "' --screenshot '" + dir + "/x.png'", dir, &err), 1);
    EXPECT_FALSE(err.empty());
}

TEST(Labels, PreviewsTheLabelSheetReport) {
    // The demo sheet: 3 x 8 labels a page over demo/products.sqlite, drawn by
    // the report engine through the preview's printer.
    const std::string dir = test::scratchDir("labels-report");
    std::string err;
    ASSERT_EQ(labels("--report '" + std::string(ZORVIK_SOURCE_DIR) + "/demo/labels-report.dfm' --screenshot '" + dir +
                         "/preview.png'",
                     dir, &err),
              0)
        << err;
    const auto lines = test::zbarDecode(dir + "/preview.png");
    // At the preview's zoom a module is about a pixel: zbar reads many of them.
    EXPECT_GE(lines.size(), 6u);
    for (const auto& line : lines) EXPECT_EQ(line.substr(0, 7), "EAN-13:") << line;
    EXPECT_EQ(labels("--report '" + dir + "/missing.dfm' --screenshot '" + dir + "/x.png'", dir, &err), 1);
}

TEST(Labels, RefusesBadArguments) {
    const std::string dir = test::scratchDir("labels-args");
    const std::vector<std::pair<std::string, std::string>> table{
        {"--bogus", "Unknown option 'bogus'"},
        {"--row 0", "--row expects a whole number from 1"},
        {"--row x", "--row expects a whole number from 1"},
        {"--db '" + dir + "/missing.sqlite'", "no such file"},
        {"--form '" + dir + "/missing.dfm'", "missing.dfm"},
        {"--name Foo", "--name needs --form"},
        {"--row 9999 --screenshot '" + dir + "/x.png'", "no record 9999"},
        {"stray", "unexpected argument 'stray'"},
    };
    for (const auto& [args, message] : table) {
        SCOPED_TRACE(args);
        std::string err;
        EXPECT_EQ(labels(args, dir, &err), 1);
        EXPECT_NE(err.find(message), std::string::npos) << err;
    }
    EXPECT_FALSE(test::readFile(dir + "/x.png").size());
}

}  // namespace
}  // namespace zorvik

namespace zorvik {
namespace {

// A form made in Qt Designer, saved as Designer writes it, opens through the
// plugin and prints: its symbology and data field reach the printed label.
TEST(Labels, PrintsAFormMadeInDesigner) {
    const std::string dir = test::scratchDir("labels-designer");
    const std::string db = test::makeDatabase(
        dir, "CREATE TABLE products (id INTEGER, name TEXT, ean TEXT);"
             "INSERT INTO products VALUES (1, 'Tea', '400638133393'), (2, 'Rice', '590123412345');");
    test::writeFile(dir + "/label.ui", R"(<?xml version="1.0" encoding="UTF-8"?>
<ui version="4.0">
 <class>Form</class>
 <widget class="QWidget" name="Form">
  <widget class="zorvik::BarcodeWidget" name="Price">
   <property name="CodeSymbology"><enum>zorvik::BarcodeWidget::EAN_13</enum></property>
   <property name="CodeCaption"><string>400638133393</string></property>
   <property name="DataField"><string>ean</string></property>
  </widget>
 </widget>
</ui>
)");
    std::string err;
    ASSERT_EQ(labels("--form '" + dir + "/label.ui' --db '" + db + "' --row 2 --print '" + dir + "/label.pdf'", dir, &err), 0)
        << err;
    ASSERT_EQ(test::runCommand("pdftoppm -r 200 -png -singlefile '" + dir + "/label.pdf' '" + dir + "/page'"), 0);
    // EAN-13 of the second record, its check digit computed by the standard: 5901234123457.
    EXPECT_EQ(test::decodePng(dir + "/page.png", ZXing::BarcodeFormat::EAN13).text, "5901234123457");

    // A name the form does not hold is refused, naming it.
    EXPECT_NE(labels("--form '" + dir + "/label.ui' --name Other --print '" + dir + "/x.pdf'", dir, &err), 0);
    EXPECT_NE(err.find("no barcode called 'Other'"), std::string::npos) << err;
}

}  // namespace
}  // namespace zorvik
