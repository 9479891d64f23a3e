// The document window: tree, list, entry pane and field editing.
#include <QApplication>
#include <QClipboard>
#include <QGroupBox>
#include <QHeaderView>
#include <QSplitter>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QToolButton>
#include <QTreeView>
#include <QtTest/QtTest>

#include "OptionStore.h"
#include "ScriptedPrompt.h"
#include "TestDocumentHost.h"
#include "app/DocumentLifecycle.h"
#include "docwindow/DocListModel.h"
#include "docwindow/DocTreeModel.h"
#include "docwindow/EntryPane.h"
#include "docwindow/frmKMF.h"
#include "document/ModXml.h"
#include "support/ClsReg.h"
#include "testsupport/TempDir.h"

using namespace keymora;
using namespace keymora::test;

namespace {

constexpr const char* kMail = "{E0000000-0000-0000-0000-000000000001}";
constexpr const char* kBank = "{E0000000-0000-0000-0000-000000000002}";
constexpr const char* kShop = "{E0000000-0000-0000-0000-000000000003}";
constexpr const char* kVisa = "{E0000000-0000-0000-0000-000000000009}";
constexpr const char* kBanking = "{C0000000-0000-0000-0000-000000000001}";
constexpr const char* kCards = "{50000000-0000-0000-0000-000000000001}";
constexpr const char* kLoans = "{50000000-0000-0000-0000-000000000002}";

std::uint32_t g_tick = 1000;

// True while an in-place editor is open in the view.
bool editing(QAbstractItemView* view) {
    for (QLineEdit* e : view->viewport()->findChildren<QLineEdit*>())
        if (e->isVisible()) return true;
    return false;
}
std::uint32_t fakeTick() { return g_tick; }

}  // namespace

class DocWindowTest : public QObject {
    Q_OBJECT

    TestSettings m_config;
    std::unique_ptr<TestHost> m_host;
    frmKMF* m_w = nullptr;

    pugi::xml_node node(const char* id) { return m_w->XMLDoc().nodeById(id); }
    std::string field(const char* id, const char* name) { return node(id).child(name).child_value(); }
    void setOption(const char* name, const char* value) {
        clsReg().WriteString(RegRoot::CurrentUser, kOptionsKey, name, value);
    }

private slots:
    void initTestCase() { QVERIFY(m_config.isValid()); }

    void init() {
        TestSettings::startSeeded();
        // The window names a file it never wrote: only the auto-save test saves.
        setOption("Auto Save Changes", "0");
        m_host = std::make_unique<TestHost>();
        m_w = new frmKMF(m_host.get());
        m_host->addWindow(m_w)->show();
        m_w->setDocument(parseDoc(sampleXml()));
        m_w->setCaption(QStringLiteral("/tmp/sample.kmf"));
        m_w->setTitleLabels(QStringLiteral("Single User Private File"),
                            QStringLiteral("Read/Write Capable"), false);
        m_w->ParseAndLoadXMLFile();
        frmKMF::tickCount = &fakeTick;
    }

    void cleanup() {
        m_w->IsDirty = false;
        m_host.reset();
        m_w = nullptr;
    }

    void treeShowsKindsKeysAndSavedExpansion() {
        QTreeView* tree = m_w->treeView();
        auto* model = tree->model();
        QCOMPARE(model->rowCount(), 2);
        const QModelIndex banking = model->index(0, 0);
        QCOMPARE(banking.data().toString(), QStringLiteral("Banking"));
        QCOMPARE(banking.data(DocTreeModel::IdRole).toString(), QString::fromLatin1(kBanking));
        QCOMPARE(banking.data(DocTreeModel::TagRole).toString(), QStringLiteral("category"));
        // Two sub-categories then three entries; the labels element is not a node.
        QCOMPARE(model->rowCount(banking), 5);
        QCOMPARE(model->index(0, 0, banking).data().toString(), QStringLiteral("Cards"));
        QCOMPARE(model->index(2, 0, banking).data().toString(), QStringLiteral("Mail"));
        QCOMPARE(model->index(2, 0, banking).data(DocTreeModel::TagRole).toString(), QStringLiteral("entry"));
        // expanded="True" on both the category and its sub-category; absent leaves collapsed.
        QVERIFY(tree->isExpanded(banking));
        QVERIFY(tree->isExpanded(model->index(0, 0, banking)));
        QVERIFY(!tree->isExpanded(model->index(1, 0, banking)));
        QVERIFY(!tree->isExpanded(model->index(1, 0)));
        // Expanding and collapsing is remembered in the document.
        tree->collapse(banking);
        QCOMPARE(std::string(node(kBanking).attribute("expanded").value()), std::string("False"));
        QVERIFY(!m_w->IsDirty);
    }

