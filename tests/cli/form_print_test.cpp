#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "tests/support/support.h"

namespace zorvik {
namespace {

namespace fs = std::filesystem;

TEST(FormCommand, AControlReadFromAFormRendersAsTheSameAssignments) {
    const std::string dir = test::scratchDir("cli-form-render");
    test::writeFile(dir + "/labels.dfm",
          "object Form1: TForm1\n"
          "  Caption = 'Labels'\n"
          "  object Box: TZorvik\n"
          "    Code.Symbology = EAN_13\n"
          "    Code.Caption = '400638133393'\n"
          "    Code.Density = Medium\n"
          "    Code.Direction = Vertical\n"
          "    BarColor = clNavy\n"
          "    Font.Height = -13\n"
          "  end\n"
          "end\n");
    ASSERT_EQ(test::zorvik("render --form " + dir + "/labels.dfm -o " + dir + "/a.png", dir), 0);
    ASSERT_EQ(test::zorvik("render Code.Symbology=EAN_13 Code.Caption=400638133393 Code.Density=Medium Code.Direction=Vertical "
                  "BarColor=clNavy Font.Height=-13 -o " + dir + "/b.png",
                  dir),
              0);
    EXPECT_EQ(test::readFile(dir + "/a.png"), test::readFile(dir + "/b.png"));
    // Assignments after --form override it.
    ASSERT_EQ(test::zorvik("render --form " + dir + "/labels.dfm --name box Code.Direction=Horizontal -o " + dir + "/c.png", dir), 0);
    test::PngImage img;
    ASSERT_TRUE(test::readPng(dir + "/c.png", img));
    EXPECT_GT(img.width, img.height);
}

TEST(FormCommand, AnUnboundDataLinkKeepsTheStoredCaption) {
    // The data source has no dataset: nothing replaces the stored caption.
    const std::string dir = test::scratchDir("cli-form-unbound");
    const std::string form = "object F: TForm\n"
                             "  object Source: TDataSource\n"
                             "  end\n"
                             "  object Code: TZorvik\n"
                             "    Code.Symbology = EAN_13\n"
                             "    Code.Caption = '400638133393'\n"
                             "    DataField = 'ean'\n"
                             "    DataSource = Source\n"
                             "  end\n"
                             "end\n";
    test::writeFile(dir + "/f.dfm", form);
    std::string err;
    ASSERT_EQ(test::zorvik("render --form " + dir + "/f.dfm -o " + dir + "/a.png", dir, &err), 0) << err;
    EXPECT_EQ(test::decodePng(dir + "/a.png", ZXing::BarcodeFormat::EAN13).text, "4006381333931");
    ASSERT_EQ(test::zorvik("form --form " + dir + "/f.dfm -o " + dir + "/g.dfm", dir, &err), 0) << err;
    EXPECT_NE(test::readFile(dir + "/g.dfm").find("  Code.Caption = '400638133393'\n"), std::string::npos);
}

TEST(FormCommand, WritesTheObjectAsAssignedWithoutPainting) {
    const std::string dir = test::scratchDir("cli-form-write");
    ASSERT_EQ(test::zorvik("form Code.Symbology=Code_39 Code.Caption=O\\'Neil Code.AutoSize=False -o " + dir + "/z.dfm", dir), 0);
    const std::string text = test::readFile(dir + "/z.dfm");
    EXPECT_EQ(text.rfind("object Zorvik1: TZorvik\n  Width = 100\n  Code.Symbology = Code_39\n  Code.Caption = 'O''Neil'\n"
                         "  Code.AutoSize = False\n",
                         0),
              0u)
        << text;
    // Read back under another name; the caption survives.
    ASSERT_EQ(test::zorvik("form --form " + dir + "/z.dfm --name Zorvik1 Width=300 -o " + dir + "/y.dfm", dir), 0);
    const std::string again = test::readFile(dir + "/y.dfm");
    EXPECT_NE(again.find("  Width = 300\n"), std::string::npos) << again;
    EXPECT_NE(again.find("  Code.Caption = 'O''Neil'\n"), std::string::npos) << again;
    ASSERT_EQ(test::zorvik("form --form " + dir + "/z.dfm -o " + dir + "/x.dfm", dir), 0);
    EXPECT_EQ(test::readFile(dir + "/x.dfm"), text);
}

TEST(FormCommand, FaultyFormsAreUsageErrors) {
    const std::string dir = test::scratchDir("cli-form-faults");
    test::writeFile(dir + "/bad.dfm", "object Z: TZorvik\n  Code.Density = Huge\nend\n");
    std::string err;
    EXPECT_EQ(test::zorvik("render --form " + dir + "/bad.dfm -o " + dir + "/o.png", dir, &err), 1);
    EXPECT_EQ(err, "zorvik: " + dir + "/bad.dfm:2: bad value for Code.Density: expected one of High, Medium, Low\n");
    EXPECT_FALSE(fs::exists(dir + "/o.png"));
    EXPECT_EQ(test::zorvik("form --form " + dir + "/missing.dfm -o " + dir + "/o.dfm", dir, &err), 1);
    EXPECT_NE(err.find("missing.dfm"), std::string::npos) << err;
    EXPECT_EQ(test::zorvik("render --name X -o " + dir + "/o.png", dir, &err), 1);  // --name needs --form
}

// The first black column and row of a page rasterised at its resolution.
void firstInk(const test::PngImage& img, int& x, int& y) {
    x = y = -1;
    for (int j = 0; j < img.height && y < 0; ++j)
        for (int i = 0; i < img.width; ++i)
            if ((img.at(i, j) & 0xFFFFFF) == 0) {
                y = j;
                break;
            }
    for (int i = 0; i < img.width && x < 0; ++i)
        for (int j = 0; j < img.height; ++j)
            if ((img.at(i, j) & 0xFFFFFF) == 0) {
                x = i;
                break;
            }
}

TEST(PrintCommand, APrintedPageCarriesTheSymbolWhereAndAsLargeAsAsked) {
    const std::string dir = test::scratchDir("cli-print");
    struct Case {
        const char* ext;
        int dpi;
        int x, y;
        const char* paper;
    } cases[] = {{"pdf", 600, 600, 300, "A4"}, {"ps", 300, 150, 450, "Letter"}, {"pdf", 192, 0, 0, "Letter"}};
    for (const auto& c : cases) {
        const std::string file = dir + "/page." + c.ext;
        ASSERT_EQ(test::zorvik(std::string("print Code.Symbology=Code_39 Code.Caption=PRINTED Code.TextOn=False --dpi ") +
                          std::to_string(c.dpi) + " --at " + std::to_string(c.x) + "," + std::to_string(c.y) +
                          " --paper " + c.paper + " -o " + file,
                      dir),
                  0);
        const std::string png = dir + "/page.png";
        const std::string cmd =
            std::string(c.ext) == "pdf"
                ? "pdftoppm -r " + std::to_string(c.dpi) + " -png -singlefile '" + file + "' '" + dir + "/page'"
                : "gs -q -dSAFER -dBATCH -dNOPAUSE -sDEVICE=png16m -r" + std::to_string(c.dpi) + " -sOutputFile='" +
                      png + "' '" + file + "'";
        ASSERT_EQ(test::runCommand(cmd + " 2>/dev/null"), 0) << cmd;
        test::PngImage img;
        ASSERT_TRUE(test::readPng(png, img));
        const double inches_w = std::string(c.paper) == "A4" ? 210 / 25.4 : 8.5;
        EXPECT_NEAR(img.width, inches_w * c.dpi, 2) << c.ext;
        // The first bar is 10 modules in, at Scale = dpi div 96; the bars start 2 screen pixels
        // down (Y + 2, unscaled, as the pipeline places them).
        const int scale = c.dpi / 96;
        int x = 0, y = 0;
        firstInk(img, x, y);
        EXPECT_NEAR(x, c.x + 10 * scale, 1) << c.ext << " " << c.dpi;
        EXPECT_NEAR(y, c.y + 2, 1) << c.ext << " " << c.dpi;
        const auto d = test::decodePng(png, ZXing::BarcodeFormat::Code39);
        EXPECT_TRUE(d.ok) << c.ext << " " << c.dpi;
        EXPECT_EQ(d.text, "PRINTEDK");
    }
}

TEST(PrintCommand, Refusals) {
    const std::string dir = test::scratchDir("cli-print-faults");
    struct Case {
        std::string args;
        int status;
        std::string message;
    } cases[] = {
        {"-o " + dir + "/p.png", 1, "zorvik: cannot print to '" + dir + "/p.png': use a name ending in .pdf or .ps\n"},
        {"--at 5 -o " + dir + "/p.pdf", 1, "zorvik: --at wants X,Y: two whole numbers from 0, in printer dots, got '5'\n"},
        {"--at 5,-1 -o " + dir + "/p.pdf", 1, "zorvik: --at wants X,Y: two whole numbers from 0, in printer dots, got '5,-1'\n"},
        {"--at 4900,0 -o " + dir + "/p.pdf", 2,
         "zorvik: Symbol too large: 660 x 300 pixels at 4900,0 on a page of 4961 x 7016 dots\n"},
        {"Code.Caption=x -o " + dir + "/p.pdf", 2, "zorvik: Caption has a character that Codabar cannot encode: 'x' at position 1\n"},
    };
    for (const auto& c : cases) {
        std::string err;
        EXPECT_EQ(test::zorvik("print " + c.args, dir, &err), c.status) << c.args;
        EXPECT_EQ(err, c.message) << c.args;
        EXPECT_FALSE(fs::exists(dir + "/p.pdf")) << c.args;
    }
}

}  // namespace
}  // namespace zorvik
