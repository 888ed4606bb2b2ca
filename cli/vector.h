// The vector backend, opened when the command first writes SVG, PDF or PostScript.
#pragma once

#include <string>

#include "platform/vector.h"

namespace zorvik::cli {

// The backend, or nullptr with the reason in Error.
TVectorBackend* vectorBackend(std::string& Error);

}  // namespace zorvik::cli
