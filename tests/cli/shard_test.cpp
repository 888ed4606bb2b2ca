#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <set>
#include <sstream>

#include "tests/support/support.h"

namespace zorvik {
namespace {

namespace fs = std::filesystem;

std::multiset<std::string> linesOf(const std::string& text) {
    std::multiset<std::string> out;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) out.insert(line);
    return out;
}

TEST(Shard, MalformedSharesAreUsageErrorsThatSayIndexesCountFromZero) {
    const std::string dir = test::scratchDir("shard-usage");
    test::writeFile(dir + "/in.txt", "1\n2\n");
    // I must lie in 0 .. N-1 and N be a whole number from 1.
    for (const char* shard : {"3/3", "0/0", "-1/2", "2", "1/", "/2", "+1/2", "1/2/3", "a/b", "1 /2", "4/-5"}) {
        std::string err;
        EXPECT_EQ(
            test::zorvik(std::string("batch --input ") + dir + "/in.txt --shard '" + shard + "' -o " + dir + "/out.pdf",
                         dir, &err),
            1)
            << shard;
        EXPECT_NE(err.find("I counts from 0"), std::string::npos) << shard << ": " << err;
        EXPECT_NE(err.find(std::string("not '") + shard + "'"), std::string::npos) << shard << ": " << err;
    }
    EXPECT_FALSE(fs::exists(dir + "/out.pdf"));
}

TEST(Shard, AShardWithoutRecordsSaysSoAndWritesNothing) {
    const std::string dir = test::scratchDir("shard-empty");
    test::writeFile(dir + "/in.txt", "1\n2\n");
    std::string err;
    EXPECT_EQ(test::zorvik("batch --input " + dir + "/in.txt --shard 5/7 -o '" + dir + "/{n}.png'", dir, &err), 0);
    EXPECT_EQ(err, "zorvik: no records in shard 5/7 (the input has 2); nothing written\n");
    EXPECT_EQ(test::zorvik("batch --input " + dir + "/in.txt --shard 2/3 -o " + dir + "/l.pdf", dir, &err), 0);
    EXPECT_EQ(test::filesWithBytes(dir).size(), 2u);
}

TEST(Shard, AllShardsTogetherWriteWhatOneRunWrites) {
    const std::string dir = test::scratchDir("shard-union");
    // Stretched Code 128, so every record settles its own density; records 5,
    // 18 and 31 cannot be drawn and are reported by their number in the input.
    std::string input;
    std::vector<std::string> lines;
    for (int n = 1; n <= 40; ++n) {
        std::string caption = "SKU-" + std::to_string(n * 7919 % 100000) + (n % 13 == 5 ? "\xC3\xA9" : "");
        lines.push_back(caption);
        input += caption + "\n";
    }
    test::writeFile(dir + "/in.txt", input);
    const std::string common =
        "batch Code.Symbology=Code_128 Code.AutoSize=False Width=300 Code.TextAutosize=True --input " + dir + "/in.txt";
    fs::create_directories(dir + "/all");
    std::string wholeErr, err;
    ASSERT_EQ(test::zorvik(common + " -o '" + dir + "/all/{n}.png'", dir, &wholeErr), 2);
    const auto whole = test::filesWithBytes(dir + "/all");
    ASSERT_EQ(whole.size(), 40u - 3);

    for (int count : {1, 2, 3, 7, 11}) {
        const std::string out = dir + "/n" + std::to_string(count);
        fs::create_directories(out);
        std::string shardErrs;
        for (int index = 0; index < count; ++index) {
            const std::string shard = " --shard " + std::to_string(index) + "/" + std::to_string(count);
            EXPECT_NE(test::zorvik(common + shard + " -o '" + out + "/{n}.png'", dir, &err), 1) << shard;
            shardErrs += err;
            // A shard's PDF holds its records in order: the PDF of an input of
            // just those lines.
            std::string own;
            for (int n = 1; n <= 40; ++n)
                if ((n - 1) % count == index) own += lines[static_cast<size_t>(n - 1)] + "\n";
            test::writeFile(dir + "/own.txt", own);
            test::zorvik(common + shard + " -o " + out + "/labels.pdf", dir);
            test::zorvik("batch Code.Symbology=Code_128 Code.AutoSize=False Width=300 Code.TextAutosize=True --input " +
                             dir + "/own.txt -o " + dir + "/own.pdf",
                         dir);
            std::string name = std::to_string(index);
            if (count > 10 && index < 10) name = "0" + name;
            const std::string pdf = out + "/labels-" + name + "-of-" + std::to_string(count) + ".pdf";
            EXPECT_TRUE(test::readFile(pdf) == test::readFile(dir + "/own.pdf")) << pdf;
            EXPECT_FALSE(test::readFile(pdf).empty()) << pdf;
            fs::remove(pdf);
        }
        EXPECT_TRUE(test::filesWithBytes(out) == whole) << count << " shards";
        EXPECT_EQ(linesOf(shardErrs), linesOf(wholeErr)) << count << " shards";
    }

    // An engine that runs a shard again gets the same bytes.
    const auto before = test::filesWithBytes(dir + "/n3");
    EXPECT_EQ(test::zorvik(common + " --shard 1/3 -o '" + dir + "/n3/{n}.png'", dir), 2);
    EXPECT_TRUE(test::filesWithBytes(dir + "/n3") == before);
}

}  // namespace
}  // namespace zorvik
