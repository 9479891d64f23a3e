// The main window: which commands are offered with and without documents,
// the edit menu naming the selected node, recent files, placement in twips,
// lock timers on minimise, toggles, and commands on the active document.
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTest>
#include <QToolBar>
#include <QToolButton>

#include <algorithm>

#include "OptionStore.h"
#include "ScriptedPrompt.h"
#include "app/DocumentLifecycle.h"
#include "app/ModMain.h"
#include "app/frmMain.h"
#include "docwindow/NodeSelection.h"
#include "docwindow/frmKMF.h"
#include "session/DocumentSession.h"
#include "document/NodeKind.h"
#include "document/XmlDoc.h"
#include "support/ClsReg.h"

using namespace keymora;
using keymora::test::ScriptedPrompt;
using keymora::test::TestSettings;
using keymora::test::option;
using keymora::test::putOption;

namespace {

// Commands that act on a document: offered only while one is open.
constexpr const char* kDocumentMenuItems[] = {"mnuFileClose", "mnuFileSave", "mnuFileSaveAs",
                                              "mnuFileSaveAll", "mnuFileChangePassword",
                                              "mnuWindow"};
constexpr const char* kDocumentButtons[] = {"Save", "Sort Asc", "Sort Desc", "Unlock Password"};

std::string mru(const std::string& name) {
    return clsReg().ReadString(RegRoot::CurrentUser, kMruKey, name, "<absent>");
}

QStringList mruList() {
    QStringList list;
    const int n = std::stoi(mru("MRUNumber"));
    for (int i = 1; i <= n; ++i) list << QString::fromStdString(mru("File" + std::to_string(i)));
    return list;
}

void setMru(const QStringList& files) {
    clsReg reg;
    reg.WriteString(RegRoot::CurrentUser, kMruKey, "MRUNumber", std::to_string(files.size()));
    for (int i = 0; i < files.size(); ++i)
        reg.WriteString(RegRoot::CurrentUser, kMruKey, "File" + std::to_string(i + 1),
                        files[i].toStdString());
}

QStringList boxItems(const QComboBox* box) {
    QStringList items;
    for (int i = 0; i < box->count(); ++i) items << box->itemText(i);
    return items;
}

// True when the item's caption names the node, quoted.
bool names(const QAction* item, const QString& node) {
    return item->text().contains(QLatin1Char('"') + node + QLatin1Char('"'));
}

QString nodeName(pugi::xml_node node) { return QString::fromUtf8(node.attribute("value").value()); }

}  // namespace

class MainWindowTest : public QObject {
    Q_OBJECT
private:
    TestSettings m_config;

    frmKMF* newDocument(frmMain& main, ScriptedPrompt& prompt) {
        prompt.expectCredentials(Credentials{QStringLiteral("user"), QStringLiteral("secret")});
        return NewDocumentCommand(main);
    }

    static void verifyDocumentCommandsShown(const frmMain& main, bool shown) {
        QCOMPARE(main.DocumentCommandsShown(), shown);
        for (const char* name : kDocumentMenuItems)
            QVERIFY2(main.menuItem(QString::fromLatin1(name))->isVisible() == shown, name);
        for (const char* key : kDocumentButtons)
            QVERIFY2(main.toolbarButton(QString::fromLatin1(key))->isVisible() == shown, key);
        // New and Open are always offered.
        for (const char* name : {"mnuFileNew", "mnuFileOpen", "mnuFileExit"}) {
            QVERIFY2(main.menuItem(QString::fromLatin1(name))->isVisible(), name);
            QVERIFY2(main.menuItem(QString::fromLatin1(name))->isEnabled(), name);
        }
        QVERIFY(main.toolbarButton(QStringLiteral("New"))->isEnabled());
        QVERIFY(main.toolbarButton(QStringLiteral("Open"))->isEnabled());
        QVERIFY(main.cmdOpenMRU()->isEnabled());
    }

private slots:
    void initTestCase() {
        QVERIFY(m_config.isValid());
        qputenv("HOME", m_config.path().toUtf8());
    }
    void init() {
        TestSettings::startSeeded();
        // Program-wide, as in a run; each test starts a fresh main window.
        keymora::OpenDocumentCount() = 0;
    }

