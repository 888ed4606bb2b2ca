// Builds components of several classes from the objects of a form file: every
// object of a known class is created first (owned by one component standing
// for the form), then each reads its assignments in file order, so that a
// reference may name a component written further down. Objects of other
// classes are read past; the objects inside them are still looked at.
#pragma once

#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/classes.h"
#include "platform/formfile.h"
#include "platform/graphics.h"

namespace zorvik {

class TFormLoader {
public:
    // Creates a component owned by Owner; Parent is the component of the
    // nearest enclosing object of a known class (a report for a band), or null.
    using Create = std::function<TComponent*(TComponent& Owner, TComponent* Parent)>;
    // Applies an object's assignments (and calls Loaded); false with a reason.
    using Read = std::function<bool(TComponent& Component, const TFormObject& Object, TFormLoader& Loader,
                                    std::string& Error)>;

    void addClass(std::string ClassName, Create Creator, Read Reader);
    bool knows(std::string_view ClassName) const;

    // Loads every object of a known class under Roots; File labels errors.
    bool load(const std::vector<TFormObject>& Roots, const std::string& File, TComponent& Owner, std::string& Error);

    const std::string& file() const { return m_file; }
    // The loaded component called Name (without regard to case), or null.
    TComponent* find(std::string_view Name) const;
    // The loaded components with the object each was read from, in file order.
    struct Loaded {
        const TFormObject* object;
        TComponent* component;
    };
    const std::vector<Loaded>& loaded() const { return m_loaded; }

    // "file:line: " for a property's errors.
    std::string where(const TFormProperty& Property) const;
    // An error for a property that the class does not have.
    bool unknown(const TFormProperty& Property, std::string_view ClassName, std::string& Error) const;

    // Values of assignments; each returns false with "file:line: bad value ..." in Error.
    bool string(const TFormProperty& Property, std::string& Value, std::string& Error) const;
    bool integer(const TFormProperty& Property, int& Value, std::string& Error) const;
    // A decimal number such as 12, 37.5 or 1.25E1.
    bool number(const TFormProperty& Property, long double& Value, std::string& Error) const;
    bool boolean(const TFormProperty& Property, bool& Value, std::string& Error) const;
    bool color(const TFormProperty& Property, TColor& Value, std::string& Error) const;
    // One of Idents, without regard to case; Value gets its index.
    bool ident(const TFormProperty& Property, std::span<const std::string_view> Idents, int& Value,
               std::string& Error) const;
    // A list of strings, ('line one' 'line two'), joined by line feeds.
    bool strings(const TFormProperty& Property, std::string& Value, std::string& Error) const;
    // The component a reference names, of class T; null when the name is not loaded.
    template <class T>
    bool reference(const TFormProperty& Property, T*& Value, std::string& Error) const {
        std::string name;
        if (!referenceName(Property, name, Error)) return false;
        TComponent* c = find(name);
        Value = dynamic_cast<T*>(c);
        if (c != nullptr && Value == nullptr) {
            Error = where(Property) + "'" + name + "' is not a component that " + Property.path + " can name";
            return false;
        }
        if (c == nullptr) {
            Error = where(Property) + Property.path + " names '" + name + "', which the file does not hold";
            return false;
        }
        return true;
    }
    // Font.Name, Font.Height, Font.Color, Font.Style, Font.Charset; false for another path.
    bool font(const TFormProperty& Property, TFont& Font, bool& Known, std::string& Error) const;

private:
    struct Class {
        std::string name;
        Create create;
        Read read;
    };
    const Class* classOf(std::string_view Name) const;
    bool create(const TFormObject& Object, TComponent& Owner, TComponent* Parent, std::string& Error);
    bool referenceName(const TFormProperty& Property, std::string& Name, std::string& Error) const;

    std::vector<Class> m_classes;
    std::vector<Loaded> m_loaded;
    std::string m_file;
};

}  // namespace zorvik
