#include "platform/printers.h"

namespace zorvik {

TDeviceMode* GlobalLock(const TDeviceModeHandle& Handle) { return Handle.get(); }

TPrinter::TPrinter() = default;
TPrinter::~TPrinter() = default;

void TPrinter::GetPrinter(std::string& Device, std::string& Driver, std::string& Port, TDeviceModeHandle& Mode) {
    Device = "No printer";
    Driver.clear();
    Port.clear();
    Mode.reset();
}

bool TPrinter::BeginDoc(std::string& Error) {
    Error = "no printer is installed";
    return false;
}

bool TPrinter::NewPage(std::string& Error) {
    Error = "no printer is installed";
    return false;
}

bool TPrinter::EndDoc(std::string& Error) {
    Error = "no printer is installed";
    return false;
}

namespace {
thread_local TPrinter* g_current = nullptr;
TPrinter& nullPrinter() {
    thread_local TPrinter printer;
    return printer;
}
}  // namespace

TPrinter* Printer() { return g_current != nullptr ? g_current : &nullPrinter(); }

TPrinter* SetPrinter(TPrinter* Value) {
    TPrinter* previous = g_current;
    g_current = Value;
    return previous;
}

}  // namespace zorvik
