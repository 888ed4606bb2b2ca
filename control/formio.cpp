#include "control/formio.h"

#include <functional>

#include "control/published.h"
#include "control/zorvik.h"
#include "platform/formvalue.h"

namespace zorvik {

namespace {

constexpr const char* kClassName = "TZorvik";

// Every object in file order, walked with an explicit stack so that the depth
// of a file never becomes the depth of the call stack.
void collect(const std::vector<TFormObject>& objects, std::vector<const TFormObject*>& out) {
    std::vector<const TFormObject*> pending;
    for (auto it = objects.rbegin(); it != objects.rend(); ++it) pending.push_back(&*it);
    while (!pending.empty()) {
        const TFormObject* o = pending.back();
        pending.pop_back();
        out.push_back(o);
        for (auto it = o->children.rbegin(); it != o->children.rend(); ++it) pending.push_back(&*it);
    }
}

}  // namespace

bool readZorvik(const TFormObject& Object, const std::string& File, TZorvik& Control, std::string& Error) {
    auto where = [&](int line) { return File + ":" + std::to_string(line) + ": "; };
    Control.SetLoading(true);
    for (const TFormProperty& p : Object.properties) {
        const PublishedProperty* property = findProperty(p.path);
        if (property == nullptr) {
            Error = where(p.line) + "unknown property '" + p.path + "' of " + kClassName;
            Control.SetLoading(false);
            return false;
        }
        std::string why;
        if (!assignProperty(Control, *property, p.value, false, why)) {
            Error = where(p.line) + "bad value for " + std::string(property->path) + ": " + why;
            Control.SetLoading(false);
            return false;
        }
    }
    Control.Loaded();
    return true;
}

bool loadZorvik(const std::vector<TFormObject>& Roots, const std::string& File, const std::string& Name,
                TZorvik& Control, std::string& ObjectName, std::string& Error) {
    std::vector<const TFormObject*> all;
    collect(Roots, all);
    const TFormObject* chosen = nullptr;
    for (const TFormObject* o : all) {
        const bool ours = sameIdent(o->className, kClassName);
        if (!Name.empty() && sameIdent(o->name, Name)) {
            if (!ours) {
                Error = File + ":" + std::to_string(o->line) + ": '" + o->name + "' is a " + o->className +
                        ", not a " + kClassName;
                return false;
            }
            chosen = o;
        } else if (Name.empty() && ours && chosen == nullptr) {
            chosen = o;
        }
        // The other barcode controls are read too, so that their faults are not missed.
        if (ours && o != chosen) {
            TZorvik scratch(nullptr);
            if (!readZorvik(*o, File, scratch, Error)) return false;
        }
    }
    if (chosen == nullptr) {
        Error = Name.empty() ? File + ": the file holds no " + kClassName
                             : File + ": the file holds no object called '" + Name + "'";
        return false;
    }
    ObjectName = chosen->name;
    return readZorvik(*chosen, File, Control, Error);
}

bool loadZorvik(const std::string& Path, const std::string& Name, TZorvik& Control, std::string& ObjectName,
                std::string& Error) {
    std::vector<TFormObject> roots;
    return readForm(Path, roots, Error) && loadZorvik(roots, Path, Name, Control, ObjectName, Error);
}

std::string writeZorvik(const TZorvik& Control, const std::string& Name) {
    TFormWriter w;
    w.beginObject(Name, kClassName);
    for (const PublishedProperty& p : zorvikProperties())
        if (!p.isDefault(Control)) w.property(p.path, p.format(Control));
    w.endObject();
    return w.text();
}

}  // namespace zorvik
