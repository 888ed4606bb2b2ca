// Printing to CUPS queues as a module the command loads only for --printer, so
// that no other run pays for loading libcups and what it needs.
#include "platform/cups/cupsprinter.h"

extern "C" __attribute__((visibility("default"))) zorvik::TQueueBackend* zorvik_queue_backend() {
    return &zorvik::cupsQueueBackend();
}
