// The package's registrations and the start and stop of its units.
#include <gtest/gtest.h>

#include <array>

#include "design/zorvikreg.h"
#include "control/zorvik.h"

namespace zorvik {
namespace {

TEST(Package, UnitsStartInOrderOnceAndStopInReverse) {
    loadZorvikPackage();
    loadZorvikPackage();  // the designer loads it again: nothing runs twice
    const std::vector<std::string> started{"+ZorvikData", "+WList", "+Zorvik", "+ZorvikReg", "+QR2Zorvik"};
    EXPECT_EQ(unitLog(), started);
    for (const char* r : {"WList", "ZorvikReg", "QR2Zorvik"}) EXPECT_EQ(registerCount(r), 1) << r;
    EXPECT_EQ(FBarCodeNames().Count(), 12);

    // A second package holding the same units: the counters keep the work to the first start.
    InitializePackage(zorvikPackageUnits());
    EXPECT_EQ(unitLog(), started);
    EXPECT_EQ(unitStartCount("Zorvik"), 2);
    FinalizePackage(zorvikPackageUnits());
    EXPECT_EQ(unitLog(), started);

    unloadZorvikPackage();
    std::vector<std::string> all = started;
    for (const char* u : {"-QR2Zorvik", "-ZorvikReg", "-Zorvik", "-WList", "-ZorvikData"}) all.push_back(u);
    EXPECT_EQ(unitLog(), all);
    EXPECT_EQ(unitStartCount("Zorvik"), 0);
    EXPECT_TRUE(RegisteredComponents().empty());
}

TEST(Package, Registrations) {
    loadZorvikPackage();
    const std::array<std::pair<const char*, const char*>, 3> palette{{
        {"Samples", "TWindowsList"}, {"Data Controls", "TZorvik"}, {"QReport", "TQR2Zorvik"}}};
    ASSERT_EQ(RegisteredComponents().size(), palette.size());
    for (size_t i = 0; i < palette.size(); ++i) {
        EXPECT_EQ(RegisteredComponents()[i].page, palette[i].first);
        EXPECT_EQ(RegisteredComponents()[i].className, palette[i].second);
    }
    EXPECT_NE(FindComponentEditor("TZorvik"), nullptr);
    EXPECT_EQ(FindComponentEditor("TQR2Zorvik"), nullptr);

    // Every property of type TCode, on any class and under any name, gets TCodeProperty.
    TZorvik control(nullptr);
    for (const auto& [cls, name] : std::array<std::pair<const char*, const char*>, 3>{
             {{"TZorvik", "Code"}, {"TSomeOtherComponent", "Settings"}, {"", "code"}}}) {
        const auto editor = MakePropertyEditor(control, cls, {name, "TCode", control.Code()}, nullptr);
        ASSERT_NE(dynamic_cast<TCodeProperty*>(editor.get()), nullptr) << cls << "." << name;
        EXPECT_EQ(editor->GetAttributes(), paSubProperties | paDialog | paAutoUpdate);
    }
    EXPECT_EQ(dynamic_cast<TCodeProperty*>(MakePropertyEditor(control, "TZorvik", {"Font", "TFont", nullptr}, nullptr).get()),
              nullptr);
}

// The default action walks the published properties up to the first named
// CODE (compared without regard to case) and edits only that one.
struct Probe : TPropertyEditor {
    using TPropertyEditor::TPropertyEditor;
    void Edit() override { edited.push_back(GetName()); }
    static inline std::vector<std::string> edited;
};

TEST(Package, DefaultActionEditsCodeOnly) {
    loadZorvikPackage();
    RegisterPropertyEditor("TCode", "TZorvik", "Code",
                           [](TComponent& C, TPropInfo I, TFormDesigner* D) -> std::unique_ptr<TPropertyEditor> {
                               return std::make_unique<Probe>(C, std::move(I), D);
                           });
    RegisterPropertyEditor("TFont", "", "",
                           [](TComponent& C, TPropInfo I, TFormDesigner* D) -> std::unique_ptr<TPropertyEditor> {
                               return std::make_unique<Probe>(C, std::move(I), D);
                           });
    TZorvik control(nullptr);
    FindComponentEditor("TZorvik")(control, "TZorvik", nullptr)->Edit();
    // Font comes after Code in publication order and is never reached.
    EXPECT_EQ(Probe::edited, std::vector<std::string>{"Code"});
    unloadZorvikPackage();
}

}  // namespace
}  // namespace zorvik
