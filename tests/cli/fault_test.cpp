// Faults around the command: file systems that refuse, limits, signals and
// rivals. Every failure is an I/O error naming the file (exit 1); no file
// appears under a final name unless complete, an existing one survives a
// failure, and no temporary is left behind.
#include <gtest/gtest.h>

#include <unistd.h>

#include <array>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/support.h"

namespace zorvik {
namespace {

namespace fs = std::filesystem;

// Hidden names in Dir: the command's temporaries are hidden files beside the target.
std::vector<std::string> hiddenFiles(const std::string& dir) {
    std::vector<std::string> out;
    std::error_code ec;
    for (const auto& e : fs::recursive_directory_iterator(dir, ec))
        if (e.path().filename().string().front() == '.') out.push_back(e.path().string());
    return out;
}

bool mountTmpfs(const std::string& dir, const std::string& options) {
    return geteuid() == 0 && test::runCommand("mount -t tmpfs -o " + options + " zorvik-test '" + dir + "' 2>/dev/null") == 0;
}

// The command as the shell runs it, so that a case can set limits first.
int shell(const std::string& prefix, const std::string& args, const std::string& errDir, std::string& err) {
    const std::string errFile = errDir + "/stderr.txt";
    const int status = test::runCommand(prefix + " " + std::string(ZORVIK_BINARY_DIR) + "/bin/zorvik " + args + " 2>'" +
                                        errFile + "'");
    err = test::readFile(errFile);
    return status;
}

const std::string kEan = "Code.Symbology=EAN_13 Code.Caption=400638133393";
// A batch's captions come from its records ("1", "2").
const std::string kBatch = "Code.Symbology=Code_128";
// An SVG of a few hundred kilobytes: more than the small limits below allow.
const std::string kLong = "Code.Symbology=ITF Code.AutoSize=True Code.Caption=" + std::string(4000, '7');

enum class Folder { Plain, ReadOnly, Full };

struct FaultCase {
    const char* what;
    Folder folder;
    const char* prefix;  // shell commands before the run
    std::string args;    // {out} is the output folder
    const char* target;  // the final name, relative to the folder ("" when none)
    const char* message;
};

TEST(Faults, FileSystemFaultsAreIoErrorsThatLeaveNothingBehind) {
    const std::array<FaultCase, 9> cases{{
        {"read-only folder", Folder::ReadOnly, "", "render " + kEan + " -o {out}/x.png", "x.png", "Read-only file system"},
        {"read-only folder, one PDF", Folder::ReadOnly, "", "batch " + kBatch + " --input {in} -o {out}/all.pdf", "all.pdf",
         "Read-only file system"},
        {"read-only folder, a file per record", Folder::ReadOnly, "", "batch " + kBatch + " --input {in} -o {out}/{n}.svg",
         "1.svg", "Read-only file system"},
        {"missing folder", Folder::Plain, "", "render " + kEan + " -o {out}/missing/x.png", "", "missing"},
        {"a folder as output", Folder::Plain, "mkdir -p {out}/x.svg;", "render " + kEan + " -o {out}/x.svg", "",
         "Is a directory"},
        {"file-size limit, SIGXFSZ ignored", Folder::Plain, "ulimit -f 1; trap '' XFSZ;", "render " + kLong + " -o {out}/x.svg",
         "x.svg", "File too large"},
        {"file-size limit, SIGXFSZ as it comes", Folder::Plain, "ulimit -f 1;", "render " + kEan + " -o {out}/x.pdf", "x.pdf",
         "File too large"},
        {"full disk", Folder::Full, "", "render " + kLong + " -o {out}/x.svg", "x.svg", "No space left on device"},
        {"full disk, one PDF", Folder::Full, "", "batch " + kBatch + " Code.Caption=x --input {in} -o {out}/all.pdf", "all.pdf",
         "No space left on device"},
    }};
    static_assert(cases.size() == 9);
    const std::string root = test::scratchDir("faults-fs");
    test::writeFile(root + "/in.txt", "1\n2\n");
    for (const FaultCase& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string out = root + "/out";
        fs::remove_all(out);
        fs::create_directories(out);
        bool mounted = false;
        if (c.folder != Folder::Plain) {
            mounted = mountTmpfs(out, c.folder == Folder::Full ? "size=64k" : "size=1m");
            if (!mounted) {
                std::printf("skipped '%s': this test cannot mount a file system here\n", c.what);
                continue;
            }
        }
        // What was there before must survive.
        const std::string target = *c.target ? out + "/" + c.target : "";
        if (!target.empty()) test::writeFile(target, "old");
        if (c.folder == Folder::ReadOnly) {
            ASSERT_EQ(test::runCommand("mount -o remount,ro '" + out + "'"), 0);
        }
        if (c.folder == Folder::Full) test::runCommand("dd if=/dev/zero of='" + out + "/filler' bs=1k count=1000 2>/dev/null");

        auto expand = [&](std::string s) {
            for (auto [key, value] : {std::pair<std::string, std::string>{"{out}", out}, {"{in}", root + "/in.txt"}})
                for (size_t at; (at = s.find(key)) != std::string::npos;) s.replace(at, key.size(), value);
            return s;
        };
        std::string err;
        EXPECT_EQ(shell(expand(c.prefix), expand(c.args), root, err), 1) << err;
        EXPECT_NE(err.find(c.message), std::string::npos) << err;
        EXPECT_NE(err.find("cannot write"), std::string::npos) << err;
        EXPECT_EQ(err.find("libpng"), std::string::npos) << err;
        if (!target.empty()) {
            EXPECT_EQ(test::readFile(target), "old");
        }
        EXPECT_EQ(hiddenFiles(out), std::vector<std::string>{});
        if (mounted) test::runCommand("umount '" + out + "'");
    }
}

struct SignalCase {
    const char* signal;
    const char* output;  // pattern in the output folder
};

// A batch ended by a signal part way: whatever carries a final name is
// complete (a PNG reads, an SVG is closed), and no temporary is left.
TEST(Faults, AnInterruptedBatchLeavesCompleteFilesAndNoTemporaries) {
    constexpr std::array<SignalCase, 5> cases{{
        {"KILL", "{n}.png"},
        {"KILL", "{n}.svg"},
        {"KILL", "all.pdf"},
        {"TERM", "{n}.svg"},
        {"HUP", "{n}.png"},
    }};
    static_assert(cases.size() == 5);
    const std::string root = test::scratchDir("faults-signal");
    std::string records;
    for (int i = 0; i < 40000; ++i) records += std::to_string(100000 + i) + "\n";
    test::writeFile(root + "/in.txt", records);
    for (const SignalCase& c : cases) {
        SCOPED_TRACE(std::string(c.signal) + " " + c.output);
        const std::string out = root + "/out";
        fs::remove_all(out);
        fs::create_directories(out);
        // Started in the background of a shell that sends the signal.
        const std::string run = std::string(ZORVIK_BINARY_DIR) + "/bin/zorvik batch Code.Symbology=Code_128 --jobs 2 --input '" +
                                root + "/in.txt' -o '" + out + "/" + c.output + "' 2>/dev/null";
        // (A background job of a script ignores SIGINT, so SIGHUP stands for
        // the catchable signals besides SIGTERM; a run that outlives its signal
        // is killed after two seconds, and its files are checked all the same.)
        test::runCommand(run + " & pid=$!; sleep 1; kill -" + c.signal +
                         " $pid; for i in 1 2 3 4 5 6 7 8 9 10; do kill -0 $pid 2>/dev/null && sleep 0.2; done; "
                         "kill -KILL $pid 2>/dev/null; wait $pid");
        size_t files = 0;
        for (const auto& e : fs::directory_iterator(out)) {
            const std::string path = e.path().string();
            if (e.path().filename().string().front() == '.') continue;
            ++files;
            if (e.path().extension() == ".png") {
                test::PngImage image;
                EXPECT_TRUE(test::readPng(path, image)) << path;
            } else if (e.path().extension() == ".svg") {
                const std::string svg = test::readFile(path);
                EXPECT_EQ(svg.substr(svg.size() - 7), "</svg>\n") << path;
            }
        }
        if (std::string(c.output) == "all.pdf") {
            EXPECT_EQ(files, 0u);  // a document is whole or absent
        }
        EXPECT_EQ(hiddenFiles(out), std::vector<std::string>{});
    }
}

// Two runs writing the same name at once: the file is one of the two, whole.
TEST(Faults, TwoRunsWritingOneNameLeaveOneWholeFile) {
    const std::string dir = test::scratchDir("faults-race");
    const std::string a = "render Code.Symbology=Code_128 Code.Caption=AAAA", b = "render " + kLong;
    ASSERT_EQ(test::zorvik(a + " -o " + dir + "/a.svg", dir), 0);
    ASSERT_EQ(test::zorvik(b + " -o " + dir + "/b.svg", dir), 0);
    const std::string bin = std::string(ZORVIK_BINARY_DIR) + "/bin/zorvik ";
    for (int round = 0; round < 8; ++round) {
        test::runCommand(bin + a + " -o " + dir + "/x.svg & " + bin + b + " -o " + dir + "/x.svg & wait");
        const std::string x = test::readFile(dir + "/x.svg");
        EXPECT_TRUE(x == test::readFile(dir + "/a.svg") || x == test::readFile(dir + "/b.svg")) << round;
    }
    EXPECT_EQ(hiddenFiles(dir), std::vector<std::string>{});
}

struct RefusalCase {
    const char* what;
    std::string args;
    const char* message;
};

// Symbols their output cannot hold, and positions off the range of a page,
// are refused with the system's own message (exit 2) and write nothing.
TEST(Faults, WhatTheOutputCannotHoldIsRefusedInOurOwnWords) {
    // Captions too long for a command line come from form files.
    const std::array<RefusalCase, 3> cases{{
        // 7 modules per ITF digit: 1,050,008 pixels, past a PNG side's limit of 1,000,000.
        {"a PNG longer than its format's side", "render --form {dir}/150000.dfm -o {dir}/x.png", "Symbol too large: "},
        {"two million digits", "render --form {dir}/2000000.dfm -o {dir}/x.png", "Symbol too large: "},
        {"a position beyond any page", "print " + kEan + " --at 2147483647,2147483647 -o {dir}/x.pdf", "Symbol too large: "},
    }};
    static_assert(cases.size() == 3);
    const std::string dir = test::scratchDir("faults-refusal");
    for (int digits : {150000, 2000000})
        test::writeFile(dir + "/" + std::to_string(digits) + ".dfm",
                        "object Z: TZorvik\n  Code.Symbology = ITF\n  Code.AutoSize = True\n  Code.Caption = '" +
                            std::string(static_cast<size_t>(digits), '1') + "'\nend\n");
    for (const RefusalCase& c : cases) {
        SCOPED_TRACE(c.what);
        std::string args = c.args;
        for (size_t at; (at = args.find("{dir}")) != std::string::npos;) args.replace(at, 5, dir);
        std::string err;
        EXPECT_EQ(test::zorvik(args, dir, &err), 2) << err;
        EXPECT_EQ(err.rfind(std::string("zorvik: ") + c.message, 0), 0u) << err;
        EXPECT_EQ(err.find("libpng"), std::string::npos) << err;
        EXPECT_FALSE(fs::exists(dir + "/x.png") || fs::exists(dir + "/x.pdf"));
    }
}

// Every output format of a batch is the same bytes whatever the number of
// threads, SVG included (whose ids once counted the process's surfaces).
TEST(Faults, BatchFilesAreTheSameWhateverTheJobs) {
    const std::string dir = test::scratchDir("faults-jobs");
    std::string records;
    for (int i = 0; i < 40; ++i) records += std::to_string(400638110000LL + i * 7) + "\n";
    test::writeFile(dir + "/in.txt", records);
    for (const char* ext : {"svg", "pdf", "ps", "png"}) {
        for (int jobs : {1, 3}) {
            const std::string out = dir + "/" + ext + std::to_string(jobs);
            fs::create_directories(out);
            ASSERT_EQ(test::zorvik("batch Code.Symbology=EAN_13 --jobs " + std::to_string(jobs) + " --input " + dir +
                                       "/in.txt -o '" + out + "/{n}." + ext + "'",
                                   dir),
                      0);
        }
        for (int n = 1; n <= 40; ++n) {
            const std::string name = std::to_string(n) + "." + ext;
            EXPECT_EQ(test::readFile(dir + "/" + ext + "1/" + name), test::readFile(dir + "/" + ext + "3/" + name)) << name;
        }
    }
}

// The bars of a symbol on a transparent background go to the SVG as a few
// paths, not one per bar: cairo's cost per drawing operation grew with the
// operations before it, 28 s for 100,000 digits.
TEST(Faults, ALongTransparentSvgFillsItsBarsTogether) {
    const std::string dir = test::scratchDir("faults-svg-paths");
    // 2,000 ITF digits: 5,000 bars.
    ASSERT_EQ(test::zorvik("render Code.Symbology=ITF Code.AutoSize=True Code.Transparent=True Code.TextOn=False "
                           "Code.Caption=" + std::string(2000, '5') + " -o " + dir + "/x.svg",
                           dir),
              0);
    const std::string svg = test::readFile(dir + "/x.svg");
    size_t paths = 0;
    for (size_t at = 0; (at = svg.find("<path", at)) != std::string::npos; ++at) ++paths;
    EXPECT_GE(paths, 1u);
    EXPECT_LE(paths, 10u);
}

}  // namespace
}  // namespace zorvik
