#pragma once
// A document host for the document-window tests, a sample document, and real clicks on rows.
#include <QAbstractItemView>
#include <QCoreApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QStringList>
#include <QTest>

#include <memory>
#include <string>

#include "OptionStore.h"
#include "ScriptedPrompt.h"
#include "app/DocumentLifecycle.h"
#include "app/ModMain.h"
#include "app/frmMain.h"
#include "docwindow/EntryPane.h"
#include "docwindow/NodeSelection.h"
#include "docwindow/frmKMF.h"
#include "session/DocumentSession.h"
#include "testsupport/DataFiles.h"
#include "ui/DocumentHost.h"

namespace keymora::test {

// A frame of document windows without the main window's menus.
class TestHost : public DocumentHost {
public:
    TestHost() { m_area.resize(1000, 700); m_area.show(); }
    ~TestHost() override {
        for (QMdiSubWindow* sub : m_area.subWindowList())
            if (auto* w = qobject_cast<frmKMF*>(sub->widget())) w->session().discardChanges();
        m_area.closeAllSubWindows();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    QMdiArea* mdiArea() override { return &m_area; }
    QMdiSubWindow* addWindow(QWidget* window) override { return m_area.addSubWindow(window); }
    QWidget* dialogParent() override { return &m_area; }
    int nextDocumentNumber() override { return ++m_counter; }
    bool canShutDown() const override { return shutDown; }
    void setCanShutDown(bool value) override { shutDown = value; }
    void addToMru(const QString&) override {}
    void refreshMruList() override {}
    // The program's own save and close prompt, so closing and auto-save behave as in it.
    bool saveDocument(frmKMF& window) override { return SaveCommand(*this, window); }
    bool queryCloseDocument(frmKMF& window) override { return QueryCloseDocument(*this, window); }
    void documentOpened(frmKMF&) override { ++openCount; }
    void documentClosed(frmKMF&) override { --openCount; }
    bool browserAvailable() const override { return browser; }
    QIcon browserIcon() const override { return icon; }

    // Open windows (closed ones are hidden until deleted).
    QList<frmKMF*> windows() {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QList<frmKMF*> list;
        for (QMdiSubWindow* sub : m_area.subWindowList(QMdiArea::CreationOrder))
            if (!sub->isHidden())
                if (auto* w = qobject_cast<frmKMF*>(sub->widget())) list << w;
        return list;
    }

    bool shutDown = true;
    int openCount = 0;
    bool browser = true;
    QIcon icon;

private:
    QMdiArea m_area;
    int m_counter = 0;
};

// A window on the session, shown in the host's frame as the program shows it.
inline frmKMF* showWindow(TestHost& host, std::unique_ptr<DocumentSession> session,
                          const QString& untitledName = {}) {
    auto* window = new frmKMF(&host, std::move(session), untitledName);
    host.addWindow(window)->show();
    return window;
}

// The nodes of sampleXml().
inline constexpr const char* kMail = "{E0000000-0000-0000-0000-000000000001}";
inline constexpr const char* kBank = "{E0000000-0000-0000-0000-000000000002}";
inline constexpr const char* kShop = "{E0000000-0000-0000-0000-000000000003}";
inline constexpr const char* kVisa = "{E0000000-0000-0000-0000-000000000009}";
inline constexpr const char* kBanking = "{C0000000-0000-0000-0000-000000000001}";
inline constexpr const char* kOther = "{C0000000-0000-0000-0000-000000000002}";
inline constexpr const char* kCards = "{50000000-0000-0000-0000-000000000001}";
inline constexpr const char* kLoans = "{50000000-0000-0000-0000-000000000002}";

// One category with a labels element, two sub-categories (the first with an entry), three entries.
inline std::string sampleXml(const char* filetype = "private") {
    return std::string("<?xml version='1.0' encoding='iso-8859-1' ?>"
                       "<datafile version=\"1.5\" DateModified=\"1/2/2020 3:04:05 PM\" filetype=\"") +
           filetype +
           "\"><records>"
           "<category id=\"{C0000000-0000-0000-0000-000000000001}\" type=\"category\" value=\"Banking\" expanded=\"True\">"
           "<labels><label associated_tag=\"resource\" value=\"Bank\"/></labels>"
           "<subcategory id=\"{50000000-0000-0000-0000-000000000001}\" type=\"subcategory\" value=\"Cards\" expanded=\"True\">"
           "<record_detail id=\"{E0000000-0000-0000-0000-000000000009}\" type=\"entry\"><resource>Visa</resource><userid>me</userid><password>1234</password><notes/><DateCreated>1/1/2020 1:00:00 AM</DateCreated><DateModified>1/1/2020 1:00:00 AM</DateModified><URL/></record_detail>"
           "</subcategory>"
           "<subcategory id=\"{50000000-0000-0000-0000-000000000002}\" type=\"subcategory\" value=\"Loans\"/>"
           "<record_detail id=\"{E0000000-0000-0000-0000-000000000001}\" type=\"entry\"><resource>Mail</resource><userid>alice</userid><password>s3cret</password><notes>first line</notes><DateCreated>3/4/2021 10:11:12 AM</DateCreated><DateModified>3/5/2021 1:02:03 PM</DateModified><URL>https://mail.example</URL>"
           "<labels><label associated_tag=\"resource\" value=\"Account\"/><label associated_tag=\"URL\" value=\"Web\"/></labels></record_detail>"
           "<record_detail id=\"{E0000000-0000-0000-0000-000000000002}\" type=\"entry\"><resource>Bank</resource><userid>bob</userid><password>   </password><notes/><DateCreated>3/4/2021 10:11:12 AM</DateCreated><DateModified>3/4/2021 10:11:12 AM</DateModified><URL></URL></record_detail>"
           "<record_detail id=\"{E0000000-0000-0000-0000-000000000003}\" type=\"entry\"><resource>Shop</resource><userid/><password>pw</password><notes/><DateCreated/><DateModified/><URL/></record_detail>"
           "</category>"
           "<category id=\"{C0000000-0000-0000-0000-000000000002}\" type=\"category\" value=\"Other\"/>"
           "</records></datafile>";
}

// The row of the view whose text is `name`, searched at any depth.
inline QModelIndex findRow(QAbstractItemView* view, const QString& name) {
    const QModelIndexList hits = view->model()->match(view->model()->index(0, 0), Qt::DisplayRole, name, 1,
                                                      Qt::MatchExactly | Qt::MatchRecursive);
    return hits.isEmpty() ? QModelIndex() : hits.first();
}

// False when no row shows the name.
inline bool clickRow(QAbstractItemView* view, const QString& name) {
    const QModelIndex index = findRow(view, name);
    if (!index.isValid()) return false;
    view->scrollTo(index);
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(index).center());
    QTest::qWait(20);
    return true;
}

// The names of the node's categories, sub-categories and entries, in order.
inline QStringList treeChildNames(pugi::xml_node parent) {
    QStringList names;
    for (pugi::xml_node c = parent.first_child(); c; c = c.next_sibling())
        if (IsTreeNode(c)) names << QString::fromUtf8(NodeName(c));
    return names;
}

// The texts of the view's rows under `parent` (column 0), in order.
inline QStringList rowTexts(QAbstractItemView* view, const QModelIndex& parent = {}) {
    QStringList texts;
    for (int r = 0; r < view->model()->rowCount(parent); ++r)
        texts << view->model()->index(r, 0, parent).data().toString();
    return texts;
}

// The sample under "user" / "Secret" in a test host's window; Auto Save off unless turned on.
class DocWindowFixture {
protected:
    TestSettings m_config;
    std::unique_ptr<TempDir> m_dir;
    std::unique_ptr<TestHost> m_host;
    frmKMF* m_w = nullptr;
    QString m_path;

