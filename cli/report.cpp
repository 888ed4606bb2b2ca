#include "cli/report.h"

#include <cmath>
#include <filesystem>
#include <set>
#include <vector>

#include "cli/output.h"
#include "cli/queue.h"
#include "cli/session.h"
#include "cli/verify.h"
#include "cli/vector.h"
#include "control/zorvik.h"
#include "platform/documentprinter.h"
#include "platform/formloader.h"
#include "platform/formvalue.h"
#include "platform/forms.h"
#include "platform/headless.h"
#include "platform/report.h"
#include "platform/reportform.h"
#include "platform/sqlite/database.h"
#include "platform/sqlite/sqlitedataset.h"
#include "platform/sqlite/sqliteform.h"
#include "platform/vector.h"
#include "report/qr2zorvik.h"
#include "report/reportform.h"

namespace zorvik::cli {

namespace {

constexpr int kMaxPaints = 64;

// The report called Name, or the first.
TQuickRep* chooseReport(const TFormLoader& loader, const std::string& file, const std::string& name,
                        std::string& error) {
    for (const TFormLoader::Loaded& l : loader.loaded()) {
        auto* report = dynamic_cast<TQuickRep*>(l.component);
        if (name.empty() && report != nullptr) return report;
        if (!name.empty() && sameIdent(l.component->Name(), name)) {
            if (report != nullptr) return report;
            error = file + ":" + std::to_string(l.object->line) + ": '" + l.component->Name() + "' is a " +
                    l.object->className + ", not a TQuickRep";
            return nullptr;
        }
    }
    error = name.empty() ? file + ": the file holds no TQuickRep"
                         : file + ": the file holds no report called '" + name + "'";
    return nullptr;
}

}  // namespace

struct ReportJob::Impl {
    // Messages are collected while the job lives; the host outlives the
    // controls it paints.
    TApplication::MessageHandler previous;
    std::vector<std::string> messages;
    HeadlessHost host;
    TComponent form{nullptr};
    TFormLoader loader;
    TQuickRep* report = nullptr;
    std::unique_ptr<TDataSet> server;  // a --db server dataset in place of the form's own
    TNullCanvas trial;
    bool verify = false;
    std::int64_t failed = 0;
    bool invisible = false;
    std::set<std::pair<std::int64_t, std::string>> said;

    void say(std::int64_t record, const std::string& text) {
        if (!said.insert({record, text}).second) return;
        printError(record > 0 ? "record " + std::to_string(record) + ": " + text : text);
    }
    void sayPending() {
        for (const std::string& m : messages) say(report != nullptr ? report->RecordNumber() : 0, m);
        messages.clear();
    }

