#include "platform/cups/cupsprinter.h"

#include <cups/cups.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include "platform/cairo/vectordocument.h"

namespace zorvik {

namespace {

// A queue that advertises no resolution is drawn at this many dots per inch,
// as the command's file printer is by default.
constexpr int kDefaultResolution = 600;

// PWG 5101.1 self-describing media names of the papers the command offers.
const char* mediaName(TPaper Paper) {
    return Paper == TPaper::A4 ? "iso_a4_210x297mm" : "na_letter_8.5x11in";
}

std::string lastError() {
    const char* text = cupsLastErrorString();
    return text != nullptr && *text != '\0' ? text : ippErrorString(cupsLastError());
}

// The queue's default resolution in dots per inch (its horizontal one: a
// device mode has one print quality); 0 when it advertises none.
int queueResolution(cups_dest_t* Dest, cups_dinfo_t* Info) {
    ipp_attribute_t* attr = cupsFindDestDefault(CUPS_HTTP_DEFAULT, Dest, Info, "printer-resolution");
    if (attr == nullptr || ippGetValueTag(attr) != IPP_TAG_RESOLUTION) return 0;
    int y = 0;
    ipp_res_t units = IPP_RES_PER_INCH;
    const int x = ippGetResolution(attr, 0, &y, &units);
    if (x <= 0) return 0;
    return units == IPP_RES_PER_CM ? static_cast<int>(std::lround(x * 2.54)) : x;
}

class CupsPrinter final : public TQueuePrinter {
public:
    CupsPrinter(cups_dest_t* Dest, cups_dinfo_t* Info, const TQueueRequest& Request, int DotsPerInch, int WidthDots,
                int HeightDots)
        : m_dest(Dest), m_info(Info), m_request(Request), m_mode(std::make_shared<TDeviceMode>()) {
        m_mode->dmPrintQuality = static_cast<int16_t>(std::clamp(DotsPerInch, 1, 32767));
        setPageSize(WidthDots, HeightDots);
    }

    ~CupsPrinter() override {
        Abort();
        cupsFreeDestInfo(m_info);
        cupsFreeDests(1, m_dest);
    }

    void GetPrinter(std::string& Device, std::string& Driver, std::string& Port, TDeviceModeHandle& Mode) override {
        Device = m_dest->name;
        const char* model = cupsGetOption("printer-make-and-model", m_dest->num_options, m_dest->options);
        Driver = model != nullptr ? model : "CUPS";
        const char* uri = cupsGetOption("printer-uri-supported", m_dest->num_options, m_dest->options);
        Port = uri != nullptr ? uri : std::string("ipp:") + m_dest->name;
        Mode = m_mode;
    }

    bool BeginDoc(std::string& Error) override {
        if (Printing()) {
            Error = "a document is already in progress";
            return false;
        }
        m_spool = std::tmpfile();
        if (m_spool == nullptr) {
            Error = "cannot create a spool file for the print job";
            return false;
        }
        m_jobId = 0;
        m_doc = std::make_unique<CairoDocument>(m_spool, VectorFormat::Pdf, m_mode->dmPrintQuality);
        setPage(&m_doc->beginPage(PageWidth(), PageHeight()));
        setPrinting(true);
        return true;
    }

    bool NewPage(std::string& Error) override {
        if (!Printing()) {
            Error = "no document is in progress";
            return false;
        }
        m_doc->endPage();
        setPage(&m_doc->beginPage(PageWidth(), PageHeight()));
        return true;
    }

    bool EndDoc(std::string& Error) override {
        if (!Printing()) {
            Error = "no document is in progress";
            return false;
        }
        m_doc->endPage();
        setPage(nullptr);
        setPrinting(false);
        bool ok = m_doc->close(Error);
        m_doc.reset();
        if (ok && (std::fflush(m_spool) != 0 || std::fseek(m_spool, 0, SEEK_SET) != 0)) {
            Error = "cannot read back the spooled print job";
            ok = false;
        }
        if (ok) ok = submit(Error);
        std::fclose(m_spool);
        m_spool = nullptr;
        return ok;
    }

    void Abort() override {
        if (Printing()) {
            setPage(nullptr);
            setPrinting(false);
        }
        m_doc.reset();
        if (m_spool != nullptr) std::fclose(m_spool);
        m_spool = nullptr;
    }

