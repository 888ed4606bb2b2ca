#include "cli/batch.h"

#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <deque>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <utility>

#include "cli/colours.h"
#include "cli/output.h"
#include "cli/pattern.h"
#include "cli/records.h"
#include "cli/verify.h"
#include "cli/session.h"
#include "control/formio.h"
#include "control/published.h"
#include "control/zorvik.h"
#include "cli/queue.h"
#include "cli/vector.h"
#include "platform/vector.h"
#include "platform/headless.h"
#include "platform/sqlite/database.h"
#include "report/qr2zorvik.h"

namespace zorvik::cli {

namespace {

constexpr int kMaxPaints = 64;

// How every worker sets its control up: the form's object, then the
// assignments, exactly as the command line's template was set up.
struct Recipe {
    std::vector<TFormObject> roots;
    std::string file, name;
    std::vector<std::string> assignments;

    void apply(TZorvik& z) const {
        std::string ignored, objectName;
        if (!file.empty()) loadZorvik(roots, file, name, z, objectName, ignored);
        for (const std::string& a : assignments) {
            const auto eq = a.find('=');
            if (const PublishedProperty* p = findProperty(a.substr(0, eq)); p != nullptr)
                assignProperty(z, *p, formValueText(*p, a.substr(eq + 1)), true, ignored);
        }
    }
};

struct Job {
    std::int64_t n = 0;  // the record's number over the whole input
    TStorageClass storage = TStorageClass::Null;
    std::string text;
    std::string failure;  // found by the reader (a blob)
    std::vector<std::string> fields;  // the columns the output pattern names
};

struct Result {
    std::int64_t n = 0;
    bool ok = false;
    std::string message;
    std::unique_ptr<RecordingCanvas> page;  // one page of the PDF
    int width = 0, height = 0;
    bool ioError = false;
    std::string warning;  // said for the record, which is still written
};

// Records travel in chunks, so that the threads meet once per chunk rather
// than once per record. Chunks count records by their place in this run,
// which for a shard is not their number in the input.
constexpr std::int64_t kChunk = 32;

struct Chunk {
    std::int64_t first = 0;  // the number of its first record
    std::vector<Job> jobs;
};

// Shared between the reader, the workers and the committer. The reader stays
// at most a window of chunks ahead of the committer, so memory does not grow
// with the number of records.
class Pipeline {
public:
    explicit Pipeline(std::int64_t windowChunks) : m_window(windowChunks) {}

