// The zorvik command: renders barcode symbols, form files and databases of labels.
#include <CLI/CLI.hpp>

#include <malloc.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <climits>
#include <cstdio>
#include <iostream>
#include <optional>
#include <sstream>

#include "cli/batch.h"
#include "cli/output.h"
#include "cli/properties.h"
#include "cli/queue.h"
#include "cli/report.h"
#include "cli/session.h"
#include "cli/suggest.h"
#include "cli/vector.h"
#include "cli/verify.h"
#include "cli/windows.h"
#include "control/code.h"
#include "control/formio.h"
#include "platform/formvalue.h"
#include "platform/printers.h"
#include "platform/recording.h"
#include "platform/vector.h"
#include "report/qr2zorvik.h"

using namespace zorvik;
using namespace zorvik::cli;

namespace {

struct SymbolOptions {
    std::string form;
    std::string name;
    std::vector<std::string> assignments;
    std::string output;
};

// Reads a drawn symbol back (--verify): the exit status when it must not be
// written, kExitOk when it may (a symbol no reader can check is said, and kept).
int readBack(const TZorvik& Control, const RecordingCanvas& Drawn, int Width, int Height) {
    std::string message;
    switch (verifySymbol(Control, Drawn, Width, Height, message)) {
        case VerifyResult::Read:
            return kExitOk;
        case VerifyResult::NotReadable:
            printWarning(message);
            return kExitOk;
        case VerifyResult::Wrong:
            printError(message);
            return kExitRender;
        case VerifyResult::Failed:
            printError(message);
            return kExitUsage;
    }
    return kExitOk;
}

CLI::Option* addSymbolOptions(CLI::App* cmd, SymbolOptions& o) {
    auto* form = cmd->add_option("--form", o.form, "Read the control from this form file")->check(CLI::ExistingFile);
    cmd->add_option("--name", o.name, "The object to read from the form file (default: the first barcode control)")
        ->needs(form);
    cmd->add_option("assignments", o.assignments,
                    "PROPERTY=VALUE assignments, applied in order after --form (e.g. Code.Symbology=EAN_13 "
                    "Code.Caption=400638133393)");
    cmd->footer(propertiesHelp());
    return cmd->add_option("-o,--output", o.output, "The file to write ('-': standard output)")->required();
}

// The scale the report printer draws at on a device of Dpi dots per inch.
int scaleForDpi(int Dpi) {
    return reportScale(static_cast<long double>(Dpi) / 96.0L, 1.0L);
}

// Binary data on a terminal helps nobody and can upset it.
bool refuseBinaryOnTerminal(const std::string& Output, OutputKind Kind) {
    if (Output != "-" || Kind == OutputKind::Svg || Kind == OutputKind::PostScript || Kind == OutputKind::Eps ||
        isatty(STDOUT_FILENO) == 0)
        return false;
    printError("standard output is a terminal: redirect it, or name a file with -o");
    return true;
}

int listSymbologies() {
    const TStringList& names = FBarCodeNames();
    for (int i = 0; i < names.Count(); ++i)
        std::printf("%s\t%s\n", identOf(static_cast<TBarCodeType>(i)), names.Strings(i).c_str());
    return kExitOk;
}

int render(const SymbolOptions& o, int scale, int dpi, const std::string& format, bool verify) {
    OutputKind kind;
    if (!format.empty() ? !outputKindOf("." + format, kind) : !outputKindOf(o.output, kind)) {
        printError(o.output == "-"
                       ? std::string("writing to standard output (-o -) needs --format png, svg, pdf, ps or eps")
                       : "cannot tell the format of '" + o.output +
                             "': use a name ending in .png, .svg, .pdf, .ps or .eps, or give --format");
        return kExitUsage;
    }
    if (dpi > 0) scale = scaleForDpi(dpi);
    if (refuseBinaryOnTerminal(o.output, kind)) return kExitUsage;
    Session session;
    if (!o.form.empty() && !session.loadForm(o.form, o.name)) return kExitUsage;
    if (!session.assign(o.assignments)) return kExitUsage;
    if (!session.settle()) return kExitRender;

    // Drawn once more at the output's scale, as printing does; recorded first,
    // because the size is known only once it is drawn.
    RecordingCanvas recording;
    recording.setSizeCheck([&](long long w, long long h) { return sizeProblem(kind, w, h, scale); });
    session.control().DrawBarCode(&recording, 0, 0, scale);
    if (session.messageShown() || !session.control().lastRenderSized()) return kExitRender;
    const int w = BarCodeWidth, h = BarCodeHeight;
    if (const std::string problem = sizeProblem(kind, w, h, scale, dpi); !problem.empty()) {
        printError(problem);
        return kExitRender;
    }
    if (verify) {
        if (const int status = readBack(session.control(), recording, w, h); status != kExitOk) return status;
    }
    std::string error;
    if (!writeAtomically(
            o.output,
            [&](std::FILE* f, std::string& e) {
                return writeRecording(recording, w, h, scale, kind, session.control().BackColor(), f, e, dpi);
            },
            error)) {
        printError(error);
        return kExitUsage;
    }
    warnPoorScanning(session.control());
    return kExitOk;
}

int writeForm(const SymbolOptions& o) {
    Session session;
    if (!o.form.empty() && !session.loadForm(o.form, o.name)) return kExitUsage;
    if (!session.assign(o.assignments)) return kExitUsage;
    const std::string name = !o.name.empty()                 ? o.name
                             : !session.objectName().empty() ? session.objectName()
                                                             : "Zorvik1";
    const std::string text = writeZorvik(session.control(), name);
    std::string error;
    if (!writeAtomically(
            o.output,
            [&](std::FILE* f, std::string& e) {
                if (std::fwrite(text.data(), 1, text.size(), f) == text.size()) return true;
                e = "the disk refused the data";
                return false;
            },
            error)) {
        printError(error);
        return kExitUsage;
    }
    return kExitOk;
}

struct PrintOptions {
    int dpi = 0;        // 0: 600 on a file, the queue's resolution on a printer
    std::string paper;  // "": A4 on a file, the queue's default paper on a printer
    std::string at = "0,0";
    std::string printer;
    bool verify = false;
};

enum class PageResult { Printed, NotDrawn, TooLarge, Failed };

// Prints the settled control at (X, Y) on one page of Printer, as PrintBarCode
// does, and leaves the document open when it was begun. Not drawn: the
// session has said why; too large and failed: Why says it.
PageResult printPage(Session& session, TPrinter& printer, int x, int y, std::string& why) {
    if (!printer.BeginDoc(why)) return PageResult::Failed;
    TPrinter* previous = SetPrinter(&printer);
    session.control().PrintBarCode(x, y);
    SetPrinter(previous);
    if (session.messageShown() || !session.control().lastRenderSized()) return PageResult::NotDrawn;
    if (int64_t{x} + BarCodeWidth > printer.PageWidth() || int64_t{y} + BarCodeHeight > printer.PageHeight()) {
        why = "Symbol too large: " + std::to_string(BarCodeWidth) + " x " + std::to_string(BarCodeHeight) +
              " pixels at " + std::to_string(x) + "," + std::to_string(y) + " on a page of " +
              std::to_string(printer.PageWidth()) + " x " + std::to_string(printer.PageHeight()) + " dots";
        return PageResult::TooLarge;
    }
    return PageResult::Printed;
}

int print(const SymbolOptions& o, const PrintOptions& p) {
    if (o.output.empty() == p.printer.empty()) {
        printError("print needs either -o FILE or --printer NAME");
        return kExitUsage;
    }
    VectorFormat format = VectorFormat::Pdf;
    if (p.printer.empty() &&
        (!vectorFormatOf(o.output, format) || format == VectorFormat::Svg || format == VectorFormat::Eps)) {
        printError("cannot print to '" + o.output + "': use a name ending in .pdf or .ps");
        return kExitUsage;
    }
    int x = 0, y = 0;
    {
        char comma = 0;
        std::istringstream in(p.at);
        if (!(in >> x >> comma >> y) || comma != ',' || !in.eof() || x < 0 || y < 0) {
            printError("--at wants X,Y: two whole numbers from 0, in printer dots, got '" + p.at + "'");
            return kExitUsage;
        }
    }
    std::optional<TPaper> paper;
    if (!p.paper.empty()) paper = sameIdent(p.paper, "Letter") ? TPaper::Letter : TPaper::A4;
    std::unique_ptr<TQueuePrinter> queue;
    if (!p.printer.empty()) {
        queue = openQueue(TQueueRequest{p.printer, p.dpi, paper, "zorvik print"});
        if (queue == nullptr) return kExitUsage;
    }
    Session session;
    if (!o.form.empty() && !session.loadForm(o.form, o.name)) return kExitUsage;
    if (!session.assign(o.assignments)) return kExitUsage;
    if (!session.settle()) return kExitRender;
    // The printer's resolution, as PrintBarCode reads it.
    int dpi = p.dpi > 0 ? p.dpi : 600;
    if (queue != nullptr) {
        std::string device, driver, port;
        TDeviceModeHandle mode;
        queue->GetPrinter(device, driver, port, mode);
        if (const TDeviceMode* dm = GlobalLock(mode); dm != nullptr) dpi = dm->dmPrintQuality;
    }
    if (p.verify) {
        // Read back at the scale PrintBarCode draws at on this printer.
        RecordingCanvas drawn;
        session.control().DrawBarCode(&drawn, 0, 0, std::max(1, dpi / 96));
        if (const int status = readBack(session.control(), drawn, BarCodeWidth, BarCodeHeight); status != kExitOk)
            return status;
    }

    PageResult result = PageResult::Failed;
    std::string why, error;
    if (queue != nullptr) {
        result = printPage(session, *queue, x, y, why);
        if (result != PageResult::Printed) {
            queue->Abort();
        } else if (!queue->EndDoc(why)) {
            result = PageResult::Failed;
        } else {
            std::printf("request id is %s-%d\n", p.printer.c_str(), queue->JobId());
        }
    } else {
        const bool written = writeAtomically(
            o.output,
            [&](std::FILE* f, std::string& e) {
                TVectorBackend* backend = vectorBackend(e);
                if (backend == nullptr) return false;
                std::unique_ptr<TPrinter> device =
                    backend->printer(f, format, p.dpi > 0 ? p.dpi : 600, paper.value_or(TPaper::A4));
                result = printPage(session, *device, x, y, why);
                if (result == PageResult::Failed) e = why;
                if (device->Printing() && !device->EndDoc(e) && result == PageResult::Printed)
                    result = PageResult::Failed;
                return result == PageResult::Printed;
            },
            error);
        if (!written && result == PageResult::Printed) result = PageResult::Failed;
        if (result == PageResult::Failed) why = error;
    }
    if (result == PageResult::Printed) warnThinModules(dpi);
    switch (result) {
        case PageResult::Printed:
            warnPoorScanning(session.control());
            return kExitOk;
        case PageResult::NotDrawn:
            return kExitRender;
        case PageResult::TooLarge:
            printError(why);
            return kExitRender;
        case PageResult::Failed:
            break;
    }
    printError(why);
    return kExitUsage;
}

}  // namespace

