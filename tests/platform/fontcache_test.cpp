#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>

#include "platform/raster/fontcache.h"
#include "platform/raster/fonts.h"
#include "tests/support/support.h"

namespace zorvik {
namespace {

namespace fs = std::filesystem;

// Each test runs in a process of its own, so the cache it sets up is the one
// the process loads.
std::string useCacheIn(const std::string& test) {
    const std::string dir = test::scratchDir(test);
    setenv("XDG_CACHE_HOME", dir.c_str(), 1);
    return dir + "/zorvik/fonts";
}

std::string hex(const std::string& s) {
    std::string out;
    char b[3];
    for (unsigned char c : s) {
        std::snprintf(b, sizeof b, "%02x", c);
        out += b;
    }
    return out;
}

TEST(FontCache, FontconfigsAnswerIsKeptForTheNextProcess) {
    const std::string path = useCacheIn("fontcache-kept");
    EXPECT_EQ(raster::fontCachePath(), path);
    const std::string file = raster::fontFileFor("Arial", true, false);
    ASSERT_NE(file.find("LiberationSans-Bold"), std::string::npos);
    const std::string text = test::readFile(path);
    EXPECT_EQ(text.rfind("zorvik font cache 1\nstamp ", 0), 0u) << text;
    EXPECT_NE(text.find("1 0 0 " + hex("Arial") + " " + hex(file) + "\n"), std::string::npos) << text;
}

TEST(FontCache, AnswersAreReadBack) {
    const std::string path = useCacheIn("fontcache-read");
    // Written by one lookup, read by the next process: here, the cache says
    // "Zorvik Test Face" is the regular Liberation Mono.
    const std::string mono = raster::fontFileFor("Liberation Mono", false, false);
    ASSERT_FALSE(mono.empty());
    raster::rememberFont("Zorvik Test Face", false, false, {mono, 0});
    raster::FontLocation where;
    ASSERT_TRUE(raster::cachedFont("Zorvik Test Face", false, false, where));
    EXPECT_EQ(where.file, mono);
}

TEST(FontCache, AStaleOrDamagedCacheIsNotBelieved) {
    const std::string path = useCacheIn("fontcache-stale");
    fs::create_directories(fs::path(path).parent_path());
    test::writeFile(path, "zorvik font cache 1\nstamp 12345\n0 0 0 " + hex("Arial") + " " + hex("/nonexistent.ttf") + "\n");
    raster::FontLocation where;
    EXPECT_FALSE(raster::cachedFont("Arial", false, false, where));
    EXPECT_NE(raster::fontFileFor("Arial", false, false).find("LiberationSans-Regular"), std::string::npos);
}

TEST(FontCache, AFontFileThatWentAwayIsAskedAboutAgain) {
    const std::string path = useCacheIn("fontcache-gone");
    raster::rememberFont("Arial", false, true, {"/nonexistent/font.ttf", 0});
    raster::FontLocation where;
    EXPECT_FALSE(raster::cachedFont("Arial", false, true, where));
    EXPECT_NE(raster::fontFileFor("Arial", false, true).find("LiberationSans-Italic"), std::string::npos);
}

// Many made-up families (a fuzzer, a test suite) must not leave every later
// process a large file to read: the file keeps at most 1,024 answers, the newest
// among them, and one line per family and style.
TEST(FontCache, TheFileStaysSmall) {
    const std::string path = useCacheIn("fontcache-small");
    const std::string mono = raster::fontFileFor("Liberation Mono", false, false);
    ASSERT_FALSE(mono.empty());
    for (int i = 0; i < 1100; ++i) raster::rememberFont("Made Up " + std::to_string(i), false, false, {mono, 0});
    raster::rememberFont("Made Up 1099", false, false, {mono, 1});
    const std::string text = test::readFile(path);
    const auto lines = std::count(text.begin(), text.end(), '\n');
    EXPECT_LE(lines, 2 + 1024);
    const std::string oldest = std::string(1, ' ').append(hex("Made Up 1")).append(" ");
    EXPECT_EQ(text.find(oldest), std::string::npos);  // among the oldest, gone
    EXPECT_EQ(text.find(hex("Made Up 1099") + " " + hex(mono)), text.rfind(hex("Made Up 1099") + " " + hex(mono)));
    EXPECT_NE(text.find("0 0 1 " + hex("Made Up 1099") + " " + hex(mono) + "\n"), std::string::npos) << text;
    raster::FontLocation where;
    ASSERT_TRUE(raster::cachedFont("Made Up 1099", false, false, where));
    EXPECT_EQ(where.index, 1);
}

TEST(FontCache, GarbageIsIgnored) {
    const std::string path = useCacheIn("fontcache-garbage");
    fs::create_directories(fs::path(path).parent_path());
    test::writeFile(path, "\x01\x02 not a cache at all\n");
    EXPECT_NE(raster::fontFileFor("Arial", false, false).find("LiberationSans-Regular"), std::string::npos);
    // The next answer saved replaces the garbage with a cache.
    raster::rememberFont("Garbage Test Face", false, false, {raster::fontFileFor("Arial", false, false), 0});
    EXPECT_EQ(test::readFile(path).rfind("zorvik font cache 1\n", 0), 0u);
}

TEST(FontCache, TheCommandDrawsTheSameWithAndWithoutIt) {
    const std::string dir = test::scratchDir("fontcache-command");
    const std::string args = "render Code.Symbology=Code_128 Code.Caption=Cached -o ";
    ASSERT_EQ(test::zorvik("render Code.Symbology=Code_128 Code.Caption=Cached -o " + dir + "/cold.png", dir), 0);
    ASSERT_EQ(test::runCommand("XDG_CACHE_HOME='" + dir + "' " + std::string(ZORVIK_BINARY_DIR) + "/bin/zorvik " + args +
                               dir + "/first.png"),
              0);
    ASSERT_TRUE(fs::exists(dir + "/zorvik/fonts"));
    ASSERT_EQ(test::runCommand("XDG_CACHE_HOME='" + dir + "' " + std::string(ZORVIK_BINARY_DIR) + "/bin/zorvik " + args +
                               dir + "/warm.png"),
              0);
    EXPECT_EQ(test::readFile(dir + "/first.png"), test::readFile(dir + "/warm.png"));
    EXPECT_EQ(test::readFile(dir + "/cold.png"), test::readFile(dir + "/warm.png"));
}

// Several first runs save at once: what another run saved after this one
// loaded the cache is merged, not overwritten.
TEST(FontCache, AnswersOtherRunsSavedMeanwhileAreKept) {
    const std::string path = useCacheIn("fontcache-merge");
    const std::string mono = raster::fontFileFor("Liberation Mono", false, false);
    ASSERT_FALSE(mono.empty());
    raster::rememberFont("First Run Face", false, false, {mono, 0});
    // Another run's save, after this process loaded the file.
    test::writeFile(path, test::readFile(path) + "0 1 0 " + hex("Other Run Face") + " " + hex(mono) + "\n");
    raster::rememberFont("This Run Face", true, false, {mono, 0});
    const std::string text = test::readFile(path);
    for (const std::string& line : {"0 0 0 " + hex("First Run Face") + " " + hex(mono) + "\n",
                                    "0 1 0 " + hex("Other Run Face") + " " + hex(mono) + "\n",
                                    "1 0 0 " + hex("This Run Face") + " " + hex(mono) + "\n"})
        EXPECT_NE(text.find(line), std::string::npos) << line << text;
}

}  // namespace
}  // namespace zorvik
