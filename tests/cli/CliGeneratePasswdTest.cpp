// generate and passwd end to end.
#include <gtest/gtest.h>

#include <regex>

#include "CliRunner.h"
#include "testsupport/TestDocuments.h"

namespace keymora::test {
namespace {

// Character classes are PasswordGeneratorTest's; here the options reach it and the line is its own.
TEST(CliGenerate, PatternAndLengthReachTheGenerator) {
    const auto plain = runInProcess({"generate"});
    ASSERT_EQ(plain.status, 0) << plain.err;
    EXPECT_TRUE(std::regex_match(plain.out, std::regex("[A-Za-z0-9@#$%&*()?]{8}\n"))) << plain.out;
    const auto upper = runInProcess({"generate", "--pattern", "0", "--length", "15"});
    EXPECT_TRUE(std::regex_match(upper.out, std::regex("[A-Z]{15}\n"))) << upper.out;
    EXPECT_TRUE(std::regex_match(runInProcess({"generate", "-p", "1", "-l", "9"}).out, std::regex("[a-z]{9}\n")));
    EXPECT_EQ(runInProcess({"generate", "--length", "0"}).out, "\n");
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

// Blanks around the new credentials are not part of them.
TEST_F(Passwd, NewCredentialsOpenTheFileAndTheOldOnesNoLonger) {
    ASSERT_EQ(runInProcess({"passwd", "-u", "ann", kmf}, "old-pw\n new-pw \n new-pw \n").status, 0);
    EXPECT_FALSE(readDataFile(kmf, "ann", "old-pw"));
    auto doc = readDataFile(kmf, "ann", "new-pw");
    ASSERT_TRUE(doc);
    EXPECT_STREQ(doc->dom().select_node("//password").node().child_value(), "p\xC3\xA9");

    const auto r = runInProcess({"passwd", "-u", "ann", "--new-user", " bob ", kmf}, "new-pw\npw-2\npw-2\n");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(readDataFile(kmf, "bob", "pw-2"));
    EXPECT_FALSE(readDataFile(kmf, "ann", "pw-2"));
}

// Refused new credentials are NewFile's; wrong credentials and held files the shared open's (CliOpenTest).
TEST_F(Passwd, RefusedNewPasswordLeavesTheFileByteForByte) {
    const std::string before = readFile(kmf);
    const auto r = runInProcess({"passwd", "-u", "ann", kmf}, "old-pw\nnew-pw\nNew-pw\n");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "Password and Confirm Password do not match.\n");
    EXPECT_EQ(readFile(kmf), before);
}

}  // namespace
}  // namespace keymora::test
