#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "tests/support/support.h"

namespace zorvik {
namespace {

namespace fs = std::filesystem;

struct CommandRun {
    int status;
    std::string out, err;
};

CommandRun zorvik(const std::string& args, const std::string& dir) {
    CommandRun r;
    r.status = test::zorvik(args, dir, &r.err, &r.out);
    return r;
}

int lines(const std::string& s) { return static_cast<int>(std::count(s.begin(), s.end(), '\n')); }

TEST(Command, ListsTheSymbologiesInOrdinalOrder) {
    const std::string dir = test::scratchDir("cli-list");
    const CommandRun r = zorvik("list", dir);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out,
              "Code_39\tCode 39\nCode_93\tCode 93\nCode_128\tCode 128\nITF\tInterleaved 2 of 5\n"
              "Industrial\tIndustrial 2 of 5\nIATA\tIATA 2 of 5\nCodabar\tCodabar\nEAN_13\tEAN 13\nEAN_8\tEAN 8\n"
              "EAN_13_2AddOn\tEAN 13 with 2 AddOn\nEAN_13_5AddOn\tEAN 13 with 5 AddOn\nUPC_A\tUPC A\n");
}

TEST(Command, HelpAndVersion) {
    const std::string dir = test::scratchDir("cli-help");
    CommandRun r = zorvik("--version", dir);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out.rfind("zorvik ", 0), 0u);
    r = zorvik("--help", dir);
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.out.find("render"), std::string::npos);
    r = zorvik("render --help", dir);
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.out.find("--scale"), std::string::npos);
    EXPECT_NE(r.out.find("PROPERTY=VALUE"), std::string::npos);
}

TEST(Command, PngIsExactlyTheSymbolArea) {
    const std::string dir = test::scratchDir("cli-png");
    // Bars under 15% of the symbol's length are drawn, with a warning: Code 39
    // bars run from row 2 to H - (5 + 11) - 1, so 27 rows at H = 50 (16% of
    // 116, 12% of 232) and 49 at H = 77 and Medium (15% of 333 is 49.95).
    struct Case {
        std::string args;
        int scale, width, height;
        std::string warning;
    } cases[] = {
        {"Code.Symbology=Code_39 Code.Caption=ABC", 1, 116, 50, ""},
        {"code.symbology=code_39 CODE.CAPTION=ABC code.density=medium", 1, 232, 50,
         "bars are 27 pixels long, shorter than 15% of the symbol's length (232 pixels); many scanners need at "
         "least 35"},
        {"Code.Symbology=Code_39 Code.Caption=ABC", 3, 348, 150, ""},
        {"Code.Symbology=Code_39 Code.Caption=ABC Code.Direction=Vertical", 2, 200, 232, ""},
        {"Code.Symbology=Code_39 Code.Caption=ABC Code.AutoSize=False Width=333 Height=77", 1, 333, 77,
         "bars are 49 pixels long, shorter than 15% of the symbol's length (333 pixels); many scanners need at "
         "least 50"},
    };
    for (const auto& c : cases) {
        const std::string png = dir + "/a.png";
        const CommandRun r = zorvik("render " + c.args + " --scale " + std::to_string(c.scale) + " -o " + png, dir);
        ASSERT_EQ(r.status, 0) << c.args << "\n" << r.err;
        EXPECT_EQ(r.err, c.warning.empty() ? "" : "zorvik: warning: " + c.warning + "\n");
        test::PngImage img;
        ASSERT_TRUE(test::readPng(png, img));
        EXPECT_EQ(img.width, c.width) << c.args;
        EXPECT_EQ(img.height, c.height) << c.args;
        EXPECT_EQ(img.ppmX, static_cast<unsigned>(std::lround(96.0 * c.scale / 0.0254))) << c.args;
        EXPECT_TRUE(test::decodePng(png, ZXing::BarcodeFormat::Code39).ok) << c.args;
    }
}

