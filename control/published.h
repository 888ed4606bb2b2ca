// The published properties of the barcode control, by their form-file paths,
// in publication order: how each is read, assigned through its setter and
// written, and its stored default.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/formvalue.h"

namespace zorvik {

class TZorvik;

enum class PropertyType { Integer, Boolean, String, Enumeration, Color, FontStyles, Charset, Cursor, Event, Reference };

struct PublishedProperty {
    std::string_view path;
    PropertyType type;
    // Identifiers of an enumeration, by ordinal.
    std::vector<std::string_view> idents;
    // The value as form files write it.
    std::function<std::string(const TZorvik&)> format;
    // Assigns through the setter; false with a reason for a value of the wrong kind or range.
    std::function<bool(TZorvik&, const TFormValue&, std::string&)> assign;
    // True when the value equals the stored default and is therefore not written.
    std::function<bool(const TZorvik&)> isDefault;
};

// Every published property, nested ones by their dotted paths, in publication order.
const std::vector<PublishedProperty>& zorvikProperties();
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

// The charset identifiers of the host framework.
std::string_view charsetIdent(int Charset);
bool identToCharset(std::string_view Ident, int& Charset);

}  // namespace zorvik
