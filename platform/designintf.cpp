#include "platform/designintf.h"

#include <algorithm>
#include <cctype>
#include <map>

namespace zorvik {

namespace {

struct PropertyEditorEntry {
    std::string type, componentClass, name;
    TPropertyEditorClass editor;
};

struct Registry {
    std::vector<TPaletteEntry> components;
    std::map<std::string, TComponentEditorClass, std::less<>> componentEditors;
    std::vector<PropertyEditorEntry> propertyEditors;
    std::map<std::string, TPropertyLister, std::less<>> typeInfo;
};

Registry& registry() {
    static Registry r;
    return r;
}

bool sameText(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::toupper(static_cast<unsigned char>(x)) == std::toupper(static_cast<unsigned char>(y));
           });
}

}  // namespace

void TDefaultEditor::Edit() {
    for (const TPropInfo& info : GetComponentProperties(Component(), ComponentClass())) {
        const std::unique_ptr<TPropertyEditor> editor = MakePropertyEditor(Component(), ComponentClass(), info, Designer());
        bool more = true;
        EditProperty(*editor, more);
        if (!more) break;
    }
}

void TDefaultEditor::EditProperty(TPropertyEditor&, bool&) {}

void RegisterComponents(std::string_view Page, std::initializer_list<std::string_view> Classes) {
    for (std::string_view c : Classes) registry().components.push_back({std::string(Page), std::string(c)});
}

void RegisterComponentEditor(std::string_view ComponentClass, TComponentEditorClass Editor) {
    registry().componentEditors.insert_or_assign(std::string(ComponentClass), Editor);
}

void RegisterPropertyEditor(std::string_view PropertyType, std::string_view ComponentClass,
                            std::string_view PropertyName, TPropertyEditorClass Editor) {
    registry().propertyEditors.push_back(
        {std::string(PropertyType), std::string(ComponentClass), std::string(PropertyName), Editor});
}

const std::vector<TPaletteEntry>& RegisteredComponents() { return registry().components; }

TComponentEditorClass FindComponentEditor(std::string_view ComponentClass) {
    const auto& editors = registry().componentEditors;
    const auto it = editors.find(ComponentClass);
    return it == editors.end() ? nullptr : it->second;
}

TPropertyEditorClass FindPropertyEditor(std::string_view PropertyType, std::string_view ComponentClass,
                                        std::string_view PropertyName) {
    TPropertyEditorClass best = nullptr;
    int bestRank = -1;
    for (const PropertyEditorEntry& e : registry().propertyEditors) {
        if (e.type != PropertyType) continue;
        if (!e.componentClass.empty() && e.componentClass != ComponentClass) continue;
        if (!e.name.empty() && !sameText(e.name, PropertyName)) continue;
        const int rank = (e.componentClass.empty() ? 0 : 2) + (e.name.empty() ? 0 : 1);
        if (rank >= bestRank) {
            bestRank = rank;
            best = e.editor;
        }
    }
    return best;
}

std::unique_ptr<TPropertyEditor> MakePropertyEditor(TComponent& Component, std::string_view ComponentClass,
                                                    const TPropInfo& Info, TFormDesigner* Designer) {
    if (TPropertyEditorClass make = FindPropertyEditor(Info.typeName, ComponentClass, Info.name))
        return make(Component, Info, Designer);
    return std::make_unique<TPropertyEditor>(Component, Info, Designer);
}

void RegisterTypeInfo(std::string_view ComponentClass, TPropertyLister Lister) {
    registry().typeInfo.insert_or_assign(std::string(ComponentClass), Lister);
}

std::vector<TPropInfo> GetComponentProperties(TComponent& Component, std::string_view ComponentClass) {
    const auto& info = registry().typeInfo;
    const auto it = info.find(ComponentClass);
    return it == info.end() ? std::vector<TPropInfo>{} : it->second(Component);
}

void ClearDesignRegistry() { registry() = Registry{}; }

}  // namespace zorvik
