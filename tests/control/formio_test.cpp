#include <gtest/gtest.h>

#include <string>

#include "control/formio.h"
#include "control/zorvik.h"
#include "tests/support/support.h"

namespace zorvik {
namespace {

bool load(const std::string& text, TZorvik& z, std::string& error, const std::string& name = "") {
    std::vector<TFormObject> roots;
    std::string objectName;
    return parseForm(text, "f.dfm", roots, error) && loadZorvik(roots, "f.dfm", name, z, objectName, error);
}

TEST(FormFile, DefaultsAreLeftOutAndTheRestWrittenInPublicationOrder) {
    TZorvik z(nullptr);
    EXPECT_EQ(writeZorvik(z, "Zorvik1"),
              "object Zorvik1: TZorvik\n"
              "  Width = 100\n"
              "  Code.Symbology = Codabar\n"
              "  Code.Caption = '123456'\n"
              "  Code.TextAutosize = False\n"
              "  Code.Density = High\n"
              "  Code.Border = False\n"
              "  Code.ShowCtrlsChars = False\n"
              "  Code.TextOn = True\n"
              "  Code.TextAlignment = txLeft\n"
              "  BackColor = clWhite\n"
              "  BarColor = clBlack\n"
              "  Font.Charset = DEFAULT_CHARSET\n"
              "  Font.Color = clBlack\n"
              "  Font.Height = -11\n"
              "  Font.Name = 'Arial'\n"
              "  Font.Style = []\n"
              "end\n");
}

TEST(FormFile, ValuesThatDifferFromTheirDefaultsAreWritten) {
    TZorvik z(nullptr);
    z.SetLeft(8);
    z.SetTop(-3);
    z.SetHeight(60);
    z.SetTag(7);
    z.SetDragCursor(-21);
    z.Code()->SetAutoSize(false);
    z.Code()->SetDirection(TDirection::Vertical);
    z.Code()->SetTransparent(true);
    z.Code()->SetCode(TBarCodeType::Code_39);
    z.Code()->SetCtrlChar(false);
    z.SetBackColor(0x123456);
    z.SetBarColor(clNavy);
    z.Font()->SetStyle(fsBold | fsStrikeOut);
    z.Font()->SetCharset(238);
    z.SetVisible(false);
    const std::string text = writeZorvik(z, "Bar");
    for (const char* line : {"  Tag = 7\n", "  Left = 8\n", "  Top = -3\n", "  Height = 60\n", "  DragCursor = crHandPoint\n",
                             "  Code.AutoSize = False\n", "  Code.Direction = Vertical\n", "  Code.Transparent = True\n",
                             "  Code.ControlChars = False\n", "  BackColor = 1193046\n", "  BarColor = clNavy\n",
                             "  Font.Charset = EASTEUROPE_CHARSET\n", "  Font.Style = [fsBold, fsStrikeOut]\n",
                             "  Visible = False\n"})
        EXPECT_NE(text.find(line), std::string::npos) << line << text;
    EXPECT_LT(text.find("Tag"), text.find("Left"));
    EXPECT_LT(text.find("Code.Transparent"), text.find("Code.ControlChars"));
    EXPECT_LT(text.find("Font.Style"), text.find("Visible"));
}

TEST(FormFile, StringsRoundTrip) {
    const std::string captions[] = {"O'Neil", "''", "", "caf\xC3\xA9 \xE2\x82\xAC", "tab\there", "\xF0\x9F\x98\x80", "#13"};
    for (const auto& caption : captions) {
        TZorvik a(nullptr), b(nullptr);
        a.Code()->SetCaption(caption);
        a.Font()->SetName("Liberation Sans");
        const std::string text = writeZorvik(a, "Z");
        // Printable ASCII only, so the file survives any editor.
        for (unsigned char c : text) EXPECT_TRUE(c == '\n' || (c >= 32 && c < 127)) << text;
        std::string error;
        ASSERT_TRUE(load(text, b, error)) << error;
        EXPECT_EQ(b.Code()->Caption(), caption) << text;
        EXPECT_EQ(b.Font()->Name(), "Liberation Sans");
    }
}

TEST(FormFile, StringValuesInTheFrameworksForms) {
    struct Case {
        const char* value;
        std::string caption;
    } cases[] = {
        {"'O''Neil'", "O'Neil"},
        {"'caf'#233", "caf\xC3\xA9"},
        {"#65#66'C'", "ABC"},
        {"'line one' +\n    ' and two'", "line one and two"},
        {"''", ""},
    };
    for (const auto& c : cases) {
        TZorvik z(nullptr);
        std::string error;
        ASSERT_TRUE(load(std::string("object Z: TZorvik\n  Code.Caption = ") + c.value + "\nend\n", z, error)) << error;
        EXPECT_EQ(z.Code()->Caption(), c.caption) << c.value;
    }
}

TEST(FormFile, AssignmentsGoThroughTheSettersInFileOrder) {
    struct Case {
        const char* lines;
        bool controlChars;
    } cases[] = {
        {"Code.Symbology = Codabar\n  Code.ControlChars = False\n", true},
        {"Code.Symbology = Code_39\n  Code.ControlChars = False\n  Code.Symbology = Codabar\n", false},
    };
    for (const auto& c : cases) {
        TZorvik z(nullptr);
        std::string error;
        ASSERT_TRUE(load(std::string("object Z: TZorvik\n  ") + c.lines + "end\n", z, error)) << error;
        EXPECT_EQ(z.Code()->ControlChars(), c.controlChars) << c.lines;
    }
}

TEST(FormFile, ValuesOfEveryKind) {
    TZorvik z(nullptr);
    std::string error;
    ASSERT_TRUE(load("object Z: TZorvik\n"
                     "  Left = $10\n"
                     "  Width = 240\n"
                     "  code.symbology = ean_8\n"
                     "  Code.Caption = '9638507'\n"
                     "  Code.Density = Medium\n"
                     "  Code.Border = true\n"
                     "  BackColor = clYellow\n"
                     "  BarColor = 8388608\n"
                     "  Font.Charset = 204\n"
                     "  Font.Height = 14\n"
                     "  Font.Style = [fsItalic,fsUnderline]\n"
                     "  DragMode = dmAutomatic\n"
                     "end\n",
                     z, error))
        << error;
    EXPECT_EQ(z.Left(), 16);
    EXPECT_EQ(z.Width(), 240);
    EXPECT_EQ(z.Code()->Symbology(), TBarCodeType::EAN_8);
    EXPECT_EQ(z.Code()->Density(), TDensity::Medium);
    EXPECT_TRUE(z.Code()->Border());
    EXPECT_EQ(z.BackColor(), clYellow);
    EXPECT_EQ(z.BarColor(), clNavy);
    EXPECT_EQ(z.Font()->Charset(), 204);
    EXPECT_EQ(z.Font()->Height(), 14);
    EXPECT_EQ(z.Font()->Style(), fsItalic | fsUnderline);
    EXPECT_EQ(z.DragMode(), 1);
}

TEST(FormFile, EventBindingsAreKeptByNameAndTheControlStillListens) {
    test::Hosted h;
    std::string error;
    ASSERT_TRUE(load("object Z: TZorvik\n  OnClick = Form1Click\n  Code.OnChange = Form1CodeChange\nend\n", *h.control,
                     error))
        << error;
    ASSERT_TRUE(h.settle());
    h.control->Code()->SetCaption("654321");
    EXPECT_TRUE(h.host.isInvalid(*h.control));
    const std::string text = writeZorvik(*h.control, "Z");
    EXPECT_NE(text.find("  OnClick = Form1Click\n"), std::string::npos) << text;
    EXPECT_NE(text.find("  Code.OnChange = Form1CodeChange\n"), std::string::npos) << text;
    EXPECT_LT(text.find("OnClick"), text.find("Code.Symbology"));
    EXPECT_GT(text.find("Code.OnChange"), text.find("Code.TextAlignment"));
}

TEST(FormFile, OtherClassesAreReadPastAndTheControlChosenByName) {
    const std::string form = "object Form1: TForm1\n"
                             "  Left = 192\n"
                             "  Caption = 'Labels'\n"
                             "  OnCreate = FormCreate\n"
                             "  object ListBox1: TListBox\n"
                             "    Items.Strings = (\n"
                             "      'one'\n"
                             "      'two')\n"
                             "  end\n"
                             "  object Image1: TImage\n"
                             "    Picture.Data = {\n"
                             "      0A544269746D6170\n"
                             "      00}\n"
                             "  end\n"
                             "  object Grid: TDBGrid\n"
                             "    Columns = <\n"
                             "      item\n"
                             "        FieldName = 'NAME'\n"
                             "      end>\n"
                             "  end\n"
                             "  object First: TZorvik\n"
                             "    Code.Caption = '111'\n"
                             "  end\n"
                             "  object Second: TZorvik\n"
                             "    Code.Caption = '222'\n"
                             "  end\n"
                             "end\n";
    struct Case {
        const char* name;
        const char* caption;
    } cases[] = {{"", "111"}, {"Second", "222"}, {"second", "222"}};
    for (const auto& c : cases) {
        TZorvik z(nullptr);
        std::string error;
        ASSERT_TRUE(load(form, z, error, c.name)) << error;
        EXPECT_EQ(z.Code()->Caption(), c.caption) << c.name;
    }
    TZorvik z(nullptr);
    std::string error;
    EXPECT_FALSE(load(form, z, error, "ListBox1"));
    EXPECT_EQ(error, "f.dfm:5: 'ListBox1' is a TListBox, not a TZorvik");
    EXPECT_FALSE(load(form, z, error, "Missing"));
    EXPECT_EQ(error, "f.dfm: the file holds no object called 'Missing'");
    EXPECT_FALSE(load("object Form1: TForm\nend\n", z, error));
    EXPECT_EQ(error, "f.dfm: the file holds no TZorvik");
}

TEST(FormFile, FaultsAreReportedWithTheirLine) {
    struct Case {
        const char* name;
        std::string text;
        std::string error;
    } cases[] = {
        {"no end", "object Z: TZorvik\n  Width = 1\n", "f.dfm:1: the object 'Z' has no 'end'"},
        {"bad header", "objekt Z: TZorvik\nend\n", "f.dfm:1: expected 'object Name: TClass', found 'objekt Z: TZorvik'"},
        {"no equals", "object Z: TZorvik\n  Width 100\nend\n", "f.dfm:2: expected 'Property = Value', found 'Width 100'"},
        {"no value", "object Z: TZorvik\n  Width =\nend\n", "f.dfm:2: the property 'Width' has no value"},
        {"bad name", "object Z: TZorvik\n  2Width = 1\nend\n", "f.dfm:2: bad property name '2Width'"},
        {"string not closed", "object Z: TZorvik\n\n  Code.Caption = 'abc\nend\n", "f.dfm:3: a string is not closed"},
        {"list not closed", "object Z: TForm\n  Items.Strings = (\n    'a'\n", "f.dfm:2: the value of 'Items.Strings' is not closed"},
        {"unknown property", "object Z: TZorvik\n  Width = 1\n  Code.Colour = 3\nend\n",
         "f.dfm:3: unknown property 'Code.Colour' of TZorvik"},
        {"bad enumeration", "object Z: TZorvik\n  Code.Density = Huge\nend\n",
         "f.dfm:2: bad value for Code.Density: expected one of High, Medium, Low"},
        {"bad integer", "object Z: TZorvik\n  Width = 12x\nend\n", "f.dfm:2: bad value for Width: bad value '12x'"},
        {"integer out of range", "object Z: TZorvik\n  Width = 4294967296\nend\n",
         "f.dfm:2: bad value for Width: expected a whole number from -2147483648 to 2147483647"},
        {"bad boolean", "object Z: TZorvik\n  Visible = 1\nend\n", "f.dfm:2: bad value for Visible: expected True or False"},
        {"bad style", "object Z: TZorvik\n  Font.Style = [fsHuge]\nend\n", "f.dfm:2: bad value for Font.Style: unknown font style 'fsHuge'"},
        {"bad character code", "object Z: TZorvik\n  Code.Caption = #55296\nend\n",
         "f.dfm:2: bad value for Code.Caption: bad character code '#55296'"},
        {"number for a string", "object Z: TZorvik\n  Code.Caption = 12\nend\n",
         "f.dfm:2: bad value for Code.Caption: expected a quoted string"},
        {"fault in another barcode control", "object F: TForm\n  object A: TZorvik\n  end\n  object B: TZorvik\n    Top = x y\n  end\nend\n",
         "f.dfm:5: bad value for Top: bad identifier 'x y'"},
        {"binary form", "TPF0\x06TForm1", "f.dfm: a binary form file; only text form files can be read"},
        {"empty file", "\n\n", "f.dfm:1: the file holds no object"},
    };
    for (const auto& c : cases) {
        TZorvik z(nullptr);
        std::string error;
        EXPECT_FALSE(load(c.text, z, error)) << c.name;
        EXPECT_EQ(error, c.error) << c.name;
    }
}

TEST(FormFile, WindowsLineEndsAndAByteOrderMark) {
    TZorvik z(nullptr);
    std::string error;
    ASSERT_TRUE(load("\xEF\xBB\xBFobject Z: TZorvik\r\n  Code.Caption = '42'\r\nend\r\n", z, error)) << error;
    EXPECT_EQ(z.Code()->Caption(), "42");
}

}  // namespace
}  // namespace zorvik
