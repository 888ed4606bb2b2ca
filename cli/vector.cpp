#include "cli/vector.h"

#include "cli/module.h"

namespace zorvik::cli {

TVectorBackend* vectorBackend(std::string& Error) {
    static TVectorBackend* backend = nullptr;
    static std::string failure;
    if (backend != nullptr) return backend;
    if (failure.empty()) {
        using Entry = TVectorBackend* (*)();
        auto entry =
            reinterpret_cast<Entry>(moduleEntry("zorvik-vector.so", "zorvik_vector_backend", "vector output", failure));
        if (entry != nullptr) backend = entry();
        if (backend == nullptr && failure.empty()) failure = "no vector backend in the vector output module";
    }
    if (backend == nullptr) Error = failure;
    return backend;
}

}  // namespace zorvik::cli
