// The main window: commands offered, the Edit menu, recent files, placement, lock timers, active document.
#include <QComboBox>
#include <QStatusBar>
#include <QTest>
#include <QToolBar>
#include <QToolButton>

#include "OptionStore.h"
#include "ScriptedPrompt.h"
#include "TestDocumentHost.h"
#include "app/ModMain.h"
#include "app/frmMain.h"
#include "support/ClsReg.h"
#include "support/RecentFiles.h"

using namespace keymora;
using namespace keymora::test;

namespace {

const Credentials kLogin{QStringLiteral("user"), QStringLiteral("Secret")};

using Names = std::vector<std::string>;

Names mruList() { return recentfiles::List(clsReg()); }

void setMru(const QStringList& files) {
    clsReg reg;
    reg.WriteString(RegRoot::CurrentUser, kMruKey, "MRUNumber", std::to_string(files.size()));
    for (int i = 0; i < files.size(); ++i)
        reg.WriteString(RegRoot::CurrentUser, kMruKey, "File" + std::to_string(i + 1), files[i].toStdString());
}

QStringList boxItems(const QComboBox* box) {
    QStringList items;
    for (int i = 0; i < box->count(); ++i) items << box->itemText(i);
    return items;
}

}  // namespace

class MainWindowTest : public QObject, private MainWindowFixture {
    Q_OBJECT
private:
    bool shown(const frmMain& main, const char* item) { return main.menuItem(QString::fromLatin1(item))->isVisible(); }
    QString caption(const frmMain& main, const char* item) { return main.menuItem(QString::fromLatin1(item))->text(); }

    void verifyDocumentCommands(const frmMain& main, bool offered) {
        QCOMPARE(main.DocumentCommandsShown(), offered);
        for (const char* item : {"mnuFileClose", "mnuFileSave", "mnuFileSaveAs", "mnuFileChangePassword", "mnuWindow"})
            QVERIFY2(shown(main, item) == offered, item);
        for (const char* key : {"Save", "Sort Asc", "Unlock Password"})
            QVERIFY2(main.toolbarButton(QString::fromLatin1(key))->isVisible() == offered, key);
        QVERIFY(shown(main, "mnuFileNew") && shown(main, "mnuFileOpen"));
    }

private slots:
    void initTestCase() {
        QVERIFY(m_config.isValid());
        qputenv("HOME", m_config.path().toUtf8());
    }
    void init() { startFresh(); }
    void cleanup() { m_dir.reset(); }

    void documentCommandsFollowTheOpenDocuments() {
        frmMain main;
        main.show();
        verifyDocumentCommands(main, false);
        // Reached anyway (a shortcut), document commands do nothing and ask nothing.
        ScriptedPrompt prompt;
        for (const char* item : {"mnuFileClose", "mnuFileSave", "mnuFileSaveAs", "mnuFileSaveAll",
                                 "mnuFileChangePassword", "mnuDeleteItem", "mnuEditSortAsc", "mnuAddCategory"})
            main.menuItem(QString::fromLatin1(item))->trigger();
        for (const char* key : {"Save", "Delete", "Unlock Password", "UpLevel", "View List"})
            main.toolbarButton(QString::fromLatin1(key))->trigger();
        KM_VERIFY_SCRIPT(prompt);

        QVERIFY(openSample(main, prompt, "one.kmf"));
        QVERIFY(openSample(main, prompt, "two.kmf"));
        QCOMPARE(main.OpenDocumentCount(), 2);
        verifyDocumentCommands(main, true);
        // Closing one of two keeps the commands; closing the last hides them.
        QVERIFY(CloseDocument(main));
        verifyDocumentCommands(main, true);
        QVERIFY(CloseDocument(main));
        QCOMPARE(main.OpenDocumentCount(), 0);
        verifyDocumentCommands(main, false);
        QVERIFY(!shown(main, "mnuEdit"));
        QVERIFY(main.statusPanel(1).isEmpty());
        KM_VERIFY_SCRIPT(prompt);
    }

