#include "cli/session.h"

#include <cstdio>

#include "cli/colours.h"
#include "cli/suggest.h"
#include "control/formio.h"
#include "control/published.h"
#include "engine/state.h"

namespace zorvik::cli {

namespace {
// Far more paints than any control needs: density moves at most two steps and
// the font and size settle in one more each.
constexpr int kMaxPaints = 64;
}  // namespace

void printError(const std::string& Text) { std::fprintf(stderr, "zorvik: %s\n", Text.c_str()); }
void printWarning(const std::string& Text) { std::fprintf(stderr, "zorvik: warning: %s\n", Text.c_str()); }

Session::Session() : m_host(std::make_unique<HeadlessHost>()), m_control(std::make_unique<TZorvik>(nullptr)) {
    m_previous = Application().setMessageHandler([this](const std::string& text, const std::string&, int) {
        // Settling paints repeat a message; say it once.
        if (m_shown.insert(text).second) printError(text);
        return IDOK;
    });
    m_host->insert(*m_control);
}

Session::~Session() {
    m_control.reset();
    m_host.reset();
    Application().setMessageHandler(std::move(m_previous));
}

bool Session::loadForm(const std::string& Path, const std::string& Name) {
    std::string error;
    if (!loadZorvik(Path, Name, *m_control, m_objectName, error)) {
        printError(error);
        return false;
    }
    return true;
}

bool Session::assign(const std::vector<std::string>& Assignments) {
    for (const std::string& a : Assignments) {
        const auto eq = a.find('=');
        if (eq == std::string::npos || eq == 0) {
            printError("expected PROPERTY=VALUE, got '" + a + "'");
            return false;
        }
        const std::string path = a.substr(0, eq);
        const PublishedProperty* p = findProperty(path);
        if (p == nullptr || p->type == PropertyType::Event || p->type == PropertyType::Reference) {
            printError("unknown property '" + path + "': " + propertyHint(path));
            return false;
        }
        const std::string given = a.substr(eq + 1), text = formValueText(*p, given);
        std::string error;
        if (!assignProperty(*m_control, *p, text, true, error)) {
            // The suggestion first: the forms of a colour make a long sentence.
            if (const std::string hint = valueHint(*p, given); p->type == PropertyType::Color)
                error = "'" + given + "' is not a colour" + hint + (hint.empty() ? ". " : " ") + "A colour is " +
                        std::string(kColourForms);
            else
                error += valueHint(*p, given);
            printError("bad value for " + std::string(p->path) + ": " + error);
            return false;
        }
        // A setter's rule may keep another value (ControlChars on Codabar,
        // TextAlignment on EAN, a negative size): done as the setter says, and said.
        TFormValue asked;
        parsePropertyText(*p, text, true, asked, error);
        const std::string requested = formatValue(*p, asked), now = p->format(*m_control);
        if (requested != now) printWarning(std::string(p->path) + " = " + requested + " was not kept; it is " + now);
    }
    return true;
}

namespace {

// The data digits of the symbologies whose caption may carry a check digit.
size_t dataDigits(TBarCodeType s) {
    switch (s) {
        case TBarCodeType::EAN_13: return 12;
        case TBarCodeType::EAN_8: return 7;
        case TBarCodeType::UPC_A: return 11;
        default: return 0;
    }
}

}  // namespace

bool Session::settle() {
    const std::string given = m_control->Code()->Caption();
    if (!m_host->settle(kMaxPaints)) {
        printError("the control did not settle after " + std::to_string(kMaxPaints) + " paints");
        return false;
    }
    if (messageShown()) return false;
    if (!m_control->Visible() && !m_control->isDesigning()) {
        printError("Nothing drawn: the control is invisible");
        return false;
    }
    // A caption longer than its data and check digit loses its tail: say what.
    const size_t digits = dataDigits(m_control->Code()->Symbology());
    if (digits > 0 && given.size() > digits + 1 && m_control->Code()->Caption() == given.substr(0, digits))
        printWarning("caption cut to its first " + std::to_string(digits) + " digits; '" + given.substr(digits + 1) +
                     "' after the check digit is not encoded");
    return true;
}

void warnThinModules(int DotsPerInch) {
    if (StepXReal > 0 && StepXReal < 2)
        printWarning("modules are " + std::to_string(StepXReal).substr(0, 4) + " printer dots wide at " +
                     std::to_string(DotsPerInch) +
                     " dpi; at least 2 dots a module print reliably (Code.Density=Medium or Low, or a higher --dpi)");
}

namespace {
// The smallest quiet zone after the last bar that each standard allows, in
// modules: GS1's rules for EAN/UPC (EAN-13 and EAN-8 seven, UPC-A nine, an
// add-on five), ten for Code 39, Code 93, Code 128, Codabar and the 2 of 5
// codes (ISO/IEC 16388, 15417, 16390 and AIM's symbology standards).
int minimumRightQuietZone(TBarCodeType Symbology) {
    switch (Symbology) {
        case TBarCodeType::EAN_13:
        case TBarCodeType::EAN_8: return 7;
        case TBarCodeType::UPC_A: return 9;
        case TBarCodeType::EAN_13_2AddOn:
        case TBarCodeType::EAN_13_5AddOn: return 5;
        default: return 10;
    }
}
}  // namespace

void warnPoorScanning(const TZorvik& Control) {
    // Application standards ask for bars at least 15% of the symbol's length.
    const int64_t bar = Control.lastShortestBar(), length = Control.lastSymbolLength();
    if (bar >= 1 && bar * 100 < length * 15)
        printWarning("bars are " + std::to_string(bar) + " pixels long, shorter than 15% of the symbol's length (" +
                     std::to_string(length) + " pixels); many scanners need at least " +
                     std::to_string((length * 15 + 99) / 100));
    // A stretched control only a little longer than its symbol leaves less
    // than the full quiet zone after the last bar. (A symbol sized to itself
    // keeps the quiet zones its layout budgets.)
    if (Control.Code()->AutoSize()) return;
    const int quiet = Control.lastRightQuietZone();
    const int minimum = minimumRightQuietZone(Control.Code()->Symbology());
    if (quiet >= 0 && quiet < minimum)
        printWarning("the quiet zone after the last bar is " + std::to_string(quiet) + " modules, less than the " +
                     std::to_string(minimum) + " scanners need; make the control longer or set Code.AutoSize");
}

}  // namespace zorvik::cli