    void push(Chunk chunk) {
        std::unique_lock<std::mutex> lock(m_mutex);
        m_space.wait(lock, [&] { return (chunk.first - m_committed) / kChunk < m_window || m_stopped; });
        if (m_stopped) return;
        m_chunks.push_back(std::move(chunk));
        m_work.notify_one();
    }
    void finishReading(std::int64_t records, std::string error) {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_records = records;
        m_readError = std::move(error);
        m_readDone = true;
        m_work.notify_all();
        m_done.notify_all();
    }
    // Workers: the next chunk, or nothing when reading is over.
    std::optional<Chunk> take() {
        std::unique_lock<std::mutex> lock(m_mutex);
        m_work.wait(lock, [&] { return !m_chunks.empty() || m_readDone || m_stopped; });
        if (m_chunks.empty() || m_stopped) return std::nullopt;
        Chunk chunk = std::move(m_chunks.front());
        m_chunks.pop_front();
        return chunk;
    }
    void deliver(std::int64_t first, std::vector<Result> results) {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_results.emplace(first, std::move(results));
        if (first == m_wanted) m_done.notify_all();
    }
    // Committer: the results of the chunk starting at record First, in record
    // order; nothing yet, or nothing when there is no such record.
    std::optional<std::vector<Result>> next(std::int64_t first) {
        std::unique_lock<std::mutex> lock(m_mutex);
        m_wanted = first;
        m_done.wait_for(lock, std::chrono::milliseconds(100), [&] {
            return m_results.count(first) > 0 || (m_readDone && m_records < first);
        });
        auto it = m_results.find(first);
        if (it == m_results.end()) return std::nullopt;
        std::vector<Result> r = std::move(it->second);
        m_results.erase(it);
        m_committed = first + static_cast<std::int64_t>(r.size());
        m_space.notify_all();
        return r;
    }
    bool allRead(std::int64_t n) {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_readDone && m_records < n;
    }
    void stop() {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_stopped = true;
        m_space.notify_all();
        m_work.notify_all();
    }
    std::string readError() {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_readError;
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_space, m_work, m_done;
    std::deque<Chunk> m_chunks;
    std::map<std::int64_t, std::vector<Result>> m_results;
    std::int64_t m_window;
    std::int64_t m_committed = 1;  // the first record not yet committed
    std::int64_t m_wanted = 1;
    std::int64_t m_records = 0;
    bool m_readDone = false;
    bool m_stopped = false;
    std::string m_readError;
};

struct Settings {
    const Recipe* recipe;
    std::string fieldName;
    int scale;
    bool pdf;  // one PDF of pages; else one file per record
    OutputKind kind;
    std::string pattern;
    // On a queue: its resolution and page in dots (0 when writing files).
    int printDpi = 0;
    int pageWidth = 0, pageHeight = 0;
    const NamePattern* names = nullptr;
    int dpi = 0;  // the files' resolution; 0: 96 x scale
    bool verify = false;
};

// A printer of the queue's resolution whose page is a recording, so that a
// worker draws a record exactly as PrintBarCode draws it on the queue.
class RecordingPrinter final : public TPrinter {
public:
    RecordingPrinter(int DotsPerInch, RecordingCanvas& Page) : m_mode(std::make_shared<TDeviceMode>()) {
        m_mode->dmPrintQuality = static_cast<int16_t>(DotsPerInch);
        setPage(&Page);
    }
    void GetPrinter(std::string& Device, std::string& Driver, std::string& Port, TDeviceModeHandle& Mode) override {
        Device = "recording";
        Driver.clear();
        Port.clear();
        Mode = m_mode;
    }

private:
    TDeviceModeHandle m_mode;
};

// The queue's printer as a document: each record a page of the queue's paper
// with the symbol at its top-left corner, as print puts it by default.
class QueuePages final : public TVectorDocument {
public:
    explicit QueuePages(TQueuePrinter& Printer) : m_printer(Printer) {}
    TCanvas& beginPage(int, int) override {
        if (m_error.empty() && !(m_printer.Printing() ? m_printer.NewPage(m_error) : m_printer.BeginDoc(m_error)))
            m_printer.Abort();
        return *m_printer.Canvas();
    }
    void endPage() override {}
    bool close(std::string& Error) override {
        if (m_error.empty()) return m_printer.EndDoc(Error);
        Error = m_error;
        return false;
    }

private:
    TQueuePrinter& m_printer;
    std::string m_error;
};

// Renders one record the way a form does it: a fresh control from the recipe,
// its caption through the data link, painted until it settles, then drawn at
// the output's scale.
Result renderRecord(const Settings& s, const Job& job, TRecordDataSet& records, TDataSource& source,
                    std::string& message) {
    Result r;
    r.n = job.n;
    if (!job.failure.empty()) {
        r.message = job.failure;
        return r;
    }
    std::string path;
    if (!s.pdf && s.printDpi == 0 && !s.names->expand(job.n, job.fields, path, r.message)) return r;
    records.put(job.storage, job.text);
    records.First();
    message.clear();
    HeadlessHost host;
    TZorvik control(nullptr);
    s.recipe->apply(control);
    if (control.DataField().empty()) control.SetDataField(s.fieldName);
    host.insert(control);
    control.SetDataSource(&source);
    if (!host.settle(kMaxPaints)) {
        r.message = "the control did not settle after " + std::to_string(kMaxPaints) + " paints";
        return r;
    }
    if (message.empty()) {
        auto recording = std::make_unique<RecordingCanvas>();
        if (s.printDpi > 0) {
            RecordingPrinter printer(s.printDpi, *recording);
            TPrinter* previous = SetPrinter(&printer);
            control.PrintBarCode(0, 0);
            SetPrinter(previous);
        } else {
            recording->setSizeCheck([&](long long w, long long h) { return sizeProblem(s.kind, w, h, s.scale); });
            control.DrawBarCode(recording.get(), 0, 0, s.scale);
        }
        if (message.empty() && !control.lastRenderSized()) message = "Nothing drawn";
        if (message.empty() && s.printDpi > 0 && (BarCodeWidth > s.pageWidth || BarCodeHeight > s.pageHeight))
            message = "Symbol too large: " + std::to_string(BarCodeWidth) + " x " + std::to_string(BarCodeHeight) +
                      " pixels at 0,0 on a page of " + std::to_string(s.pageWidth) + " x " +
                      std::to_string(s.pageHeight) + " dots";
        if (message.empty() && s.printDpi == 0)
            message = sizeProblem(s.kind, BarCodeWidth, BarCodeHeight, s.scale, s.dpi);
        if (message.empty() && s.verify) {
            std::string said;
            switch (verifySymbol(control, *recording, BarCodeWidth, BarCodeHeight, said)) {
                case VerifyResult::Read: break;
                case VerifyResult::NotReadable: r.warning = said; break;
                case VerifyResult::Wrong: message = said; break;
                case VerifyResult::Failed:
                    message = said;
                    r.ioError = true;
                    break;
            }
        }
        const TColor background = control.BackColor();
        if (message.empty()) {
            r.width = BarCodeWidth;
            r.height = BarCodeHeight;
            if (s.pdf) {
                r.page = std::move(recording);
                r.ok = true;
            } else {
                std::string error;
                r.ok = writeAtomically(
                    path,
                    [&](std::FILE* f, std::string& e) {
                        return writeRecording(*recording, r.width, r.height, s.scale, s.kind, background, f, e, s.dpi);
                    },
                    error);
                if (!r.ok) {
                    r.message = error;
                    r.ioError = true;
                }
            }
        }
    }
    if (!message.empty()) r.message = message;
    control.SetDataSource(nullptr);
    return r;
}

void work(const Settings& s, Pipeline& pipeline) {
    std::string message;
    // The first message of each record says why it failed.
    Application().setMessageHandler([&](const std::string& text, const std::string&, int) {
        if (message.empty()) message = text;
        return IDOK;
    });
    TRecordDataSet records(nullptr, s.fieldName);
    TDataSource source(nullptr);
    source.SetDataSet(&records);
    records.Open();
    while (std::optional<Chunk> chunk = pipeline.take()) {
        std::vector<Result> results;
        results.reserve(chunk->jobs.size());
        for (const Job& job : chunk->jobs) results.push_back(renderRecord(s, job, records, source, message));
        pipeline.deliver(chunk->first, std::move(results));
    }
    Application().setMessageHandler(nullptr);
}

class Progress {
public:
    Progress(bool shown, std::int64_t total) : m_shown(shown), m_total(total) {}
    void update(std::int64_t done, bool force = false) {
        if (!m_shown) return;
        const auto now = std::chrono::steady_clock::now();
        if (!force && now - m_last < std::chrono::milliseconds(100)) return;
        m_last = now;
        if (m_total <= 0) {
            // Standard input: the count is known only at its end.
            std::fprintf(stderr, "\r%lld records", static_cast<long long>(done));
            std::fflush(stderr);
            m_drawn = true;
            return;
        }
        const int width = 30;
        const int filled = m_total > 0 ? static_cast<int>(width * std::min(done, m_total) / m_total) : 0;
        std::fprintf(stderr, "\r[%s%s] %lld/%lld records", std::string(static_cast<size_t>(filled), '#').c_str(),
                     std::string(static_cast<size_t>(width - filled), ' ').c_str(), static_cast<long long>(done),
                     static_cast<long long>(m_total));
        std::fflush(stderr);
        m_drawn = true;
    }
    // Clears the bar before a line of its own.
    void clear() {
        if (m_shown && m_drawn) std::fprintf(stderr, "\r\033[K");
        m_drawn = false;
    }

private:
    bool m_shown;
    std::int64_t m_total;
    bool m_drawn = false;
    std::chrono::steady_clock::time_point m_last{};
};

}  // namespace

int runBatch(const BatchOptions& options) {
    BatchOptions o = options;
    TShard shard;
    if (!o.shard.empty()) {
        std::string error;
        if (!parseShard(o.shard, shard, error)) {
            printError(error);
            return kExitUsage;
        }
    }
    std::unique_ptr<TQueuePrinter> queue;
    if (!o.printer.empty()) {
        queue = openQueue(TQueueRequest{o.printer, 0, {}, "zorvik batch"});
        if (queue == nullptr) return kExitUsage;
    }
    const auto started = std::chrono::steady_clock::now();
    if (o.dpi > 0) o.scale = reportScale(static_cast<long double>(o.dpi) / 96.0L, 1.0L);
    NamePattern names;
    std::string sample;
    if (queue == nullptr) {
        std::string error;
        if (!names.parse(o.output, error)) {
            printError(error);
            return kExitUsage;
        }
        names.expand(1, std::vector<std::string>(names.columns().size(), "1"), sample, error);
    }
    const bool perRecord = queue == nullptr && names.perRecord();
    OutputKind kind = OutputKind::Pdf;
    if (queue == nullptr && (!outputKindOf(perRecord ? sample : o.output, kind) ||
                             (!perRecord && kind != OutputKind::Pdf))) {
        printError("the output '" + o.output +
                   "' needs {n} (one file per record, ending in .png, .svg, .pdf, .ps or .eps) or must end in .pdf (one "
                   "page per record)");
        return kExitUsage;
    }
    // Shards of one run share a folder: each writes a PDF of its own.
    if (queue == nullptr && !perRecord && !o.shard.empty()) o.output = shardPdfPath(o.output, shard);

    if (kind != OutputKind::Png) {
        std::string error;
        if (vectorBackend(error) == nullptr) {
            printError(error);
            return kExitUsage;
        }
    }
    if (queue == nullptr && !names.columnInFolder()) {
        // A missing output folder is said once, not once per record.
        namespace fs = std::filesystem;
        const fs::path first(perRecord ? sample : o.output);
        const fs::path dir = first.has_parent_path() ? first.parent_path() : fs::path(".");
        std::error_code ec;
        if (!fs::is_directory(dir, ec)) {
            printError("cannot write '" + first.string() + "': no folder '" + dir.string() + "'");
            return kExitUsage;
        }
    }

    // The template: checked once, with its warnings said once.
    Recipe recipe;
    recipe.assignments = o.assignments;
    {
        Session session;
        if (!o.form.empty()) {
            std::string error;
            if (!readForm(o.form, recipe.roots, error)) {
                printError(error);
                return kExitUsage;
            }
            if (!session.loadForm(o.form, o.name)) return kExitUsage;
            recipe.file = o.form;
            recipe.name = o.name;
        }
        if (!session.assign(o.assignments)) return kExitUsage;
        if (!session.control().Visible()) {
            printError("Nothing drawn: the control is invisible");
            return kExitRender;
        }
        recipe.name = o.name.empty() ? session.objectName() : o.name;
    }
    std::string dataField;
    {
        TZorvik probe(nullptr);
        recipe.apply(probe);
        dataField = probe.DataField();
    }

    // The records.
    std::unique_ptr<TDataSet> dataset;
    if (!o.input.empty()) {
        auto lines = std::make_unique<TLinesDataSet>(nullptr);
        lines->SetFileName(o.input);
        dataset = std::move(lines);
    } else {
        std::string error;
        dataset = newDatabaseDataSet(o.db, o.sql, error);
        if (dataset == nullptr) {
            printError(error);
            return kExitUsage;
        }
    }
    if (!dataset->Open()) {
        printError(dataset->LastError());
        return kExitUsage;
    }
    TField* field = dataField.empty() ? dataset->Fields(0) : dataset->FieldByName(dataField);
    if (field == nullptr) {
        std::string names;
        for (int i = 0; i < dataset->FieldCount(); ++i) names += (i ? ", " : "") + dataset->Fields(i)->FieldName();
        printError("unknown DataField '" + dataField + "': the records have " + names);
        return kExitUsage;
    }

    // The fields the output pattern names.
    std::vector<TField*> nameFields;
    for (const std::string& column : names.columns()) {
        TField* f = dataset->FieldByName(column);
        if (f == nullptr) {
            std::string known;
            for (int i = 0; i < dataset->FieldCount(); ++i) known += (i ? ", " : "") + dataset->Fields(i)->FieldName();
            printError("unknown column {" + column + "} in the output pattern: the records have " + known);
            return kExitUsage;
        }
        nameFields.push_back(f);
    }

    const bool tty = isatty(STDERR_FILENO) != 0;
    std::int64_t total = tty ? dataset->RecordCount() : 0;
    if (total > 0) total = total > shard.Index ? (total - shard.Index - 1) / shard.Count + 1 : 0;
    Progress progress(tty, total);
    const int jobs = o.jobs > 0 ? o.jobs : std::max(1u, std::thread::hardware_concurrency());
    Settings settings{&recipe, field->FieldName(), o.scale, !perRecord, kind, o.output};
    if (queue != nullptr) {
        std::string device, driver, port;
        TDeviceModeHandle mode;
        queue->GetPrinter(device, driver, port, mode);
        settings.printDpi = std::max<int>(1, GlobalLock(mode)->dmPrintQuality);
        settings.pageWidth = queue->PageWidth();
        settings.pageHeight = queue->PageHeight();
    }
    settings.names = &names;
    settings.dpi = o.dpi;
    settings.verify = o.verify;
    Pipeline pipeline(4 * static_cast<std::int64_t>(jobs));

    std::int64_t inputRecords = 0;  // over all shards; the reader's until it has finished
    std::thread reader([&] {
        std::int64_t n = 0, taken = 0;
        Chunk chunk;
        for (bool more = !dataset->Eof(); more; more = dataset->Next() && !dataset->Eof()) {
            if (!shard.takes(++n)) continue;
            Job job;
            job.n = n;
            job.storage = field->StorageClass();
            if (job.storage == TStorageClass::Blob) {
                field->DisplayText();
                job.failure = dataset->LastError();
            } else {
                job.text = field->DisplayText();
            }
            for (TField* f : nameFields) job.fields.push_back(f->DisplayText());
            if (chunk.jobs.empty()) chunk.first = taken + 1;
            ++taken;
            chunk.jobs.push_back(std::move(job));
            if (static_cast<std::int64_t>(chunk.jobs.size()) == kChunk) pipeline.push(std::exchange(chunk, Chunk{}));
        }
        if (!chunk.jobs.empty()) pipeline.push(std::move(chunk));
        inputRecords = n;
        pipeline.finishReading(taken, dataset->LastError());
    });
    std::vector<std::thread> workers;
    for (int i = 0; i < jobs; ++i) workers.emplace_back([&] { work(settings, pipeline); });

    std::int64_t failed = 0, written = 0;
    bool ioError = false;
    auto commit = [&](TVectorDocument* doc) {
        for (std::int64_t n = 1;;) {
            std::optional<std::vector<Result>> chunk = pipeline.next(n);
            if (!chunk) {
                if (pipeline.allRead(n)) break;
                progress.update(n - 1);
                continue;
            }
            for (Result& r : *chunk) {
                if (r.ok && doc != nullptr) {
                    r.page->replay(doc->beginPage(r.width, r.height));
                    doc->endPage();
                }
                if (!r.warning.empty()) {
                    progress.clear();
                    printWarning("record " + std::to_string(r.n) + ": " + r.warning);
                }
                if (r.ok) {
                    ++written;
                } else {
                    ++failed;
                    ioError = ioError || r.ioError;
                    progress.clear();
                    printError("record " + std::to_string(r.n) + ": " + r.message);
                }
                ++n;
            }
            progress.update(n - 1);
        }
    };

    std::string error;
    bool documentWritten = true;
    // Whether the document's file could be created at all: when it could not,
    // no record was read and the failure is the file's, not "no records".
    bool documentOpened = perRecord;
    if (perRecord) {
        commit(nullptr);
    } else if (queue != nullptr) {
        documentOpened = true;  // the queue was found before any record was read
        QueuePages pages(*queue);
        commit(&pages);
        // A job is all the records or nothing: none when reading them failed.
        if (written == 0 || !pipeline.readError().empty()) {
            queue->Abort();
            documentWritten = false;
        } else {
            documentWritten = pages.close(error);
        }
    } else {
        documentWritten = writeAtomically(
            o.output,
            [&](std::FILE* f, std::string& e) {
                documentOpened = true;
                TVectorBackend* backend = vectorBackend(e);
                if (backend == nullptr) return false;
                std::unique_ptr<TVectorDocument> doc = backend->document(f, VectorFormat::Pdf, o.dpi > 0 ? o.dpi : 96 * o.scale);
                commit(doc.get());
                // A query that broke off leaves a document short of records: none is better.
                if (written == 0 || !pipeline.readError().empty()) {
                    e.clear();
                    return false;
                }
                return doc->close(e);
            },
            error);
    }
    pipeline.stop();
    reader.join();
    for (auto& w : workers) w.join();
    progress.update(written + failed, true);
    progress.clear();

    if (const std::string readError = pipeline.readError(); !readError.empty()) {
        printError(readError);
        return kExitUsage;
    }
    if (!documentWritten && (written > 0 || !documentOpened)) {
        printError(error);
        return kExitUsage;
    }
    if (written + failed == 0) {
        if (o.shard.empty()) {
            printError("no records; nothing written");
        } else {
            printError("no records in shard " + o.shard + " (the input has " + std::to_string(inputRecords) +
                       "); nothing written");
        }
        return kExitOk;
    }
    // One line that a log or a script can read: what came of the run.
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - started;
    std::fprintf(stderr, "zorvik: %lld written, %lld failed, %.2f s\n", static_cast<long long>(written),
                 static_cast<long long>(failed), took.count());
    if (queue != nullptr && written > 0)
        std::printf("request id is %s-%d (%lld pages)\n", o.printer.c_str(), queue->JobId(),
                    static_cast<long long>(written));
    if (ioError) return kExitUsage;
    return failed > 0 ? kExitRender : kExitOk;
}

}  // namespace zorvik::cli