    // Clicking a node sets the Edit menu up for its kind, each item naming it (Delete's is tst_faults').
    void editMenuFollowsTheKindOfTheSelection() {
        frmMain main;
        main.show();
        ScriptedPrompt prompt;
        frmKMF* doc = openSample(main, prompt);
        QVERIFY(doc);
        QVERIFY(clickRow(doc->treeView(), QStringLiteral("Banking")));
        QVERIFY(shown(main, "mnuEdit") && shown(main, "mnuAddCategory") && shown(main, "mnuAddSubCategory"));
        QVERIFY(caption(main, "mnuAddItem").contains(QStringLiteral("\"Banking\"")));
        QVERIFY(!shown(main, "mnuEditAddItem"));

        QVERIFY(clickRow(doc->treeView(), QStringLiteral("Cards")));
        QVERIFY(!shown(main, "mnuAddCategory"));
        QVERIFY(caption(main, "mnuAddSubCategory").contains(QStringLiteral("\"Cards\"")));
        QVERIFY(caption(main, "mnuAddItem").contains(QStringLiteral("\"Cards\"")));

        // Back on a category, no item still names the sub-category.
        QVERIFY(clickRow(doc->treeView(), QStringLiteral("Banking")));
        QVERIFY(caption(main, "mnuAddSubCategory").contains(QStringLiteral("\"Banking\"")));

        // An entry offers adding above or below it instead of under it.
        QVERIFY(clickRow(doc->treeView(), QStringLiteral("Mail")));
        QVERIFY(!shown(main, "mnuAddItem") && !shown(main, "mnuAddSubCategory"));
        QVERIFY(shown(main, "mnuEditAddItem"));
        QVERIFY(caption(main, "mnuEditAddItemAbove").contains(QStringLiteral("\"Mail\"")));
        QVERIFY(caption(main, "mnuEditAddItemBelow").contains(QStringLiteral("\"Mail\"")));
        KM_VERIFY_SCRIPT(prompt);
    }

    // The stored names in order, empty ones kept; a failed open leaves the list, a good one goes on top.
    void recentFiles() {
        const QString path = QString::fromStdString(m_dir->file("recent.kmf"));
        writeDataFile(path.toStdString(), sampleXml(), "user", "Secret");
        setMru({"/d/x.kmf", "", path});
        frmMain main;
        main.show();
        main.RefreshMRUList();
        QCOMPARE(boxItems(main.cboMRU()), (QStringList{"/d/x.kmf", "", path}));
        QCOMPARE(main.cboMRU()->currentText(), QString());
        ScriptedPrompt prompt;
        QTest::mouseClick(main.cmdOpenMRU(), Qt::LeftButton);  // nothing picked: nothing opens
        QCOMPARE(main.OpenDocumentCount(), 0);

        main.cboMRU()->setCurrentIndex(2);
        prompt.expectCredentials(Credentials{QStringLiteral("user"), QStringLiteral("wrong")});
        prompt.expectMessageContaining(QStringLiteral("Invalid User Name/Password combination."));
        QTest::mouseClick(main.cmdOpenMRU(), Qt::LeftButton);
        QCOMPARE(main.OpenDocumentCount(), 0);
        QCOMPARE(mruList(), (Names{"/d/x.kmf", "", path.toStdString()}));

        main.cboMRU()->setCurrentIndex(2);
        prompt.expectCredentials(kLogin);
        QTest::mouseClick(main.cmdOpenMRU(), Qt::LeftButton);
        QCOMPARE(main.OpenDocumentCount(), 1);
        QCOMPARE(mruList(), (Names{path.toStdString(), "/d/x.kmf", ""}));
        QCOMPARE(main.cboMRU()->itemText(0), path);  // the box was reloaded

        // File > Open puts its file on top too.
        const QString other = QString::fromStdString(m_dir->file("other.kmf"));
        writeDataFile(other.toStdString(), sampleXml(), "user", "Secret");
        prompt.expectOpenFile(other);
        prompt.expectCredentials(kLogin);
        main.menuItem(QStringLiteral("mnuFileOpen"))->trigger();
        QCOMPARE(main.OpenDocumentCount(), 2);
        QCOMPARE(mruList(), (Names{other.toStdString(), path.toStdString(), "/d/x.kmf", ""}));
        QCOMPARE(main.cboMRU()->itemText(0), other);
        KM_VERIFY_SCRIPT(prompt);
    }

    // Reading the stored placement; writing it is checked on exit below.
    void placementInTwips() {
        for (const auto& [name, value] : {std::pair{"MainLeft", "1500"}, {"MainTop", "3000"}, {"MainWidth", "9000"},
                                          {"MainHeight", "7500"}, {"MainWindowState", "0"}})
            putOption(name, value);
        {
            frmMain main;
            QCOMPARE(main.geometry(), QRect(100, 200, 600, 500));
            QVERIFY(!(main.windowState() & (Qt::WindowMaximized | Qt::WindowMinimized)));
        }
        {
            frmMain main;  // maximised: the restored size is kept underneath
            main.show();
            main.setWindowState(Qt::WindowMaximized);
            main.SaveWindowPlacement();
        }
        QCOMPARE(option("MainWindowState"), std::string("2"));
        QCOMPARE(option("MainWidth"), std::string("9000"));

        // Off screen: back to the default place (1000, 1000, 6500 x 6500 twips).
        for (const char* name : {"MainLeft", "MainTop"}) putOption(name, "-48000");
        QCOMPARE(frmMain().geometry(), QRect(66, 66, 433, 433));
    }

