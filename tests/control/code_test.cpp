#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "control/code.h"

namespace zorvik {
namespace {

struct Counting {
    TCode code;
    int notified = 0;
    Counting() {
        code.OnChange = [this](TObject* sender) {
            EXPECT_EQ(sender, &code);
            ++notified;
        };
    }
};

TEST(Code, StartsWithEveryValueZero) {
    TCode c;
    EXPECT_EQ(c.Caption(), "");
    EXPECT_EQ(c.Symbology(), TBarCodeType::Code_39);
    EXPECT_FALSE(c.AutoSize());
    EXPECT_FALSE(c.TextAutosize());
    EXPECT_EQ(c.Density(), TDensity::High);
    EXPECT_FALSE(c.Border());
    EXPECT_EQ(c.Direction(), TDirection::Horizontal);
    EXPECT_FALSE(c.Transparent());
    EXPECT_FALSE(c.ControlChars());
    EXPECT_FALSE(c.ShowCtrlsChars());
    EXPECT_EQ(c.TextAlignment(), TAlignment::txLeft);
    EXPECT_FALSE(c.TextOn());
}

TEST(Code, SettersNotifyOnlyOnChange) {
    struct Case {
        const char* name;
        std::function<void(TCode&)> same;
        std::function<void(TCode&)> differ;
    };
    const std::vector<Case> cases = {
        {"Symbology", [](TCode& c) { c.SetCode(TBarCodeType::Code_39); }, [](TCode& c) { c.SetCode(TBarCodeType::UPC_A); }},
        {"Caption", [](TCode& c) { c.SetCaption(""); }, [](TCode& c) { c.SetCaption("a"); }},
        {"AutoSize", [](TCode& c) { c.SetAutoSize(false); }, [](TCode& c) { c.SetAutoSize(true); }},
        {"TextAutosize", [](TCode& c) { c.SetTextAutoSize(false); }, [](TCode& c) { c.SetTextAutoSize(true); }},
        {"Density", [](TCode& c) { c.SetDensity(TDensity::High); }, [](TCode& c) { c.SetDensity(TDensity::Low); }},
        {"Border", [](TCode& c) { c.SetBorder(false); }, [](TCode& c) { c.SetBorder(true); }},
        {"Direction", [](TCode& c) { c.SetDirection(TDirection::Horizontal); }, [](TCode& c) { c.SetDirection(TDirection::Vertical); }},
        {"Transparent", [](TCode& c) { c.SetTransparent(false); }, [](TCode& c) { c.SetTransparent(true); }},
        {"ControlChars", [](TCode& c) { c.SetCtrlChar(false); }, [](TCode& c) { c.SetCtrlChar(true); }},
        {"ShowCtrlsChars", [](TCode& c) { c.SetShowCtrlsChars(false); }, [](TCode& c) { c.SetShowCtrlsChars(true); }},
        {"TextAlignment", [](TCode& c) { c.SetAlignment(TAlignment::txLeft); }, [](TCode& c) { c.SetAlignment(TAlignment::txDensity); }},
        {"TextOn", [](TCode& c) { c.SetTextOn(false); }, [](TCode& c) { c.SetTextOn(true); }},
    };
    for (const auto& c : cases) {
        Counting k;
        c.same(k.code);
        EXPECT_EQ(k.notified, 0) << c.name;
        c.differ(k.code);
        EXPECT_EQ(k.notified, 1) << c.name;
        c.differ(k.code);
        EXPECT_EQ(k.notified, 1) << c.name << " set twice";
    }
}

TEST(Code, CaptionComparisonIsCaseSensitive) {
    Counting k;
    k.code.SetCaption("abc");
    k.code.SetCaption("ABC");
    EXPECT_EQ(k.notified, 2);
}

TEST(Code, ControlCharsAreOptionalOnlyForCode39AndInterleaved) {
    struct Case {
        TBarCodeType symbology;
        bool stored;
        bool requested;
        bool expected;
        int notifications;
    } cases[] = {
        {TBarCodeType::Code_93, true, false, true, 1},
        {TBarCodeType::Codabar, true, false, true, 1},
        {TBarCodeType::EAN_13, true, false, true, 1},
        {TBarCodeType::ITF, true, false, false, 1},
        {TBarCodeType::Code_39, true, false, false, 1},
        {TBarCodeType::Code_128, false, true, true, 1},
        {TBarCodeType::Code_128, true, true, true, 0},
    };
    for (const auto& c : cases) {
        Counting k;
        k.code.SetCode(TBarCodeType::Code_39);
        k.code.SetCtrlChar(c.stored);
        k.code.SetCode(c.symbology);
        k.notified = 0;
        k.code.SetCtrlChar(c.requested);
        EXPECT_EQ(k.code.ControlChars(), c.expected) << identOf(c.symbology);
        EXPECT_EQ(k.notified, c.notifications) << identOf(c.symbology);
    }
}

TEST(Code, EanSymbolsKeepTheirTextUnderTheirCharacters) {
    struct Case {
        TBarCodeType symbology;
        TAlignment expected;
    } cases[] = {
        {TBarCodeType::EAN_13, TAlignment::txDensity},    {TBarCodeType::EAN_8, TAlignment::txDensity},
        {TBarCodeType::EAN_13_2AddOn, TAlignment::txDensity}, {TBarCodeType::EAN_13_5AddOn, TAlignment::txDensity},
        {TBarCodeType::UPC_A, TAlignment::txLeft},        {TBarCodeType::Code_128, TAlignment::txLeft},
    };
    for (const auto& c : cases) {
        Counting k;
        k.code.SetAlignment(TAlignment::txDensity);
        k.code.SetCode(c.symbology);
        k.notified = 0;
        k.code.SetAlignment(TAlignment::txLeft);
        EXPECT_EQ(k.code.TextAlignment(), c.expected) << identOf(c.symbology);
        EXPECT_EQ(k.notified, 1) << identOf(c.symbology);
    }
}

TEST(Code, ChangingSymbologyDoesNotReapplyTheRules) {
    TCode c;
    c.SetCtrlChar(false);
    c.SetCode(TBarCodeType::Codabar);
    EXPECT_FALSE(c.ControlChars());
}

TEST(Code, AssigneCopiesThroughTheSettersInItsOrder) {
    TCode source;
    source.SetCode(TBarCodeType::EAN_13);
    source.SetCaption("400638133393");
    source.SetAutoSize(true);
    source.SetDensity(TDensity::Medium);
    source.SetTextOn(true);  // TextAlignment stays txLeft, set before EAN-13 rules applied
    Counting target;
    target.code.SetAlignment(TAlignment::txDensity);
    target.code.SetCtrlChar(true);
    target.notified = 0;
    target.code.Assigne(source);
    EXPECT_EQ(target.code.Symbology(), TBarCodeType::EAN_13);
    EXPECT_EQ(target.code.Caption(), "400638133393");
    EXPECT_TRUE(target.code.AutoSize());
    EXPECT_EQ(target.code.Density(), TDensity::Medium);
    // Judged against the symbology just copied: EAN-13 keeps txDensity and its check digit.
    EXPECT_EQ(target.code.TextAlignment(), TAlignment::txDensity);
    EXPECT_TRUE(target.code.ControlChars());
    EXPECT_TRUE(target.code.TextOn());
    // Symbology, Caption, AutoSize, Density, ControlChars (refused, still notified), TextAlignment (refused), TextOn.
    EXPECT_EQ(target.notified, 7);
    EXPECT_FALSE(static_cast<bool>(source.OnChange));
}

TEST(Code, DisplayNames) {
    const char* symbologies[] = {"Code 39", "Code 93", "Code 128", "Interleaved 2 of 5", "Industrial 2 of 5", "IATA 2 of 5",
                                 "Codabar", "EAN 13", "EAN 8", "EAN 13 with 2 AddOn", "EAN 13 with 5 AddOn", "UPC A"};
    ASSERT_EQ(FBarCodeNames().Count(), 12);
    for (int i = 0; i < 12; ++i) EXPECT_EQ(FBarCodeNames().Strings(i), symbologies[i]);
    ASSERT_EQ(FBarCodeDensityNames().Count(), 3);
    EXPECT_EQ(FBarCodeDensityNames().Strings(0), "High");
    EXPECT_EQ(FBarCodeDensityNames().Strings(1), "Medium");
    EXPECT_EQ(FBarCodeDensityNames().Strings(2), "Low");
}

}  // namespace
}  // namespace zorvik