    void selectingACategoryListsItsChildren() {
        m_w->NodeClick(kBanking);
        QVERIFY(!m_w->entryPaneVisible());
        // Every XML child counts, the labels element too.
        QCOMPARE(m_w->statusText(), QStringLiteral("6 Entries"));
        auto* list = m_w->listView()->model();
        QCOMPARE(list->rowCount(), 5);
        QCOMPARE(list->headerData(1, Qt::Horizontal).toString(), QStringLiteral("User ID"));
        QCOMPARE(list->index(2, 0).data().toString(), QStringLiteral("Mail"));
        QCOMPARE(list->index(2, 1).data().toString(), QStringLiteral("alice"));
        QCOMPARE(list->index(2, 2).data().toString(), QStringLiteral("03/04/2021 10:11:12 AM"));
        QCOMPARE(list->index(2, 3).data().toString(), QStringLiteral("03/05/2021 01:02:03 PM"));
        QCOMPARE(list->index(0, 1).data().toString(), QString());  // sub-categories fill one column
        QCOMPARE(m_w->selectedTreeNodeId(), std::string(kBanking));
    }

    void clickingTheSameCategoryAgainSoonStartsRenaming() {
        QSignalSpy spy(m_w, &frmKMF::selectionKindChanged);
        g_tick = 0xFFFFFF00u;  // the tick counter wraps between the clicks
        m_w->NodeClick(kLoans);
        QVERIFY(!editing(m_w->treeView()));
        g_tick = 0x00000100u;  // 512 ms later
        m_w->NodeClick(kLoans);
        QVERIFY(editing(m_w->treeView()));
        QCOMPARE(spy.size(), 2);
        QCOMPARE(spy.at(0).at(0).value<NodeKind>(), NodeKind::SubCategory);

        // After 1500 ms, or after another node, the list is shown again instead.
        for (QLineEdit* e : m_w->treeView()->viewport()->findChildren<QLineEdit*>())
            QTest::keyClick(e, Qt::Key_Escape);
        QVERIFY(!editing(m_w->treeView()));
        g_tick = 10000;
        m_w->NodeClick(kCards);
        g_tick = 10100;
        m_w->NodeClick(kLoans);
        g_tick = 10200;
        m_w->NodeClick(kCards);
        QVERIFY(!editing(m_w->treeView()));
        QCOMPARE(m_w->listView()->model()->rowCount(), 1);
        g_tick = 11800;
        m_w->NodeClick(kCards);
        QVERIFY(!editing(m_w->treeView()));
        QCOMPARE(m_w->listView()->model()->rowCount(), 1);
    }

    void showingAnEntryFillsThePaneWithoutWriting() {
        const std::string modifiedBefore = field(kMail, "DateModified");
        m_w->NodeClick(kMail);
        EntryPane* pane = m_w->entryPane();
        QVERIFY(m_w->entryPaneVisible());
        QCOMPARE(pane->txtResourceName->text(), QStringLiteral("Mail"));
        QCOMPARE(pane->txtUserName->text(), QStringLiteral("alice"));
        QCOMPARE(pane->txtPassword->text(), QStringLiteral("s3cret"));
        QCOMPARE(pane->txtPassword->echoMode(), QLineEdit::Password);
        QCOMPARE(pane->txtURL->text(), QStringLiteral("https://mail.example"));
        QCOMPARE(pane->txtNotes->toPlainText(), QStringLiteral("first line"));
        QCOMPARE(pane->lblNodeProperties(4)->text(), QStringLiteral("Date Created: 3/4/2021 10:11:12 AM"));
        QCOMPARE(pane->lblNodeProperties(5)->text(), QStringLiteral("Date Last Modified: 3/5/2021 1:02:03 PM"));
        // Labels: "resource" and "URL" (compared in lower case) relabelled.
        QCOMPARE(pane->lblNodeProperties(0)->text(), QStringLiteral("Account"));
        QCOMPARE(pane->lblNodeProperties(6)->text(), QStringLiteral("Web"));
        QCOMPARE(pane->lblNodeProperties(1)->text(), QStringLiteral("User Name"));
        QVERIFY(!pane->cmdCopyPassword->isHidden());
        QVERIFY(!pane->cmdLaunchBrowser->isHidden());
        QCOMPARE(field(kMail, "DateModified"), modifiedBefore);
        QVERIFY(!m_w->IsDirty);
        QVERIFY(!m_w->caption().endsWith(QStringLiteral(" - *")));

        // A blank password hides the copy button; no labels bring the standard captions back.
        node(kBank).child("password").text().set("   ");
        m_w->NodeClick(kBank);
        QCOMPARE(pane->txtPassword->text(), QStringLiteral("   "));
        QVERIFY(pane->cmdCopyPassword->isHidden());
        QVERIFY(pane->cmdLaunchBrowser->isHidden());
        QCOMPARE(pane->lblNodeProperties(0)->text(), QStringLiteral("Name"));
        QCOMPARE(pane->lblNodeProperties(6)->text(), QStringLiteral("URL"));
        QVERIFY(!m_w->IsDirty);
    }

