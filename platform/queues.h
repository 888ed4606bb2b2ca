// Printers that are queues of the system's print service, opened by name, as
// the command and applications see them; a backend (platform/cups) talks to
// the service.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "platform/printers.h"
#include "platform/vector.h"

namespace zorvik {

// A printer whose pages become one print job. The document is spooled until
// EndDoc, so a document abandoned half way (Abort, or destruction while
// printing) never reaches the queue.
class TQueuePrinter : public TPrinter {
public:
    // Drops the document in progress without printing anything.
    virtual void Abort() = 0;
    // The job number the queue gave the document at EndDoc (0 before).
    virtual int JobId() const = 0;
};

struct TQueueRequest {
    std::string queue;
    // 0: the queue's own default resolution (600 when it names none).
    int dotsPerInch = 0;
    // None: the queue's default paper (A4 when it names none).
    std::optional<TPaper> paper;
    std::string title = "zorvik";
};

class TQueueBackend {
public:
    virtual ~TQueueBackend() = default;
    // The printer of the queue the request names, or nullptr with the reason in
    // Error (an unknown queue, an unreachable service).
    virtual std::unique_ptr<TQueuePrinter> printer(const TQueueRequest& Request, std::string& Error) = 0;
};

}  // namespace zorvik
