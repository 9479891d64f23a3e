// The document window's tree, list and entry pane, driven by clicks and keys, and after session edits.
#include <QClipboard>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPixmap>
#include <QSignalSpy>
#include <QSplitter>
#include <QToolButton>
#include <QTreeView>

#include "ScriptedPrompt.h"
#include "TestDocumentHost.h"

using namespace keymora;
using namespace keymora::test;

namespace {

// The in-place editor open in the view, or nullptr.
QLineEdit* editor(QAbstractItemView* view) {
    for (QLineEdit* e : view->viewport()->findChildren<QLineEdit*>())
        if (e->isVisible()) return e;
    return nullptr;
}

EntryFields entryNamed(const char* name) {
    EntryFields f;
    f.resource = name;
    return f;
}

}  // namespace

class DocWindowTest : public QObject, private DocWindowFixture {
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(m_config.isValid()); }
    void init() { openSample(); }
    void cleanup() { closeSample(); }

    void treeShowsKindsAndTheSavedExpansion() {
        QTreeView* tree = m_w->treeView();
        auto* model = tree->model();
        QCOMPARE(rowTexts(tree), (QStringList{"Banking", "Other"}));
        const QModelIndex banking = model->index(0, 0);
        // Two sub-categories then three entries; the labels element is not a node.
        QCOMPARE(rowTexts(tree, banking), (QStringList{"Cards", "Loans", "Mail", "Bank", "Shop"}));
        // expanded="True" on both the category and its sub-category; absent leaves collapsed.
        QVERIFY(tree->isExpanded(banking));
        QVERIFY(tree->isExpanded(model->index(0, 0, banking)));
        QVERIFY(!tree->isExpanded(model->index(1, 0, banking)));
        QVERIFY(!tree->isExpanded(model->index(1, 0)));
        // Expanding and collapsing is remembered in the document, not as an edit.
        tree->collapse(banking);
        QCOMPARE(std::string(node(kBanking).attribute("expanded").value()), std::string("False"));
        QVERIFY(!session().dirty());
    }

    void launchButtonFollowsTheBrowser() {
        // Browser found after the window opened (start-up opens its file first): the button gets its icon.
        QPixmap picture(16, 16);
        picture.fill(Qt::red);
        m_host->icon = QIcon(picture);
        EntryPane* pane = m_w->entryPane();
        QVERIFY(clickTree(QStringLiteral("Mail")));
        QVERIFY(!pane->cmdLaunchBrowser->isHidden());
        QCOMPARE(pane->cmdLaunchBrowser->icon().pixmap(16, 16).toImage().pixelColor(8, 8), QColor(Qt::red));

        m_host->browser = false;
        QVERIFY(clickTree(QStringLiteral("Bank")));
        QVERIFY(clickTree(QStringLiteral("Mail")));
        QCOMPARE(pane->txtURL->text(), QStringLiteral("https://mail.example"));
        QVERIFY(pane->cmdLaunchBrowser->isHidden());
        // Nor does typing a URL bring it back.
        QVERIFY(clickTree(QStringLiteral("Shop")));
        QTest::keyClicks(pane->txtURL, "https://shop.example");
        QVERIFY(pane->cmdLaunchBrowser->isHidden());
    }

    // The status count is the list's rows, and both follow edits.
    void listShowsTheChildrenOfTheClickedNodeAndCountsTheirRows() {
        QVERIFY(clickTree(QStringLiteral("Banking")));
        QVERIFY(!m_w->entryPaneVisible());
        QVERIFY(m_w->listView()->isVisible());
        auto* list = m_w->listView()->model();
        QCOMPARE(rowTexts(m_w->listView()), (QStringList{"Bank", "Cards", "Loans", "Mail", "Shop"}));
        QCOMPARE(m_w->statusText(), QStringLiteral("5 Entries"));
        QCOMPARE(list->index(3, 1).data().toString(), QStringLiteral("alice"));
        QCOMPARE(list->index(3, 3).data().toString(), QStringLiteral("03/05/2021 01:02:03 PM"));

        QVERIFY(session().addEntry(kBanking, EntryPosition::Root, entryNamed("Zoo")).ok());
        QCOMPARE(m_w->statusText(), QStringLiteral("6 Entries"));
        QVERIFY(session().deleteNode(kBank).ok());
        QVERIFY(session().deleteNode(kCards).ok());
        QCOMPARE(m_w->statusText(), QStringLiteral("4 Entries"));
    }

    void slowSecondClickRenamesThroughTheSession() {
        QSignalSpy selection(m_w, &frmKMF::selectionChanged);
        QVERIFY(clickTree(QStringLiteral("Loans")));
        QVERIFY(!editor(m_w->treeView()));
        QTest::qWait(200);
        QVERIFY(clickTree(QStringLiteral("Loans")));
        QLineEdit* box = editor(m_w->treeView());
        QVERIFY(box);
        box->selectAll();
        QTest::keyClicks(box, QStringLiteral("Credit"));
        QTest::keyClick(box, Qt::Key_Return);  // the view commits from its event loop
        QTRY_COMPARE(QString::fromUtf8(node(kLoans).attribute("value").value()), QStringLiteral("Credit"));
        QCOMPARE(selection.last().at(0).value<NodeKind>(), NodeKind::SubCategory);
        QCOMPARE(selection.last().at(1).toString(), QStringLiteral("Credit"));

        // Other nodes in between, or a pause longer than 1.5 s, show the list instead.
        QVERIFY(clickTree(QStringLiteral("Cards")));
        QVERIFY(clickTree(QStringLiteral("Credit")));
        QVERIFY(clickTree(QStringLiteral("Cards")));
        QVERIFY(!editor(m_w->treeView()));
        QTest::qWait(1600);
        QVERIFY(clickTree(QStringLiteral("Cards")));
        QVERIFY(!editor(m_w->treeView()));
        QCOMPARE(rowTexts(m_w->listView()), QStringList{"Visa"});
    }

    void showingAnEntryFillsThePaneWithoutWriting() {
        const std::string modifiedBefore = field(kMail, "DateModified");
        QVERIFY(clickTree(QStringLiteral("Mail")));
        EntryPane* pane = m_w->entryPane();
        QVERIFY(m_w->entryPaneVisible());
        QCOMPARE(pane->txtResourceName->text(), QStringLiteral("Mail"));
        QCOMPARE(pane->txtUserName->text(), QStringLiteral("alice"));
        QCOMPARE(pane->txtPassword->text(), QStringLiteral("s3cret"));
        QCOMPARE(pane->txtPassword->echoMode(), QLineEdit::Password);
        QCOMPARE(pane->txtURL->text(), QStringLiteral("https://mail.example"));
        QCOMPARE(pane->txtNotes->toPlainText(), QStringLiteral("first line"));
        QCOMPARE(pane->lblNodeProperties(4)->text(), QStringLiteral("Date Created: 3/4/2021 10:11:12 AM"));
        // The entry's own labels ("resource" and "URL", any case) name its fields.
        QCOMPARE(pane->lblNodeProperties(0)->text(), QStringLiteral("Account"));
        QCOMPARE(pane->lblNodeProperties(6)->text(), QStringLiteral("Web"));
        QVERIFY(!pane->cmdCopyPassword->isHidden());
        QVERIFY(!pane->cmdLaunchBrowser->isHidden());
        QCOMPARE(field(kMail, "DateModified"), modifiedBefore);

        // A blank password hides the copy button; an entry without labels has the standard captions.
        QVERIFY(clickTree(QStringLiteral("Bank")));
        QCOMPARE(pane->txtPassword->text(), QStringLiteral("   "));
        QVERIFY(pane->cmdCopyPassword->isHidden());
        QVERIFY(pane->cmdLaunchBrowser->isHidden());
        QCOMPARE(pane->lblNodeProperties(0)->text(), QStringLiteral("Name"));
        QCOMPARE(pane->lblNodeProperties(6)->text(), QStringLiteral("URL"));
        QVERIFY(!session().dirty());
    }

    void typingWritesTheField() {
        QVERIFY(clickTree(QStringLiteral("Mail")));
        EntryPane* pane = m_w->entryPane();
        pane->txtUserName->setFocus();
        QTest::keyClick(pane->txtUserName, Qt::Key_End);
        QTest::keyClick(pane->txtUserName, Qt::Key_X);
        QCOMPARE(field(kMail, "userid"), std::string("alicex"));
        QVERIFY(session().dirty());
        // Typing back to the loaded text writes again.
        QTest::keyClick(pane->txtUserName, Qt::Key_Backspace);
        QCOMPARE(field(kMail, "userid"), std::string("alice"));
        QCOMPARE(pane->txtUserName->text(), QStringLiteral("alice"));
        // Each box goes to its own field; the name shows in the tree and the list.
        QTest::keyClicks(pane->txtPassword, QStringLiteral("!"));
        QTest::keyClicks(pane->txtURL, QStringLiteral("/x"));
        QTest::keyClicks(pane->txtNotes, QStringLiteral("+"));
        QCOMPARE(field(kMail, "password"), std::string("s3cret!"));
        QCOMPARE(field(kMail, "URL"), std::string("https://mail.example/x"));
        QCOMPARE(field(kMail, "notes"), std::string("+first line"));
        QCOMPARE(field(kBank, "userid"), std::string("bob"));
        pane->txtResourceName->selectAll();
        QTest::keyClicks(pane->txtResourceName, QStringLiteral("Webmail"));
        QCOMPARE(field(kMail, "resource"), std::string("Webmail"));
        QCOMPARE(m_w->treeView()->currentIndex().data().toString(), QStringLiteral("Webmail"));
        QVERIFY(rowTexts(m_w->listView()).contains(QStringLiteral("Webmail")));
    }

    void fieldsAreReadByPosition() {
        // An entry whose children carry other names is still read and written by position.
        node(kShop).child("userid").set_name("login");
        QVERIFY(clickTree(QStringLiteral("Shop")));
        QTest::keyClicks(m_w->entryPane()->txtUserName, QStringLiteral("zed"));
        QCOMPARE(field(kShop, "login"), std::string("zed"));
    }

    void dropOnNotes() {
        QVERIFY(clickTree(QStringLiteral("Mail")));
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
        QCOMPARE(prompt.messages().value(0).title, QStringLiteral("Data Format invalid"));
        QCOMPARE(field(kMail, "notes"), std::string("first line and more"));
    }

    // Taking it away again is tst_clipboard's.
    void copyButtonCopiesThePassword() {
        QVERIFY(clickTree(QStringLiteral("Mail")));
        QTest::mouseClick(m_w->entryPane()->cmdCopyPassword, Qt::LeftButton);
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("s3cret"));
        QVERIFY(!session().dirty());
    }

    void columnClickTogglesAndStoresTheSort() {
        QVERIFY(clickTree(QStringLiteral("Banking")));
        m_w->setListViewOfSelection(3);
        QHeaderView* header = m_w->listDetailsView()->header();
        const QPoint created(header->sectionViewportPosition(2) + header->sectionSize(2) / 2, header->height() / 2);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, created);
        QCOMPARE(std::string(node(kBanking).attribute("sortfield").value()), std::string("2"));
        QCOMPARE(std::string(node(kBanking).attribute("sortdirection").value()), std::string("1"));
        // Descending by creation date: dated entries first, undated rows last.
        auto* list = m_w->listView()->model();
        QCOMPARE(list->index(0, 2).data().toString(), QStringLiteral("03/04/2021 10:11:12 AM"));
        QCOMPARE(list->index(list->rowCount() - 1, 2).data().toString(), QString());
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, created);
        QCOMPARE(std::string(node(kBanking).attribute("sortdirection").value()), std::string("0"));
        // Coming back shows the stored sort.
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, created);
        QVERIFY(clickTree(QStringLiteral("Other")));
        QVERIFY(clickTree(QStringLiteral("Banking")));
        QCOMPARE(header->sortIndicatorSection(), 2);
        QCOMPARE(header->sortIndicatorOrder(), Qt::DescendingOrder);
        QVERIFY(!session().dirty());
    }

    // Each item gets room for its own name: two lines under a large icon, one in small icon and list modes.
    void longNamesGetTheirRoomInEveryIconMode() {
        QVERIFY(session().addEntry(kBanking, EntryPosition::Root, entryNamed("Northwind Books")).ok());
        QVERIFY(clickTree(QStringLiteral("Banking")));
        auto* view = m_w->listView();
        const QModelIndex longName = findRow(view, QStringLiteral("Northwind Books"));
        QVERIFY(longName.isValid());
        const QFontMetrics font = view->fontMetrics();
        m_w->setListViewOfSelection(0);
        QTest::qWait(20);
        QRect cell = view->visualRect(longName);
        QVERIFY(cell.width() > font.horizontalAdvance(QStringLiteral("Northwind")));
        QVERIFY(cell.height() >= view->iconSize().height() + 2 * font.height());
        for (const int mode : {1, 2}) {
            m_w->setListViewOfSelection(mode);
            QTest::qWait(20);
            cell = view->visualRect(longName);
            QVERIFY(cell.width() > view->iconSize().width() + font.horizontalAdvance(QStringLiteral("Northwind Books")));
        }
    }

    // Each level opens in its stored mode (else large icons); a first visit stores the sort, not dirty.
    void storedListModeIsAppliedPerLevel() {
        node(kBanking).append_attribute("listview") = "3";
        QVERIFY(clickTree(QStringLiteral("Banking")));
        QCOMPARE(m_w->listViewMode(), 3);
        QVERIFY(m_w->listDetailsView()->isVisible());
        QVERIFY(clickTree(QStringLiteral("Loans")));
        QCOMPARE(m_w->listViewMode(), 0);
        QVERIFY(!m_w->listDetailsView()->isVisible());
        QVERIFY(m_w->listView()->isVisible());
        QCOMPARE(std::string(node(kLoans).attribute("sortfield").value()), std::string("0"));
        m_w->setListViewOfSelection(1);
        QVERIFY(clickTree(QStringLiteral("Banking")));
        QCOMPARE(m_w->listViewMode(), 3);
        QVERIFY(clickTree(QStringLiteral("Loans")));
        QCOMPARE(m_w->listViewMode(), 1);
        QVERIFY(!session().dirty());
    }

    void reloadShowsTheSameNodeAgain() {
        QVERIFY(clickTree(QStringLiteral("Cards")));
        QVERIFY(session().reload().opened());
        QCOMPARE(m_w->selection().currentId(), std::string(kCards));
        QCOMPARE(m_w->treeView()->currentIndex().data().toString(), QStringLiteral("Cards"));
        QCOMPARE(rowTexts(m_w->listView()), QStringList{"Visa"});
        QVERIFY(m_w->treeView()->isExpanded(findRow(m_w->treeView(), QStringLiteral("Banking"))));
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
        QCOMPARE(prompt.messages().value(0).buttons, MsgButtons::AbortRetryIgnore);
        QVERIFY(prompt.messages().value(0).title.isEmpty());
    }

    void splitterPlaceIsStored() {
        m_w->resize(900, 500);
        auto* splitter = m_w->findChild<QSplitter*>(QStringLiteral("imgSplitter"));
        QVERIFY(splitter != nullptr);
        emit splitter->splitterMoved(200, 1);
        QCOMPARE(frmKMF::storedSplitterTwips(), 3000);
    }
};

QTEST_MAIN(DocWindowTest)
#include "tst_docwindow.moc"