    void editingAFieldWritesItAndStampsTheEntry() {
        m_w->NodeClick(kMail);
        EntryPane* pane = m_w->entryPane();
        pane->txtUserName->setFocus();
        QTest::keyClick(pane->txtUserName, Qt::Key_X);
        QCOMPARE(field(kMail, "userid"), std::string("alicex"));
        const std::string stamped = field(kMail, "DateModified");
        QVERIFY(stamped != "3/5/2021 1:02:03 PM");
        QVERIFY(!stamped.empty());
        QVERIFY(m_w->IsDirty);
        QCOMPARE(m_w->caption(), QStringLiteral("/tmp/sample.kmf - *"));
        // Typing back to the loaded text writes again (compared with the loaded value).
        node(kMail).child("DateModified").text().set("old");
        QTest::keyClick(pane->txtUserName, Qt::Key_Backspace);
        QCOMPARE(field(kMail, "userid"), std::string("alice"));
        QVERIFY(field(kMail, "DateModified") != "old");
        QCOMPARE(m_w->caption(), QStringLiteral("/tmp/sample.kmf - *"));
        // Other fields go to their own positions.
        pane->txtPassword->setText(QStringLiteral("n3w"));
        pane->txtURL->setText(QStringLiteral("https://x.example"));
        pane->txtNotes->setPlainText(QStringLiteral("two\nlines"));
        QCOMPARE(field(kMail, "password"), std::string("n3w"));
        QCOMPARE(field(kMail, "URL"), std::string("https://x.example"));
        QCOMPARE(field(kMail, "notes"), std::string("two\nlines"));
        QCOMPARE(field(kBank, "userid"), std::string("bob"));
        // Renaming through the name field changes the tree's text.
        pane->txtResourceName->setText(QStringLiteral("Webmail"));
        QCOMPARE(field(kMail, "resource"), std::string("Webmail"));
        QCOMPARE(m_w->treeView()->currentIndex().data().toString(), QStringLiteral("Webmail"));
    }

    void entryWithFieldsOutOfNameOrderIsReadByPosition() {
        // An entry whose children carry other names is still read by position.
        pugi::xml_node shop = node(kShop);
        shop.child("userid").set_name("login");
        m_w->NodeClick(kShop);
        m_w->entryPane()->txtUserName->setText(QStringLiteral("zed"));
        QCOMPARE(std::string(shop.child("login").child_value()), std::string("zed"));
    }

    void dropOnNotes() {
        m_w->NodeClick(kMail);
        NotesEdit* notes = m_w->entryPane()->txtNotes;
        QMimeData text;
        text.setText(QStringLiteral(" and more"));
        QVERIFY(notes->dropData(&text));
        QCOMPARE(field(kMail, "notes"), std::string("first line and more"));
        ScriptedPrompt prompt;
        prompt.expectMessageContaining(QStringLiteral("Invalid drag/drop operation"));
        QMimeData files;
        files.setUrls({QUrl::fromLocalFile(QStringLiteral("/tmp/x.txt"))});
        files.removeFormat(QStringLiteral("text/plain"));
        QVERIFY(!notes->dropData(&files));
        KM_VERIFY_SCRIPT(prompt);
        QCOMPARE(prompt.messageTitles().value(0), QStringLiteral("Data Format invalid"));
        QCOMPARE(field(kMail, "notes"), std::string("first line and more"));
    }

