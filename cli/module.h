// Backends the command opens on demand from its module folder, so that a run
// loads only the libraries it uses.
#pragma once

#include <string>

namespace zorvik::cli {

// The entry function Entry of the module File (a name in the module folder),
// or nullptr with the reason in Error, which calls the module What.
void* moduleEntry(const std::string& File, const char* Entry, const char* What, std::string& Error);

}  // namespace zorvik::cli
