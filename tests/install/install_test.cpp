// What `cmake --install` puts in place: the command with its modules, manual
// page and completion, and a package another CMake project finds and links.
#include <gtest/gtest.h>

#include <filesystem>

#include "tests/support/support.h"

namespace zorvik {
namespace {

namespace fs = std::filesystem;

bool has(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

class Installed : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        s_dir = test::scratchDir("install");
        s_prefix = s_dir + "/prefix";
        s_status = test::runCommand("cmake --install '" + std::string(ZORVIK_BINARY_DIR) + "' --prefix '" + s_prefix +
                                    "' > '" + s_dir + "/install.log' 2>&1");
    }
    static inline std::string s_dir, s_prefix;
    static inline int s_status = -1;
};

TEST_F(Installed, TheCommandItsModulesManualAndCompletion) {
    ASSERT_EQ(s_status, 0) << test::readFile(s_dir + "/install.log");
    for (const char* file :
         {"bin/zorvik", "share/man/man1/zorvik.1", "share/bash-completion/completions/zorvik",
          "lib/zorvik/zorvik-vector.so", "lib/zorvik/zorvik-reader.so", "lib/cmake/Zorvik/ZorvikConfig.cmake"})
        EXPECT_TRUE(fs::exists(s_prefix + "/" + file)) << file;

    // The installed command finds its modules beside it: vector output and the reader.
    std::string out;
    EXPECT_EQ(test::runCommand("'" + s_prefix +
                                   "/bin/zorvik' render --verify Code.Symbology=EAN_13 "
                                   "Code.Caption=400638133393 --format svg -o - 2>&1",
                               &out),
              0)
        << out;
    EXPECT_TRUE(has(out, "<svg")) << out.substr(0, 200);

    // The manual page holds every command's help and the property reference.
    const std::string page = test::readFile(s_prefix + "/share/man/man1/zorvik.1");
    EXPECT_EQ(page.rfind(".TH ZORVIK 1 ", 0), 0u);
    for (const char* part : {".SS render", ".SS form", ".SS print", ".SS batch", ".SS report", ".SS list",
                             ".SS properties", ".SS windows", "Code.TextAlignment", "#RRGGBB", "Exit status"})
        EXPECT_TRUE(has(page, part)) << part;
    if (test::runCommand("command -v groff > /dev/null") == 0) {
        std::string warnings;
        EXPECT_EQ(test::runCommand("groff -man -Tutf8 -ww '" + s_prefix + "/share/man/man1/zorvik.1' 2>&1 >/dev/null",
                                   &warnings),
                  0);
        EXPECT_EQ(warnings, "");
    }

    // Completion: commands, options, property paths and their values.
    const struct {
        const char* words;
        const char* completions;
    } cases[] = {
        {"zorvik re", "render report"},
        {"zorvik render Code.Sym", "Code.Symbology="},
        {"zorvik render Code.Symbology = EAN", "EAN_13 EAN_8 EAN_13_2AddOn EAN_13_5AddOn"},
        {"zorvik batch code.textalignment = ''", "txLeft txDensity"},
        {"zorvik render Code.Border = ''", "True False"},
        {"zorvik render --sc", "--scale"},
        {"zorvik render --format e", "eps"},
    };
    for (const auto& c : cases) {
        std::string got;
        const std::string script = "PATH='" + s_prefix + "/bin':$PATH; . '" + s_prefix +
                                   "/share/bash-completion/completions/zorvik'; COMP_WORDS=(" + c.words +
                                   "); COMP_CWORD=$((${#COMP_WORDS[@]} - 1)); _zorvik; echo \"${COMPREPLY[*]}\"";
        test::writeFile(s_dir + "/complete.sh", script);
        EXPECT_EQ(test::runCommand("bash '" + s_dir + "/complete.sh'", &got), 0) << c.words;
        EXPECT_EQ(got, std::string(c.completions) + "\n") << c.words;
    }
}

TEST_F(Installed, AnotherProjectFindsAndLinksTheLibrary) {
    ASSERT_EQ(s_status, 0);
    const std::string build = s_dir + "/consumer";
    std::string log;
    const int configured =
        test::runCommand("cmake -S '" + std::string(ZORVIK_SOURCE_DIR) + "/tests/install/consumer' -B '" + build +
                             "' -DCMAKE_PREFIX_PATH='" + s_prefix +
                             "' -DCMAKE_BUILD_TYPE=Release 2>&1 && cmake --build '" + build + "' 2>&1",
                         &log);
    ASSERT_EQ(configured, 0) << log;
    std::string out;
    EXPECT_EQ(test::runCommand("'" + build + "/consumer'", &out), 0);
    // EAN-13 at one pixel a module: its 95 modules and quiet zones of 10 on
    // either side, in the control's 50 rows.
    EXPECT_EQ(out, "115 x 50\n");
}

}  // namespace
}  // namespace zorvik
