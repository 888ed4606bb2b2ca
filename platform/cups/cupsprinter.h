// Printers that are CUPS queues, through libcups' destination API. Pages are
// drawn on the cairo PDF document at the queue's resolution and sent as one
// PDF job when the document ends.
#pragma once

#include <memory>
#include <string>

#include "platform/queues.h"

namespace zorvik {

// The queue the request names, or nullptr with the reason in Error.
std::unique_ptr<TQueuePrinter> openCupsPrinter(const TQueueRequest& Request, std::string& Error);

// The CUPS backend of queue printers.
TQueueBackend& cupsQueueBackend();

}  // namespace zorvik
