// zorvik properties: every published property of the barcode control with its
// type, default and values, read from the property table.
#pragma once

#include <string>

namespace zorvik::cli {

// Prints the reference; with NamesOnly just the paths a command line may
// assign, one a line (for shell completion).
int listProperties(bool NamesOnly);

// The section of the symbol commands' --help that names the properties.
std::string propertiesHelp();

}  // namespace zorvik::cli
