// The window list in text form files: its published properties, reading and writing.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/formfile.h"
#include "platform/formvalue.h"

namespace zorvik {

class TWindowsList;

struct WindowsListProperty {
    // The published property's name, and the path form files store it under.
    std::string_view name;
    std::string_view path;
    // The published type, as the designer shows it.
    std::string_view type;
    // The value as form files write it.
    std::function<std::string(const TWindowsList&)> format;
    // Assigns through the setter; false with a reason for a value of the wrong kind.
    std::function<bool(TWindowsList&, std::string_view Text, std::string&)> assign;
    // True when the value is not written: it equals the stored default, or it is never stored.
    std::function<bool(const TWindowsList&)> isDefault;
};

// The published properties in publication order.
const std::vector<WindowsListProperty>& windowsListProperties();

// Applies one object's assignments in file order, then Loaded.
bool readWindowsList(const TFormObject& Object, const std::string& File, TWindowsList& List, std::string& Error);

// Reads the window list called Name (the first one when Name is empty) from
// parsed form-file objects; objects of other classes are read past.
bool loadWindowsList(const std::vector<TFormObject>& Roots, const std::string& File, const std::string& Name,
                     TWindowsList& List, std::string& ObjectName, std::string& Error);

// The component as one object block, values equal to their stored default left out.
std::string writeWindowsList(const TWindowsList& List, const std::string& Name);

}  // namespace zorvik