    void noDocumentState() {
        frmMain main;
        verifyDocumentCommandsShown(main, false);
        QVERIFY(!main.menuItem(QStringLiteral("mnuEdit"))->isVisible());
        for (const char* key : {"Delete", "UpLevel", "View Large Icons", "View Details"})
            QVERIFY2(!main.toolbarButton(QString::fromLatin1(key))->isEnabled(), key);

        // Reached anyway (a shortcut, a script), document commands do nothing.
        ScriptedPrompt prompt;
        for (const char* name : {"mnuFileClose", "mnuFileSave", "mnuFileSaveAs", "mnuFileSaveAll",
                                 "mnuFileChangePassword", "mnuDeleteItem", "mnuEditSortAsc",
                                 "mnuEditSortDesc", "mnuAddCategory", "mnuAddSubCategory"})
            main.menuItem(QString::fromLatin1(name))->trigger();
        for (const char* key : {"Save", "Delete", "Sort Asc", "Unlock Password", "UpLevel",
                                "View List"})
            main.toolbarButton(QString::fromLatin1(key))->trigger();
        QCOMPARE(main.OpenDocumentCount(), 0);
        KM_VERIFY_SCRIPT(prompt);
    }

    void documentStateFollowsTheCount() {
        frmMain main;
        main.show();
        ScriptedPrompt prompt;
        frmKMF* first = newDocument(main, prompt);
        QVERIFY(first);
        QCOMPARE(main.OpenDocumentCount(), 1);
        verifyDocumentCommandsShown(main, true);

        // The switch runs once: something the document window changed stays.
        main.toolbarButton(QStringLiteral("Save"))->setVisible(false);
        frmKMF* second = newDocument(main, prompt);
        QVERIFY(second);
        QCOMPARE(main.OpenDocumentCount(), 2);
        QVERIFY(!main.toolbarButton(QStringLiteral("Save"))->isVisible());
        main.toolbarButton(QStringLiteral("Save"))->setVisible(true);
        QCOMPARE(main.documents().size(), 2);
        QCOMPARE(main.activeDocument(), second);

        // Closing one of two keeps the commands; closing the last hides them.
        QVERIFY(CloseDocument(main));
        QCOMPARE(main.OpenDocumentCount(), 1);
        verifyDocumentCommandsShown(main, true);
        QVERIFY(CloseDocument(main));
        QCOMPARE(main.OpenDocumentCount(), 0);
        verifyDocumentCommandsShown(main, false);
        QVERIFY(!main.menuItem(QStringLiteral("mnuEdit"))->isVisible());
        QVERIFY(main.statusPanel(1).isEmpty());
        KM_VERIFY_SCRIPT(prompt);
    }

