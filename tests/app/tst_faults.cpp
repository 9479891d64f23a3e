// Faults found by using the program as a new user would: real clicks and keys, and what the user sees or loses.
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include "OptionStore.h"
#include "ScriptedPrompt.h"
#include "TestDocumentHost.h"
#include "app/DocumentLifecycle.h"
#include "app/ModMain.h"
#include "app/frmMain.h"
#include "docwindow/DocTreeModel.h"
#include "docwindow/EntryPane.h"
#include "docwindow/NodeSelection.h"
#include "docwindow/frmKMF.h"
#include "session/DocumentSession.h"

using namespace keymora;
using namespace keymora::test;

namespace {

const Credentials kLogin{QStringLiteral("me"), QStringLiteral("pw")};

bool docHas(frmKMF& doc, const char* id) { return doc.session().doc().nodeById(id); }

QString deleteItemText(const frmMain& main) { return main.menuItem(QStringLiteral("mnuDeleteItem"))->text(); }

bool editMenuShown(const frmMain& main) { return main.menuItem(QStringLiteral("mnuEdit"))->isVisible(); }

}  // namespace

class FaultsTest : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    TestSettings m_config;

    QString writeSample(const QString& name, const char* filetype = "private") {
        const QString path = m_dir.filePath(name);
        QDir().mkpath(QFileInfo(path).absolutePath());
        writeDataFile(path.toStdString(), sampleXml(filetype), "me", "pw");
        return path;
    }
    frmKMF* openIn(frmMain& main, const QString& path, ScriptedPrompt& prompt) {
        prompt.expectCredentials(kLogin);
        if (!OpenDataFile(main, path)) return nullptr;
        return main.activeDocument();
    }