int main(int argc, char** argv) {
    // A batch frees and takes images of the same size record after record: keep
    // the memory rather than hand it back and fault it in again each time.
    mallopt(M_TRIM_THRESHOLD, 256 << 20);
    mallopt(M_MMAP_THRESHOLD, 64 << 20);
    removeTemporariesOnSignals();

    CLI::App app{
        "zorvik: draws one-dimensional barcodes (Code 39, Code 93, Code 128, Interleaved, Industrial and "
        "IATA 2 of 5, Codabar, EAN-13, EAN-8, EAN-13 with add-ons, UPC-A)"};
    app.set_version_flag("--version", std::string("zorvik ") + ZORVIK_VERSION);
    app.require_subcommand(1);
    app.footer(
        "Exit status: 0 when everything asked was drawn and written; 1 for a usage or I/O error; 2 when a "
        "render reported a message or drew nothing.\n'zorvik properties' lists the properties a command may set, with "
        "their types, defaults and values.");

    // Building a command's options costs more than drawing a symbol: when the
    // command line names its command, only that one gets them. (Every command
    // is still known by name, for the list in --help and for suggestions.)
    const std::string named = argc > 1 ? argv[1] : "";
    constexpr std::array<std::string_view, 8> kCommands = {"list",  "properties", "render", "form",
                                                           "print", "batch",      "report", "windows"};
    const bool namesOne = std::find(kCommands.begin(), kCommands.end(), named) != kCommands.end();
    auto wanted = [&](std::string_view command) { return !namesOne || named == command; };

    auto* list = app.add_subcommand("list", "List the symbologies: identifier, a tab, and name");
    bool namesOnly = false;
    auto* propertiesCmd = app.add_subcommand(
        "properties", "List every published property: its form-file path, type, default and values; and the colours");
    propertiesCmd->add_flag("--names", namesOnly, "Only the paths a command line may assign, one a line");

    SymbolOptions renderOptions;
    int scale = 1;
    auto* renderCmd = app.add_subcommand("render", "Draw the control's symbol to a PNG, SVG, PDF or PostScript file");
    int renderDpi = 0;
    std::string renderFormat;
    bool renderVerify = false;
    if (wanted("render")) {
        addSymbolOptions(renderCmd, renderOptions);
        renderCmd->add_flag(
            "--verify", renderVerify,
            "Read the symbol back with an independent reader (zxing-cpp) before writing it: one that does "
            "not give its data and check characters fails, with nothing written");
        auto* renderScale =
            renderCmd->add_option("--scale", scale, "Device pixels per screen pixel (whole number from 1)")
                ->check(CLI::Range(1, INT_MAX));
        renderCmd
            ->add_option("--dpi", renderDpi,
                         "Draw for a device of N dots per inch: at the scale a report printer of N dpi uses (N/96, "
                         "halves to even) and with N recorded as the file's resolution")
            ->check(CLI::Range(1, 32767))
            ->excludes(renderScale);
        renderCmd
            ->add_option("--format", renderFormat,
                         "png, svg, pdf, ps or eps: the format, whatever the name (needed with -o -)")
            ->check(CLI::IsMember({"png", "svg", "pdf", "ps", "eps"}, CLI::ignore_case));
    }

    SymbolOptions formOptions;
    auto* formCmd = app.add_subcommand("form", "Write the control as a form-file object block, without painting");
    if (wanted("form")) addSymbolOptions(formCmd, formOptions);

    SymbolOptions printOptions;
    PrintOptions printSettings;
    auto* printCmd = app.add_subcommand(
        "print",
        "Print the control on a PDF or PostScript page, as on a printer of --dpi dots per inch, or on a "
        "CUPS queue (--printer)");
    if (wanted("print")) {
        auto* printFile = addSymbolOptions(printCmd, printOptions)->required(false);
        printFile->description("The PDF or PostScript file to write (or give --printer)");
        printCmd->add_option("--printer", printSettings.printer, "Print on this CUPS queue, as one job")
            ->excludes(printFile);
        printCmd
            ->add_option("--dpi", printSettings.dpi,
                         "The printer's print quality in dots per inch (default 600; with --printer the queue's "
                         "resolution, 600 when it names none)")
            ->check(CLI::Range(1, 32767));
        printCmd->add_flag(
            "--verify", printSettings.verify,
            "Read the symbol back with an independent reader (zxing-cpp) first: one that does not give its "
            "data and check characters is not printed");
        printCmd->add_option("--at", printSettings.at, "The symbol's top-left corner in printer dots (default 0,0)");
        printCmd
            ->add_option("--paper", printSettings.paper,
                         "Paper size (default A4; with --printer the queue's default paper)")
            ->check(CLI::IsMember({"A4", "Letter"}, CLI::ignore_case));
    }

    BatchOptions batchOptions;
    auto* batchCmd = app.add_subcommand(
        "batch", "Draw one symbol per record of a text file (--input) or a database query (--db, --sql)");
    if (wanted("batch")) {
        batchCmd->add_option("--form", batchOptions.form, "Read the control from this form file")
            ->check(CLI::ExistingFile);
        batchCmd->add_option("--name", batchOptions.name, "The object to read from the form file");
        batchCmd->add_option("assignments", batchOptions.assignments, "PROPERTY=VALUE assignments, after --form");
        auto* input = batchCmd->add_option("--input", batchOptions.input,
                                           "One caption per line (LF-separated; a blank line is an empty caption); "
                                           "'-' reads standard input");
        auto* db = batchCmd->add_option("--db", batchOptions.db,
                                        "An SQLite database file, or a PostgreSQL server as a postgresql:// URI "
                                        "(libpq's syntax; ?host= may name a socket folder)");
        auto* sql = batchCmd->add_option("--sql", batchOptions.sql,
                                         "The query whose DataField (default: first column) "
                                         "gives each record's caption");
        input->excludes(db)->excludes(sql);
        db->needs(sql);
        sql->needs(db);
        batchCmd->add_option("--shard", batchOptions.shard,
                             "I/N: draw only the records of worker I of N (I counts from 0; record n goes to "
                             "worker (n-1) mod N; {n} stays the number over the whole input; a .pdf output "
                             "becomes NAME-I-of-N.pdf)");
        batchCmd->add_option("--jobs", batchOptions.jobs, "Threads to render on (default: every core)")
            ->check(CLI::Range(1, 1024));
        auto* batchScale =
            batchCmd->add_option("--scale", batchOptions.scale, "Device pixels per screen pixel (whole number from 1)")
                ->check(CLI::Range(1, INT_MAX));
        auto* batchDpi =
            batchCmd
                ->add_option("--dpi", batchOptions.dpi,
                             "Draw for a device of N dots per inch: at the scale a report printer of N dpi uses (N/96, "
                             "halves to even) and with N recorded as the files' resolution")
                ->check(CLI::Range(1, 32767))
                ->excludes(batchScale);
        auto* batchOutput = batchCmd->add_option(
            "-o,--output", batchOptions.output,
            "PATTERN: with {n} (the record number from 1), {n:W} (padded with zeros to W digits) or {COLUMN} (that "
            "field of the record, made safe for a file name), one file per record in any format; otherwise a .pdf "
            "with one page per record (or give --printer)");
        batchCmd
            ->add_option("--printer", batchOptions.printer,
                         "Print on this CUPS queue instead: one job, a page of the queue's paper per record, at the "
                         "queue's resolution")
            ->excludes(batchOutput)
            ->excludes(batchScale)
            ->excludes(batchDpi);

        batchCmd->add_flag("--verify", batchOptions.verify,
                           "Read every symbol back with an independent reader (zxing-cpp) before writing it: a record "
                           "whose symbol does not give its data and check characters fails");
        batchCmd->footer(propertiesHelp());
    }

    ReportOptions reportOptions;
    auto* reportCmd = app.add_subcommand(
        "report",
        "Print a banded report of a form file (its bands, labels and barcodes over its dataset) to PDF or "
        "PostScript pages");
    if (wanted("report")) {
        reportCmd->add_option("--form", reportOptions.form, "The form file holding the report")
            ->required()
            ->check(CLI::ExistingFile);
        reportCmd->add_option("--name", reportOptions.name, "The TQuickRep to print (default: the first)");
        reportCmd->add_option("--db", reportOptions.db,
                              "An SQLite database file, or a postgresql:// URI, in place of the one the form names");
        reportCmd->add_option("--sql", reportOptions.sql, "A query in place of the one the form names");
        reportCmd
            ->add_option("--dpi", reportOptions.dpi,
                         "The printer's resolution in dots per inch (default 600 for a file, the queue's own for "
                         "--printer)")
            ->check(CLI::Range(1, 32767));
        auto* reportOutput =
            reportCmd->add_option("-o,--output", reportOptions.output, "The file to write: .pdf or .ps");
        reportCmd
            ->add_option("--printer", reportOptions.printer, "Print on this CUPS queue instead: one job of all pages")
            ->excludes(reportOutput);
        reportCmd->add_flag("--verify", reportOptions.verify,
                            "Read every symbol back with an independent reader (zxing-cpp) before its band prints: a "
                            "record whose symbol does not give its data and check characters is left out and reported");
    }

    WindowsOptions windowsOptions;
    auto* windowsCmd = addWindowsCommand(app, windowsOptions);

    auto isCommand = [&](const std::string& name) {
        for (const CLI::App* sub : app.get_subcommands([](CLI::App*) { return true; }))
            if (sub->get_name() == name) return true;
        return false;
    };
    if (argc > 1 && argv[1][0] != '-' && !isCommand(argv[1])) {
        std::string known;
        std::vector<std::string> names;
        for (const CLI::App* sub : app.get_subcommands([](CLI::App*) { return true; })) {
            known += (known.empty() ? "" : ", ") + sub->get_name();
            names.push_back(sub->get_name());
        }
        const std::vector<std::string_view> views(names.begin(), names.end());
        const std::string near = nearestName(argv[1], views);
        printError(std::string("unknown command '") + argv[1] +
                   "': " + (near.empty() ? "" : "did you mean " + near + "? ") + "the commands are " + known);
        return kExitUsage;
    }
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        if (e.get_exit_code() == 0) return app.exit(e);
        printError(e.what());
        std::fprintf(stderr, "Run with --help for more information.\n");
        return kExitUsage;
    }
    if (list->parsed()) return listSymbologies();
    if (propertiesCmd->parsed()) return listProperties(namesOnly);
    if (renderCmd->parsed()) return render(renderOptions, scale, renderDpi, renderFormat, renderVerify);
    if (formCmd->parsed()) return writeForm(formOptions);
    if (printCmd->parsed()) return print(printOptions, printSettings);
    if (reportCmd->parsed()) return runReport(reportOptions);
    if (windowsCmd->parsed()) return listWindows(windowsOptions);
    if (batchCmd->parsed()) {
        if (batchOptions.output.empty() == batchOptions.printer.empty()) {
            printError("batch needs either -o PATTERN or --printer NAME");
            return kExitUsage;
        }
        if (batchOptions.input.empty() && batchOptions.db.empty()) {
            printError("batch needs its records: --input FILE, or --db FILE with --sql QUERY");
            return kExitUsage;
        }
        if (!batchOptions.name.empty() && batchOptions.form.empty()) {
            printError("--name needs --form");
            return kExitUsage;
        }
        return runBatch(batchOptions);
    }
    return kExitUsage;
}
