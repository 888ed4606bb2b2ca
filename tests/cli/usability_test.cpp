// The command as people meet it: the property reference, suggestions, colour
// forms, standard streams, EPS, --dpi and the names of a batch's files.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <regex>

#include "control/published.h"
#include "tests/support/support.h"

namespace zorvik {
namespace {

namespace fs = std::filesystem;

struct CmdRun {
    int status;
    std::string out, err;
};

CmdRun zorvik(const std::string& args, const std::string& dir) {
    CmdRun r;
    r.status = test::zorvik(args, dir, &r.err, &r.out);
    return r;
}

bool has(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

std::vector<std::string> filesIn(const std::string& dir) {
    std::vector<std::string> out;
    for (const auto& e : fs::directory_iterator(dir))
        if (e.path().filename() != "stderr.txt") out.push_back(e.path().filename().string());
    std::sort(out.begin(), out.end());
    return out;
}

// A row of `zorvik properties`, its columns split at runs of two spaces.
std::vector<std::string> rowOf(const std::string& listing, const std::string& path) {
    std::istringstream in(listing);
    for (std::string line; std::getline(in, line);) {
        if (line.rfind(path + " ", 0) != 0) continue;
        std::vector<std::string> cols;
        std::regex gap(" {2,}");
        for (std::sregex_token_iterator it(line.begin(), line.end(), gap, -1), end; it != end; ++it)
            cols.push_back(*it);
        return cols;
    }
    return {};
}

TEST(Usability, PropertiesListEveryPublishedPropertyWithTypeDefaultAndValues) {
    const std::string dir = test::scratchDir("ux-properties");
    const CmdRun r = zorvik("properties", dir);
    ASSERT_EQ(r.status, 0) << r.err;
    for (const PublishedProperty& p : zorvikProperties())
        EXPECT_FALSE(rowOf(r.out, std::string(p.path)).empty()) << p.path;
    // Defaults of the host framework and the control: a font of 8 points at 96
    // pixels per inch is -11 pixels high; controls are 50 pixels high; the symbol
    // is black on white at the highest density.
    const struct {
        const char* path;
        const char* type;
        const char* def;
        const char* valuesPart;
    } rows[] = {
        {"Height", "Integer", "50", "whole number"},
        {"Font.Height", "Integer", "-11", "-16384 to 16384"},
        {"Code.Density", "Enumeration", "High", "High, Medium, Low"},
        {"Code.Symbology", "Enumeration", "",
         "Code_39, Code_93, Code_128, ITF, Industrial, IATA, Codabar, EAN_13, EAN_8, "
         "EAN_13_2AddOn, EAN_13_5AddOn, UPC_A"},
        {"BackColor", "Colour", "clWhite", "colour"},
        {"BarColor", "Colour", "clBlack", "colour"},
        {"Font.Style", "Font styles", "[]", "fsBold, fsItalic, fsUnderline, fsStrikeOut"},
        {"Font.Charset", "Charset", "DEFAULT_CHARSET", "ANSI_CHARSET"},
        {"Code.AutoSize", "Boolean", "True", "True or False"},
        {"Visible", "Boolean", "True", "True or False"},
    };
    for (const auto& row : rows) {
        const std::vector<std::string> cols = rowOf(r.out, row.path);
        ASSERT_GE(cols.size(), 5u) << row.path;
        EXPECT_EQ(cols[1], row.type) << row.path;
        if (*row.def != 0) {
            EXPECT_EQ(cols[2], row.def) << row.path;
        }
        EXPECT_TRUE(has(cols[4], row.valuesPart)) << row.path << ": " << cols[4];
    }
    // The colour forms, the order of $BBGGRR and the CSS names.
    for (const char* part : {"$FF0000 is blue", "#FF0000 is red", "clFuchsia", "rebeccapurple", "yellowgreen"})
        EXPECT_TRUE(has(r.out, part)) << part;

    // --names: what a command line may assign, for completion.
    const CmdRun names = zorvik("properties --names", dir);
    EXPECT_EQ(names.status, 0);
    EXPECT_TRUE(has(names.out, "Code.Caption\n") && has(names.out, "Font.Height\n"));
    EXPECT_FALSE(has(names.out, "OnClick") || has(names.out, "DataSource"));

    // The symbol commands' help names the properties and the colour forms.
    for (const char* command : {"render", "form", "print", "batch"}) {
        const CmdRun help = zorvik(std::string(command) + " --help", dir);
        EXPECT_TRUE(has(help.out, "Code.Symbology") && has(help.out, "#RRGGBB") && has(help.out, "zorvik properties"))
            << command;
    }
}

TEST(Usability, UnknownNamesSuggestTheNearest) {
    const std::string dir = test::scratchDir("ux-suggest");
    const struct {
        const char* assignment;
        const char* message;
    } cases[] = {
        {"Caption=123", "unknown property 'Caption': did you mean Code.Caption?"},
        {"Symbology=EAN_13", "unknown property 'Symbology': did you mean Code.Symbology?"},
        {"Font.Size=12", "unknown property 'Font.Size': did you mean Font.Height?"},
        {"Data=123", "unknown property 'Data': did you mean Code.Caption?"},
        {"code.captoin=123", "unknown property 'code.captoin': did you mean Code.Caption?"},
        {"Code.Densty=Low", "unknown property 'Code.Densty': did you mean Code.Density?"},
        {"Zzzzzz=1", "unknown property 'Zzzzzz': 'zorvik properties' lists them all"},
        {"Code.Symbology=EAN13", "did you mean EAN_13?"},
        {"Code.Symbology=code128", "did you mean Code_128?"},
        {"Code.Symbology=Interleaved", "expected one of Code_39,"},
        {"Code.Density=Meduim", "did you mean Medium?"},
        {"Code.Border=yes", "did you mean True?"},
        {"BarColor=clGrey", "'clGrey' is not a colour; did you mean clGray?"},
        {"BarColor=cornflowerblu", "did you mean cornflowerblue?"},
    };
    for (const auto& c : cases) {
        const CmdRun r = zorvik(std::string("render ") + c.assignment + " -o " + dir + "/a.png", dir);
        EXPECT_EQ(r.status, 1) << c.assignment;
        EXPECT_TRUE(has(r.err, c.message)) << c.assignment << ": " << r.err;
        EXPECT_FALSE(fs::exists(dir + "/a.png")) << c.assignment;
    }
    const CmdRun command = zorvik("rendr Code.Caption=1 -o " + dir + "/a.png", dir);
    EXPECT_EQ(command.status, 1);
    EXPECT_TRUE(has(command.err, "unknown command 'rendr': did you mean render?")) << command.err;
    // A refused colour lists every form it could have taken.
    const CmdRun r = zorvik("render BarColor=nocolour -o " + dir + "/a.png", dir);
    for (const char* form : {"clBlack", "clWhite", "decimal", "$BBGGRR", "#RRGGBB", "#RGB", "CSS colour name"})
        EXPECT_TRUE(has(r.err, form)) << form << ": " << r.err;
}

TEST(Usability, ColoursInEveryForm) {
    const std::string dir = test::scratchDir("ux-colours");
    // Expected as $00BBGGRR. CSS Color Module Level 4: cornflowerblue is
    // #6495ED, rebeccapurple #663399, green #008000; #RGB doubles each digit.
    const struct {
        const char* value;
        TColor colour;
    } cases[] = {
        {"clRed", 0x0000FF},          {"255", 0x0000FF},     {"$FF0000", 0xFF0000}, {"$0000FF", 0x0000FF},
        {"#FF0000", 0x0000FF},        {"#0000ff", 0xFF0000}, {"#0F8", 0x88FF00},    {"rebeccapurple", 0x993366},
        {"CornflowerBlue", 0xED9564}, {"green", 0x008000},   {"clGreen", 0x008000}, {"navy", 0x800000},
    };
    for (const auto& c : cases) {
        const std::string png = dir + "/c.png";
        const CmdRun r = zorvik(
            std::string("render Code.Symbology=Code_39 Code.Caption=ABC 'BarColor=") + c.value + "' -o " + png, dir);
        ASSERT_EQ(r.status, 0) << c.value << ": " << r.err;
        test::PngImage img;
        ASSERT_TRUE(test::readPng(png, img));
        uint32_t ink = 0;
        for (int x = 0; x < img.width && ink == 0; ++x)
            if ((img.at(x, 5) >> 24) == 0xFF && (img.at(x, 5) & 0xFFFFFF) != 0xFFFFFF) ink = img.at(x, 5) & 0xFFFFFF;
        EXPECT_EQ(ink, static_cast<uint32_t>(c.colour)) << c.value;
    }
    // A form file keeps a colour as a number or a standard name.
    const CmdRun form = zorvik("form 'BarColor=#FF0000' 'BackColor=#123456' -o -", dir);
    EXPECT_TRUE(has(form.out, "BarColor = clRed\n")) << form.out;
    EXPECT_TRUE(has(form.out, "BackColor = " + std::to_string(0x563412) + "\n")) << form.out;
}

TEST(Usability, OptionValuesIgnoreCase) {
    const std::string dir = test::scratchDir("ux-case");
    const struct {
        const char* args;
        const char* reference;
    } cases[] = {
        {"print Code.Caption=123 --paper letter", "print Code.Caption=123 --paper Letter"},
        {"print Code.Caption=123 --paper LETTER", "print Code.Caption=123 --paper Letter"},
        {"print Code.Caption=123 --paper a4", "print Code.Caption=123 --paper A4"},
        {"render Code.Caption=123 --format PNG", "render Code.Caption=123 --format png"},
        {"render CODE.SYMBOLOGY=ean_13 code.caption=400638133393",
         "render Code.Symbology=EAN_13 Code.Caption=400638133393"},
    };
    for (const auto& c : cases) {
        const std::string ext = has(c.args, "print") ? ".pdf" : ".png";
        ASSERT_EQ(zorvik(std::string(c.args) + " -o " + dir + "/a" + ext, dir).status, 0) << c.args;
        ASSERT_EQ(zorvik(std::string(c.reference) + " -o " + dir + "/b" + ext, dir).status, 0) << c.reference;
        EXPECT_EQ(test::readFile(dir + "/a" + ext), test::readFile(dir + "/b" + ext)) << c.args;
    }
}

TEST(Usability, StandardStreamsAndNoFileCalledDash) {
    const std::string dir = test::scratchDir("ux-streams");
    const std::string symbol = "Code.Symbology=EAN_13 Code.Caption=400638133393";
    // -o - writes exactly what the file would hold.
    for (const char* format : {"png", "svg", "pdf", "ps", "eps"}) {
        const std::string file = dir + "/ref." + format;
        ASSERT_EQ(zorvik("render " + symbol + " -o " + file, dir).status, 0) << format;
        const CmdRun r = zorvik("render " + symbol + " --format " + format + " -o - > " + dir + "/out", dir);
        EXPECT_EQ(r.status, 0) << format << ": " << r.err;
        EXPECT_EQ(test::readFile(dir + "/out"), test::readFile(file)) << format;
        fs::remove(file);
    }
    ASSERT_EQ(zorvik("form " + symbol + " -o " + dir + "/ref.dfm", dir).status, 0);
    EXPECT_EQ(zorvik("form " + symbol + " -o -", dir).out, test::readFile(dir + "/ref.dfm"));
    fs::remove(dir + "/ref.dfm");
    fs::remove(dir + "/out");

    // --input - reads the captions from standard input; the PNG decodes.
    test::writeFile(dir + "/captions.txt", "400638133393\n590123412345\n");
    CmdRun r =
        zorvik("batch Code.Symbology=EAN_13 --input - -o '" + dir + "/s{n}.png' < " + dir + "/captions.txt", dir);
    EXPECT_EQ(r.status, 0) << r.err;
    const auto decoded = test::decodePng(dir + "/s2.png", ZXing::BarcodeFormat::EAN13);
    EXPECT_TRUE(decoded.ok);
    EXPECT_EQ(decoded.text, "5901234123457");
    r = zorvik("batch Code.Symbology=EAN_13 --input - -o " + dir + "/all.pdf < " + dir + "/captions.txt", dir);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(test::lastBatchSummary.rfind("zorvik: 2 written, 0 failed, ", 0), 0u) << test::lastBatchSummary;

    // Where standard output cannot be meant, '-' is refused, never created.
    const struct {
        const char* args;
        const char* message;
    } refused[] = {
        {"render Code.Caption=123 -o -", "needs --format"},
        {"print Code.Caption=123 -o -", "cannot print to '-'"},
        {"batch --input CAPTIONS -o -", "needs {n}"},
        {"batch --input NOWHERE -o 'DIR/{n}.png'", "cannot read"},
    };
    for (const auto& c : refused) {
        std::string args = c.args;
        args = std::regex_replace(args, std::regex("CAPTIONS"), dir + "/captions.txt");
        args = std::regex_replace(args, std::regex("NOWHERE"), dir + "/nowhere.txt");
        args = std::regex_replace(args, std::regex("DIR"), dir);
        r = zorvik(args, dir);
        EXPECT_EQ(r.status, 1) << c.args;
        EXPECT_TRUE(has(r.err, c.message)) << c.args << ": " << r.err;
    }
    EXPECT_FALSE(fs::exists(dir + "/-"));
    EXPECT_EQ(filesIn(dir), (std::vector<std::string>{"all.pdf", "captions.txt", "s1.png", "s2.png"}));
}

TEST(Usability, EpsHasTheSymbolsBoundingBox) {
    const std::string dir = test::scratchDir("ux-eps");
    // Code 39 "ABC" is 116 x 50 screen pixels; at 96 pixels per inch that is
    // 87 x 37.5 points, and a bounding box takes whole points around it.
    const struct {
        const char* args;
        const char* box;
    } cases[] = {
        {"", "%%BoundingBox: 0 0 87 38"},
        {"--scale 2", "%%BoundingBox: 0 0 87 38"},
        {"Code.Direction=Vertical", "%%BoundingBox: 0 0 75 87"},
    };
    for (const auto& c : cases) {
        const std::string eps = dir + "/a.eps";
        const CmdRun r =
            zorvik(std::string("render Code.Symbology=Code_39 Code.Caption=ABC ") + c.args + " -o " + eps, dir);
        ASSERT_EQ(r.status, 0) << c.args << ": " << r.err;
        const std::string text = test::readFile(eps);
        EXPECT_EQ(text.rfind("%!PS-Adobe-3.0 EPSF-3.0\n", 0), 0u) << c.args;
        EXPECT_TRUE(has(text, std::string(c.box) + "\n")) << c.args;
        EXPECT_FALSE(has(text, "%%Page: 2")) << c.args;
    }
    // The pages of print and report are paper, never encapsulated.
    EXPECT_EQ(zorvik("print Code.Caption=123 -o " + dir + "/p.eps", dir).status, 1);
    EXPECT_FALSE(fs::exists(dir + "/p.eps"));
}

TEST(Usability, DpiDrawsAtTheReportPrintersScale) {
    const std::string dir = test::scratchDir("ux-dpi");
    // The report printer's factor A = dpi / 96, rounded to the nearest whole
    // number with halves to even: 144 dpi is 1.5 -> 2, 240 is 2.5 -> 2, 720 is
    // 7.5 -> 8, 1200 is 12.5 -> 12; below 96 it stays 1.
    const struct {
        int dpi, scale;
    } cases[] = {{50, 1}, {96, 1}, {144, 2}, {240, 2}, {300, 3}, {600, 6}, {720, 8}, {1200, 12}};
    for (const auto& c : cases) {
        const std::string png = dir + "/a.png";
        CmdRun r =
            zorvik("render Code.Symbology=Code_39 Code.Caption=ABC --dpi " + std::to_string(c.dpi) + " -o " + png, dir);
        ASSERT_EQ(r.status, 0) << c.dpi << ": " << r.err;
        test::PngImage img;
        ASSERT_TRUE(test::readPng(png, img));
        EXPECT_EQ(img.width, 116 * c.scale) << c.dpi;
        EXPECT_EQ(img.height, 50 * c.scale) << c.dpi;
        ASSERT_TRUE(img.hasPhys);
        // pHYs counts per metre: it gives back exactly the dots per inch asked.
        EXPECT_EQ(std::lround(img.ppmX * 0.0254), c.dpi) << c.dpi;
        EXPECT_EQ(img.ppmX, img.ppmY);

        test::writeFile(dir + "/in.txt", "ABC\n");
        r = zorvik("batch Code.Symbology=Code_39 --input " + dir + "/in.txt --dpi " + std::to_string(c.dpi) + " -o '" +
                       dir + "/b{n}.png'",
                   dir);
        ASSERT_EQ(r.status, 0) << c.dpi << ": " << r.err;
        EXPECT_EQ(test::readFile(dir + "/b1.png"), test::readFile(png)) << c.dpi;
    }
    EXPECT_EQ(zorvik("render Code.Caption=123 --dpi 600 --scale 2 -o " + dir + "/x.png", dir).status, 1);
    EXPECT_EQ(zorvik("render Code.Caption=123 --dpi 0 -o " + dir + "/x.png", dir).status, 1);
}

TEST(Usability, BatchNamesFromNumbersAndFields) {
    const std::string dir = test::scratchDir("ux-names");
    const std::string db = test::makeDatabase(
        dir,
        "CREATE TABLE t (code TEXT, sku TEXT);"
        "INSERT INTO t VALUES ('111', 'plain'), ('222', 'a/b\\c'), ('333', '.hidden'), ('444', ''),"
        "('555', NULL), ('666', '..'), ('777', 'x y'), ('888', 'plain2'), ('999', 'p'), ('123', 'q');");
    const std::string query = " --db " + db + " --sql 'SELECT code, sku FROM t'";
    const struct {
        const char* pattern;
        std::vector<std::string> files;
        std::vector<int> failed;  // records
    } cases[] = {
        {"n{n:3}.svg",
         {"n001.svg", "n002.svg", "n003.svg", "n004.svg", "n005.svg", "n006.svg", "n007.svg", "n008.svg", "n009.svg",
          "n010.svg"},
         {}},
        {"n{n:1}.svg",
         {"n1.svg", "n10.svg", "n2.svg", "n3.svg", "n4.svg", "n5.svg", "n6.svg", "n7.svg", "n8.svg", "n9.svg"},
         {}},
        {"{SKU}.svg",
         {"_..svg", "_hidden.svg", "a_b_c.svg", "p.svg", "plain.svg", "plain2.svg", "q.svg", "x y.svg"},
         {4, 5}},
        {"{code}-{n:2}.svg",
         {"111-01.svg", "123-10.svg", "222-02.svg", "333-03.svg", "444-04.svg", "555-05.svg", "666-06.svg",
          "777-07.svg", "888-08.svg", "999-09.svg"},
         {}},
        {"{{{n}}}.svg",
         {"{10}.svg", "{1}.svg", "{2}.svg", "{3}.svg", "{4}.svg", "{5}.svg", "{6}.svg", "{7}.svg", "{8}.svg",
          "{9}.svg"},
         {}},
    };
    for (const auto& c : cases) {
        const std::string out = dir + "/out";
        fs::remove_all(out);
        fs::create_directories(out);
        const CmdRun r = zorvik("batch Code.Symbology=Code_128" + query + " -o '" + out + "/" + c.pattern + "'", dir);
        EXPECT_EQ(r.status, c.failed.empty() ? 0 : 2) << c.pattern << ": " << r.err;
        EXPECT_EQ(filesIn(out), c.files) << c.pattern;
        std::string expectedErr;
        for (int n : c.failed)
            expectedErr += "zorvik: record " + std::to_string(n) +
                           ": the field SKU ('') cannot be part of a file name: it is empty\n";
        EXPECT_EQ(r.err, expectedErr) << c.pattern;
        EXPECT_EQ(test::lastBatchSummary.rfind("zorvik: " + std::to_string(10 - c.failed.size()) + " written, " +
                                                   std::to_string(c.failed.size()) + " failed, ",
                                               0),
                  0u)
            << c.pattern << ": " << test::lastBatchSummary;
    }
    const struct {
        const char* pattern;
        const char* message;
    } refused[] = {
        {"{nope}.png", "unknown column {nope} in the output pattern: the records have code, sku"},
        {"{n:0}.png", "{n:W} wants a width W from 1 to 18"},
        {"{n:x}.png", "{n:W} wants a width W from 1 to 18"},
        {"{n.png", "without its '}'"},
        {"{}.png", "empty {}"},
    };
    for (const auto& c : refused) {
        const CmdRun r = zorvik("batch" + query + " -o '" + dir + "/" + c.pattern + "'", dir);
        EXPECT_EQ(r.status, 1) << c.pattern;
        EXPECT_TRUE(has(r.err, c.message)) << c.pattern << ": " << r.err;
    }
}

}  // namespace
}  // namespace zorvik

namespace zorvik {
namespace {

TEST(Verify, EverySymbolIsReadBackBeforeItIsWritten) {
    const std::string dir = test::scratchDir("ux-verify");
    // Captions whose check characters are worked out by hand from their
    // standards; the reader reports Code 39's and Codabar's check character,
    // an EAN/UPC check digit and the add-on after a space, and drops Code 93's
    // and Code 128's. Industrial and IATA 2 of 5, which it does not read, are
    // compared element by element with the published 2 of 5 patterns; a symbol
    // the reader cannot read is said, and written.
    const struct {
        const char* args;
        const char* warning;
    } readable[] = {
        {"Code.Symbology=Code_39 Code.Caption=ABC", ""},
        {"Code.Symbology=Code_39 Code.Caption=ABC Code.ControlChars=False", ""},
        {"Code.Symbology=Code_93 Code.Caption=ZORVIK", ""},
        {"Code.Symbology=Code_128 Code.Caption=Zorvik-1", ""},
        {"Code.Symbology=ITF Code.Caption=12345", ""},
        {"Code.Symbology=ITF Code.Caption=1234567 Code.ControlChars=False", ""},
        {"Code.Symbology=ITF Code.Caption=9293319564 Code.Direction=Vertical Code.Density=Medium", ""},
        {"Code.Symbology=Codabar Code.Caption=A40156B", ""},
        {"Code.Symbology=Codabar Code.Caption=123456", ""},
        {"Code.Symbology=EAN_13 Code.Caption=400638133393", ""},
        {"Code.Symbology=EAN_13 Code.Caption=400638133393 Code.Direction=Vertical", ""},
        {"Code.Symbology=EAN_8 Code.Caption=9638507", ""},
        {"Code.Symbology=UPC_A Code.Caption=03600029145", ""},
        {"Code.Symbology=EAN_13_5AddOn Code.Caption=97802013796252495 Height=80", ""},
        {"Code.Symbology=EAN_13_2AddOn Code.Caption=97802013796212 Height=80", ""},
        {"Code.Symbology=Industrial Code.Caption=123", ""},
        {"Code.Symbology=Industrial Code.Caption=0123456789 Code.Direction=Vertical", ""},
        {"Code.Symbology=IATA Code.Caption=0123456789", ""},
        {"Code.Symbology=IATA Code.Caption=61965 Code.Border=True", ""},
        {"Code.Symbology=IATA Code.Caption=7 Code.Direction=Vertical Code.Density=Low Height=120", ""},
        {"Code.Symbology=ITF Code.Caption=123", "fewer than 6 digits"},
    };
    for (const auto& c : readable) {
        const std::string png = dir + "/v.png";
        fs::remove(png);
        const CmdRun r = zorvik(std::string("render --verify ") + c.args + " -o " + png, dir);
        EXPECT_EQ(r.status, 0) << c.args << ": " << r.err;
        EXPECT_TRUE(fs::exists(png)) << c.args;
        if (*c.warning == 0) {
            EXPECT_EQ(r.err, "") << c.args;
        } else {
            EXPECT_TRUE(has(r.err, "zorvik: warning: not verified: ") && has(r.err, c.warning)) << c.args << r.err;
        }
    }
    // Bars too pale to read: refused with exit 2 and no file, wherever drawn.
    const std::string pale = "Code.Symbology=EAN_13 Code.Caption=400638133393 'BarColor=#F0F0F0' --verify";
    const struct {
        std::string args, file;
    } refused[] = {
        {"render " + pale + " -o " + dir + "/p.png", dir + "/p.png"},
        {"print " + pale + " -o " + dir + "/p.pdf", dir + "/p.pdf"},
    };
    const CmdRun iata =
        zorvik("render --verify Code.Symbology=IATA Code.Caption=123 'BarColor=#F0F0F0' -o " + dir + "/i.png", dir);
    EXPECT_EQ(iata.status, 2);
    EXPECT_EQ(iata.err,
              "zorvik: Not verified: the bars drawn are not the published pattern of IATA 2 of 5 for '123'\n");
    EXPECT_FALSE(fs::exists(dir + "/i.png"));
    for (const auto& c : refused) {
        const CmdRun r = zorvik(c.args, dir);
        EXPECT_EQ(r.status, 2) << c.args;
        EXPECT_EQ(r.err, "zorvik: Not verified: the symbol does not read back (expected '4006381333931')\n") << c.args;
        EXPECT_FALSE(fs::exists(c.file)) << c.args;
    }
    // A batch reads every record back: the same files as without.
    test::writeFile(dir + "/in.txt", "400638133393\n590123412345\n");
    CmdRun r = zorvik("batch --verify Code.Symbology=EAN_13 --input " + dir + "/in.txt -o '" + dir + "/b{n}.png'", dir);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(test::lastBatchSummary.rfind("zorvik: 2 written, 0 failed", 0), 0u);
    r = zorvik(
        "batch --verify Code.Symbology=EAN_13 'BarColor=#F0F0F0' --input " + dir + "/in.txt -o '" + dir + "/c{n}.png'",
        dir);
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.err,
              "zorvik: record 1: Not verified: the symbol does not read back (expected '4006381333931')\n"
              "zorvik: record 2: Not verified: the symbol does not read back (expected '5901234123457')\n");
    EXPECT_FALSE(fs::exists(dir + "/c1.png") || fs::exists(dir + "/c2.png"));
}

}  // namespace
}  // namespace zorvik

namespace zorvik {
namespace {

TEST(Warnings, ModulesNarrowerThanTwoPrinterDots) {
    const std::string dir = test::scratchDir("ux-thin");
    // A module is Scale x (Density + 1) dots, Scale = dpi / 96 whole.
    const struct {
        const char* args;
        bool warned;
    } cases[] = {
        {"--dpi 96", true}, {"--dpi 150", true}, {"--dpi 192", false}, {"--dpi 96 Code.Density=Medium", false},
        {"", false},
    };
    for (const auto& c : cases) {
        const CmdRun r = zorvik(
            std::string("print Code.Symbology=Code_39 Code.Caption=ABC ") + c.args + " -o " + dir + "/p.pdf", dir);
        EXPECT_EQ(r.status, 0) << c.args;
        EXPECT_EQ(has(r.err, "zorvik: warning: modules are 1.00 printer dots wide"), c.warned) << c.args << r.err;
    }
}

}  // namespace
}  // namespace zorvik
