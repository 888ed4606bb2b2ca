#include "winlist/windowslistform.h"

#include <limits>

#include "winlist/windowslist.h"

namespace zorvik {

namespace {

std::vector<WindowsListProperty> build() {
    std::vector<WindowsListProperty> p;
    // The component's own published property comes first.
    p.push_back({"Tag", "Tag", "Integer", [](const TWindowsList& l) { return std::to_string(l.Tag()); },
                 [](TWindowsList& l, std::string_view text, std::string& e) {
                     TFormValue v;
                     if (!parseFormValue(text, v, e)) return false;
                     if (v.kind != TFormValue::Kind::Integer || v.integer < std::numeric_limits<int32_t>::min() ||
                         v.integer > std::numeric_limits<int32_t>::max()) {
                         e = "expected a whole number from " + std::to_string(std::numeric_limits<int32_t>::min()) +
                             " to " + std::to_string(std::numeric_limits<int32_t>::max());
                         return false;
                     }
                     l.SetTag(static_cast<int32_t>(v.integer));
                     return true;
                 },
                 [](const TWindowsList& l) { return l.Tag() == 0; }});
    // The framework stores a string list's lines as "Strings = ( ... )". A
    // listing holds windows of one session, whose handles mean nothing in the
    // next, so the lines are never written, and lines stored by another writer
    // are read past: the list stays empty until the next listing, rather than
    // holding entries without a window.
    p.push_back({"TheWindowsList", "TheWindowsList.Strings", "TStringList",
                 [](const TWindowsList&) { return std::string(); },
                 [](TWindowsList&, std::string_view text, std::string& e) {
                     if (text.size() < 2 || text.front() != '(' || text.back() != ')') {
                         e = "expected the lines in parentheses: ( 'first' 'second' )";
                         return false;
                     }
                     return true;
                 },
                 [](const TWindowsList&) { return true; }});
    p.push_back({"AcceptEmptyNames", "AcceptEmptyNames", "Boolean",
                 [](const TWindowsList& l) { return l.AcceptEmptyNames() ? "True" : "False"; },
                 [](TWindowsList& l, std::string_view text, std::string& e) {
                     TFormValue v;
                     if (!parseFormValue(text, v, e)) return false;
                     if (v.kind == TFormValue::Kind::Ident && sameIdent(v.text, "True"))
                         l.SetAcceptEmptyNames(true);
                     else if (v.kind == TFormValue::Kind::Ident && sameIdent(v.text, "False"))
                         l.SetAcceptEmptyNames(false);
                     else {
                         e = "expected True or False";
                         return false;
                     }
                     return true;
                 },
                 // Stored default True: a form without the line loads True.
                 [](const TWindowsList& l) { return l.AcceptEmptyNames(); }});
    return p;
}

void collect(const std::vector<TFormObject>& objects, std::vector<const TFormObject*>& out) {
    for (const TFormObject& o : objects) {
        out.push_back(&o);
        collect(o.children, out);
    }
}

}  // namespace

const std::vector<WindowsListProperty>& windowsListProperties() {
    static const std::vector<WindowsListProperty> properties = build();
    return properties;
}

bool readWindowsList(const TFormObject& Object, const std::string& File, TWindowsList& List, std::string& Error) {
    auto where = [&](int line) { return File + ":" + std::to_string(line) + ": "; };
    List.SetLoading(true);
    for (const TFormProperty& p : Object.properties) {
        const WindowsListProperty* property = nullptr;
        for (const WindowsListProperty& candidate : windowsListProperties())
            if (sameIdent(candidate.path, p.path)) property = &candidate;
        if (property == nullptr) {
            Error = where(p.line) + "unknown property '" + p.path + "' of " + TWindowsList::ClassName;
            List.SetLoading(false);
            return false;
        }
        std::string why;
        if (!property->assign(List, p.value, why)) {
            Error = where(p.line) + "bad value for " + std::string(property->path) + ": " + why;
            List.SetLoading(false);
            return false;
        }
    }
    List.Loaded();
    return true;
}

bool loadWindowsList(const std::vector<TFormObject>& Roots, const std::string& File, const std::string& Name,
                     TWindowsList& List, std::string& ObjectName, std::string& Error) {
    std::vector<const TFormObject*> all;
    collect(Roots, all);
    for (const TFormObject* o : all) {
        if (!(Name.empty() ? sameIdent(o->className, TWindowsList::ClassName) : sameIdent(o->name, Name))) continue;
        if (!sameIdent(o->className, TWindowsList::ClassName)) {
            Error = File + ":" + std::to_string(o->line) + ": '" + o->name + "' is a " + o->className + ", not a " +
                    TWindowsList::ClassName;
            return false;
        }
        ObjectName = o->name;
        return readWindowsList(*o, File, List, Error);
    }
    Error = Name.empty() ? File + ": the file holds no " + TWindowsList::ClassName
                         : File + ": the file holds no object called '" + Name + "'";
    return false;
}

std::string writeWindowsList(const TWindowsList& List, const std::string& Name) {
    TFormWriter w;
    w.beginObject(Name, TWindowsList::ClassName);
    for (const WindowsListProperty& p : windowsListProperties())
        if (!p.isDefault(List)) w.property(p.path, p.format(List));
    w.endObject();
    return w.text();
}

}  // namespace zorvik
