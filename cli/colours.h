// Colours as people write them on the command line: the host framework's
// names, numbers in the form files' $BBGGRR order, and the web's #RRGGBB and
// CSS names.
#pragma once

#include <span>
#include <string>
#include <string_view>

#include "control/published.h"
#include "platform/graphics.h"

namespace zorvik::cli {

// Every form a colour may take, for messages and help.
extern const std::string_view kColourForms;

// Reads a colour in any of the forms; false when Text is none of them.
bool parseColour(std::string_view Text, TColor& Colour);

// The CSS colour names (lower case), in alphabetical order.
std::span<const std::string_view> cssColourNames();

// The text a command-line value of Property stands for in form-file syntax:
// a colour in any of the forms becomes its number, everything else is kept.
std::string formValueText(const PublishedProperty& Property, const std::string& Text);

}  // namespace zorvik::cli
