#include "cli/queue.h"

#include "cli/module.h"

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

}  // namespace zorvik::cli