    // Before a band prints, its barcodes settle to the current record's
    // caption and are tried once: a caption the symbology refuses leaves the
    // whole band (the record's label) empty, and is said with the record's number.
    void beforePrint(TQRBand& band, bool& printBand) {
        sayPending();  // whatever the last band's printing reported
        host.settle(kMaxPaints);
        messages.clear();
        for (int k = 0; k < band.ElementCount(); ++k) {
            auto* element = dynamic_cast<TQR2Zorvik*>(band.Elements(k));
            TZorvik* z = element != nullptr ? element->Barcode() : nullptr;
            if (z == nullptr) continue;
            messages.clear();
            z->DrawBarCode(&trial, 0, 0, 1);
            if (!messages.empty()) {
                say(report->RecordNumber(), messages.front());
                printBand = false;
            } else if (!z->Visible() && !z->isDesigning()) {
                invisible = true;
                say(0, "Nothing drawn: the control is invisible");
            } else if (verify && z->lastRenderSized()) {
                // Read back as drawn for the screen: the printer's copy is the
                // same symbol at a whole multiple of its size.
                RecordingCanvas drawn;
                z->DrawBarCode(&drawn, 0, 0, 1);
                std::string why;
                const VerifyResult result = verifySymbol(*z, drawn, BarCodeWidth, BarCodeHeight, why);
                if (result == VerifyResult::Wrong || result == VerifyResult::Failed) {
                    say(report->RecordNumber(), why);
                    printBand = false;
                } else if (result == VerifyResult::NotReadable) {
                    say(0, "warning: " + why);
                }
            }
        }
        messages.clear();
        if (!printBand) ++failed;
    }
};

ReportJob::ReportJob() : m_impl(std::make_unique<Impl>()) {
    m_impl->previous = Application().setMessageHandler([this](const std::string& text, const std::string&, int) {
        m_impl->messages.push_back(text);
        return IDOK;
    });
}

ReportJob::~ReportJob() {
    TApplication::MessageHandler previous = std::move(m_impl->previous);
    m_impl.reset();
    Application().setMessageHandler(std::move(previous));
}

bool ReportJob::load(const ReportOptions& o) {
    Impl& j = *m_impl;
    j.verify = o.verify;
    std::vector<TFormObject> roots;
    std::string error;
    addReportClasses(j.loader);
    addZorvikClasses(j.loader);
    addSqliteClasses(j.loader, std::filesystem::path(o.form).parent_path().string());
    if (!readForm(o.form, roots, error) || !j.loader.load(roots, o.form, j.form, error) ||
        (j.report = chooseReport(j.loader, o.form, o.name, error)) == nullptr) {
        printError(error);
        return false;
    }
    if (!o.db.empty() || !o.sql.empty()) {
        auto* sqlite = dynamic_cast<TSqliteDataSet*>(j.report->DataSet());
        if (sqlite == nullptr) {
            printError("--db and --sql replace the database and query of the report's TSqliteDataSet, and the report '" +
                       j.report->Name() + "' has none");
            return false;
        }
        if (!o.sql.empty()) sqlite->SetSQL(o.sql);
        if (isServerDatabase(o.db)) {
            // The same query on the server: the report and every data source
            // that read the form's dataset read the server's instead.
            std::string why;
            j.server = newDatabaseDataSet(o.db, sqlite->SQL(), why);
            if (j.server == nullptr) {
                printError(why);
                return false;
            }
            for (const TFormLoader::Loaded& l : j.loader.loaded())
                if (auto* source = dynamic_cast<TDataSource*>(l.component); source != nullptr && source->DataSet() == sqlite)
                    source->SetDataSet(j.server.get());
            j.report->SetDataSet(j.server.get());
        } else if (!o.db.empty()) {
            sqlite->SetDatabaseName(o.db);
        }
    }
    for (const TFormLoader::Loaded& l : j.loader.loaded())
        if (auto* z = dynamic_cast<TZorvik*>(l.component)) j.host.insert(*z);
    for (int i = 0; i < j.report->BandCount(); ++i)
        j.report->Bands(i)->OnBeforePrint = [&j](TQRBand& band, bool& printBand) { j.beforePrint(band, printBand); };
    return true;
}

bool ReportJob::pageDots(int Dpi, int& Width, int& Height) const {
    const TQRPage& page = m_impl->report->Page();
    if (page.Width / 25.4L * 72 > kMaxPagePoints || page.Length / 25.4L * 72 > kMaxPagePoints) {
        printError("the page is too large: PDF and PostScript pages are at most 5080 mm a side");
        return false;
    }
    Width = static_cast<int>(std::lround(page.Width * Dpi / 25.4L));
    Height = static_cast<int>(std::lround(page.Length * Dpi / 25.4L));
    if (Width < 1 || Height < 1) {
        printError("the page has no area");
        return false;
    }
    return true;
}

bool ReportJob::print(TPrinter& Device, int Dpi, std::string& Error) {
    Impl& j = *m_impl;
    TQRPrinter printer(&Device, Dpi, Dpi);
    const bool ok = j.report->Print(printer, Error);
    j.sayPending();
    return ok;
}

std::int64_t ReportJob::records() const {
    return m_impl->report->DataSet() != nullptr ? m_impl->report->RecordCount() : 1;
}

TQRPaperSize ReportJob::paperSize() const { return m_impl->report->Page().PaperSize; }

bool ReportJob::drewEverything() const { return m_impl->failed == 0 && !m_impl->invisible; }

namespace {

// The queue's pages as the report prints them, with the job held back at the
// end of the document: it is sent only once the report is known to have
// records and to have printed them all.
class HeldJob : public TPrinter {
public:
    explicit HeldJob(TQueuePrinter& Queue) : m_queue(Queue) {}
    void GetPrinter(std::string& Device, std::string& Driver, std::string& Port, TDeviceModeHandle& Mode) override {
        m_queue.GetPrinter(Device, Driver, Port, Mode);
    }
    bool BeginDoc(std::string& Error) override { return m_queue.BeginDoc(Error) && follow(); }
    bool NewPage(std::string& Error) override { return m_queue.NewPage(Error) && follow(); }
    bool EndDoc(std::string&) override {
        setPage(nullptr);
        setPrinting(false);
        return true;
    }

private:
    bool follow() {
        setPage(m_queue.Canvas());
        setPrinting(true);
        setPageSize(m_queue.PageWidth(), m_queue.PageHeight());
        return true;
    }
    TQueuePrinter& m_queue;
};

// A report on a queue: one job of all its pages, at the queue's resolution
// unless --dpi says otherwise, on the report's paper where the queue names it.
int printReportOnQueue(const ReportOptions& o, ReportJob& job) {
    std::optional<TPaper> paper;
    if (job.paperSize() == TQRPaperSize::A4) paper = TPaper::A4;
    if (job.paperSize() == TQRPaperSize::Letter) paper = TPaper::Letter;
    std::unique_ptr<TQueuePrinter> queue = openQueue(TQueueRequest{o.printer, o.dpi, paper, "zorvik report"});
    if (queue == nullptr) return kExitUsage;
    std::string device, driver, port;
    TDeviceModeHandle mode;
    queue->GetPrinter(device, driver, port, mode);
    const TDeviceMode* dm = GlobalLock(mode);
    const int dpi = o.dpi > 0 ? o.dpi : dm != nullptr && dm->dmPrintQuality > 0 ? dm->dmPrintQuality : 600;
    std::string reportError;
    HeldJob held(*queue);
    const bool printed = job.print(held, dpi, reportError);
    if (!printed || job.records() == 0) {
        queue->Abort();
        printError(!printed ? reportError : "no records; nothing printed");
        return printed ? kExitOk : kExitUsage;
    }
    std::string error;
    if (!queue->EndDoc(error)) {
        printError(error);
        return kExitUsage;
    }
    std::printf("request id is %s-%d\n", o.printer.c_str(), queue->JobId());
    return job.drewEverything() ? kExitOk : kExitRender;
}

}  // namespace

int runReport(const ReportOptions& o) {
    if (o.output.empty() == o.printer.empty()) {
        printError("report needs either -o FILE or --printer NAME");
        return kExitUsage;
    }
    VectorFormat format = VectorFormat::Pdf;
    if (o.printer.empty() &&
        (!vectorFormatOf(o.output, format) || format == VectorFormat::Svg || format == VectorFormat::Eps)) {
        printError("cannot print a report to '" + o.output + "': use a name ending in .pdf or .ps");
        return kExitUsage;
    }
    ReportJob job;
    if (!job.load(o)) return kExitUsage;
    if (!o.printer.empty()) return printReportOnQueue(o, job);
    const int dpi = o.dpi > 0 ? o.dpi : 600;
    int width = 0, height = 0;
    if (!job.pageDots(dpi, width, height)) return kExitUsage;

    std::string reportError, error;
    bool printed = false;
    const bool written = writeAtomically(
        o.output,
        [&](std::FILE* f, std::string& e) {
            TVectorBackend* backend = vectorBackend(e);
            if (backend == nullptr) return false;
            TDocumentPrinter device(backend->document(f, format, dpi), width, height, dpi);
            // Zero records leave no file, as a batch does.
            printed = job.print(device, dpi, reportError);
            return printed && job.records() > 0;
        },
        error);
    if (!reportError.empty()) {
        printError(reportError);
        return kExitUsage;
    }
    if (printed && job.records() == 0) {
        printError("no records; nothing written");
        return kExitOk;
    }
    if (!written) {
        printError(error);
        return kExitUsage;
    }
    return job.drewEverything() ? kExitOk : kExitRender;
}

}  // namespace zorvik::cli
