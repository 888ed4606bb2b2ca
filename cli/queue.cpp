#include "cli/queue.h"

#include "cli/module.h"
#include "cli/session.h"

namespace zorvik::cli {

TQueueBackend* queueBackend(std::string& Error) {
    static TQueueBackend* backend = nullptr;
    static std::string failure;
    if (backend != nullptr) return backend;
    if (failure.empty()) {
        using Entry = TQueueBackend* (*)();
        auto entry = reinterpret_cast<Entry>(moduleEntry("zorvik-cups.so", "zorvik_queue_backend", "printer", failure));
        if (entry != nullptr) backend = entry();
        if (backend == nullptr && failure.empty()) failure = "no printer backend in the printer module";
    }
    if (backend == nullptr) Error = failure;
    return backend;
}

std::unique_ptr<TQueuePrinter> openQueue(const TQueueRequest& Request) {
    std::string error;
    TQueueBackend* backend = queueBackend(error);
    std::unique_ptr<TQueuePrinter> printer = backend != nullptr ? backend->printer(Request, error) : nullptr;
    if (printer == nullptr) printError(error);
    return printer;
}

}  // namespace zorvik::cli
