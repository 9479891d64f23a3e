// Every edit is announced in an order a view can follow, and marks the file dirty once.
#include <gtest/gtest.h>

#include "SessionFixture.h"

using namespace keymora;
using namespace keymora::test;
using Heard = std::vector<std::string>;

namespace {

class EditNotices : public ::testing::Test {
protected:
    void SetUp() override {
        session = sessionFromXml(sampleXml("private"), false);
        session->addListener(&recorder);
    }
    std::unique_ptr<DocumentSession> session;
    Recorder recorder;
};

TEST_F(EditNotices, StructuralEditsNameWhatChanged) {
    EditResult added = session->addSubCategory("{C1}");
    ASSERT_TRUE(added.ok());
    EXPECT_EQ(recorder.heard, (Heard{"inserted " + added.id, "dirty", "edited"}));

    recorder.heard.clear();
    ASSERT_TRUE(session->deleteNode("{E1}").ok());
    EXPECT_EQ(recorder.heard, (Heard{"removing {E1} from {C1}", "removed from {C1}", "edited"}));

    recorder.heard.clear();
    ASSERT_TRUE(session->sortLevel("{C2}", SortDirection::Descending).ok());
    EXPECT_EQ(recorder.heard, (Heard{"reordering records", "reordered records", "edited"}));

    recorder.heard.clear();
    EXPECT_EQ(session->deleteNode("{NOPE}").status, EditStatus::NotFound);
    EXPECT_TRUE(recorder.heard.empty());
}

TEST_F(EditNotices, FieldEditsStampTheEntryAndSkipNoChange) {
    pugi::xml_node entry = session->doc().nodeById("{E1}");
    EXPECT_FALSE(session->updateField(entry, labels::Field::UserId, "alice"));
    EXPECT_FALSE(session->rename(session->doc().nodeById("{C1}"), "Banking"));
    EXPECT_FALSE(session->rename(session->doc().nodeById("{C1}"), ""));
    EXPECT_TRUE(recorder.heard.empty());
    EXPECT_FALSE(session->dirty());

    ASSERT_TRUE(session->updateField(entry, labels::Field::Url, "https://x.example"));
    EXPECT_STREQ(entry.child("URL").text().get(), "https://x.example");
    EXPECT_STRNE(entry.child("DateModified").text().get(), "");
    EXPECT_STREQ(entry.child("DateCreated").text().get(), "");
    ASSERT_TRUE(session->rename(session->doc().nodeById("{S1}"), "Cards & more"));
    EXPECT_EQ(recorder.heard, (Heard{"changed {E1}", "dirty", "edited", "changed {S1}", "edited"}));

    // Viewing attributes are stored but are not edits.
    recorder.heard.clear();
    session->setViewAttribute(session->doc().nodeById("{C1}"), "expanded", "True");
    EXPECT_TRUE(recorder.heard.empty());
}

TEST_F(EditNotices, MovesAreRemovalThenInsertionInBothFiles) {
    ASSERT_TRUE(DocumentSession::transfer(*session, *session, Relation::Child, "{E1}", "{C2}",
                                          TransferMode::Move)
                    .ok());
    EXPECT_EQ(recorder.heard, (Heard{"removing {E1} from {C1}", "removed from {C1}",
                                     "inserted {E1}", "dirty", "edited"}));

    auto other = sessionFromXml(sampleXml("private"), false);
    Recorder otherRecorder;
    other->addListener(&otherRecorder);
    recorder.heard.clear();
    EditResult r = DocumentSession::transfer(*session, *other, Relation::Before, "{S1}", "{C2}",
                                             TransferMode::Move);
    EXPECT_EQ(r.status, EditStatus::WrongKind);  // where nodes may go is CopyMoveTest's
    EXPECT_TRUE(recorder.heard.empty());
    EXPECT_TRUE(otherRecorder.heard.empty());

    r = DocumentSession::transfer(*session, *other, Relation::Child, "{S1}", "{C2}",
                                  TransferMode::Copy);
    ASSERT_TRUE(r.ok());
    EXPECT_TRUE(recorder.heard.empty());  // a copy leaves the source alone
    EXPECT_EQ(otherRecorder.heard, (Heard{"inserted " + r.id, "dirty", "edited"}));
}

TEST_F(EditNotices, ListenerMayLeaveWhileItIsTold) {
    struct Leaver : DocumentListener {
        DocumentSession* session = nullptr;
        int heard = 0;
        void nodeInserted(pugi::xml_node) override {
            ++heard;
            session->removeListener(this);
        }
    } leaver;
    leaver.session = session.get();
    session->addListener(&leaver);
    ASSERT_TRUE(session->addCategory().ok());
    ASSERT_TRUE(session->addCategory().ok());
    EXPECT_EQ(leaver.heard, 1);
}

TEST_F(EditNotices, ImportAddsOneCategoryAndLabelsChangeTheirEntries) {
    csvimport::CsvTable table = csvimport::ParseCsv("Account,Login\nShop,me\nBank,you\n");
    csvimport::ImportResult r = session->import(table);
    ASSERT_TRUE(r.ok);
    ASSERT_EQ(recorder.heard.size(), 3u);
    EXPECT_EQ(recorder.heard[0], "inserted " + std::string(r.category.attribute("id").value()));

    recorder.heard.clear();
    labels::Captions captions = labels::DefaultCaptions();
    captions[labels::Field::Url] = "Web";
    ASSERT_EQ(session->editLabels("{C1}", captions).status, labels::EditLabelsStatus::Done);
    EXPECT_EQ(recorder.heard, (Heard{"changed {C1}", "changed {E1}", "changed {E2}", "edited"}));
}

}  // namespace
