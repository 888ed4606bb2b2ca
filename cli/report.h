// The report command: prints a banded report of a form file to PDF or PostScript.
#pragma once

#include <string>

namespace zorvik::cli {

struct ReportOptions {
    std::string form;
    std::string name;  // the report; default the first
    std::string db;    // replace the database the report's dataset names
    std::string sql;   // replace its query
    int dpi = 600;
    std::string output;
};

int runReport(const ReportOptions& Options);

}  // namespace zorvik::cli