    // Selecting a node in a document sets the Edit menu up for its kind, each
    // item naming that node and no earlier one.
    void editMenuNamesTheSelectedNode() {
        frmMain main;
        main.show();
        ScriptedPrompt prompt;
        frmKMF* doc = newDocument(main, prompt);
        QVERIFY(doc);
        // A sub-category and the category holding it.
        pugi::xml_node sub;
        for (pugi::xml_node c : doc->session().doc().records().children())
            if (!sub && KindOf(c) == NodeKind::Category)
                sub = c.find_child([](pugi::xml_node n) { return KindOf(n) == NodeKind::SubCategory; });
        QVERIFY2(sub, "the new-document template should hold a sub-category");
        const pugi::xml_node category = sub.parent();

        doc->NodeClick(category.attribute("id").value());
        QAction* addItem = main.menuItem(QStringLiteral("mnuAddItem"));
        QAction* addSub = main.menuItem(QStringLiteral("mnuAddSubCategory"));
        QAction* del = main.menuItem(QStringLiteral("mnuDeleteItem"));
        QVERIFY(main.menuItem(QStringLiteral("mnuEdit"))->isVisible());
        QVERIFY(names(addItem, nodeName(category)));
        QVERIFY(names(del, nodeName(category)));
        QVERIFY(main.menuItem(QStringLiteral("mnuAddCategory"))->isVisible());
        QVERIFY(addSub->isVisible());
        QVERIFY(!main.menuItem(QStringLiteral("mnuEditAddItem"))->isVisible());

        doc->NodeClick(sub.attribute("id").value());
        QVERIFY(names(addItem, nodeName(sub)));
        QVERIFY(names(addSub, nodeName(sub)));
        QVERIFY(names(del, nodeName(sub)));
        QVERIFY(!names(del, nodeName(category)));
        QVERIFY(!main.menuItem(QStringLiteral("mnuAddCategory"))->isVisible());

        // An entry offers adding above or below it instead of under it.
        main.SetEntryEditMenu(QStringLiteral("Mail"));
        QVERIFY(!addItem->isVisible());
        QVERIFY(main.menuItem(QStringLiteral("mnuEditAddItem"))->isVisible());
        QVERIFY(names(main.menuItem(QStringLiteral("mnuEditAddItemAbove")), QStringLiteral("Mail")));
        QVERIFY(names(main.menuItem(QStringLiteral("mnuEditAddItemBelow")), QStringLiteral("Mail")));
        QVERIFY(!addSub->isVisible());
        QVERIFY(names(del, QStringLiteral("Mail")));

        // Back to a category: items and names follow again.
        doc->NodeClick(category.attribute("id").value());
        QVERIFY(addItem->isVisible());
        QVERIFY(!main.menuItem(QStringLiteral("mnuEditAddItem"))->isVisible());
        QVERIFY(names(del, nodeName(category)));
        KM_VERIFY_SCRIPT(prompt);
        doc->session().discardChanges();
    }

    // The box lists the stored names in order, empty ones kept, nothing
    // picked; an empty box opens nothing.
    void recentFilesBox() {
        setMru({"x", "", "z"});
        frmMain main;
        main.show();
        main.RefreshMRUList();
        QCOMPARE(boxItems(main.cboMRU()), (QStringList{"x", "", "z"}));
        QCOMPARE(main.cboMRU()->currentText(), QString());
        ScriptedPrompt prompt;
        QTest::mouseClick(main.cmdOpenMRU(), Qt::LeftButton);
        QCOMPARE(main.OpenDocumentCount(), 0);
        KM_VERIFY_SCRIPT(prompt);

        // Opening moves a name to the top, letter case counting.
        frmMain::AddToMRU(QStringLiteral("z"));
        frmMain::AddToMRU(QStringLiteral("X"));
        main.RefreshMRUList();
        QCOMPARE(boxItems(main.cboMRU()), (QStringList{"X", "z", "x", ""}));
    }

    void openRecentMovesTheFileUp() {
        const QString path = m_config.filePath(QStringLiteral("recent.kmf"));
        frmMain main;
        main.show();
        ScriptedPrompt prompt;
        frmKMF* doc = newDocument(main, prompt);
        QVERIFY(doc);
        prompt.expectSaveFile(path);
        main.menuItem(QStringLiteral("mnuFileSaveAs"))->trigger();
        QVERIFY(QFile::exists(path));
        QVERIFY(CloseDocument(main));
        KM_VERIFY_SCRIPT(prompt);

        setMru({"/d/x.kmf", "/d/y.kmf", path});
        main.RefreshMRUList();
        // Wrong credentials: the open fails and the list stays as it was.
        main.cboMRU()->setEditText(path);
        prompt.expectCredentials(Credentials{QStringLiteral("user"), QStringLiteral("wrong")});
        prompt.expectAnyMessage(MsgButtons::Ok);
        QTest::mouseClick(main.cmdOpenMRU(), Qt::LeftButton);
        QCOMPARE(main.OpenDocumentCount(), 0);
        QCOMPARE(mruList(), (QStringList{"/d/x.kmf", "/d/y.kmf", path}));

        main.cboMRU()->setCurrentIndex(2);
        QCOMPARE(main.cboMRU()->currentText(), path);
        prompt.expectCredentials(Credentials{QStringLiteral("user"), QStringLiteral("secret")});
        QTest::mouseClick(main.cmdOpenMRU(), Qt::LeftButton);
        QCOMPARE(main.OpenDocumentCount(), 1);
        QCOMPARE(mruList(), (QStringList{path, "/d/x.kmf", "/d/y.kmf"}));
        QCOMPARE(main.cboMRU()->itemText(0), path);  // the box was reloaded
        KM_VERIFY_SCRIPT(prompt);
        QVERIFY(CloseDocument(main));
    }