    void openSample() {
        TestSettings::startSeeded();
        putOption("Auto Save Changes", "0");
        m_dir = std::make_unique<TempDir>();
        m_path = QString::fromStdString(writeSample("sample.kmf"));
        m_host = std::make_unique<TestHost>();
        auto session = openSession(m_path.toStdString(), "user", "Secret");
        QVERIFY(session);
        m_w = showWindow(*m_host, std::move(session));
    }
    void closeSample() {
        m_host.reset();
        m_w = nullptr;
        m_dir.reset();
    }

    // Another copy of the sample in the test's folder, and a window on it.
    std::string writeSample(const char* name, const char* filetype = "private") {
        const std::string path = m_dir->file(name);
        writeDataFile(path, sampleXml(filetype), "user", "Secret");
        return path;
    }
    frmKMF* openWindow(const std::string& path) { return showWindow(*m_host, openSession(path, "user", "Secret")); }

    DocumentSession& session() { return m_w->session(); }
    pugi::xml_node node(const char* id) { return session().doc().nodeById(id); }
    std::string field(const char* id, const char* name) { return node(id).child(name).child_value(); }
    bool clickTree(const QString& name) { return clickRow(m_w->treeView(), name); }
    bool clickList(const QString& name) { return clickRow(m_w->listView(), name); }
};

// Main-window tests: seeded settings, Auto Save off, a fresh folder, the sample opened as File > Open does.
class MainWindowFixture {
protected:
    TestSettings m_config;
    std::unique_ptr<TempDir> m_dir;

    void startFresh() {
        TestSettings::startSeeded();
        putOption("Auto Save Changes", "0");
        m_dir = std::make_unique<TempDir>();
        keymora::OpenDocumentCount() = 0;  // program-wide, as in a run
    }
    frmKMF* openSample(frmMain& main, ScriptedPrompt& prompt, const char* name = "sample.kmf") {
        const std::string path = m_dir->file(name);
        writeDataFile(path, sampleXml(), "user", "Secret");
        prompt.expectCredentials(Credentials{QStringLiteral("user"), QStringLiteral("Secret")});
        return OpenDataFile(main, QString::fromStdString(path)) ? main.activeDocument() : nullptr;
    }
};

}  // namespace keymora::test
