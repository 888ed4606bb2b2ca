// Nearest-name suggestions for what people mistype or guess on the command
// line: property paths, enumeration identifiers, Booleans and colours.
#pragma once

#include <span>
#include <string>
#include <string_view>

#include "control/published.h"

namespace zorvik::cli {

// The name of Names nearest to Word, compared without case, underscores,
// spaces and hyphens; "" when none is near enough to be what was meant.
std::string nearestName(std::string_view Word, std::span<const std::string_view> Names);

// What to say after "unknown property 'Path'": a suggestion, or where the names are listed.
std::string propertyHint(std::string_view Path);

// What to add to a refused value Text of Property ("; did you mean EAN_13?"), or "".
std::string valueHint(const PublishedProperty& Property, std::string_view Text);

}  // namespace zorvik::cli
