#pragma once
// One sample data file opened in a document window of a test host, with
// Auto Save off unless a test turns it on.
#include <QtTest/QtTest>

#include <memory>

#include "OptionStore.h"
#include "TestDocumentHost.h"
#include "ViewClicks.h"
#include "docwindow/EntryPane.h"
#include "docwindow/NodeSelection.h"
#include "docwindow/frmKMF.h"
#include "session/DocumentSession.h"
#include "testsupport/TempDir.h"

namespace keymora::test {

inline constexpr const char* kMail = "{E0000000-0000-0000-0000-000000000001}";
inline constexpr const char* kBank = "{E0000000-0000-0000-0000-000000000002}";
inline constexpr const char* kShop = "{E0000000-0000-0000-0000-000000000003}";
inline constexpr const char* kVisa = "{E0000000-0000-0000-0000-000000000009}";
inline constexpr const char* kBanking = "{C0000000-0000-0000-0000-000000000001}";
inline constexpr const char* kOther = "{C0000000-0000-0000-0000-000000000002}";
inline constexpr const char* kCards = "{50000000-0000-0000-0000-000000000001}";
inline constexpr const char* kLoans = "{50000000-0000-0000-0000-000000000002}";

class DocWindowFixture {
protected:
    TestSettings m_config;
    std::unique_ptr<TempDir> m_dir;
    std::unique_ptr<TestHost> m_host;
    frmKMF* m_w = nullptr;
    QString m_path;

    // A private sample file under "user" / "Secret", open in a window.
    void openSample() {
        TestSettings::startSeeded();
        putOption("Auto Save Changes", "0");
        m_dir = std::make_unique<TempDir>();
        m_path = QString::fromStdString(m_dir->file("sample.kmf"));
        writeDataFile(m_path, *parseDoc(sampleXml()), "user", "Secret");
        m_host = std::make_unique<TestHost>();
        auto session = openSession(m_path, "user", "Secret");
        QVERIFY(session);
        m_w = showWindow(*m_host, std::move(session));
    }
    void closeSample() {
        m_host.reset();
        m_w = nullptr;
        m_dir.reset();
    }

    DocumentSession& session() { return m_w->session(); }
    pugi::xml_node node(const char* id) { return session().doc().nodeById(id); }
    std::string field(const char* id, const char* name) { return node(id).child(name).child_value(); }
    bool clickTree(const QString& name) { return clickRow(m_w->treeView(), name); }
    bool clickList(const QString& name) { return clickRow(m_w->listView(), name); }
};

}  // namespace keymora::test
