// The main window: menus and toolbar in both states, the edit menu set up for
// a node, recent files, placement in twips, lock timers on minimise, toggles.
#include <QComboBox>

#include <algorithm>
#include <QFile>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>
#include <QToolButton>

#include "OptionStore.h"
#include "ScriptedPrompt.h"
#include "app/DocumentLifecycle.h"
#include "app/ModMain.h"
#include "app/frmMain.h"
#include "docwindow/frmKMF.h"
#include "document/NodeKind.h"
#include "document/XmlDoc.h"
#include "support/ClsReg.h"

using namespace keymora;
using keymora::test::ScriptedPrompt;
using keymora::test::TestSettings;
using keymora::test::option;
using keymora::test::putOption;

namespace {

QStringList visibleItems(const QMenu* menu) {
    QStringList names;
    for (QAction* a : menu->actions())
        if (a->isVisible()) names << (a->isSeparator() ? QStringLiteral("-") : a->objectName());
    return names;
}

QStringList visibleButtons(const frmMain& main) {
    QStringList keys;
    for (const QString& key : main.toolbarKeys()) {
        QAction* a = main.toolbarButton(key);
        if (a->isVisible() && !a->isSeparator()) keys << key;
    }
    return keys;
}

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


}  // namespace

class MainWindowTest : public QObject {
    Q_OBJECT
private:
    TestSettings m_config;