    void minimiseArmsLockTimers() {
        frmMain main;
        main.show();
        ScriptedPrompt prompt;
        frmKMF* a = openSample(main, prompt, "a.kmf");
        frmKMF* b = openSample(main, prompt, "b.kmf");
        QVERIFY(a && b);
        main.setWindowState(Qt::WindowMinimized);
        QTRY_VERIFY(a->lockTimerActive());
        QVERIFY(b->lockTimerActive());
        main.setWindowState(Qt::WindowNoState);
        QTRY_VERIFY(!a->lockTimerActive());
        QVERIFY(!b->lockTimerActive());
        KM_VERIFY_SCRIPT(prompt);
    }

    void viewAndWindowMenus() {
        putOption("MainWindowState", "0");
        frmMain main;
        main.resize(900, 700);
        main.show();
        auto* toolbar = main.findChild<QToolBar*>(QStringLiteral("tbToolBar"));
        QVERIFY(toolbar && toolbar->isVisible());
        main.menuItem(QStringLiteral("mnuViewToolbar"))->trigger();
        QVERIFY(!toolbar->isVisible());
        main.menuItem(QStringLiteral("mnuViewToolbar"))->trigger();
        QVERIFY(toolbar->isVisible());
        main.menuItem(QStringLiteral("mnuViewStatusBar"))->trigger();
        QVERIFY(!main.statusBar()->isVisible());

        ScriptedPrompt prompt;
        QVERIFY(openSample(main, prompt, "a.kmf") && openSample(main, prompt, "b.kmf"));
        const auto subs = main.mdiArea()->subWindowList();
        main.menuItem(QStringLiteral("mnuWindowTileVertical"))->trigger();
        QCOMPARE(subs[0]->geometry().top(), subs[1]->geometry().top());  // side by side
        QVERIFY(subs[0]->geometry().left() != subs[1]->geometry().left());
        main.menuItem(QStringLiteral("mnuWindowTileHorizontal"))->trigger();
        QCOMPARE(subs[0]->geometry().left(), subs[1]->geometry().left());  // one above the other
        QVERIFY(subs[0]->geometry().top() != subs[1]->geometry().top());
        KM_VERIFY_SCRIPT(prompt);
    }

    // Toolbar and menu reach the active document (what commands do: tst_doccommands, Delete: tst_faults).
    void commandsActOnTheActiveDocument() {
        frmMain main;
        main.show();
        ScriptedPrompt prompt;
        frmKMF* doc = openSample(main, prompt);
        QVERIFY(doc);
        QVERIFY(clickRow(doc->treeView(), QStringLiteral("Banking")));
        main.toolbarButton(QStringLiteral("Sort Desc"))->trigger();
        QCOMPARE(rowTexts(doc->treeView()), (QStringList{"Other", "Banking"}));
        main.menuItem(QStringLiteral("mnuEditSortAsc"))->trigger();
        QCOMPARE(rowTexts(doc->treeView()), (QStringList{"Banking", "Other"}));

        QAction* list = main.toolbarButton(QStringLiteral("View List"));
        list->trigger();
        QCOMPARE(doc->listViewMode(), 2);
        QVERIFY(list->isChecked());
        main.toolbarButton(QStringLiteral("View Large Icons"))->trigger();
        QCOMPARE(doc->listViewMode(), 0);
        QVERIFY(!list->isChecked());

        main.menuItem(QStringLiteral("mnuAddCategory"))->trigger();
        QCOMPARE(rowTexts(doc->treeView()), (QStringList{"Banking", "Other", "New Category"}));
        main.menuItem(QStringLiteral("mnuAddSubCategory"))->trigger();
        QCOMPARE(doc->selection().currentName(), QStringLiteral("New Sub-Category"));
        KM_VERIFY_SCRIPT(prompt);
        doc->session().discardChanges();
    }

    // Exit refused by a document keeps the program running, yet writes the placement; a clean exit closes.
    void exitWritesPlacementEvenWhenRefused() {
        putOption("MainWindowState", "0");
        frmMain main;
        main.setGeometry(150, 90, 600, 450);
        main.show();
        ScriptedPrompt prompt;
        frmKMF* doc = openSample(main, prompt);
        QVERIFY(doc);
        doc->session().markEdited();
        prompt.expectMessageContaining(QStringLiteral("Save it now?"), MsgAnswer::Cancel);  // tst_doclifecycle's
        main.menuItem(QStringLiteral("mnuFileExit"))->trigger();
        QVERIFY(main.isVisible());
        QCOMPARE(main.OpenDocumentCount(), 1);
        QCOMPARE(option("MainLeft"), std::to_string(main.geometry().x() * 15));
        QCOMPARE(option("MainWidth"), std::string("9000"));
        QCOMPARE(option("MainWindowState"), std::string("0"));

        prompt.expectMessageContaining(QStringLiteral("Save it now?"), MsgAnswer::No);
        main.resize(660, 450);
        QVERIFY(main.close());
        QCOMPARE(main.OpenDocumentCount(), 0);
        QCOMPARE(option("MainWidth"), std::string("9900"));
        KM_VERIFY_SCRIPT(prompt);
    }
};

QTEST_MAIN(MainWindowTest)
#include "tst_mainwindow.moc"
