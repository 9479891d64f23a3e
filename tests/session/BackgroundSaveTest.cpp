// Auto Save in the background: one at a time, edits meanwhile coalesced, nothing lost on close.
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>

#include "SessionFixture.h"

using namespace keymora;
using namespace keymora::test;

namespace {

// The owner's event loop: ends of saves queue here until the test runs them.
class EventQueue {
public:
    PostToOwner poster() {
        return [this](std::function<void()> fn) {
            const std::lock_guard lock(m_mutex);
            m_queue.push_back(std::move(fn));
            m_ready.notify_one();
        };
    }
    // Runs the next posted function, waiting for it up to `wait`; false when none came.
    bool runNext(std::chrono::seconds wait = std::chrono::seconds(10)) {
        std::unique_lock lock(m_mutex);
        if (!m_ready.wait_for(lock, wait, [this] { return !m_queue.empty(); })) return false;
        std::function<void()> fn = std::move(m_queue.front());
        m_queue.pop_front();
        lock.unlock();
        fn();
        return true;
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_ready;
    std::deque<std::function<void()>> m_queue;
};

struct SaveCounter : DocumentListener {
    int saved = 0;
    int failed = 0;
    void backgroundSaveFinished(const SaveOutcome& outcome) override { ++(outcome.saved() ? saved : failed); }
};

class BackgroundSave : public ::testing::Test {
protected:
    TempDir dir;
    std::string path = dir.file("a.kmf");
    EventQueue events;
    SaveCounter counter;
    std::unique_ptr<DocumentSession> session;

    void SetUp() override {
        writeDataFile(path, sampleXml("private"));
        session = openSession(path, "me", "pw");
        ASSERT_TRUE(session);
        session->setPoster(events.poster());
        session->addListener(&counter);
    }
    void typeInto(const std::string& text) {
        ASSERT_TRUE(session->updateField(session->doc().nodeById("{E1}"), labels::Field::Notes, text));
        session->saveInBackground();
    }
    std::string notesOnDisk() {
        auto doc = readDataFile(path, "me", "pw");
        return doc ? doc->nodeById("{E1}").child("notes").child_value() : "<unreadable>";
    }
};

TEST_F(BackgroundSave, ABurstOfEditsLeadsToAtMostTwoSavesEndingWithTheLast) {
    std::string typed;
    for (int i = 0; i < 100; ++i) typeInto(typed += static_cast<char>('a' + i % 26));
    EXPECT_TRUE(session->dirty());
    while (session->savePending()) ASSERT_TRUE(events.runNext());

    EXPECT_EQ(counter.saved, 2);
    EXPECT_EQ(counter.failed, 0);
    EXPECT_FALSE(session->dirty());
    EXPECT_EQ(notesOnDisk(), typed);
    // The file kept its private lock across both saves.
    EXPECT_EQ(DocumentSession::open(path, LockPolicy::None, Login().fn()).status, OpenStatus::InUse);
}

TEST_F(BackgroundSave, ClosingDuringASaveWaitsAndLeavesTheLastEditOnDisk) {
    typeInto("first");
    typeInto("last");
    session->close();
    EXPECT_FALSE(session->savePending());
    EXPECT_EQ(notesOnDisk(), "last");
    EXPECT_EQ(counter.saved, 2);

    // Ends posted for saves already waited for do nothing, even after the session is gone.
    session.reset();
    int ends = 0;
    while (events.runNext(std::chrono::seconds(0))) ++ends;
    EXPECT_EQ(ends, 2);
    EXPECT_EQ(counter.saved, 2);
}

}  // namespace
