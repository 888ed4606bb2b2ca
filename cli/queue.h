// Printers that are queues of the print service, from the printer module the
// command opens when --printer is given.
#pragma once

#include <string>

#include "platform/queues.h"

namespace zorvik::cli {

// The backend, or nullptr with the reason in Error.
TQueueBackend* queueBackend(std::string& Error);

}  // namespace zorvik::cli
