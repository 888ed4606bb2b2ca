#include "cli/vector.h"

#include <dlfcn.h>
#include <unistd.h>

#include <climits>

namespace zorvik::cli {

namespace {

std::string ownFolder() {
    char path[PATH_MAX];
    const ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
    if (n <= 0) return ".";
    path[n] = '\0';
    std::string s(path);
    return s.substr(0, s.rfind('/'));
}

}  // namespace

TVectorBackend* vectorBackend(std::string& Error) {
    static TVectorBackend* backend = nullptr;
    static std::string failure;
    if (backend != nullptr) return backend;
    if (failure.empty()) {
        const std::string module = ownFolder() + "/" ZORVIK_MODULE_RELPATH "/zorvik-vector.so";
        void* handle = dlopen(module.c_str(), RTLD_NOW | RTLD_LOCAL);
        using Entry = TVectorBackend* (*)();
        auto entry = handle != nullptr ? reinterpret_cast<Entry>(dlsym(handle, "zorvik_vector_backend")) : nullptr;
        if (entry != nullptr) backend = entry();
        if (backend == nullptr) {
            const char* why = dlerror();
            failure = "cannot load the vector output module '" + module + "': " + (why ? why : "no backend in it");
        }
    }
    if (backend == nullptr) Error = failure;
    return backend;
}

}  // namespace zorvik::cli
