// Opening, saving, reloading and closing a data file, and the locks that keep other programs out.
#include <gtest/gtest.h>

#include "SessionFixture.h"

using namespace keymora;
using namespace keymora::test;

namespace {

class OpenSave : public ::testing::Test {
protected:
    TempDir dir;
    std::string path = dir.file("a.kmf");
    Login login;

    std::unique_ptr<DocumentSession> openOk(LockPolicy policy = LockPolicy::ByFileType) {
        OpenOutcome out = DocumentSession::open(path, policy, login.fn());
        EXPECT_EQ(out.status, OpenStatus::Opened);
        return std::move(out.session);
    }
    // The sample of that file type written to `path`, then opened.
    std::unique_ptr<DocumentSession> openSample(const char* filetype = "private") {
        writeDataFile(path, sampleXml(filetype));
        return openOk();
    }
    OpenStatus openStatus(LockPolicy policy = LockPolicy::ByFileType) {
        return DocumentSession::open(path, policy, login.fn()).status;
    }
};

TEST_F(OpenSave, FailuresLeaveNothingOpenOrLocked) {
    EXPECT_EQ(openStatus(), OpenStatus::ReadFailed);  // missing
    writeFile(path, "");
    EXPECT_EQ(openStatus(), OpenStatus::Empty);
    EXPECT_EQ(login.asked, 0);

    writeDataFile(path, sampleXml("private"));
    login.password = "wrong";
    EXPECT_EQ(openStatus(), OpenStatus::DecryptFailed);
    const OpenOutcome cancelled =
        DocumentSession::open(path, LockPolicy::ByFileType, [](FileCredentials&) { return false; });
    EXPECT_EQ(cancelled.status, OpenStatus::Cancelled);

    // Nothing of the failed attempts still holds the file.
    login.password = "  pw ";  // blanks around are not part of the password
    auto session = openOk();
    ASSERT_TRUE(session);
    EXPECT_EQ(session->access(), AccessMode::Private);
    EXPECT_TRUE(session->credentialsMatch("me", "pw"));
    EXPECT_FALSE(session->credentialsMatch("me", "pw2"));
}

TEST_F(OpenSave, PrivateFileOpenElsewhereIsInUseAlsoAfterASave) {
    auto first = openSample();
    ASSERT_TRUE(first);
    login.asked = 0;
    EXPECT_EQ(openStatus(), OpenStatus::InUse);
    EXPECT_EQ(openStatus(LockPolicy::None), OpenStatus::InUse);
    EXPECT_EQ(login.asked, 0);  // refused before anyone types a password

    ASSERT_TRUE(first->save().saved());
    EXPECT_EQ(openStatus(), OpenStatus::InUse);
    EXPECT_EQ(login.asked, 0);

    first->close();
    EXPECT_EQ(openStatus(), OpenStatus::Opened);
}

TEST_F(OpenSave, SharedFileHasOneWriterAndReadOnlyReaders) {
    auto writer = openSample("shared");
    auto reader = openOk();
    ASSERT_TRUE(writer && reader);
    EXPECT_EQ(writer->access(), AccessMode::SharedWriter);
    EXPECT_EQ(reader->access(), AccessMode::SharedReader);
    EXPECT_TRUE(reader->readOnly());

    const std::string before = readFile(path);
    EXPECT_EQ(reader->addCategory().status, EditStatus::ReadOnly);
    EXPECT_FALSE(reader->updateField(reader->doc().nodeById("{E1}"), labels::Field::Password, "x"));
    EXPECT_EQ(reader->save().status, SaveStatus::ReadOnly);
    EXPECT_FALSE(reader->dirty());
    EXPECT_EQ(readFile(path), before);

    // The writer saves; the reader reloads and sees it, still as a reader.
    ASSERT_TRUE(writer->addCategory().ok());
    ASSERT_TRUE(writer->save().saved());
    ASSERT_EQ(reader->reload().status, OpenStatus::Opened);
    EXPECT_EQ(reader->doc().records().select_nodes("category").size(), 3u);
    EXPECT_TRUE(reader->readOnly());

    // Once the writer is gone, a reload takes the writer's place.
    writer.reset();
    ASSERT_EQ(reader->reload().status, OpenStatus::Opened);
    EXPECT_EQ(reader->access(), AccessMode::SharedWriter);
}

TEST_F(OpenSave, SaveWritesWhatReopensAndStampsTheRoot) {
    auto session = openSample();
    ASSERT_TRUE(session);
    ASSERT_TRUE(session->updateField(session->doc().nodeById("{E2}"), labels::Field::UserId, "bob"));
    EXPECT_TRUE(session->dirty());
    ASSERT_TRUE(session->save().saved());
    EXPECT_FALSE(session->dirty());
    EXPECT_STRNE(session->doc().datafile().attribute("DateModified").value(), "1/2/2020 3:04:05 PM");
    session.reset();

    auto again = openOk();
    ASSERT_TRUE(again);
    EXPECT_STREQ(again->doc().nodeById("{E2}").child("userid").text().get(), "bob");
}

TEST_F(OpenSave, SaveAsMovesTheLockAndLeavesTheOldFile) {
    auto session = openSample();
    const std::string before = readFile(path);
    ASSERT_TRUE(session);
    const std::string other = dir.file("b.kmf");
    ASSERT_TRUE(session->saveAs(other).saved());
    EXPECT_EQ(session->path(), other);
    EXPECT_EQ(readFile(path), before);
    EXPECT_EQ(openStatus(), OpenStatus::Opened);  // the old file is free
    EXPECT_EQ(DocumentSession::open(other, LockPolicy::ByFileType, login.fn()).status, OpenStatus::InUse);
}

TEST_F(OpenSave, NewDocumentIsNeverSavedUntilItsFirstSave) {
    auto session = sessionFromXml(sampleXml("private"), true);
    EXPECT_TRUE(session->neverSaved());
    EXPECT_TRUE(session->saveRequired());
    Recorder recorder;
    session->addListener(&recorder);
    ASSERT_TRUE(session->saveAs(path).saved());
    EXPECT_FALSE(session->neverSaved());
    EXPECT_FALSE(session->saveRequired());
    EXPECT_EQ(recorder.heard, (std::vector<std::string>{"file state"}));
    EXPECT_EQ(openStatus(), OpenStatus::Opened);
}

TEST_F(OpenSave, DocumentWithoutRootIsNotWritten) {
    auto session = openSample();
    ASSERT_TRUE(session);
    const std::string before = readFile(path);
    session->doc().dom().remove_child(session->doc().datafile());
    EXPECT_EQ(session->save().status, SaveStatus::NoRoot);
    EXPECT_EQ(readFile(path), before);
}

TEST_F(OpenSave, ReloadAfterTheWriterChangedThePasswordKeepsTheDocument) {
    auto writer = openSample("shared");
    auto reader = openOk();
    ASSERT_TRUE(writer && reader);
    FileCredentials key;
    key.userId.value() = "me";
    key.password.value() = "changed";
    writer->setCredentials(std::move(key));
    ASSERT_TRUE(writer->save().saved());
    writer.reset();
    EXPECT_EQ(reader->reload().status, OpenStatus::DecryptFailed);
    EXPECT_TRUE(reader->doc().nodeById("{E1}"));
    // Not made the writer of a file it cannot show: the next user is.
    EXPECT_TRUE(reader->readOnly());
    login.password = "changed";
    auto next = openOk();
    ASSERT_TRUE(next);
    EXPECT_EQ(next->access(), AccessMode::SharedWriter);
}

TEST_F(OpenSave, EditingLockIsTakenBeforeTheRead) {
    writeDataFile(path, sampleXml("private"));
    auto editor = openOk(LockPolicy::ForEditing);
    ASSERT_TRUE(editor);
    EXPECT_EQ(editor->access(), AccessMode::SharedWriter);
    EXPECT_EQ(openStatus(LockPolicy::ForEditing), OpenStatus::InUse);
    EXPECT_EQ(openStatus(LockPolicy::None), OpenStatus::Opened);  // readers are let in
    ASSERT_TRUE(editor->save().saved());
    EXPECT_EQ(openStatus(LockPolicy::ForEditing), OpenStatus::InUse);
}

// A file saved elsewhere between the read and the lock is not overwritten with the older document.
TEST_F(OpenSave, FileSavedElsewhereWhileThePasswordIsTypedIsTheOneOpened) {
    writeDataFile(path, sampleXml("private"));
    const auto saveElsewhere = [&](FileCredentials& c) {
        auto other = openOk(LockPolicy::ForEditing);
        if (!other || !other->addCategory().ok() || !other->save().saved()) return false;
        other.reset();
        return login.fn()(c);
    };
    OpenOutcome out = DocumentSession::open(path, LockPolicy::ByFileType, saveElsewhere);
    ASSERT_EQ(out.status, OpenStatus::Opened);
    EXPECT_EQ(out.session->doc().records().select_nodes("category").size(), 3u);
    ASSERT_TRUE(out.session->save().saved());
    EXPECT_EQ(readDataFile(path, "me", "pw")->records().select_nodes("category").size(), 3u);
}

TEST_F(OpenSave, CloseWipesAndReleases) {
    auto session = openSample();
    ASSERT_TRUE(session);
    session->close();
    EXPECT_TRUE(session->closed());
    EXPECT_TRUE(session->userId().empty());
    EXPECT_FALSE(session->credentialsMatch("me", "pw"));
    EXPECT_FALSE(session->doc().datafile());
    EXPECT_EQ(session->addCategory().status, EditStatus::ReadOnly);
    EXPECT_EQ(openStatus(), OpenStatus::Opened);
}

}  // namespace
