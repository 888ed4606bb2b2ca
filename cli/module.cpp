#include "cli/module.h"

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

void* moduleEntry(const std::string& File, const char* Entry, const char* What, std::string& Error) {
    const std::string module = ownFolder() + "/" ZORVIK_MODULE_RELPATH "/" + File;
    void* handle = dlopen(module.c_str(), RTLD_NOW | RTLD_LOCAL);
    void* entry = handle != nullptr ? dlsym(handle, Entry) : nullptr;
    if (entry == nullptr) {
        const char* why = dlerror();
        Error =
            std::string("cannot load the ") + What + " module '" + module + "': " + (why ? why : "no backend in it");
    }
    return entry;
}

}  // namespace zorvik::cli