    frmKMF* newDocument(frmMain& main, ScriptedPrompt& prompt) {
        prompt.expectCredentials(Credentials{QStringLiteral("user"), QStringLiteral("secret")});
        return NewDocumentCommand(main);
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

    void menuBarOrderAndShortcuts() {
        frmMain main;
        QStringList top;
        for (QAction* a : main.menuBar()->actions()) top << a->objectName();
        QCOMPARE(top, (QStringList{"mnuFile", "mnuEdit", "mnuView", "mnuTools", "mnuWindow", "mnuHelp"}));
        QStringList file;
        for (QAction* a : main.menuItem(QStringLiteral("mnuFile"))->menu()->actions())
            file << (a->isSeparator() ? QStringLiteral("-") : a->objectName());
        QCOMPARE(file, (QStringList{"mnuFileNew", "mnuFileOpen", "mnuFileClose", "mnuFileImport", "-",
                                    "mnuFileSave", "mnuFileSaveAs", "mnuFileSaveAll", "-",
                                    "mnuFileChangePassword", "mnuFileMarkShared",
                                    "mnuFileMergeDocument", "mnuFileRefresh", "-",
                                    "mnuFileExit"}));
        QCOMPARE(main.menuItem(QStringLiteral("mnuFileNew"))->shortcut(), QKeySequence(QStringLiteral("Ctrl+N")));
        QCOMPARE(main.menuItem(QStringLiteral("mnuFileOpen"))->shortcut(), QKeySequence(QStringLiteral("Ctrl+O")));
        QCOMPARE(main.menuItem(QStringLiteral("mnuFileSave"))->shortcut(), QKeySequence(QStringLiteral("Ctrl+S")));
        QCOMPARE(main.menuItem(QStringLiteral("mnuFileRefresh"))->shortcut(), QKeySequence(QStringLiteral("Ctrl+R")));
        QCOMPARE(main.menuItem(QStringLiteral("mnuFileOpen"))->text(), QStringLiteral("&Open..."));
        QCOMPARE(main.menuItem(QStringLiteral("mnuFileSaveAll"))->text(), QStringLiteral("Save A&ll"));
        QCOMPARE(main.menuItem(QStringLiteral("mnuFileExit"))->text(), QStringLiteral("E&xit"));
        QCOMPARE(main.menuItem(QStringLiteral("mnuHelpAbout"))->text(), QStringLiteral("&About "));
        QStringList edit;
        for (QAction* a : main.editMenu()->actions()) edit << a->objectName();
        QCOMPARE(edit, (QStringList{"mnuAddItem", "mnuEditAddItem", "mnuEditBar01", "mnuEditEditLabels",
                                    "mnuEditLabelSep", "mnuAddCategory", "mnuAddSubCategory",
                                    "mnuDeleteItem", "mnuEditBar00", "mnuEditSortAsc",
                                    "mnuEditSortDesc", "mnuEditBar0", "mnuEditCancel"}));
        QStringList keys;
        for (const QString& k : main.toolbarKeys()) keys << k;
        QCOMPARE(keys.size(), 22);
        QCOMPARE(keys.first(), QStringLiteral("New"));
        QCOMPARE(keys.last(), QStringLiteral("View Details"));
        QCOMPARE(main.toolbarButton(QStringLiteral("New"))->toolTip(), QStringLiteral("Create New Keymora File"));
        QCOMPARE(main.toolbarButton(QStringLiteral("View List"))->toolTip(), QStringLiteral("View List (No Details)"));
        QCOMPARE(main.cmdOpenMRU()->toolTip(), QStringLiteral("Open Selected MRU file"));
        QVERIFY(main.menuItem(QStringLiteral("mnuViewToolbar"))->isChecked());
        QVERIFY(main.menuItem(QStringLiteral("mnuViewStatusBar"))->isChecked());
    }

    void noDocumentState() {
        frmMain main;
        QVERIFY(!main.DocumentCommandsShown());
        QCOMPARE(visibleItems(main.menuItem(QStringLiteral("mnuFile"))->menu()),
                 (QStringList{"mnuFileNew", "mnuFileOpen", "-", "mnuFileExit"}));
        QVERIFY(!main.menuItem(QStringLiteral("mnuEdit"))->isVisible());
        QVERIFY(!main.menuItem(QStringLiteral("mnuWindow"))->isVisible());
        QCOMPARE(visibleButtons(main),
                 (QStringList{"New", "Open", "Delete", "Create Password", "UpLevel",
                              "View Large Icons", "View Small Icons", "View List", "View Details"}));
        for (const char* key : {"Delete", "UpLevel", "View Large Icons", "View Details"})
            QVERIFY2(!main.toolbarButton(QString::fromLatin1(key))->isEnabled(), key);
        QVERIFY(main.toolbarButton(QStringLiteral("New"))->isEnabled());

        // Reached anyway (a shortcut, a script), document commands do nothing.
        ScriptedPrompt prompt;
        for (const char* name : {"mnuFileClose", "mnuFileSave", "mnuFileSaveAs", "mnuFileSaveAll",
                                 "mnuFileChangePassword", "mnuDeleteItem", "mnuEditSortAsc",
                                 "mnuEditSortDesc", "mnuAddCategory", "mnuAddSubCategory"})
            main.menuItem(QString::fromLatin1(name))->trigger();
        for (const char* key : {"Save", "Delete", "Sort Asc", "Unlock Password", "UpLevel"})
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
        QVERIFY(main.DocumentCommandsShown());
        QCOMPARE(visibleItems(main.menuItem(QStringLiteral("mnuFile"))->menu()),
                 (QStringList{"mnuFileNew", "mnuFileOpen", "mnuFileClose", "mnuFileImport", "-",
                              "mnuFileSave", "mnuFileSaveAs", "mnuFileSaveAll", "-",
                              "mnuFileChangePassword", "mnuFileMarkShared",
                              "mnuFileMergeDocument", "mnuFileRefresh", "-", "mnuFileExit"}));
        QVERIFY(main.menuItem(QStringLiteral("mnuWindow"))->isVisible());
        QVERIFY(main.toolbarButton(QStringLiteral("Save"))->isVisible());
        QVERIFY(main.toolbarButton(QStringLiteral("Unlock Password"))->isVisible());
        QVERIFY(!main.toolbarButton(QStringLiteral("find cut separator"))->isVisible());
        QVERIFY(main.toolbarButton(QStringLiteral("sort desc unlock separator"))->isVisible());

        // The switch runs once: something the document window changed stays.
        main.toolbarButton(QStringLiteral("Save"))->setVisible(false);
        frmKMF* second = newDocument(main, prompt);
        QVERIFY(second);
        QCOMPARE(main.OpenDocumentCount(), 2);
        QVERIFY(!main.toolbarButton(QStringLiteral("Save"))->isVisible());
        main.toolbarButton(QStringLiteral("Save"))->setVisible(true);
        QCOMPARE(main.documents().size(), 2);
        QCOMPARE(main.activeDocument(), second);

        QVERIFY(CloseDocument(main));
        QCOMPARE(main.OpenDocumentCount(), 1);
        QVERIFY(main.DocumentCommandsShown());
        QVERIFY(CloseDocument(main));
        QCOMPARE(main.OpenDocumentCount(), 0);
        QVERIFY(!main.DocumentCommandsShown());
        QCOMPARE(visibleItems(main.menuItem(QStringLiteral("mnuFile"))->menu()),
                 (QStringList{"mnuFileNew", "mnuFileOpen", "-", "mnuFileExit"}));
        QVERIFY(main.cmdOpenMRU()->isEnabled());
        QVERIFY(!main.toolbarButton(QStringLiteral("Save"))->isVisible());
        KM_VERIFY_SCRIPT(prompt);
    }

    void editMenuForEachKind() {
        frmMain main;
        main.SetCategoryEditMenu(QStringLiteral("Banking"));
        QCOMPARE(main.menuItem(QStringLiteral("mnuAddItem"))->text(), QStringLiteral("Add Entry to \"Banking\""));
        QCOMPARE(main.menuItem(QStringLiteral("mnuDeleteItem"))->text(), QStringLiteral("Delete \"Banking\""));
        QVERIFY(main.menuItem(QStringLiteral("mnuAddCategory"))->isVisible());
        QVERIFY(main.menuItem(QStringLiteral("mnuAddSubCategory"))->isVisible());
        QVERIFY(!main.menuItem(QStringLiteral("mnuEditAddItem"))->isVisible());
        QVERIFY(main.menuItem(QStringLiteral("mnuEdit"))->isVisible());

        main.SetSubCategoryEditMenu(QStringLiteral("Cards"));
        QCOMPARE(main.menuItem(QStringLiteral("mnuAddItem"))->text(), QStringLiteral("Add Entry to \"Cards\""));
        QCOMPARE(main.menuItem(QStringLiteral("mnuAddSubCategory"))->text(),
                 QStringLiteral("Add Sub-Category to \"Cards\""));
        QVERIFY(!main.menuItem(QStringLiteral("mnuAddCategory"))->isVisible());
        QCOMPARE(main.menuItem(QStringLiteral("mnuDeleteItem"))->text(), QStringLiteral("Delete \"Cards\""));

        main.SetEntryEditMenu(QStringLiteral("Mail"));
        QVERIFY(!main.menuItem(QStringLiteral("mnuAddItem"))->isVisible());
        QVERIFY(main.menuItem(QStringLiteral("mnuEditAddItem"))->isVisible());
        QCOMPARE(main.menuItem(QStringLiteral("mnuEditAddItem"))->text(), QStringLiteral("Add Entry"));
        QCOMPARE(main.menuItem(QStringLiteral("mnuEditAddItemAbove"))->text(), QStringLiteral("Above \"Mail\""));
        QCOMPARE(main.menuItem(QStringLiteral("mnuEditAddItemBelow"))->text(), QStringLiteral("Below \"Mail\""));
        QVERIFY(!main.menuItem(QStringLiteral("mnuAddCategory"))->isVisible());
        QVERIFY(!main.menuItem(QStringLiteral("mnuAddSubCategory"))->isVisible());
        QCOMPARE(main.menuItem(QStringLiteral("mnuDeleteItem"))->text(), QStringLiteral("Delete \"Mail\""));

        // Back to a category: the item names and visibility follow again.
        main.SetCategoryEditMenu(QStringLiteral("Web"));
        QVERIFY(main.menuItem(QStringLiteral("mnuAddItem"))->isVisible());
        QVERIFY(!main.menuItem(QStringLiteral("mnuEditAddItem"))->isVisible());
        QVERIFY(main.menuItem(QStringLiteral("mnuAddCategory"))->isVisible());
        QCOMPARE(main.menuItem(QStringLiteral("mnuDeleteItem"))->text(), QStringLiteral("Delete \"Web\""));
    }

    void recentFilesOrder() {
        frmMain::AddToMRU(QStringLiteral("a"));
        QCOMPARE(mruList(), QStringList{"a"});
        frmMain::AddToMRU(QStringLiteral("b"));
        frmMain::AddToMRU(QStringLiteral("c"));
        QCOMPARE(mruList(), (QStringList{"c", "b", "a"}));
        setMru({"a", "b", "c"});
        frmMain::AddToMRU(QStringLiteral("c"));
        QCOMPARE(mruList(), (QStringList{"c", "a", "b"}));
        frmMain::AddToMRU(QStringLiteral("b"));
        QCOMPARE(mruList(), (QStringList{"b", "c", "a"}));
        frmMain::AddToMRU(QStringLiteral("d"));
        QCOMPARE(mruList(), (QStringList{"d", "b", "c", "a"}));
        frmMain::AddToMRU(QStringLiteral("D"));  // letter case makes another name
        QCOMPARE(mruList(), (QStringList{"D", "d", "b", "c", "a"}));
        frmMain::AddToMRU(QStringLiteral("D"));  // already on top: nothing moves
        QCOMPARE(mruList(), (QStringList{"D", "d", "b", "c", "a"}));

        frmMain main;
        QCOMPARE(main.cboMRU()->currentText(), QStringLiteral("Most Recently Used Files"));
        setMru({"x", "", "z"});
        main.RefreshMRUList();
        QCOMPARE(main.cboMRU()->count(), 3);
        QCOMPARE(main.cboMRU()->itemText(0), QStringLiteral("x"));
        QCOMPARE(main.cboMRU()->itemText(1), QString());  // empty lines kept
        QCOMPARE(main.cboMRU()->currentText(), QString());
        // An empty box does nothing.
        ScriptedPrompt prompt;
        main.cmdOpenMRU()->click();
        KM_VERIFY_SCRIPT(prompt);
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
        main.cmdOpenMRU()->click();
        QCOMPARE(main.OpenDocumentCount(), 0);
        QCOMPARE(mruList(), (QStringList{"/d/x.kmf", "/d/y.kmf", path}));

        main.cboMRU()->setCurrentIndex(2);
        QCOMPARE(main.cboMRU()->currentText(), path);
        prompt.expectCredentials(Credentials{QStringLiteral("user"), QStringLiteral("secret")});
        main.cmdOpenMRU()->click();
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
        a->IsDirty = false;
        b->IsDirty = false;
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
            for (pugi::xml_node c : doc->XMLDoc().records().children())
                if (KindOf(c) == NodeKind::Category) names << QString::fromUtf8(c.attribute("value").value());
            return names;
        };
        const QStringList before = categoryNames();
        QVERIFY2(before.size() >= 2, "the new-document template should hold categories");
        const pugi::xml_node first = doc->XMLDoc().records().find_child(
            [](pugi::xml_node n) { return KindOf(n) == NodeKind::Category; });
        const std::string firstId = first.attribute("id").value();
        const QString firstName = QString::fromUtf8(first.attribute("value").value());
        doc->NodeClick(firstId);
        doc->markClean();

        main.toolbarButton(QStringLiteral("Sort Desc"))->trigger();
        QStringList expected = before;
        std::sort(expected.begin(), expected.end(), [](const QString& a, const QString& b) {
            return a.toLower() > b.toLower();
        });
        QCOMPARE(categoryNames(), expected);
        QVERIFY(doc->IsDirty);
        QCOMPARE(doc->selectedTreeNodeId(), firstId);  // still selected after the rebuild
        main.menuItem(QStringLiteral("mnuEditSortAsc"))->trigger();
        std::reverse(expected.begin(), expected.end());
        QCOMPARE(categoryNames(), expected);

        // Delete asks first; No keeps the node.
        doc->GUIDSelected = firstId;
        const QString question =
            QStringLiteral("Are you sure you wish to delete\r\n\"") + firstName + QStringLiteral("\"?");
        prompt.expectMessage(question, QStringLiteral("Confirm Deleting Entry"), MsgIcon::None,
                             MsgButtons::YesNo, MsgAnswer::No);
        main.menuItem(QStringLiteral("mnuDeleteItem"))->trigger();
        QVERIFY(doc->XMLDoc().nodeById(firstId));
        prompt.expectMessage(question, QStringLiteral("Confirm Deleting Entry"), MsgIcon::None,
                             MsgButtons::YesNo, MsgAnswer::Yes);
        main.menuItem(QStringLiteral("mnuDeleteItem"))->trigger();
        QVERIFY(!doc->XMLDoc().nodeById(firstId));
        QCOMPARE(categoryNames().size(), before.size() - 1);

        // With confirmation off, no question.
        putOption("Confirm Entry Deletes", "0");
        const pugi::xml_node next = doc->XMLDoc().records().find_child(
            [](pugi::xml_node n) { return KindOf(n) == NodeKind::Category; });
        const std::string nextId = next.attribute("id").value();
        doc->NodeClick(nextId);
        doc->GUIDSelected = nextId;
        main.menuItem(QStringLiteral("mnuDeleteItem"))->trigger();
        QVERIFY(!doc->XMLDoc().nodeById(nextId));

        // Add Category appends one and selects it; Add Sub-Category goes under it.
        main.menuItem(QStringLiteral("mnuAddCategory"))->trigger();
        QCOMPARE(categoryNames().last(), QStringLiteral("New Category"));
        const std::string newId = doc->selectedTreeNodeId();
        QCOMPARE(QString::fromUtf8(doc->XMLDoc().nodeById(newId).attribute("value").value()),
                 QStringLiteral("New Category"));
        main.menuItem(QStringLiteral("mnuAddSubCategory"))->trigger();
        const pugi::xml_node sub = doc->XMLDoc().nodeById(doc->selectedTreeNodeId());
        QCOMPARE(KindOf(sub), NodeKind::SubCategory);
        QCOMPARE(std::string(sub.parent().attribute("id").value()), newId);
        KM_VERIFY_SCRIPT(prompt);
        doc->IsDirty = false;
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
        doc->MarkDocumentDirty();
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
        for (pugi::xml_node n : doc->XMLDoc().records().children())
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
        doc->IsDirty = false;
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
