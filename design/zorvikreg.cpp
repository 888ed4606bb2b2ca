#include "design/zorvikreg.h"

#include <QApplication>
#include <QFontDialog>
#include <QPointer>

#include <array>
#include <map>

#include "control/published.h"
#include "control/zorvik.h"
#include "design/codeeditordlg.h"

namespace zorvik {

namespace {

QPointer<QWidget> g_parentWindow;

bool sameText(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::toupper(static_cast<unsigned char>(a[i])) != std::toupper(static_cast<unsigned char>(b[i]))) return false;
    return true;
}

// The first level of TZorvik's published properties, as its type information lists them.
std::vector<TPropInfo> zorvikTypeInfo(TComponent& Component) {
    auto& control = static_cast<TZorvik&>(Component);
    std::vector<TPropInfo> list;
    for (const PublishedProperty& p : zorvikProperties()) {
        const std::string_view top = p.path.substr(0, p.path.find('.'));
        if (!list.empty() && list.back().name == top) continue;
        TPropInfo info{std::string(top), {}, nullptr};
        if (top == "Code") info = {"Code", std::string(kCodeTypeName), control.Code()};
        else if (top == "Font") info = {"Font", "TFont", control.Font()};
        list.push_back(std::move(info));
    }
    return list;
}

std::map<std::string, int, std::less<>>& registers() {
    static std::map<std::string, int, std::less<>> m;
    return m;
}

std::vector<std::string>& log() {
    static std::vector<std::string> l;
    return l;
}

// One counter per unit; only Zorvik has start-up work: the display-name lists.
struct Unit {
    std::string_view name;
    TUnitCounter counter;
};
std::array<Unit, 5> g_units{{{"ZorvikData", {}}, {"WList", {}}, {"Zorvik", {}}, {"ZorvikReg", {}}, {"QR2Zorvik", {}}}};

template <size_t I>
void startUnit() {
    if (!g_units[I].counter.start()) return;
    std::string entry(1, '+');  // built in place: GCC 12 misreads "+" + string as overlapping
    log().push_back(entry.append(g_units[I].name));
    if (g_units[I].name == "Zorvik") {
        FBarCodeNames();
        FBarCodeDensityNames();
    }
}

template <size_t I>
void stopUnit() {
    if (g_units[I].counter.stop()) log().push_back(std::string(1, '-').append(g_units[I].name));
}

constexpr std::array<TPackageUnit, 5> kUnits{{
    {"ZorvikData", &startUnit<0>, &stopUnit<0>},
    {"WList", &startUnit<1>, &stopUnit<1>},
    {"Zorvik", &startUnit<2>, &stopUnit<2>},
    {"ZorvikReg", &startUnit<3>, &stopUnit<3>},
    {"QR2Zorvik", &startUnit<4>, &stopUnit<4>},
}};
static_assert(kUnits.size() == 5);

template <typename T>
std::unique_ptr<TPropertyEditor> makeProperty(TComponent& C, TPropInfo I, TFormDesigner* D) {
    return std::make_unique<T>(C, std::move(I), D);
}

std::unique_ptr<TComponentEditor> makeCodeEditor(TComponent& C, std::string_view Class, TFormDesigner* D) {
    return std::make_unique<TCodeEditor>(C, Class, D);
}

bool g_loaded = false;

}  // namespace

void setDesignParentWindow(QWidget* Window) { g_parentWindow = Window; }

void TCodeProperty::Edit() {
    auto* code = dynamic_cast<TCode*>(GetOrdValue());
    if (code == nullptr) return;
    // Released when it closes, also when something goes wrong while it is shown.
    TCodeEditorDlg dialog(g_parentWindow);
    dialog.form().move(0, 0);
    dialog.setDesigner(Designer(), &Component());
    dialog.SetCode(code);
    dialog.ShowModal();
}

void TCodeEditor::ExecuteVerb(int Index) {
    if (Index == 0) Edit();
}

std::string TCodeEditor::GetVerb(int Index) { return Index == 0 ? std::string(kEditCodeVerb) : std::string(); }

void TCodeEditor::EditProperty(TPropertyEditor& PropertyEditor, bool& Continue) {
    if (!sameText(PropertyEditor.GetName(), "CODE")) return;
    PropertyEditor.Edit();
    Continue = false;
}

bool TFontPropertyFont::Edit(QFont& Font, QWidget* Parent) {
    QFontDialog dialog(Parent);
    // Exactly one option: scalable fonts only.
    dialog.setOptions(QFontDialog::ScalableFonts);
    dialog.setCurrentFont(Font);
    if (dialog.exec() != QDialog::Accepted) return false;
    Font = dialog.selectedFont();
    return true;
}

namespace WList {
void Register() {
    ++registers()["WList"];
    RegisterComponents("Samples", {kWindowsListClass});
}
}  // namespace WList

namespace ZorvikReg {
void Register() {
    ++registers()["ZorvikReg"];
    RegisterComponents("Data Controls", {kZorvikClass});
    RegisterComponentEditor(kZorvikClass, &makeCodeEditor);
    RegisterPropertyEditor(kCodeTypeName, {}, {}, &makeProperty<TCodeProperty>);
    RegisterTypeInfo(kZorvikClass, &zorvikTypeInfo);
}
}  // namespace ZorvikReg

namespace QR2Zorvik {
void Register() {
    ++registers()["QR2Zorvik"];
    RegisterComponents("QReport", {kQR2ZorvikClass});
}
}  // namespace QR2Zorvik

std::span<const TPackageUnit> zorvikPackageUnits() { return kUnits; }

int unitStartCount(std::string_view Name) {
    for (const Unit& u : g_units)
        if (u.name == Name) return u.counter.count();
    return -1;
}

const std::vector<std::string>& unitLog() { return log(); }

int registerCount(std::string_view Name) {
    const auto it = registers().find(Name);
    return it == registers().end() ? 0 : it->second;
}

void loadZorvikPackage() {
    if (g_loaded) return;
    g_loaded = true;
    InitializePackage(zorvikPackageUnits());
    WList::Register();
    ZorvikReg::Register();
    QR2Zorvik::Register();
}

void unloadZorvikPackage() {
    if (!g_loaded) return;
    g_loaded = false;
    ClearDesignRegistry();
    FinalizePackage(zorvikPackageUnits());
}

}  // namespace zorvik