    void placementFirstRunAndRoundTrip() {
        {
            frmMain main;  // nothing stored: 1000, 1000, 6500 x 6500 twips, maximised
            QCOMPARE(main.geometry(), QRect(66, 66, 433, 433));
            QVERIFY(main.windowState() & Qt::WindowMaximized);
        }
        putOption("MainLeft", "1500");
        putOption("MainTop", "3000");
        putOption("MainWidth", "9000");
        putOption("MainHeight", "7500");
        putOption("MainWindowState", "0");
        {
            frmMain main;
            QCOMPARE(main.geometry(), QRect(100, 200, 600, 500));
            QVERIFY(!(main.windowState() & (Qt::WindowMaximized | Qt::WindowMinimized)));
            main.setGeometry(120, 140, 640, 480);
            main.SaveWindowPlacement();
        }
        QCOMPARE(option("MainLeft"), std::string("1800"));
        QCOMPARE(option("MainTop"), std::string("2100"));
        QCOMPARE(option("MainWidth"), std::string("9600"));
        QCOMPARE(option("MainHeight"), std::string("7200"));
        QCOMPARE(option("MainWindowState"), std::string("0"));
        {
            frmMain main;  // maximised: the restored size is kept underneath
            main.show();
            main.setWindowState(Qt::WindowMaximized);
            main.SaveWindowPlacement();
        }
        QCOMPARE(option("MainWindowState"), std::string("2"));
        QCOMPARE(option("MainWidth"), std::string("9600"));
    }

    void placementOutOfRangeOrNonsense() {
        putOption("MainLeft", "-48000");  // beyond 16 bits and off screen
        putOption("MainTop", "-48000");
        putOption("MainWidth", "abc");
        putOption("MainHeight", "99999999");
        putOption("MainWindowState", "0");
        frmMain main;
        // Brought back to the default place rather than left out of sight.
        QCOMPARE(main.geometry(), QRect(66, 66, 433, 433));
    }

    void minimiseArmsLockTimers() {
        frmMain main;
        main.show();
        ScriptedPrompt prompt;
        frmKMF* a = newDocument(main, prompt);
        frmKMF* b = newDocument(main, prompt);
        QVERIFY(a && b);
        QSignalSpy armed(&main, &frmMain::armLockTimers);
        main.setWindowState(Qt::WindowMinimized);
        QTRY_VERIFY(a->lockTimerActive());
        QVERIFY(b->lockTimerActive());
        QVERIFY(armed.count() >= 1);
        main.setWindowState(Qt::WindowNoState);
        QTRY_VERIFY(!a->lockTimerActive());
        QVERIFY(!b->lockTimerActive());
        KM_VERIFY_SCRIPT(prompt);
        a->session().discardChanges();
        b->session().discardChanges();
    }

    void viewToggles() {
        frmMain main;
        main.show();
        auto* toolbar = main.findChild<QToolBar*>(QStringLiteral("tbToolBar"));
        QVERIFY(toolbar && toolbar->isVisible());
        main.menuItem(QStringLiteral("mnuViewToolbar"))->trigger();
        QVERIFY(!main.menuItem(QStringLiteral("mnuViewToolbar"))->isChecked());
        QVERIFY(!toolbar->isVisible());
        main.menuItem(QStringLiteral("mnuViewToolbar"))->trigger();
        QVERIFY(toolbar->isVisible());
        main.menuItem(QStringLiteral("mnuViewStatusBar"))->trigger();
        QVERIFY(!main.statusBar()->isVisible());
    }

