// The command printing on CUPS queues of a private scheduler: cupsd runs in the
// foreground on a Unix socket in a temporary folder, and its queues write the
// jobs to files through pdftopdf, as a PDF printer's driver would.
#include <cups/cups.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <regex>
#include <thread>

#include "tests/support/support.h"

namespace zorvik {
namespace {

namespace fs = std::filesystem;

// A PDF printer: letter paper and 150 dpi by default. (At 150 dpi a module is
// one dot, 1/150 inch; at 300 or 600 dpi it is 3 or 6 dots, 1/100 inch either
// way, so a page drawn at the wrong one of those would still look right.) A queue without a
// filter line would be raw: its file stays empty while the job still reports
// completion.
constexpr const char* kPpd = R"PPD(*PPD-Adobe: "4.3"
*FormatVersion: "4.3"
*LanguageVersion: English
*Manufacturer: "Zorvik"
*ModelName: "Zorvik label PDF"
*NickName: "Zorvik label PDF"
*cupsFilter2: "application/vnd.cups-pdf application/pdf 0 pdftopdf"
*OpenUI *PageSize/Media Size: PickOne
*DefaultPageSize: Letter
*PageSize Letter/US Letter: "<</PageSize[612 792]>>setpagedevice"
*PageSize A4/A4: "<</PageSize[595 842]>>setpagedevice"
*CloseUI: *PageSize
*DefaultImageableArea: Letter
*ImageableArea Letter/US Letter: "0 0 612 792"
*ImageableArea A4/A4: "0 0 595 842"
*DefaultPaperDimension: Letter
*PaperDimension Letter/US Letter: "612 792"
*PaperDimension A4/A4: "595 842"
*OpenUI *Resolution/Resolution: PickOne
*DefaultResolution: 150dpi
*Resolution 150dpi/150 dpi: "<</HWResolution[150 150]>>setpagedevice"
*CloseUI: *Resolution
)PPD";

// The scheduler and its administration command live in /usr/sbin, which is
// not on every user's PATH.
std::string sbin(const std::string& name) {
    return fs::exists("/usr/sbin/" + name) ? "/usr/sbin/" + name : name;
}

bool canConnect(const std::string& socketPath) {
    const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    socketPath.copy(addr.sun_path, sizeof addr.sun_path - 1);
    const bool ok = connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0;
    close(fd);
    return ok;
}

// A scheduler of our own: queue "labels" prints to a file, queue "closed"
// refuses jobs. Started once per test program, stopped and reaped by its PID.
class QueueCommand : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        // Under /tmp: short enough for a socket's path, and where the
        // distribution's AppArmor profile for cupsd lets it write.
        char name[] = "/tmp/zorvik-cups-XXXXXX";
        ASSERT_NE(mkdtemp(name), nullptr);
        s_dir = name;
        // The filters run as the scheduler's user (lp under root): they must reach the folders.
        chmod(s_dir.c_str(), 0755);
        for (const char* sub : {"conf", "spool", "cache", "state", "log", "out"})
            fs::create_directories(s_dir + "/" + sub);
        fs::create_directories(s_dir + "/tmp");
        chmod((s_dir + "/tmp").c_str(), 01777);
        s_socket = s_dir + "/cups.sock";
        // Every folder of the scheduler's own in the temporary one; programs and
        // data from the installed CUPS.
        const std::pair<const char*, std::string> directives[] = {
            {"ServerRoot", s_dir + "/conf"},
            {"RequestRoot", s_dir + "/spool"},
            {"CacheDir", s_dir + "/cache"},
            {"StateDir", s_dir + "/state"},
            {"TempDir", s_dir + "/tmp"},
            {"ErrorLog", s_dir + "/log/error_log"},
            {"AccessLog", s_dir + "/log/access_log"},
            {"PageLog", s_dir + "/log/page_log"},
            {"Printcap", s_dir + "/state/printcap"},
            {"DataDir", "/usr/share/cups"},
            {"ServerBin", "/usr/lib/cups"},
            {"FileDevice", "Yes"},  // else file: devices are refused
        };
        std::string text;
        for (const auto& [key, value] : directives) text += std::string(key) + " " + value + "\n";
        test::writeFile(s_dir + "/conf/cups-files.conf", text);
        test::writeFile(s_dir + "/conf/cupsd.conf",
                        "Listen " + s_socket +
                            "\nBrowsing No\nWebInterface No\nErrorPolicy abort-job\nDefaultAuthType None\n"
                            "<Location />\n  Order allow,deny\n  Allow all\n</Location>\n"
                            "<Policy default>\n  <Limit All>\n    Order deny,allow\n  </Limit>\n</Policy>\n");
        test::writeFile(s_dir + "/labels.ppd", kPpd);