TEST(Command, WarnsOfQuietZonesCutByTheControl) {
    // Code 39 "AB" with its check character L is five characters of six narrow
    // and three wide (three modules) elements with one-module gaps: 79 modules.
    // UPC-A is 95 modules, EAN-8 67. One pixel a module from ten in, a control of
    // 79 + 17 pixels leaves 7 modules after the last bar; GS1 allows 7 after
    // EAN-8 and 9 after UPC-A, the others ask for 10.
    const std::string dir = test::scratchDir("cli-quiet");
    struct Case {
        std::string args;
        std::string warning;
    } cases[] = {
        {"Code.Symbology=Code_39 Code.Caption=AB Width=96", "7 modules, less than the 10"},
        {"Code.Symbology=Code_39 Code.Caption=AB Width=98", "9 modules, less than the 10"},
        {"Code.Symbology=Code_39 Code.Caption=AB Width=99", ""},
        {"Code.Symbology=Code_39 Code.Caption=AB Code.Direction=Vertical Width=80 Height=97",
         "8 modules, less than the 10"},
        {"Code.Symbology=UPC_A Code.Caption=01234567890 Width=113", "8 modules, less than the 9"},
        {"Code.Symbology=UPC_A Code.Caption=01234567890 Width=114", ""},
        {"Code.Symbology=EAN_8 Code.Caption=1234567 Width=84", ""},
    };
    for (const auto& c : cases) {
        const CommandRun r = zorvik("render Height=80 Code.AutoSize=False " + c.args + " -o " + dir + "/q.png", dir);
        ASSERT_EQ(r.status, 0) << c.args << "\n" << r.err;
        EXPECT_EQ(r.err, c.warning.empty() ? ""
                                           : "zorvik: warning: the quiet zone after the last bar is " + c.warning +
                                                 " scanners need; make the control longer or set Code.AutoSize\n")
            << c.args;
    }
}

TEST(Command, PngColoursAreExactAndUnpaintedPixelsTransparent) {
    const std::string dir = test::scratchDir("cli-colours");
    const std::string png = dir + "/c.png";
    CommandRun r = zorvik("render Code.Symbology=Code_39 Code.Caption=A BarColor=clRed BackColor=\\$00123456 -o " + png, dir);
    ASSERT_EQ(r.status, 0) << r.err;
    test::PngImage img;
    ASSERT_TRUE(test::readPng(png, img));
    EXPECT_EQ(img.at(0, 0), 0xFF123456u);   // background, opaque
    EXPECT_EQ(img.at(10, 10), 0xFF0000FFu);  // the first bar, red
    // Unpainted pixels keep the background's colour under alpha 0, so that a
    // reader ignoring alpha (zbar among them) sees the symbol on its background.
    r = zorvik("render Code.Symbology=Code_39 Code.Caption=A Code.Transparent=True Code.TextOn=False BackColor=\\$00123456 -o " +
                   png,
               dir);
    ASSERT_EQ(r.status, 0) << r.err;
    ASSERT_TRUE(test::readPng(png, img));
    EXPECT_EQ(img.at(0, 0), 0x00123456u);
    EXPECT_EQ(img.at(11, 10), 0x00123456u);  // a space
    EXPECT_EQ(img.at(10, 10), 0xFF000000u);
    r = zorvik("render Code.Symbology=Code_39 Code.Caption=ZORVIK Code.Transparent=True Height=60 -o " + png, dir);
    ASSERT_EQ(r.status, 0) << r.err;
    // Check character: 35 + 24 + 27 + 31 + 18 + 20 = 155, 155 mod 43 = 26, Q.
    EXPECT_EQ(test::zbarDecode(png), std::vector<std::string>{"CODE-39:ZORVIKQ"});
}

