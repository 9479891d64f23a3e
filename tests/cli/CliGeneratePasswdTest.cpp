// generate and passwd end to end.
#include <gtest/gtest.h>

#include <cstring>

#include "CliRunner.h"
#include "testsupport/TestDocuments.h"

namespace keymora::test {
namespace {

bool inClass(int pattern, char c) {
    const bool upper = c >= 'A' && c <= 'Z';
    const bool lower = c >= 'a' && c <= 'z';
    const bool digit = c >= '0' && c <= '9';
    switch (pattern) {
        case 0: return upper;
        case 1: return lower;
        case 2: return upper || lower;
        case 3: return upper || lower || digit;
        case 4: return upper || lower || digit || (c != '\0' && std::strchr("@#$%&*()?", c) != nullptr);
        default: return false;
    }
}

TEST(CliGenerate, EveryPatternAndLengthGivesItsOwnCharacters) {
    // Pattern -1: none given, which is eight characters with specials.
    for (int pattern = -1; pattern <= 4; ++pattern) {
        for (int length : {0, 15}) {
            std::vector<std::string> args = {"generate"};
            if (pattern >= 0) {
                args.insert(args.end(), {"--pattern", std::to_string(pattern), "--length",
                                         std::to_string(length)});
            }
            const auto r = runInProcess(args);
            ASSERT_EQ(r.status, 0) << r.err;
            ASSERT_EQ(r.out.size(), (pattern < 0 ? 8u : static_cast<std::size_t>(length)) + 1) << r.out;
            EXPECT_EQ(r.out.back(), '\n');
            for (std::size_t i = 0; i + 1 < r.out.size(); ++i) {
                EXPECT_TRUE(inClass(pattern < 0 ? 4 : pattern, r.out[i])) << pattern << ": " << r.out;
            }
        }
    }
    EXPECT_NE(runInProcess({"generate", "-l", "15"}).out, runInProcess({"generate", "-l", "15"}).out);
}

TEST(CliGenerate, RefusesLengthsAndPatternsOutOfRange) {
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"generate", "--length", "16"},
          {"generate", "--length", "-1"},
          {"generate", "--length", "abc"},
          {"generate", "--pattern", "5"},
          {"generate", "--pattern", "-1"}}) {
        const auto r = runInProcess(args);
        EXPECT_EQ(r.status, 2) << args[1] << " " << args[2];
        EXPECT_EQ(r.out, "");
        EXPECT_FALSE(r.err.empty());
    }
}

// --- passwd --------------------------------------------------------------------

const std::string kXml =
    docXml(catXml("{C1}", "Web", fullEntryXml("{E1}", {"Mail", "me", "p\xC3\xA9", "", ""})));

class Passwd : public ::testing::Test {
protected:
    void SetUp() override { writeDataFile(kmf, kXml, "ann", "old-pw"); }
    TempDir dir;
    std::string kmf = dir.file("data.kmf");
};

TEST_F(Passwd, NewPasswordOpensTheFileAndTheOldOneNoLonger) {
    const auto r = runInProcess({"passwd", "-u", "ann", kmf}, "old-pw\n new-pw \n new-pw \n");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_FALSE(readDataFile(kmf, "ann", "old-pw"));
    auto doc = readDataFile(kmf, "ann", "new-pw");
    ASSERT_TRUE(doc);
    EXPECT_STREQ(doc->dom().select_node("//password").node().child_value(), "p\xC3\xA9");
}

TEST_F(Passwd, NewUserNameIsPartOfTheKey) {
    const auto r = runInProcess({"passwd", "-u", "ann", "--new-user", " bob ", kmf},
                                "old-pw\nnew-pw\nnew-pw\n");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(readDataFile(kmf, "bob", "new-pw"));
    EXPECT_FALSE(readDataFile(kmf, "ann", "new-pw"));

    const auto blank = runInProcess({"passwd", "-u", "bob", "--new-user", "  ", kmf},
                                    "new-pw\nx\nx\n");
    EXPECT_EQ(blank.status, 1);
    EXPECT_EQ(blank.err, "User Name required to continue\n");
    EXPECT_TRUE(readDataFile(kmf, "bob", "new-pw"));
}

// Wrong credentials and a held file are refused by the open every command
// shares (CliOpenTest).
TEST_F(Passwd, RefusedNewPasswordsLeaveTheFileByteForByte) {
    const std::string before = readFile(kmf);
    struct Case {
        std::string input;
        std::string err;
    };
    for (const Case& c : std::vector<Case>{
             {"old-pw\nnew-pw\nNew-pw\n", "Password and Confirm Password do not match.\n"},
             {"old-pw\nnew-pw\n", "No password was given on standard input.\n"}}) {
        const auto r = runInProcess({"passwd", "-u", "ann", kmf}, c.input);
        EXPECT_EQ(r.status, 1) << c.input;
        EXPECT_EQ(r.err, c.err) << c.input;
        EXPECT_EQ(readFile(kmf), before) << c.input;
    }
}

}  // namespace
}  // namespace keymora::test
