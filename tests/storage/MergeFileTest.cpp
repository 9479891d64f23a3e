#include "storage/MergeFile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "document/XmlDoc.h"
#include "storage/FileLock.h"
#include "storage/ModCrypto.h"
#include "testsupport/TempDir.h"
#include "testsupport/TestDocuments.h"

using namespace keymora;
using namespace keymora::mergefile;

namespace {

using namespace test;

class MergeFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dest.loadXml(docXml(catXml("{D1}", "Banking", entryXml("{D2}", "Checking")))));
        before = dest.xml();
    }

    std::string writeSource(const std::string& name, const std::string& xml) {
        const std::string path = dir.file(name);
        test::writeDataFile(path, xml, "bob", "pw");
        return path;
    }

    CredentialsFn answer(const std::string& user, const std::string& password) {
        return [this, user, password](const std::string& instruction) -> std::optional<SourceCredentials> {
            instructions.push_back(instruction);
            return SourceCredentials{user, password};
        };
    }

    std::string privateSource() const {
        return docXml(catXml("{S1}", "Banking", entryXml("{S2}", "Savings")) +
                      catXml("{S3}", "Mail &quot;x&quot;", entryXml("{S4}", "Inbox")));
    }

    void expectFailure(const Result& r, Status status, const std::string& text, const std::string& title,
                       Icon icon) {
        EXPECT_EQ(r.status, status);
        EXPECT_FALSE(r.merged());
        ASSERT_TRUE(r.message.has_value());
        EXPECT_EQ(r.message->text, text);
        EXPECT_EQ(r.message->title, title);
        EXPECT_EQ(r.message->icon, icon);
        EXPECT_EQ(dest.xml(), before);
    }

    test::TempDir dir;
    XmlDoc dest;
    std::string before;
    std::vector<std::string> instructions;
};

TEST_F(MergeFileTest, PrivateSourceMergesWithTrimmedCredentials) {
    const std::string path = writeSource("source.kmf", privateSource());
    std::vector<std::string> statuses;
    const Result r = MergeFile(dest, path, answer("  bob ", " pw  "),
                               [&](const merge::MergeProgress& p) { statuses.push_back(p.status); });
    ASSERT_TRUE(r.merged());
    EXPECT_FALSE(r.message.has_value());
    EXPECT_EQ(instructions, std::vector<std::string>{"Enter the User Name and\r\nPassword to UN-Lock \r\nsource.kmf"});
    EXPECT_EQ(r.stats.entries, 2u);
    // Where nodes land is MergeTest's; here the counts and the progress reach the caller.
    EXPECT_NE(statuses.end(), std::find(statuses.begin(), statuses.end(), "Created Category Mail \"x\""));
}

TEST_F(MergeFileTest, WrongCredentialsOrDamagedFileAreReportedAndChangeNothing) {
    const std::string source = writeSource("source.kmf", privateSource());
    const std::string damaged = dir.file("damaged.kmf");
    test::writeFile(damaged, std::string(200, '\x5a'));
    // Decrypts and expands, but is not a document.
    const std::string broken = dir.file("broken.kmfoldfile");
    std::string cipher;
    ASSERT_TRUE(modCrypto::Encrypt("<datafile filetype=\"private\"><records>", "bobpw", cipher));
    test::writeFile(broken, cipher);
    for (const auto& [path, password] : {std::pair{source, "wrong"}, {damaged, "pw"}, {broken, "pw"}})
        expectFailure(MergeFile(dest, path, answer("bob", password)), Status::DecryptFailed,
                      "Document Merge failed.  Decryption Error.  Username or Password incorrect.",
                      "Document Merge Failure", Icon::Critical);
}

TEST_F(MergeFileTest, SharedOrUntypedSourcesAreRefused) {
    const std::string category = catXml("{S1}", "New");
    for (const std::string& xml : {docXml(category, "shared"), docXml(category, "Private"),
                                   "<datafile><records>" + category + "</records></datafile>"}) {
        const std::string path = writeSource("shared.kmf", xml);
        expectFailure(MergeFile(dest, path, answer("bob", "pw")), Status::SharedSource,
                      "Source Documents on a merge operation may not be a SHARED document.",
                      "Invalid Source Document", Icon::Critical);
    }
}

TEST_F(MergeFileTest, MissingEmptyOrUnnamedSources) {
    expectFailure(MergeFile(dest, "", answer("bob", "pw")), Status::EmptyName,
                  "Merge Attempt Failed.  Source Merge Document is in use or is empty", "Merge Attempt Failed",
                  Icon::Information);
    EXPECT_TRUE(instructions.empty());

    const std::string empty = dir.file("empty.kmf");
    test::writeFile(empty, "");
    expectFailure(MergeFile(dest, empty, answer("bob", "pw")), Status::EmptyName,
                  "Merge Attempt Failed.  Source Merge Document is in use or is empty", "Merge Attempt Failed",
                  Icon::Information);

    expectFailure(MergeFile(dest, dir.file("missing.kmf"), answer("bob", "pw")), Status::ReadFailed,
                  "Error: 53\r\nDescription: File Not Found", "", Icon::None);
}

TEST_F(MergeFileTest, SourceHeldPrivatelyElsewhereIsInUse) {
    const std::string path = writeSource("held.kmf", privateSource());
    LockResult held = FileLock::tryAcquire(path, LockMode::Private);
    ASSERT_TRUE(held.lock.held());
    expectFailure(MergeFile(dest, path, answer("bob", "pw")), Status::ReadFailed, "File in use", "File in use",
                  Icon::Information);
}

TEST_F(MergeFileTest, CancelledLoginShowsNothing) {
    const std::string path = writeSource("source.kmf", privateSource());
    const Result r = MergeFile(dest, path, [](const std::string&) { return std::optional<SourceCredentials>{}; });
    EXPECT_EQ(r.status, Status::Cancelled);
    EXPECT_FALSE(r.message.has_value());
    EXPECT_EQ(dest.xml(), before);
}

TEST(MergeFileTitleTest, NameAfterTheLastSeparator) {
    EXPECT_EQ(FileTitleOf("/home/u/Password Files/a.kmf"), "a.kmf");
    EXPECT_EQ(FileTitleOf("C:\\data\\b.kmf"), "b.kmf");
    EXPECT_EQ(FileTitleOf("c.kmf"), "c.kmf");
}

}  // namespace