// Renders a vector file and rasterises it with an independent renderer at
// the symbol's own resolution.
std::string rasterise(const std::string& file, int dpi, const std::string& dir) {
    const std::string png = dir + "/raster.png";
    std::string cmd;
    if (file.ends_with(".pdf"))
        cmd = "pdftoppm -r " + std::to_string(dpi) + " -png -singlefile '" + file + "' '" + dir + "/raster'";
    else if (file.ends_with(".svg"))
        cmd = "rsvg-convert --dpi-x " + std::to_string(dpi) + " --dpi-y " + std::to_string(dpi) + " -o '" + png +
              "' '" + file + "'";
    else
        cmd = "gs -q -dSAFER -dBATCH -dNOPAUSE -sDEVICE=png16m -dEPSCrop -r" + std::to_string(dpi) +
              " -sOutputFile='" + png + "' '" + file + "'";
    EXPECT_EQ(test::runCommand(cmd + " 2>/dev/null"), 0) << cmd;
    return png;
}

TEST(Command, VectorOutputDecodesAtItsResolution) {
    const std::string dir = test::scratchDir("cli-vector");
    for (const char* ext : {"pdf", "svg", "ps"})
        for (const char* direction : {"Horizontal", "Vertical"})
            for (int scale : {1, 2}) {
                const std::string file = dir + "/v." + ext;
                const CommandRun r = zorvik(std::string("render Code.Symbology=Code_39 Code.Caption=VECTOR-39 Code.Direction=") +
                                         direction + " --scale " + std::to_string(scale) + " -o " + file,
                                     dir);
                ASSERT_EQ(r.status, 0) << r.err;
                const std::string png = rasterise(file, 96 * scale, dir);
                test::PngImage img;
                ASSERT_TRUE(test::readPng(png, img)) << ext;
                // The page is the symbol area: (9 + 3) x 16 + 20 modules by 50 pixels.
                const int w = 212 * scale, h = 50 * scale;
                const bool vertical = std::string(direction) == "Vertical";
                if (std::string(ext) != "ps") {
                    EXPECT_NEAR(img.width, vertical ? 100 * scale : w, 1) << ext << " " << direction;
                    EXPECT_NEAR(img.height, vertical ? w : h, 1) << ext << " " << direction;
                }
                const auto d = test::decodePng(png, ZXing::BarcodeFormat::Code39);
                EXPECT_TRUE(d.ok) << ext << " " << direction << " " << scale;
                EXPECT_EQ(d.text, "VECTOR-39D") << ext << " " << direction << " " << scale;
            }
}

TEST(Command, PdfPageIsTheSymbolAreaInPoints) {
    const std::string dir = test::scratchDir("cli-pdfinfo");
    const std::string pdf = dir + "/p.pdf";
    ASSERT_EQ(zorvik("render Code.Symbology=Code_39 Code.Caption=ABC --scale 2 -o " + pdf, dir).status, 0);
    std::string info;
    ASSERT_EQ(test::runCommand("pdfinfo '" + pdf + "'", &info), 0);
    // 232 x 100 device pixels of 1/192 inch.
    EXPECT_NE(info.find("Page size:       87 x 37.5 pts"), std::string::npos) << info;
}

struct Failure {
    const char* name;
    std::string args;
    int status;
    std::string message;  // one line of standard error, without "zorvik: "
};