private slots:
    void initTestCase() { QVERIFY(m_dir.isValid() && m_config.isValid()); }
    void init() {
        TestSettings::startSeeded();  // as every real start does
        keymora::OpenDocumentCount() = 0;
    }

    // (a) A list item clicked, then another tree node: Delete names and removes the tree node.
    void deleteActsOnTheNodeTheMenuNames() {
        ScriptedPrompt prompt;
        frmMain main;
        main.show();
        frmKMF* doc = openIn(main, writeSample(QStringLiteral("del.kmf")), prompt);
        QVERIFY(doc);
        QVERIFY(clickRow(doc->treeView(), QStringLiteral("Banking")));
        QVERIFY(clickRow(doc->listView(), QStringLiteral("Mail")));
        QCOMPARE(deleteItemText(main), QStringLiteral("Delete \"Mail\""));
        QVERIFY(clickRow(doc->treeView(), QStringLiteral("Other")));
        QCOMPARE(deleteItemText(main), QStringLiteral("Delete \"Other\""));

        prompt.expectMessageContaining(QStringLiteral("\"Other\""), MsgAnswer::Yes);  // full text: tst_doccommands
        main.menuItem(QStringLiteral("mnuDeleteItem"))->trigger();
        QVERIFY(docHas(*doc, kMail));                                      // Mail survives
        QVERIFY(!docHas(*doc, kOther));  // Other is gone
        QVERIFY(!editMenuShown(main));  // nothing is selected any more
        KM_VERIFY_SCRIPT(prompt);
    }

    // (a) The Edit menu names the active window's selection, also after switching windows.
    void editMenuFollowsTheActiveWindow() {
        ScriptedPrompt prompt;
        frmMain main;
        main.show();
        frmKMF* first = openIn(main, writeSample(QStringLiteral("one.kmf")), prompt);
        QVERIFY(first);
        QVERIFY(clickRow(first->treeView(), QStringLiteral("Mail")));
        frmKMF* second = openIn(main, writeSample(QStringLiteral("two.kmf")), prompt);
        QVERIFY(second);
        QVERIFY(!editMenuShown(main));
        main.mdiArea()->setActiveSubWindow(qobject_cast<QMdiSubWindow*>(first->parentWidget()));
        QVERIFY(editMenuShown(main));
        QCOMPARE(deleteItemText(main), QStringLiteral("Delete \"Mail\""));
        // A rename in the window that is not active does not change the menu.
        QVERIFY(clickRow(second->treeView(), QStringLiteral("Cards")));
        QVERIFY(second->session().rename(second->selection().current(), "Plastic"));
        main.mdiArea()->setActiveSubWindow(qobject_cast<QMdiSubWindow*>(first->parentWidget()));
        QCOMPARE(deleteItemText(main), QStringLiteral("Delete \"Mail\""));
        KM_VERIFY_SCRIPT(prompt);
    }

    // (c) While the window is covered no key reaches the fields beneath, nor can they be copied.
    void lockedWindowTakesNoKeys() {
        ScriptedPrompt prompt;
        frmMain main;
        main.show();
        frmKMF* doc = openIn(main, writeSample(QStringLiteral("lock.kmf")), prompt);
        QVERIFY(doc);
        QVERIFY(clickRow(doc->treeView(), QStringLiteral("Mail")));
        QVERIFY(doc->entryPaneVisible());
        doc->entryPane()->txtUserName->setFocus();
        QApplication::clipboard()->setText(QStringLiteral("before"));

        doc->LockFileDisplay();
        QWidget* focused = QApplication::focusWidget();
        QTest::keyClicks(focused ? focused : doc, QStringLiteral("typed"));
        QTest::keyClicks(doc->entryPane()->txtUserName, QStringLiteral("typed"));
        QTest::keyClick(doc->entryPane()->txtNotes, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(doc->entryPane()->txtNotes, Qt::Key_C, Qt::ControlModifier);
        QTest::mouseClick(static_cast<QWidget*>(doc->entryPane()->cmdCopyPassword), Qt::LeftButton);

        QCOMPARE(QString::fromUtf8(doc->session().doc().nodeById(kMail).child("userid").text().get()),
                 QStringLiteral("alice"));
        QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("before"));
        QVERIFY(QApplication::focusWidget() != doc->entryPane()->txtUserName);
        KM_VERIFY_SCRIPT(prompt);
    }

    // (b) A file whose name begins with "Document" is still a saved file.
    void savedFileNamedDocumentsIsNotNew() {
        ScriptedPrompt prompt;
        frmMain main;
        main.show();
        writeSample(QStringLiteral("Documents/mine.kmf"));
        const QString old = QDir::currentPath();
        QDir::setCurrent(m_dir.path());
        frmKMF* doc = openIn(main, QStringLiteral("Documents/mine.kmf"), prompt);
        QDir::setCurrent(old);
        QVERIFY(doc);
        QCOMPARE(doc->fileName(), m_dir.filePath(QStringLiteral("Documents/mine.kmf")));
        putOption("Auto Save Changes", "0");
        QVERIFY(clickRow(doc->treeView(), QStringLiteral("Mail")));
        doc->entryPane()->txtUserName->setText(QStringLiteral("carol"));
        main.menuItem(QStringLiteral("mnuFileSave"))->trigger();  // no save dialog may appear
        QVERIFY(!doc->session().dirty());
        KM_VERIFY_SCRIPT(prompt);
    }

    // (d) A private file held here, also after a save, is "in use" to a second open, which asks nothing.
    void privateFileOpenTwiceIsInUse() {
        ScriptedPrompt prompt;
        frmMain main;
        main.show();
        const QString path = writeSample(QStringLiteral("twice.kmf"));
        frmKMF* doc = openIn(main, path, prompt);
        QVERIFY(doc);
        main.menuItem(QStringLiteral("mnuFileSave"))->trigger();
        prompt.expectMessage(QStringLiteral("File in use"), QStringLiteral("File in use"),
                             MsgIcon::Information, MsgButtons::Ok);
        QVERIFY(!OpenDataFile(main, path));
        QCOMPARE(main.OpenDocumentCount(), 1);
        KM_VERIFY_SCRIPT(prompt);
    }

    // (e) The list behind an entry after switching windows, the status count and the modified date agree.
    void viewsAgreeWithTheDocument() {
        ScriptedPrompt prompt;
        frmMain main;
        main.show();
        putOption("Auto Save Changes", "0");
        frmKMF* doc = openIn(main, writeSample(QStringLiteral("views.kmf")), prompt);
        QVERIFY(doc);
        QVERIFY(!doc->listView()->isVisible());  // nothing selected: no list
        QVERIFY(clickRow(doc->treeView(), QStringLiteral("Cards")));
        QVERIFY(clickRow(doc->treeView(), QStringLiteral("Mail")));
        QTest::keyClicks(doc->entryPane()->txtUserName, QStringLiteral("!"));
        const QString modified = QString::fromUtf8(
            doc->session().doc().nodeById(kMail).child("DateModified").text().get());
        QCOMPARE(doc->entryPane()->lblNodeProperties(5)->text(), QStringLiteral("Date Last Modified: ") + modified);

        frmKMF* other = openIn(main, writeSample(QStringLiteral("views2.kmf")), prompt);
        QVERIFY(other && other != doc);
        QVERIFY(!doc->entryPaneVisible());
        QCOMPARE(rowTexts(doc->listView()), (QStringList{"Bank", "Cards", "Loans", "Mail", "Shop"}));
        QCOMPARE(doc->statusText(), QStringLiteral("5 Entries"));
        doc->session().discardChanges();
        KM_VERIFY_SCRIPT(prompt);
    }
};

QTEST_MAIN(FaultsTest)
#include "tst_faults.moc"