    void sortAndDeleteOnTheActiveDocument() {
        frmMain main;
        main.show();
        ScriptedPrompt prompt;
        frmKMF* doc = newDocument(main, prompt);
        QVERIFY(doc);
        auto categoryNames = [doc] {
            QStringList names;
            for (pugi::xml_node c : doc->session().doc().records().children())
                if (KindOf(c) == NodeKind::Category) names << QString::fromUtf8(c.attribute("value").value());
            return names;
        };
        const QStringList before = categoryNames();
        QVERIFY2(before.size() >= 2, "the new-document template should hold categories");
        const pugi::xml_node first = doc->session().doc().records().find_child(
            [](pugi::xml_node n) { return KindOf(n) == NodeKind::Category; });
        const std::string firstId = first.attribute("id").value();
        const QString firstName = QString::fromUtf8(first.attribute("value").value());
        doc->NodeClick(firstId);
        doc->session().discardChanges();

        main.toolbarButton(QStringLiteral("Sort Desc"))->trigger();
        QStringList expected = before;
        std::sort(expected.begin(), expected.end(), [](const QString& a, const QString& b) {
            return a.toLower() > b.toLower();
        });
        QCOMPARE(categoryNames(), expected);
        QVERIFY(doc->session().dirty());
        QCOMPARE(doc->selection().currentId(), firstId);  // still selected after the sort
        main.menuItem(QStringLiteral("mnuEditSortAsc"))->trigger();
        std::reverse(expected.begin(), expected.end());
        QCOMPARE(categoryNames(), expected);

        // Delete asks first; No keeps the node.
        const QString question =
            QStringLiteral("Are you sure you wish to delete\r\n\"") + firstName + QStringLiteral("\"?");
        prompt.expectMessage(question, QStringLiteral("Confirm Deleting Entry"), MsgIcon::None,
                             MsgButtons::YesNo, MsgAnswer::No);
        main.menuItem(QStringLiteral("mnuDeleteItem"))->trigger();
        QVERIFY(doc->session().doc().nodeById(firstId));
        prompt.expectMessage(question, QStringLiteral("Confirm Deleting Entry"), MsgIcon::None,
                             MsgButtons::YesNo, MsgAnswer::Yes);
        main.menuItem(QStringLiteral("mnuDeleteItem"))->trigger();
        QVERIFY(!doc->session().doc().nodeById(firstId));
        QCOMPARE(categoryNames().size(), before.size() - 1);

        // With confirmation off, no question.
        putOption("Confirm Entry Deletes", "0");
        const pugi::xml_node next = doc->session().doc().records().find_child(
            [](pugi::xml_node n) { return KindOf(n) == NodeKind::Category; });
        const std::string nextId = next.attribute("id").value();
        doc->NodeClick(nextId);
        main.menuItem(QStringLiteral("mnuDeleteItem"))->trigger();
        QVERIFY(!doc->session().doc().nodeById(nextId));

        // Nothing is selected now: Add Category waits for a selection; then it
        // appends one and selects it, and Add Sub-Category goes under it.
        main.menuItem(QStringLiteral("mnuAddCategory"))->trigger();
        QCOMPARE(categoryNames().size(), before.size() - 2);
        doc->NodeClick(doc->session().doc().records().find_child(
            [](pugi::xml_node n) { return KindOf(n) == NodeKind::Category; }).attribute("id").value());
        main.menuItem(QStringLiteral("mnuAddCategory"))->trigger();
        QCOMPARE(categoryNames().last(), QStringLiteral("New Category"));
        const std::string newId = doc->selection().currentId();
        QCOMPARE(QString::fromUtf8(doc->session().doc().nodeById(newId).attribute("value").value()),
                 QStringLiteral("New Category"));
        main.menuItem(QStringLiteral("mnuAddSubCategory"))->trigger();
        const pugi::xml_node sub = doc->selection().current();
        QCOMPARE(KindOf(sub), NodeKind::SubCategory);
        QCOMPARE(std::string(sub.parent().attribute("id").value()), newId);
        KM_VERIFY_SCRIPT(prompt);
        doc->session().discardChanges();
    }

