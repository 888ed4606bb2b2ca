// The designer's side of the host framework: the registry a package fills
// when the designer loads it (palette pages, component editors, property
// editors) and the editor classes those registrations name. The designer
// itself (Qt Designer through our plugin) reads the registry; nothing here
// knows which designer that is.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/classes.h"

namespace zorvik {

// The designer of the form a component sits on: every change an editor makes
// goes through it, so that the designer can undo it and knows the form
// changed. Paths are form-file paths ("Code.Symbology"); enumerations by
// ordinal, Booleans 0 or 1.
class TFormDesigner {
public:
    virtual ~TFormDesigner() = default;
    virtual void SetOrdProperty(TComponent& Component, std::string_view Path, int64_t Value) = 0;
    virtual void SetStrProperty(TComponent& Component, std::string_view Path, const std::string& Value) = 0;
};

// One published property of a component, as the designer's inspector sees it.
struct TPropInfo {
    std::string name;       // "Code"
    std::string typeName;   // "TCode"
    TPersistent* object = nullptr;  // the value of a class-typed property
};

enum TPropertyAttribute : unsigned { paSubProperties = 1, paDialog = 2, paAutoUpdate = 4 };
using TPropertyAttributes = unsigned;

class TPropertyEditor {
public:
    TPropertyEditor(TComponent& Component, TPropInfo Info, TFormDesigner* Designer)
        : m_component(Component), m_info(std::move(Info)), m_designer(Designer) {}
    virtual ~TPropertyEditor() = default;
    virtual void Edit() {}
    virtual TPropertyAttributes GetAttributes() const { return 0; }

    const std::string& GetName() const { return m_info.name; }
    // The object a class-typed property holds.
    TPersistent* GetOrdValue() const { return m_info.object; }
    TComponent& Component() const { return m_component; }
    TFormDesigner* Designer() const { return m_designer; }

private:
    TComponent& m_component;
    TPropInfo m_info;
    TFormDesigner* m_designer;
};

// The class-property editor: the inspector expands the value into its own
// published properties.
class TClassProperty : public TPropertyEditor {
public:
    using TPropertyEditor::TPropertyEditor;
    TPropertyAttributes GetAttributes() const override { return paSubProperties; }
};

class TComponentEditor {
public:
    TComponentEditor(TComponent& Component, std::string_view ComponentClass, TFormDesigner* Designer)
        : m_component(Component), m_className(ComponentClass), m_designer(Designer) {}
    virtual ~TComponentEditor() = default;
    virtual void ExecuteVerb(int) {}
    virtual std::string GetVerb(int) { return {}; }
    virtual int GetVerbCount() { return 0; }
    // The designer runs this on a double-click of the component.
    virtual void Edit() {}

    TComponent& Component() const { return m_component; }
    const std::string& ComponentClass() const { return m_className; }
    TFormDesigner* Designer() const { return m_designer; }

private:
    TComponent& m_component;
    std::string m_className;
    TFormDesigner* m_designer;
};

// The default component editor: its Edit walks the component's published
// properties and hands each one's editor to EditProperty until that clears
// the continue flag.
class TDefaultEditor : public TComponentEditor {
public:
    using TComponentEditor::TComponentEditor;
    void Edit() override;

protected:
    virtual void EditProperty(TPropertyEditor& PropertyEditor, bool& Continue);
};

// Class references, as the registrations take them: a class name and how the
// designer makes one.
using TComponentEditorClass = std::unique_ptr<TComponentEditor> (*)(TComponent&, std::string_view, TFormDesigner*);
using TPropertyEditorClass = std::unique_ptr<TPropertyEditor> (*)(TComponent&, TPropInfo, TFormDesigner*);

struct TPaletteEntry {
    std::string page;
    std::string className;
};

// Palette page Page gets each class of Classes, in order.
void RegisterComponents(std::string_view Page, std::initializer_list<std::string_view> Classes);
void RegisterComponentEditor(std::string_view ComponentClass, TComponentEditorClass Editor);
// An empty ComponentClass stands for every class, an empty PropertyName for every name.
void RegisterPropertyEditor(std::string_view PropertyType, std::string_view ComponentClass,
                            std::string_view PropertyName, TPropertyEditorClass Editor);

// What the designer reads back.
const std::vector<TPaletteEntry>& RegisteredComponents();
// Null when the class has no component editor of its own.
TComponentEditorClass FindComponentEditor(std::string_view ComponentClass);
// The most specific registration for the property (class and name given beat
// any), the later of two equally specific ones; null when none applies.
TPropertyEditorClass FindPropertyEditor(std::string_view PropertyType, std::string_view ComponentClass,
                                        std::string_view PropertyName);
// The editor the designer would use for one property: the registered one, else a plain one.
std::unique_ptr<TPropertyEditor> MakePropertyEditor(TComponent& Component, std::string_view ComponentClass,
                                                    const TPropInfo& Info, TFormDesigner* Designer);

// The published properties of a class, as its run-time type information
// gives them (the first level only; class-typed values carry their object).
using TPropertyLister = std::vector<TPropInfo> (*)(TComponent&);
void RegisterTypeInfo(std::string_view ComponentClass, TPropertyLister Lister);
std::vector<TPropInfo> GetComponentProperties(TComponent& Component, std::string_view ComponentClass);

// Forgets every registration: the designer unloads the package.
void ClearDesignRegistry();

}  // namespace zorvik
