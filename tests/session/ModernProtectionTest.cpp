// The modern container: chosen by the first bytes, kept across saves, switched only with new credentials.
#include <gtest/gtest.h>

#include "SessionFixture.h"
#include "storage/ModernContainer.h"

using namespace keymora;
using namespace keymora::test;

namespace {

FileCredentials credentials(const char* user, const char* password) {
    FileCredentials c;
    c.userId.value() = user;
    c.password.value() = password;
    return c;
}

// The document text with the save stamp taken out, which every save renews.
std::string textWithoutStamp(const std::string& path) {
    auto doc = readDataFile(path, "me", "pw");
    if (!doc) return "(does not open)";
    doc->datafile().remove_attribute("DateModified");
    return doc->xml();
}

class ModernProtection : public ::testing::Test {
protected:
    TempDir dir;
    std::string path = dir.file("a.kmf");
    Login login;

    std::unique_ptr<DocumentSession> openOk() {
        OpenOutcome out = DocumentSession::open(path, LockPolicy::ByFileType, login.fn());
        EXPECT_EQ(out.status, OpenStatus::Opened);
        return std::move(out.session);
    }
};

TEST_F(ModernProtection, SavesKeepTheKindTheSaltAndNeverReuseANonce) {
    writeModernDataFile(path, sampleXml("private"));
    auto session = openOk();
    ASSERT_TRUE(session);
    EXPECT_EQ(session->protection(), Protection::Modern);
    EXPECT_EQ(session->modernParams()->memoryKiB, kQuickArgon2.memoryKiB);
    const std::string first = readFile(path);

    ASSERT_TRUE(session->updateField(session->doc().nodeById("{E1}"), labels::Field::Password, "new"));
    ASSERT_TRUE(session->save().saved());
    const std::string second = readFile(path);
    ASSERT_TRUE(session->save().saved());
    const std::string third = readFile(path);
    // Same header up to the nonce (the key was kept, not derived anew) ...
    EXPECT_EQ(second.substr(0, 35), first.substr(0, 35));
    EXPECT_EQ(third.substr(0, 35), first.substr(0, 35));
    // ... and a new nonce every time.
    EXPECT_NE(second.substr(35, 12), first.substr(35, 12));
    EXPECT_NE(third.substr(35, 12), second.substr(35, 12));
    session.reset();

    auto again = openOk();
    ASSERT_TRUE(again);
    EXPECT_STREQ(again->doc().nodeById("{E1}").child("password").child_value(), "new");
}

TEST_F(ModernProtection, UpgradeAndDowngradeKeepTheDocument) {
    writeDataFile(path, sampleXml("private"));
    const std::string original = textWithoutStamp(path);
    auto session = openOk();
    ASSERT_TRUE(session);
    EXPECT_EQ(session->protection(), Protection::Legacy);

    session->setCredentials(credentials("me", "pw"), Protection::Modern, kQuickArgon2);
    EXPECT_TRUE(session->dirty());
    ASSERT_TRUE(session->save().saved());
    EXPECT_TRUE(modern::hasMagic(readFile(path)));
    EXPECT_EQ(textWithoutStamp(path), original);

    // New credentials on a modern file: a new salt, still modern.
    const std::string salted = readFile(path).substr(18, 16);
    session->setCredentials(credentials("me", "pw"));
    ASSERT_TRUE(session->save().saved());
    EXPECT_TRUE(modern::hasMagic(readFile(path)));
    EXPECT_NE(readFile(path).substr(18, 16), salted);

    session->setCredentials(credentials("me", "pw"), Protection::Legacy);
    ASSERT_TRUE(session->save().saved());
    EXPECT_FALSE(modern::hasMagic(readFile(path)));
    EXPECT_EQ(textWithoutStamp(path), original);
}

TEST_F(ModernProtection, WrongPasswordAndUnknownHeaderAreRefused) {
    writeModernDataFile(path, sampleXml("private"));
    login.password = "wrong";
    EXPECT_EQ(DocumentSession::open(path, LockPolicy::ByFileType, login.fn()).status,
              OpenStatus::DecryptFailed);

    std::string bytes = readFile(path);
    bytes[13] = 101;  // iterations beyond the bounds
    writeFile(path, bytes);
    login.asked = 0;
    EXPECT_EQ(DocumentSession::open(path, LockPolicy::ByFileType, login.fn()).status,
              OpenStatus::NeedsNewerProgram);
    EXPECT_EQ(login.asked, 0);  // refused before a password, let alone a key derivation
}

TEST_F(ModernProtection, MergeReadsAModernSource) {
    const std::string source = dir.file("source.kmf");
    writeModernDataFile(source, docXml(catXml("{X1}", "Travel", fullEntryXml("{X2}", {"Air", "", "", "", ""}))),
                        "src", "spw");
    auto session = DocumentSession::create(parsedOrThrow(sampleXml("private")),
                                           credentials("me", "pw"), false);
    const mergefile::Result r = session->merge(source, [](const std::string&) {
        return std::optional<mergefile::SourceCredentials>({"src", "spw"});
    });
    ASSERT_TRUE(r.merged()) << (r.message ? r.message->text : "");
    EXPECT_EQ(r.stats.entries, 1u);
    EXPECT_FALSE(session->doc().dom().select_node("//category[@value='Travel']").node().empty());
}

}  // namespace
