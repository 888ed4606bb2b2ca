// The published properties of the barcode control, by their form-file paths,
// in publication order: one table that form files, the command, the Qt widget
// and the designer all read. Each row names its type, its stored default, its
// values and the getter and setter it goes through.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "platform/formvalue.h"

namespace zorvik {

class TZorvik;

enum class PropertyType { Integer, Boolean, String, Enumeration, Color, FontStyles, Charset, Cursor, Event, Reference };

// Whether a value equal to the stored default is left out of form files.
enum class Stored { Always, UnlessDefault };

struct PublishedProperty {
    std::string_view path;
    PropertyType type;
    Stored stored = Stored::Always;
    // The stored default: a number for the numeric types (Booleans 0 or 1,
    // enumerations by ordinal); the text types' default is the empty text, an
    // event's is no binding.
    int64_t storedDefault = 0;
    // Identifiers of an enumeration, by ordinal.
    std::span<const std::string_view> idents = {};
    // Range of an Integer.
    int64_t min = INT32_MIN;
    int64_t max = INT32_MAX;
    // Accessors of the numeric types (Integer, Boolean, Enumeration, Color,
    // FontStyles, Charset, Cursor) ...
    int64_t (*getNumber)(const TZorvik&) = nullptr;
    void (*setNumber)(TZorvik&, int64_t) = nullptr;
    // ... and of the text types (String, Reference). Events are kept by path.
    std::string (*getText)(const TZorvik&) = nullptr;
    void (*setText)(TZorvik&, const std::string&) = nullptr;

    bool isNumeric() const { return getNumber != nullptr; }
    // The value as form files write it.
    std::string format(const TZorvik& Control) const;
    // Assigns through the setter; false with a reason for a value of the wrong kind or range.
    bool assign(TZorvik& Control, const TFormValue& Value, std::string& Error) const;
    // True when the value equals the stored default and is therefore not written.
    bool isDefault(const TZorvik& Control) const;
};

// Every published property, nested ones by their dotted paths, in publication order.
std::span<const PublishedProperty> zorvikProperties();
// The property at Path, compared without regard to case; nullptr when none.
const PublishedProperty* findProperty(std::string_view Path);

// Assigns a value written as in form files. A string property takes Text
// literally when Literal is set (as the command line gives it).
bool assignProperty(TZorvik& Control, const PublishedProperty& Property, std::string_view Text, bool Literal,
                    std::string& Error);

// How the property would write Value (already accepted by its assign), so that
// a request can be compared with what the setter kept.
std::string formatValue(const PublishedProperty& Property, const TFormValue& Value);

// Parses Text as the command line gives it: string properties take it literally.
bool parsePropertyText(const PublishedProperty& Property, std::string_view Text, bool Literal, TFormValue& Value,
                       std::string& Error);

// Binds the control to the data source of its owner called Name; a name the
// owner does not hold is kept, so that writing the form gives it back.
void bindDataSource(TZorvik& Control, const std::string& Name);

// The charset identifiers of the host framework.
std::string_view charsetIdent(int Charset);
bool identToCharset(std::string_view Ident, int& Charset);
// The identifier of a standard cursor; "" for a cursor without one.
std::string_view cursorIdent(int Cursor);

}  // namespace zorvik
