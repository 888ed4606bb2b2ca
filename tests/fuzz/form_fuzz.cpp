// The form reader: any text parses or fails with a message; what loads writes
// back and reads again.
#include <string>
#include <vector>

#include "control/formio.h"
#include "platform/formfile.h"
#include "tests/fuzz/fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
    using namespace zorvik;
    fuzz::silenceMessages();
    const std::string text(reinterpret_cast<const char*>(Data), Size);
    std::vector<TFormObject> roots;
    std::string error;
    if (!parseForm(text, "f.dfm", roots, error)) return 0;
    TZorvik control(nullptr);
    std::string name;
    if (!loadZorvik(roots, "f.dfm", "", control, name, error)) return 0;
    const std::string written = writeZorvik(control, name.empty() ? "Zorvik1" : name);
    std::vector<TFormObject> again;
    TZorvik reread(nullptr);
    if (!parseForm(written, "w.dfm", again, error) || !loadZorvik(again, "w.dfm", "", reread, name, error))
        __builtin_trap();  // what we write we must read
    if (writeZorvik(reread, "Zorvik1") != writeZorvik(control, "Zorvik1")) __builtin_trap();
    return 0;
}