    void copyButtonPutsThePasswordThereForTheTimeout() {
        setOption("clipboard timeout", "300");
        QGuiApplication::clipboard()->setText(QStringLiteral("earlier"));
        m_w->NodeClick(kMail);
        QString during;
        QTimer::singleShot(100, [&] { during = QGuiApplication::clipboard()->text(); });
        QElapsedTimer clock;
        clock.start();
        m_w->entryPane()->cmdCopyPassword->click();
        QVERIFY(clock.elapsed() >= 290);
        QCOMPARE(during, QStringLiteral("s3cret"));
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("earlier"));
        QVERIFY(!m_w->IsDirty);
        setOption("clipboard timeout", "2000");
    }

    void readOnlyDocumentNeverBecomesDirty() {
        m_w->setTitleLabels(QStringLiteral("Multi User Shared File (Read Only)"), QStringLiteral("Read Only"), true);
        m_w->ReadOnlyFile = true;
        QSignalSpy status(m_w, &frmKMF::mainStatusText);
        m_w->NodeClick(kMail);
        m_w->entryPane()->txtUserName->setText(QStringLiteral("other"));
        QCOMPARE(field(kMail, "userid"), std::string("other"));  // the edit reaches the document
        QVERIFY(!m_w->IsDirty);
        QCOMPARE(m_w->caption(), QStringLiteral("/tmp/sample.kmf"));
        QCOMPARE(status.last().at(0).toString(), QStringLiteral("read only"));
    }

    void autoSaveSavesAtOnceButNotANewDocument() {
        TempDir dir;
        const QString path = QString::fromStdString(dir.file("auto.kmf"));
        writeDataFile(path, m_w->XMLDoc(), "u", "p");
        m_w->setCaption(path);
        m_w->gsUserID = "u";
        m_w->gsUserPassword = "p";
        setOption("Auto Save Changes", "1");
        const std::string before = readFile(path.toStdString());
        m_w->NodeClick(kMail);
        m_w->entryPane()->txtUserName->setText(QStringLiteral("saved"));
        QVERIFY(!m_w->IsDirty);
        QCOMPARE(m_w->caption(), path);
        QVERIFY(readFile(path.toStdString()) != before);
        // A never-saved document is marked as usual.
        m_w->setCaption(QStringLiteral("Document 1"));
        m_w->setTag(QStringLiteral("SAVE REQUIRED"));
        m_w->entryPane()->txtUserName->setText(QStringLiteral("again"));
        QVERIFY(m_w->IsDirty);
        QCOMPARE(m_w->caption(), QStringLiteral("Document 1 - *"));
        setOption("Auto Save Changes", "0");
    }

    void listColumnClickTogglesAndStoresTheSort() {
        m_w->NodeClick(kBanking);
        auto* header = m_w->listView()->header();
        emit header->sectionClicked(2);
        QCOMPARE(std::string(node(kBanking).attribute("sortfield").value()), std::string("2"));
        QCOMPARE(std::string(node(kBanking).attribute("sortdirection").value()), std::string("1"));
        QVERIFY(!std::string(node(kBanking).attribute("col1width").value()).empty());
        // Descending by creation date: dated entries first, undated rows last.
        auto* list = m_w->listView()->model();
        QCOMPARE(list->index(0, 2).data().toString(), QStringLiteral("03/04/2021 10:11:12 AM"));
        QCOMPARE(list->index(list->rowCount() - 1, 2).data().toString(), QString());
        emit header->sectionClicked(2);
        QCOMPARE(std::string(node(kBanking).attribute("sortdirection").value()), std::string("0"));
        // Coming back shows the stored sort.
        emit header->sectionClicked(2);
        m_w->NodeClick(kLoans);
        m_w->NodeClick(kBanking);
        QCOMPARE(header->sortIndicatorSection(), 2);
        QCOMPARE(header->sortIndicatorOrder(), Qt::DescendingOrder);
        QVERIFY(!m_w->IsDirty);
    }

    void rebuildingOneBranchShowsNewChildren() {
        pugi::xml_node loans = node(kLoans);
        pugi::xml_node added = loans.append_child("record_detail");
        added.append_attribute("id") = "{E0000000-0000-0000-0000-0000000000AA}";
        added.append_attribute("type") = "entry";
        added.append_child("resource").text().set("Mortgage");
        m_w->ParseSubCategory(loans);
        auto* model = m_w->treeView()->model();
        const QModelIndex loansIndex = model->index(1, 0, model->index(0, 0));
        QCOMPARE(model->rowCount(loansIndex), 1);
        QCOMPARE(model->index(0, 0, loansIndex).data().toString(), QStringLiteral("Mortgage"));
    }

    void procedureErrorDialogRetriesIgnoresAndAborts() {
        ScriptedPrompt prompt;
        int calls = 0;
        prompt.expectMessageContaining(QStringLiteral("Error: 7 boom\r\nErl3\r\n\r\nfrmKMF.LoadListView"), MsgAnswer::Retry);
        QVERIFY(m_w->runStep("frmKMF.LoadListView", 3, [&] {
            if (++calls == 1) throw KmError(7, "t", "boom");
        }));
        QCOMPARE(calls, 2);
        prompt.expectMessageContaining(QStringLiteral("frmKMF.DisplayEntry"), MsgAnswer::Ignore);
        QVERIFY(m_w->runStep("frmKMF.DisplayEntry", 1, [] { throw KmError(5, "t", "x"); }));
        prompt.expectMessageContaining(QStringLiteral("frmKMF.DisplayEntry"), MsgAnswer::Abort);
        QVERIFY(!m_w->runStep("frmKMF.DisplayEntry", 1, [] { throw KmError(5, "t", "x"); }));
        KM_VERIFY_SCRIPT(prompt);
        QCOMPARE(prompt.messageButtons().value(0), MsgButtons::AbortRetryIgnore);
        QVERIFY(prompt.messageTitles().value(0).isEmpty());
    }

    void unknownIdsChangeNothing() {
        m_w->NodeClick(kBanking);
        const int rows = m_w->listView()->model()->rowCount();
        m_w->LoadListView("{00000000-0000-0000-0000-000000000000}");
        m_w->DisplayEntry("{00000000-0000-0000-0000-000000000000}");
        QCOMPARE(m_w->listView()->model()->rowCount(), rows);
        QVERIFY(!m_w->entryPaneVisible());
    }

    void closingWipesCredentialsAndDocument() {
        m_w->gsUserID = "user";
        m_w->gsUserPassword = "secret";
        m_w->NodeClick(kVisa);
        m_w->releaseEverything();
        QVERIFY(m_w->gsUserID.empty());
        QVERIFY(m_w->gsUserPassword.empty());
        QVERIFY(!m_w->XMLDoc().datafile());
        QVERIFY(m_w->entryPane()->txtPassword->text().isEmpty());
        QCOMPARE(m_w->treeView()->model()->rowCount(), 0);
    }

    void coverStaysUntilTheRightCredentialsAreGiven() {
        m_w->gsUserID = "user";
        m_w->gsUserPassword = "Secret";
        m_w->LockFileDisplay();
        QVERIFY(m_w->displayLocked());
        ScriptedPrompt prompt;
        prompt.expectCredentials(std::nullopt);
        QVERIFY(!m_w->UnlockFileDisplay());
        prompt.expectCredentials(Credentials{QStringLiteral("user"), QStringLiteral("secret")});  // case differs
        prompt.expectMessageContaining(QStringLiteral("File Failed to decrypt.  Invalid User Name/Password combination."));
        QVERIFY(!m_w->UnlockFileDisplay());
        QVERIFY(m_w->displayLocked());
        QCOMPARE(prompt.messageIcons().value(0), MsgIcon::Exclamation);
        prompt.expectCredentials(Credentials{QStringLiteral("  user "), QStringLiteral("Secret")});
        QVERIFY(m_w->UnlockFileDisplay());
        QVERIFY(!m_w->displayLocked());
        QCOMPARE(prompt.loginTexts().value(0),
                 QStringLiteral("Enter the User Name and \r\nPassword to UN-Lock \r\nsample.kmf"));
        KM_VERIFY_SCRIPT(prompt);
    }

    void storedListModeIsApplied() {
        modXml::SetNodeAttribute(node(kBanking), "listview", "0");
        m_w->NodeClick(kBanking);
        QCOMPARE(m_w->listViewMode(), 0);
        m_w->NodeClick(kLoans);
        QCOMPARE(m_w->listViewMode(), 3);
        m_w->setListViewMode(2);
        QCOMPARE(m_w->listViewMode(), 2);
    }

    void splitterIsKeptWithinLimitsAndStored() {
        m_w->resize(900, 500);
        m_w->SizeControls(100);  // closer than 1500 twips: the tree keeps 100 px
        QVERIFY(m_w->treeView()->parentWidget()->width() >= 100);
        QCOMPARE(frmKMF::storedSplitterTwips(), 1965);
        auto* splitter = m_w->findChild<QSplitter*>(QStringLiteral("imgSplitter"));
        QVERIFY(splitter != nullptr);
        emit splitter->splitterMoved(200, 1);
        QCOMPARE(frmKMF::storedSplitterTwips(), 3000);
        QVERIFY(clsReg().KeyExist(RegRoot::CurrentUser, std::string(kOptionsKey) + "\\Splitter"));
    }
};

QTEST_MAIN(DocWindowTest)
#include "tst_docwindow.moc"
