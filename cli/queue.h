// Printers that are queues of the print service, from the printer module the
// command opens when --printer is given.
#pragma once

#include <memory>
#include <string>

#include "platform/queues.h"

namespace zorvik::cli {

// The backend, or nullptr with the reason in Error.
TQueueBackend* queueBackend(std::string& Error);

// The printer of the queue the request names, or nullptr with the reason
// printed (an unknown queue, an unreachable service, a missing module).
std::unique_ptr<TQueuePrinter> openQueue(const TQueueRequest& Request);

}  // namespace zorvik::cli
