// The package's design-time units: what each registers with the designer,
// the editors of the barcode's settings, and the table of unit start and
// stop routines the package hands the framework when it is loaded.
#pragma once

#include <span>
#include <string>
#include <string_view>

#include "platform/designintf.h"
#include "platform/package.h"

class QFont;
class QWidget;

namespace zorvik {

class TFont;

// Class names as the registrations give them.
inline constexpr std::string_view kZorvikClass = "TZorvik";
inline constexpr std::string_view kQR2ZorvikClass = "TQR2Zorvik";
inline constexpr std::string_view kWindowsListClass = "TWindowsList";
inline constexpr std::string_view kCodeTypeName = "TCode";

// The edit verb and default action of the barcode control.
inline constexpr std::string_view kEditCodeVerb = "Edit Code Properties";

class TCodeProperty : public TClassProperty {
public:
    using TClassProperty::TClassProperty;
    // Opens the Code properties editor on the settings object in place.
    void Edit() override;
    TPropertyAttributes GetAttributes() const override { return paSubProperties | paDialog | paAutoUpdate; }
};

class TCodeEditor : public TDefaultEditor {
public:
    using TDefaultEditor::TDefaultEditor;
    void ExecuteVerb(int Index) override;
    std::string GetVerb(int Index) override;
    int GetVerbCount() override { return 1; }

protected:
    void EditProperty(TPropertyEditor& PropertyEditor, bool& Continue) override;
};

// A font dialog that offers scalable fonts only (the host framework's
// "TrueType only"): the barcode's text is drawn at any size and turned.
class TFontPropertyFont {
public:
    // True when the user confirmed; Font then holds the choice.
    static bool Edit(QFont& Font, QWidget* Parent);
};

// The window that design-time dialogs belong to (null: none).
void setDesignParentWindow(QWidget* Window);

namespace WList { void Register(); }
namespace ZorvikReg { void Register(); }
namespace QR2Zorvik { void Register(); }

// The package's units, in start order.
std::span<const TPackageUnit> zorvikPackageUnits();
// The start counter of a unit of the package, by name (-1: no such unit).
int unitStartCount(std::string_view Unit);
// The order units started and stopped in since the process began ("+Zorvik", "-Zorvik").
const std::vector<std::string>& unitLog();
// How often a unit's Register ran.
int registerCount(std::string_view Unit);

// What the designer does when it loads the package: start its units and call
// each Register once. Unloading stops the units and forgets the registrations.
void loadZorvikPackage();
void unloadZorvikPackage();

}  // namespace zorvik
