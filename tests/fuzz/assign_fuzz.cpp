// Property assignments as the command takes them (PROPERTY=VALUE, one per
// line), each through its setter; the control then paints and is drawn.
#include <string>

#include "control/published.h"
#include "platform/headless.h"
#include "tests/fuzz/fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
    using namespace zorvik;
    fuzz::silenceMessages();
    const std::string text(reinterpret_cast<const char*>(Data), Size);
    HeadlessHost host;
    TZorvik control(nullptr);
    host.insert(control);
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        const std::string line = text.substr(start, end - start);
        start = end + 1;
        const auto eq = line.find('=');
        if (eq == std::string::npos) continue;
        const PublishedProperty* p = findProperty(line.substr(0, eq));
        if (p == nullptr || p->type == PropertyType::Reference) continue;
        std::string error;
        if (assignProperty(control, *p, line.substr(eq + 1), true, error)) {
            // What a setter kept must format and parse back.
            TFormValue value;
            if (!parsePropertyText(*p, p->format(control), false, value, error)) __builtin_trap();
        }
    }
    if (host.settle(64)) fuzz::drawBoth(control, 1);
    return 0;
}