    // Exit refused by a document keeps the program running, yet the
    // placement is written; a clean exit closes the window.
    void exitWritesPlacementEvenWhenRefused() {
        putOption("MainWindowState", "0");
        frmMain main;
        main.setGeometry(150, 90, 600, 450);
        main.show();
        ScriptedPrompt prompt;
        frmKMF* doc = newDocument(main, prompt);
        QVERIFY(doc);
        doc->session().markEdited();
        prompt.expectMessage(QStringLiteral("Document has changed.  Save it now?"),
                             QStringLiteral("Document not saved"), MsgIcon::None,
                             MsgButtons::YesNoCancel, MsgAnswer::Cancel);
        main.menuItem(QStringLiteral("mnuFileExit"))->trigger();
        QVERIFY(main.isVisible());
        QCOMPARE(main.OpenDocumentCount(), 1);
        QCOMPARE(option("MainLeft"), std::to_string(main.geometry().x() * 15));
        QCOMPARE(option("MainWidth"), std::string("9000"));
        QCOMPARE(option("MainWindowState"), std::string("0"));

        prompt.expectMessage(QStringLiteral("Document has changed.  Save it now?"),
                             QStringLiteral("Document not saved"), MsgIcon::None,
                             MsgButtons::YesNoCancel, MsgAnswer::No);
        main.resize(660, 450);
        QVERIFY(main.close());
        QCOMPARE(main.OpenDocumentCount(), 0);
        QCOMPARE(option("MainWidth"), std::string("9900"));
        KM_VERIFY_SCRIPT(prompt);
    }

    void listViewButtons() {
        frmMain main;
        main.show();
        ScriptedPrompt prompt;
        frmKMF* doc = newDocument(main, prompt);
        QVERIFY(doc);
        pugi::xml_node category;  // the last one: not selected yet
        for (pugi::xml_node n : doc->session().doc().records().children())
            if (KindOf(n) == NodeKind::Category) category = n;
        doc->NodeClick(category.attribute("id").value());
        QAction* list = main.toolbarButton(QStringLiteral("View List"));
        QVERIFY2(list->isEnabled(), "a category's list is shown: the view buttons work");
        list->trigger();
        QCOMPARE(doc->listViewMode(), 2);
        QCOMPARE(std::string(category.attribute("listview").value()), std::string("2"));
        QVERIFY(list->isChecked());
        main.toolbarButton(QStringLiteral("View Large Icons"))->trigger();
        QCOMPARE(doc->listViewMode(), 0);
        QCOMPARE(std::string(category.attribute("listview").value()), std::string("0"));
        QVERIFY(!list->isChecked());
        KM_VERIFY_SCRIPT(prompt);
        doc->session().discardChanges();
    }

    void tileAndCascade() {
        frmMain main;
        putOption("MainWindowState", "0");
        main.setWindowState(Qt::WindowNoState);
        main.resize(900, 700);
        main.show();
        ScriptedPrompt prompt;
        QVERIFY(newDocument(main, prompt));
        QVERIFY(newDocument(main, prompt));
        const auto subs = main.mdiArea()->subWindowList();
        main.menuItem(QStringLiteral("mnuWindowTileVertical"))->trigger();
        QCOMPARE(subs[0]->geometry().top(), subs[1]->geometry().top());  // side by side
        QVERIFY(subs[0]->geometry().left() != subs[1]->geometry().left());
        main.menuItem(QStringLiteral("mnuWindowTileHorizontal"))->trigger();
        QCOMPARE(subs[0]->geometry().left(), subs[1]->geometry().left());  // one above the other
        QVERIFY(subs[0]->geometry().top() != subs[1]->geometry().top());
        KM_VERIFY_SCRIPT(prompt);
    }
};

QTEST_MAIN(MainWindowTest)
#include "tst_mainwindow.moc"
