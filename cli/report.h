// The report command: prints a banded report of a form file on the pages of a
// printer device (PDF and PostScript files here).
#pragma once

#include <memory>
#include <string>

#include "platform/printers.h"
#include "platform/report.h"

namespace zorvik::cli {

struct ReportOptions {
    std::string form;
    std::string name;  // the report; default the first
    std::string db;    // replace the database the report's dataset names
    std::string sql;   // replace its query
    int dpi = 0;       // 0: 600 on a file, the queue's own resolution on a printer
    bool verify = false;  // read every symbol back before its band prints
    std::string output;
    std::string printer;  // a CUPS queue in place of the output file
};

// A report read from its form file, ready to print on any device.
class ReportJob {
public:
    ReportJob();
    ~ReportJob();
    ReportJob(const ReportJob&) = delete;
    ReportJob& operator=(const ReportJob&) = delete;

    // Reads the form, chooses the report and applies --db and --sql. False
    // with the reason printed.
    bool load(const ReportOptions& Options);
    // The report's page in dots at Dpi; false with the reason printed when no
    // PDF or PostScript page can be that large.
    bool pageDots(int Dpi, int& Width, int& Height) const;
    // Prints every page on Device, a printer of Dpi dots per inch whose pages
    // are the report's. False with the reason in Error when the report cannot
    // print (its dataset, its layout or the device failed).
    bool print(TPrinter& Device, int Dpi, std::string& Error);

    // Records printed; whether any record's label was left empty or a barcode
    // was invisible (each said on standard error as it was found).
    std::int64_t records() const;
    // The paper the report names.
    TQRPaperSize paperSize() const;
    bool drewEverything() const;

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

int runReport(const ReportOptions& Options);

}  // namespace zorvik::cli
