// One control as the command sets it up: read from a form file, assigned from
// the command line, settled on a headless host; messages go to standard error.
#pragma once

#include <memory>
#include <set>
#include <string>
#include <vector>

#include "control/zorvik.h"
#include "platform/forms.h"
#include "platform/headless.h"

namespace zorvik::cli {

// Exit statuses of the command.
constexpr int kExitOk = 0;
constexpr int kExitUsage = 1;   // usage or I/O error
constexpr int kExitRender = 2;  // a render reported a message or drew nothing

void printError(const std::string& Text);
void printWarning(const std::string& Text);
// Warns when the last symbol the control drew will scan poorly, though it is
// valid and drawn: bars too short for many scanners, or a quiet zone cut by
// a control stretched to barely more than the symbol.
void warnPoorScanning(const TZorvik& Control);
// Warns when the symbol just printed on this thread has modules narrower than
// two printer dots, which ink spread and dot gain blur on most printers.
void warnThinModules(int DotsPerInch);

class Session {
public:
    Session();
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    TZorvik& control() { return *m_control; }

    // Reads the control from a form file (the object called Name, or the first
    // barcode control). False with the reason printed.
    bool loadForm(const std::string& Path, const std::string& Name);
    // Applies PROPERTY=VALUE texts in order; false with the reason printed.
    bool assign(const std::vector<std::string>& Assignments);
    // Paints until size and settings settle. False when a message was shown,
    // nothing was drawn, or the control never settled (reasons printed).
    bool settle();

    // Messages shown so far (each printed once).
    bool messageShown() const { return !m_shown.empty(); }
    // The object name the control was read as (or "").
    const std::string& objectName() const { return m_objectName; }

private:
    std::unique_ptr<HeadlessHost> m_host;
    std::unique_ptr<TZorvik> m_control;
    TApplication::MessageHandler m_previous;
    std::set<std::string> m_shown;
    std::string m_objectName;
};

}  // namespace zorvik::cli
