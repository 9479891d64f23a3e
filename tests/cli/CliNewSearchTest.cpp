// new and search end to end on temporary files.
#include <gtest/gtest.h>

#include <filesystem>

#include "CliRunner.h"
#include "testsupport/TestDocuments.h"

namespace keymora::test {
namespace {

class NewFile : public ::testing::Test {
protected:
    TempDir dir;
    std::string kmf = dir.file("new.kmf");
};

// What the template holds is TemplateTest's.
TEST_F(NewFile, WritesTheTemplateThatLsShows) {
    const auto made = runInProcess({"new", "-u", "ann", kmf}, "pw-1\npw-1\n");
    ASSERT_EQ(made.status, 0) << made.err;
    EXPECT_EQ(made.out, "");

    const auto ls = runInProcess({"ls", "-u", "ann", kmf}, "pw-1\n");
    ASSERT_EQ(ls.status, 0) << ls.err;
    EXPECT_EQ(ls.out.rfind("Internet Sites/\nATM Pins/\n", 0), 0u) << ls.out;
}

// Each rule's text is tst_login's; here the texts come with plain line ends and nothing is written.
TEST_F(NewFile, RefusesWhatTheConfirmDialogRefusesAndWritesNothing) {
    struct Case {
        std::string user;
        std::string input;
        std::string err;
    };
    const std::vector<Case> cases = {
        {"ann", "Secret\nsecret\n", "Password and Confirm Password do not match.\n"},
        {"ann", "PASSWORD\nPASSWORD\n",
         "A Password is required to continue.\nThe word \"Password\" will not be accepted.\n"},
        {"ann", "abc\n\n", "A Password is required to continue.\n"},
        {" ", "abc\nabc\n", "User Name required to continue\n"},
        {"ann", "abc\n", "No password was given on standard input.\n"},
    };
    for (const Case& c : cases) {
        const auto r = runInProcess({"new", "-u", c.user, kmf}, c.input);
        EXPECT_EQ(r.status, 1) << c.input;
        EXPECT_EQ(r.err, c.err) << c.input;
        EXPECT_EQ(r.out, "");
        EXPECT_FALSE(std::filesystem::exists(kmf)) << c.input;
    }
}

TEST_F(NewFile, BlankInFrontOfTheWordPassesAndIsStoredTrimmed) {
    const auto made = runInProcess({"new", "-u", "ann", kmf}, " password\n password\n");
    ASSERT_EQ(made.status, 0) << made.err;
    EXPECT_TRUE(readDataFile(kmf, "ann", "password"));
    // It opens again the way it was made: the same blank gets past the login check.
    EXPECT_EQ(runInProcess({"ls", "-u", "ann", kmf}, " password\n").status, 0);
}

TEST_F(NewFile, ExistingFileNeedsForce) {
    writeFile(kmf, "precious");
    const auto r = runInProcess({"new", "-u", "ann", kmf}, "pw-1\npw-1\n");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("--force"), std::string::npos) << r.err;
    EXPECT_EQ(readFile(kmf), "precious");

    const auto folder = runInProcess({"new", "--force", "-u", "ann", dir.path().string()},
                                     "pw-1\npw-1\n");
    EXPECT_EQ(folder.status, 1);
    EXPECT_NE(folder.err.find("folder"), std::string::npos) << folder.err;

    const auto forced = runInProcess({"new", "--force", "-u", "ann", kmf}, "pw-1\npw-1\n");
    ASSERT_EQ(forced.status, 0) << forced.err;
    EXPECT_TRUE(readDataFile(kmf, "ann", "pw-1"));
}

TEST_F(NewFile, MissingFolderFailsWithoutLeavingAnything) {
    const std::string inMissing = dir.file("no-such-folder/new.kmf");
    const auto r = runInProcess({"new", "-u", "ann", inMissing}, "pw-1\npw-1\n");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err.rfind("Error: ", 0), 0u) << r.err;
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()),
                            std::filesystem::directory_iterator()),
              0);
}

// --- search ------------------------------------------------------------------

const std::string kSearchXml = docXml(catXml(
    "{C1}", "Banking",
    fullEntryXml("{E1}", {"My BANK login", "ann", "bank-vault-9", "first line\nsecond abc line",
                          "https://bank.example"}) +
        subXml("{S1}", "Old banks", fullEntryXml("{E2}", {"Savings", "A-C", "Bankrupt", "", ""}))));

class SearchFile : public ::testing::Test {
protected:
    void SetUp() override { writeDataFile(kmf, kSearchXml, "ann", "pw-1"); }
    TempDir dir;
    std::string kmf = dir.file("search.kmf");

    CliResult search(std::vector<std::string> extra) {
        std::vector<std::string> args = {"search", "-u", "ann", kmf};
        args.insert(args.end(), extra.begin(), extra.end());
        return runInProcess(args, "pw-1\n");
    }
};

TEST_F(SearchFile, FindsInEveryFieldCaseInsensitivelyAndMasksPasswords) {
    const auto r = search({"bank"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out,
              "Banking\tcategory\tBanking\n"
              "Banking/Old banks\tsubcategory\tOld banks\n"
              "Banking/My BANK login\tresource\tMy BANK login\n"
              "Banking/My BANK login\tpassword\t********\n"
              "Banking/Old banks/Savings\tpassword\t********\n"
              "Banking/My BANK login\tURL\thttps://bank.example\n");
    EXPECT_EQ(r.out.find("vault"), std::string::npos);
    EXPECT_EQ(r.out.find("Bankrupt"), std::string::npos);
    EXPECT_EQ(r.err, "");
}

// Only the chosen fields (any case, each once) in their order; passwords only when asked; notes on one line.
TEST_F(SearchFile, ChosenFieldsInTheirOrderPasswordsOnlyWhenAsked) {
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{"--show-passwords", "--fields", "password", "BANK"},
         "Banking/My BANK login\tpassword\tbank-vault-9\n"
         "Banking/Old banks/Savings\tpassword\tBankrupt\n"},
        {{"--fields", "url,RESOURCE,url", "bank"},
         "Banking/My BANK login\tURL\thttps://bank.example\n"
         "Banking/My BANK login\tresource\tMy BANK login\n"},
        {{"--fields", "notes,userid", "a.c"},
         "Banking/My BANK login\tnotes\tfirst line second abc line\n"
         "Banking/Old banks/Savings\tuserid\tA-C\n"},
    };
    for (const auto& [args, out] : cases) {
        const auto r = search(args);
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.out, out) << args[1];
    }
}

TEST_F(SearchFile, NoResultsBadPatternsAndBadOptionsAreReported) {
    const auto none = search({"zebra"});
    EXPECT_EQ(none.status, 1);
    EXPECT_EQ(none.out, "");
    EXPECT_EQ(none.err, "Search query returned no results.\n");

    const auto bad = search({"(("});
    EXPECT_EQ(bad.status, 1);
    EXPECT_EQ(bad.out, "");
    EXPECT_EQ(bad.err.rfind("Error: 5017 ", 0), 0u) << bad.err;  // the whole text is SearchTest's

    const auto shortText = search({"\xC3\xA9"});  // one character in two bytes
    EXPECT_EQ(shortText.status, 2);
    EXPECT_EQ(shortText.err, "The search text must have at least 2 characters.\n");

    const auto field = search({"--fields", "resource,title", "bank"});
    EXPECT_EQ(field.status, 2);
    EXPECT_NE(field.err.find("\"title\""), std::string::npos) << field.err;
}

}  // namespace
}  // namespace keymora::test