    int JobId() const override { return m_jobId; }

private:
    // Hands the spooled PDF to the queue as one job of one document.
    bool submit(std::string& Error) {
        const std::string queue = m_dest->name;
        int numOptions = 0;
        cups_option_t* options = nullptr;
        // The pages are already the paper's size at the printer's resolution:
        // any scaling would break the whole-dot geometry of the bars.
        if (cupsCheckDestSupported(CUPS_HTTP_DEFAULT, m_dest, m_info, "print-scaling", "none"))
            numOptions = cupsAddOption("print-scaling", "none", numOptions, &options);
        if (m_request.paper) numOptions = cupsAddOption("media", mediaName(*m_request.paper), numOptions, &options);

        int job = 0;
        const ipp_status_t created =
            cupsCreateDestJob(CUPS_HTTP_DEFAULT, m_dest, m_info, &job, m_request.title.c_str(), numOptions, options);
        if (created > IPP_STATUS_OK_CONFLICTING || job <= 0) {
            cupsFreeOptions(numOptions, options);
            Error = "the printer '" + queue + "' refused the job: " + lastError();
            return false;
        }
        const bool started = cupsStartDestDocument(CUPS_HTTP_DEFAULT, m_dest, m_info, job, m_request.title.c_str(),
                                                   CUPS_FORMAT_PDF, 0, nullptr, 1) == HTTP_STATUS_CONTINUE;
        cupsFreeOptions(numOptions, options);
        if (!started) {
            Error = "the printer '" + queue + "' did not take job " + std::to_string(job) + ": " + lastError();
            cupsCancelDestJob(CUPS_HTTP_DEFAULT, m_dest, job);
            return false;
        }
        bool ok = true;
        std::vector<char> buffer(64 * 1024);
        while (ok) {
            const size_t n = std::fread(buffer.data(), 1, buffer.size(), m_spool);
            if (n == 0) break;
            ok = cupsWriteRequestData(CUPS_HTTP_DEFAULT, buffer.data(), n) == HTTP_STATUS_CONTINUE;
        }
        if (ok && std::ferror(m_spool) != 0) {
            // Finish the request so the connection stays usable, then drop the job.
            cupsFinishDestDocument(CUPS_HTTP_DEFAULT, m_dest, m_info);
            cupsCancelDestJob(CUPS_HTTP_DEFAULT, m_dest, job);
            Error = "cannot read back the spooled print job";
            return false;
        }
        // Finishing reads the service's answer even after a failed write, which
        // is where its reason is.
        const ipp_status_t finished = cupsFinishDestDocument(CUPS_HTTP_DEFAULT, m_dest, m_info);
        if (!ok || finished > IPP_STATUS_OK_CONFLICTING) {
            Error = "the printer '" + queue + "' did not take job " + std::to_string(job) + ": " + lastError();
            cupsCancelDestJob(CUPS_HTTP_DEFAULT, m_dest, job);
            return false;
        }
        m_jobId = job;
        return true;
    }

    cups_dest_t* m_dest;
    cups_dinfo_t* m_info;
    TQueueRequest m_request;
    TDeviceModeHandle m_mode;
    std::FILE* m_spool = nullptr;
    std::unique_ptr<CairoDocument> m_doc;
    int m_jobId = 0;
};

// The queue names the service knows, for the message about an unknown one;
// false when the service could not be asked (libcups reports a missing queue
// and an unreachable service alike).
bool knownQueues(std::string& Names) {
    cups_dest_t* dests = nullptr;
    const int count = cupsGetDests2(CUPS_HTTP_DEFAULT, &dests);
    if (count == 0 && cupsLastError() > IPP_STATUS_OK_CONFLICTING) return false;
    for (int i = 0; i < count; ++i) {
        if (dests[i].instance != nullptr) continue;
        Names += (Names.empty() ? "" : ", ") + std::string(dests[i].name);
    }
    cupsFreeDests(count, dests);
    return true;
}

class CupsBackend final : public TQueueBackend {
public:
    std::unique_ptr<TQueuePrinter> printer(const TQueueRequest& Request, std::string& Error) override {
        return openCupsPrinter(Request, Error);
    }
};

}  // namespace

std::unique_ptr<TQueuePrinter> openCupsPrinter(const TQueueRequest& Request, std::string& Error) {
    cups_dest_t* dest = cupsGetNamedDest(CUPS_HTTP_DEFAULT, Request.queue.c_str(), nullptr);
    if (dest == nullptr) {
        std::string known;
        if (cupsLastError() == IPP_STATUS_ERROR_NOT_FOUND && knownQueues(known)) {
            Error = "unknown printer '" + Request.queue + "': " +
                    (known.empty() ? std::string("the print service has no queues") : "the queues are " + known);
        } else {
            Error = "cannot reach the print service at '" + std::string(cupsServer()) + "' to find the printer '" +
                    Request.queue + "': " + lastError();
        }
        return nullptr;
    }
    cups_dinfo_t* info = cupsCopyDestInfo(CUPS_HTTP_DEFAULT, dest);
    if (info == nullptr) {
        Error = "cannot read the settings of the printer '" + Request.queue + "': " + lastError();
        cupsFreeDests(1, dest);
        return nullptr;
    }
    int dpi = Request.dotsPerInch;
    if (dpi <= 0) dpi = queueResolution(dest, info);
    if (dpi <= 0) dpi = kDefaultResolution;

    // The page: the paper asked for, else the queue's default media, else A4.
    int width = 0, height = 0;
    cups_size_t media{};
    if (Request.paper) {
        paperDots(*Request.paper, dpi, width, height);
    } else if (cupsGetDestMediaDefault(CUPS_HTTP_DEFAULT, dest, info, 0, &media) && media.width > 0 &&
               media.length > 0) {
        // Media sizes are in hundredths of millimetres.
        width = static_cast<int>(std::lround(media.width * static_cast<double>(dpi) / 2540.0));
        height = static_cast<int>(std::lround(media.length * static_cast<double>(dpi) / 2540.0));
    } else {
        paperDots(TPaper::A4, dpi, width, height);
    }
    return std::make_unique<CupsPrinter>(dest, info, Request, dpi, width, height);
}

TQueueBackend& cupsQueueBackend() {
    static CupsBackend backend;
    return backend;
}

}  // namespace zorvik