        const std::string cupsd = sbin("cupsd");
        const std::string conf = s_dir + "/conf/cupsd.conf", files = s_dir + "/conf/cups-files.conf";
        const std::string out = s_dir + "/log/cupsd.out";
        s_pid = fork();
        ASSERT_GE(s_pid, 0);
        if (s_pid == 0) {
            // Dies with the test program, however that ends.
            prctl(PR_SET_PDEATHSIG, SIGTERM);
            if (std::freopen(out.c_str(), "w", stdout) == nullptr || std::freopen(out.c_str(), "a", stderr) == nullptr)
                _exit(127);
            execlp(cupsd.c_str(), "cupsd", "-f", "-c", conf.c_str(), "-s", files.c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
        setenv("CUPS_SERVER", s_socket.c_str(), 1);
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        while (!canConnect(s_socket)) {
            int status = 0;
            if (waitpid(s_pid, &status, WNOHANG) == s_pid) {
                s_pid = -1;
                FAIL() << "cupsd ended: " << test::readFile(out) << test::readFile(s_dir + "/log/error_log");
            }
            ASSERT_LT(std::chrono::steady_clock::now(), deadline) << "cupsd never listened";
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        std::string said;
        ASSERT_EQ(test::runCommand(sbin("lpadmin") + " -p labels -E -v file:" + s_dir + "/out/labels.pdf -P " + s_dir +
                                       "/labels.ppd 2>&1",
                                   &said),
                  0)
            << said;
        // Added without -E: not accepting jobs.
        ASSERT_EQ(
            test::runCommand(sbin("lpadmin") + " -p closed -v file:/dev/null -P " + s_dir + "/labels.ppd 2>&1", &said),
            0)
            << said;
    }

    static void TearDownTestSuite() {
        if (s_pid > 0) {
            kill(s_pid, SIGTERM);
            int status = 0;
            waitpid(s_pid, &status, 0);
            s_pid = -1;
        }
        std::error_code ignored;
        if (!s_dir.empty()) fs::remove_all(s_dir, ignored);
    }

    void SetUp() override {
        ASSERT_GT(s_pid, 0) << "the scheduler did not start";
        m_dir = test::scratchDir("cli-queue-" +
                                 std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    }

    // The job number in the command's "request id is QUEUE-N" line (0 when none).
    static int jobOf(const std::string& out) {
        std::smatch m;
        return std::regex_search(out, m, std::regex("request id is labels-([0-9]+)")) ? std::stoi(m[1]) : 0;
    }

    // Waits for the job to end and returns the state it ended in.
    static ipp_jstate_t endOf(int job) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(120);
        for (;;) {
            cups_job_t* jobs = nullptr;
            const int n = cupsGetJobs2(CUPS_HTTP_DEFAULT, &jobs, "labels", 0, CUPS_WHICHJOBS_ALL);
            ipp_jstate_t state = IPP_JSTATE_PENDING;
            for (int i = 0; i < n; ++i)
                if (jobs[i].id == job) state = jobs[i].state;
            cupsFreeJobs(n, jobs);
            if (state >= IPP_JSTATE_STOPPED || std::chrono::steady_clock::now() > deadline) return state;
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
    }

    static int jobCount() {
        cups_job_t* jobs = nullptr;
        const int n = cupsGetJobs2(CUPS_HTTP_DEFAULT, &jobs, nullptr, 0, CUPS_WHICHJOBS_ALL);
        cupsFreeJobs(n, jobs);
        return n;
    }

    static std::string printed() { return s_dir + "/out/labels.pdf"; }

    static inline std::string s_dir;
    static inline std::string s_socket;
    static inline pid_t s_pid = -1;
    std::string m_dir;
};

// The first black column of the image's first inked row.
int firstInkColumn(const test::PngImage& img) {
    for (int y = 0; y < img.height; ++y)
        for (int x = 0; x < img.width; ++x)
            if ((img.at(x, y) & 0xFFFFFF) == 0) return x;
    return -1;
}

TEST_F(QueueCommand, PrintsOneJobAtTheQueuesResolutionOnItsPaper) {
    struct Case {
        const char* options;
        int dpi;             // the queue's 150 unless asked
        double paperInches;  // the queue's letter unless asked
    } cases[] = {{"", 150, 8.5}, {"--dpi 600 --paper A4", 600, 210 / 25.4}};
    for (const auto& c : cases) {
        std::string out, err;
        ASSERT_EQ(test::zorvik(std::string("print Code.Symbology=Code_39 Code.Caption=LABEL Code.TextOn=False "
                                           "--printer labels ") +
                                   c.options,
                               m_dir, &err, &out),
                  0)
            << err;
        const int job = jobOf(out);
        ASSERT_GT(job, 0) << out;
        ASSERT_EQ(endOf(job), IPP_JSTATE_COMPLETED) << test::readFile(s_dir + "/log/error_log");
        // The page is the paper's size ...
        std::string info;
        ASSERT_EQ(test::runCommand("pdfinfo '" + printed() + "'", &info), 0);
        std::smatch size;
        ASSERT_TRUE(std::regex_search(info, size, std::regex("Page size: +([0-9.]+) x"))) << info;
        EXPECT_NEAR(std::stod(size[1]), c.paperInches * 72, 1) << c.options;
        // ... and its top-left corner holds the symbol, drawn in whole dots.
        ASSERT_EQ(test::runCommand("pdftoppm -r " + std::to_string(c.dpi) + " -W 1600 -H 600 -png -singlefile '" +
                                   printed() + "' '" + m_dir + "/page' 2>/dev/null"),
                  0);
        test::PngImage img;
        ASSERT_TRUE(test::readPng(m_dir + "/page.png", img));
        // The first bar lies after the 10-module quiet zone, at Scale = dpi div 96.
        EXPECT_NEAR(firstInkColumn(img), 10 * (c.dpi / 96), 1) << c.options;
        const auto d = test::decodePng(m_dir + "/page.png", ZXing::BarcodeFormat::Code39);
        // The mod-43 check character of LABEL: (21 + 10 + 11 + 14 + 21) mod 43 = 34, Y.
        EXPECT_EQ(d.text, "LABELY") << c.options;
    }
}

TEST_F(QueueCommand, BatchPrintsOneJobOfAPagePerRecord) {
    const std::vector<std::string> captions = {"ALPHA", "BRAVO", "CHARLIE", "DELTA"};
    std::string lines;
    for (const auto& c : captions) lines += c + "\n";
    test::writeFile(m_dir + "/records.txt", lines);
    std::string out, err;
    ASSERT_EQ(test::zorvik(
                  "batch Code.Symbology=Code_39 Code.TextOn=False --input " + m_dir + "/records.txt --printer labels",
                  m_dir, &err, &out),
              0)
        << err;
    EXPECT_NE(out.find("(4 pages)"), std::string::npos) << out;
    ASSERT_EQ(endOf(jobOf(out)), IPP_JSTATE_COMPLETED) << test::readFile(s_dir + "/log/error_log");
    ASSERT_EQ(
        test::runCommand("pdftoppm -r 300 -W 1200 -H 300 -png '" + printed() + "' '" + m_dir + "/page' 2>/dev/null"),
        0);
    for (size_t i = 0; i < captions.size(); ++i) {
        const auto d = test::decodePng(m_dir + "/page-" + std::to_string(i + 1) + ".png", ZXing::BarcodeFormat::Code39);
        ASSERT_TRUE(d.ok) << "page " << i + 1;
        EXPECT_EQ(d.text.substr(0, captions[i].size()), captions[i]) << "page " << i + 1;
    }
    EXPECT_FALSE(fs::exists(m_dir + "/page-5.png"));
}

TEST_F(QueueCommand, ReportPrintsOneJobOfItsPages) {
    // 30 products on the sheet of 3 x 8 labels: two pages, held back until
    // the whole report has printed.
    std::string rows;
    for (int id = 1; id <= 30; ++id)
        rows += std::string(id > 1 ? "," : "") + "(" + std::to_string(id) + ", 'Item " + std::to_string(id) + "', '" +
                std::to_string(400638133300 + id) + "', 'S', 1.5)";
    const std::string db =
        test::makeDatabase(m_dir, "CREATE TABLE products (id INTEGER, name TEXT, ean TEXT, sku TEXT, price REAL);"
                                  "INSERT INTO products VALUES " + rows + ";");
    std::string out, err;
    ASSERT_EQ(test::zorvik("report --form " ZORVIK_SOURCE_DIR "/demo/labels-report.dfm --db " + db + " --dpi 600 --printer labels",
                           m_dir, &err, &out),
              0)
        << err;
    ASSERT_EQ(endOf(jobOf(out)), IPP_JSTATE_COMPLETED) << test::readFile(s_dir + "/log/error_log");
    std::string info;
    ASSERT_EQ(test::runCommand("pdfinfo '" + printed() + "'", &info), 0);
    EXPECT_NE(info.find("Pages:           2"), std::string::npos) << info;
    ASSERT_EQ(test::runCommand("pdftoppm -r 300 -f 1 -l 1 -png -singlefile '" + printed() + "' '" + m_dir +
                               "/sheet' 2>/dev/null"),
              0);
    const auto d = test::decodePng(m_dir + "/sheet.png", ZXing::BarcodeFormat::EAN13);
    EXPECT_TRUE(d.ok && d.text.rfind("4006381333", 0) == 0) << d.text;
}

TEST_F(QueueCommand, RefusalsSendNoJob) {
    const int before = jobCount();
    const std::string unknown = "^zorvik: unknown printer 'nowhere': the queues are closed, labels\n$";
    struct Case {
        std::string args;
        int status;
        std::string message;  // a pattern for standard error
    } cases[] = {
        {"print Code.Caption=1234 --printer nowhere", 1, unknown},
        {"batch --input " + m_dir + "/records.txt --printer nowhere", 1, unknown},
        {"print Code.Caption=1234 --printer closed", 1, "^zorvik: the printer 'closed' refused the job: .+\n$"},
        {"print Code.Caption=1234 --printer labels -o " + m_dir + "/p.pdf", 1,
         "^zorvik: --output excludes --printer\n"},
        {"print Code.Caption=1234", 1, "^zorvik: print needs either -o FILE or --printer NAME\n$"},
        {"batch --input " + m_dir + "/records.txt", 1, "^zorvik: batch needs either -o PATTERN or --printer NAME\n$"},
        {"print Code.Caption=x --printer labels", 2, "^zorvik: Caption has a character that Codabar cannot encode"},
        // Letter at the queue's 150 dpi: 8.5 x 11 inches make 1275 x 1650 dots.
        {"print Code.Caption=1234 --at 1200,0 --printer labels", 2,
         "^zorvik: Symbol too large: .* at 1200,0 on a page of 1275 x 1650 dots\n$"},
        {"batch --input " + m_dir + "/records.txt --printer labels", 2, "^zorvik: record 1: Caption has a character"},
    };
    test::writeFile(m_dir + "/records.txt", "x\n");
    for (const auto& c : cases) {
        std::string err;
        EXPECT_EQ(test::zorvik(c.args, m_dir, &err), c.status) << c.args;
        EXPECT_TRUE(std::regex_search(err, std::regex(c.message))) << c.args << "\n" << err;
    }
    EXPECT_EQ(jobCount(), before);

    // With no scheduler to ask, the command says so rather than calling the queue unknown.
    setenv("CUPS_SERVER", (s_dir + "/none.sock").c_str(), 1);
    std::string err;
    EXPECT_EQ(test::zorvik("print Code.Caption=1234 --printer labels", m_dir, &err), 1);
    setenv("CUPS_SERVER", s_socket.c_str(), 1);
    EXPECT_TRUE(std::regex_search(err, std::regex("^zorvik: cannot reach the print service at '.*/none.sock' to "
                                                  "find the printer 'labels': ")))
        << err;
}

}  // namespace
}  // namespace zorvik
