#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <future>
#include <set>

#include "tests/support/support.h"

namespace zorvik {
namespace {

namespace fs = std::filesystem;

// Files the command writes appear whole under their names or not at all: new
// names and names that already exist (replaced), one file and a batch of them,
// each with the permissions a new file gets (0666 less the umask), and no
// other name left in the folder.
TEST(Output, FilesAppearWholeWithTheUsualPermissions) {
    const mode_t mask = umask(0);
    umask(mask);
    const struct Case {
        const char* name;
        const char* args;  // {dir} is the case's folder
        bool existing;     // the names hold another file beforehand
        std::set<std::string> files;
    } cases[] = {
        {"render, new name", "render Code.Caption=A1 -o {dir}/1.png", false, {"1.png"}},
        {"render over a file", "render Code.Caption=A1 -o {dir}/1.png", true, {"1.png"}},
        {"batch, new names", "batch --input {dir}/in.txt -o {dir}/{n}.png", false, {"1.png", "2.png", "3.png"}},
        {"batch over files", "batch --input {dir}/in.txt -o {dir}/{n}.png", true, {"1.png", "2.png", "3.png"}},
        // A pipe in the folder stays a pipe (renaming over it would replace it).
        {"render into a pipe", "render Code.Caption=A1 -o {dir}/1.png", false, {"1.png"}},
    };
    int k = 0;
    for (const auto& c : cases) {
        const std::string dir = test::scratchDir("output-" + std::to_string(++k));
        const std::string input = dir + "/../in-" + std::to_string(k) + ".txt";
        test::writeFile(input, "A1\nB2\nC3\n");
        if (c.existing)
            for (const auto& f : c.files) {
                test::writeFile(dir + "/" + f, "old");
                fs::permissions(dir + "/" + f, fs::perms::owner_read);
            }
        const bool pipe = std::string(c.name).find("pipe") != std::string::npos;
        std::future<std::string> drained;
        if (pipe) {
            ASSERT_EQ(mkfifo((dir + "/1.png").c_str(), 0666), 0);
            drained = std::async(std::launch::async, [p = dir + "/1.png"] { return test::readFile(p); });
        }
        std::string args = c.args;
        for (size_t at; (at = args.find("{dir}/in.txt")) != std::string::npos;) args.replace(at, 12, input);
        for (size_t at; (at = args.find("{dir}")) != std::string::npos;) args.replace(at, 5, dir);
        std::string err;
        // Run from a folder of its own: the helper keeps the command's output there.
        ASSERT_EQ(test::zorvik(args, test::scratchDir("output-run"), &err), 0) << c.name << ": " << err;
        std::set<std::string> names;
        for (const auto& e : fs::directory_iterator(dir)) names.insert(e.path().filename().string());
        EXPECT_EQ(names, c.files) << c.name;
        if (pipe) {
            EXPECT_EQ(drained.get().rfind("\x89PNG", 0), 0u) << c.name;
            EXPECT_TRUE(fs::is_fifo(dir + "/1.png")) << c.name;
            continue;
        }
        for (const auto& f : c.files) {
            test::PngImage png;
            EXPECT_TRUE(test::readPng(dir + "/" + f, png)) << c.name << ": " << f;
            struct stat st {};
            ASSERT_EQ(stat((dir + "/" + f).c_str(), &st), 0);
            EXPECT_EQ(st.st_mode & 0777, 0666 & ~mask) << c.name << ": " << f;
        }
    }
}

}  // namespace
}  // namespace zorvik