TEST(Command, FailuresExitWithTheirStatusAndLeaveNoFile) {
    const std::string dir = test::scratchDir("cli-failures");
    const Failure cases[] = {
        {"unknown property", "Code.Colour=1", 1, "unknown property 'Code.Colour': 'zorvik properties' lists them all"},
        {"bad enumeration value", "Code.Density=Huge", 1, "bad value for Code.Density: expected one of High, Medium, Low"},
        {"bad boolean", "Code.AutoSize=yes", 1,
         "bad value for Code.AutoSize: expected True or False; did you mean True?"},
        {"not an assignment", "Code.AutoSize", 1, "expected PROPERTY=VALUE, got 'Code.AutoSize'"},
        {"caption Code 39 cannot carry", "Code.Symbology=Code_39 Code.Caption=abc", 2,
         "Caption has a character that Code 39 cannot encode: 'a' at position 1"},
        {"text after the first = is the caption", "Code.Symbology=Code_39 Code.Caption=A=B", 2,
         "Caption has a character that Code 39 cannot encode: '=' at position 2"},
        {"empty caption", "Code.Symbology=Code_39 Code.Caption=", 2, "Caption is empty"},
        {"numeric symbology", "Code.Symbology=EAN_8 Code.Caption=12345A7", 2, "Caption should be numeric"},
        {"invisible", "Visible=False", 2, "Nothing drawn: the control is invisible"},
        {"too large for a PNG", "Code.AutoSize=False Width=30000 Height=10000", 2, "Symbol too large: 30000 x 10000 pixels"},
        {"no area", "Height=0", 2, "Nothing drawn: the symbol area is 110 x 0 pixels"},
    };
    for (const auto& c : cases) {
        const std::string out = dir + "/out.png";
        fs::remove(out);
        const CommandRun r = zorvik("render " + c.args + " -o " + out, dir);
        EXPECT_EQ(r.status, c.status) << c.name << ": " << r.err;
        EXPECT_EQ(r.err, "zorvik: " + c.message + "\n") << c.name;
        EXPECT_FALSE(fs::exists(out)) << c.name;
        // Nothing but the output's directory entries: no temporary file left behind.
        for (const auto& e : fs::directory_iterator(dir))
            EXPECT_EQ(e.path().filename().string().rfind(".out.png", 0), std::string::npos) << c.name;
    }
}

TEST(Command, AFailureLeavesAnExistingFileUntouched) {
    const std::string dir = test::scratchDir("cli-untouched");
    const std::string out = dir + "/keep.png";
    {
        std::ofstream f(out);
        f << "precious";
    }
    const CommandRun r = zorvik("render Code.Symbology=Code_39 Code.Caption=bad -o " + out, dir);
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(test::readFile(out), "precious");
}

TEST(Command, UsageAndOutputErrors) {
    const std::string dir = test::scratchDir("cli-usage");
    struct Case {
        std::string args;
        std::string fragment;
    } cases[] = {
        {"render Code.Caption=1 -o " + dir + "/x.jpg", "use a name ending in .png, .svg, .pdf, .ps or .eps"},
        {"render Code.Caption=1", "--output is required"},
        {"render Code.Caption=1 --scale 0 -o " + dir + "/x.png", "--scale"},
        {"render Code.Caption=1 -o " + dir + "/missing/x.png", "cannot write '" + dir + "/missing/x.png'"},
        {"frobnicate", "frobnicate"},
    };
    for (const auto& c : cases) {
        const CommandRun r = zorvik(c.args, dir);
        EXPECT_EQ(r.status, 1) << c.args << ": " << r.err;
        EXPECT_NE(r.err.find(c.fragment), std::string::npos) << c.args << ": " << r.err;
        EXPECT_EQ(r.err.rfind("zorvik: ", 0), 0u) << r.err;
    }
}

TEST(Command, SettersThatKeepAnotherValueWarn) {
    const std::string dir = test::scratchDir("cli-warnings");
    const CommandRun r = zorvik("render Code.ControlChars=False Width=-5 -o " + dir + "/w.png", dir);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err,
              "zorvik: warning: Code.ControlChars = False was not kept; it is True\n"
              "zorvik: warning: Width = -5 was not kept; it is 0\n");
}

TEST(Command, MessagesAreSaidOnceHoweverOftenThePaintsRepeat) {
    const std::string dir = test::scratchDir("cli-once");
    // Stretched: the density settles over several paints before the caption is reached.
    const CommandRun r = zorvik("render Code.Symbology=EAN_13 Code.Caption=12345 Code.AutoSize=False Width=900 -o " + dir + "/o.png",
                         dir);
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(lines(r.err), 1) << r.err;
    EXPECT_EQ(r.err, "zorvik: EAN-13 should be 12 numeric chars\n");
}

}  // namespace
}  // namespace zorvik
