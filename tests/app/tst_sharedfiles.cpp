// Shared files with the writer in another process (keymora_holder): refusals, watcher, Refresh, Mark Shared.
#include <QAction>
#include <QLineEdit>
#include <QTest>

#include <optional>

#include "OptionStore.h"
#include "ScriptedPrompt.h"
#include "TestDocumentHost.h"
#include "app/ModMain.h"
#include "app/SharedFiles.h"
#include "app/frmMain.h"
#include "testsupport/HolderProcess.h"

using namespace keymora;
using namespace keymora::test;

namespace {

const Credentials kLogin{QStringLiteral("user"), QStringLiteral("Secret")};
const QString kNotifyText = QStringLiteral(
    "This is a shared file that you only have read access in.\r\n"
    "Would you like to be notified when the current Read/Write owner saves changes?");
const QString kChangedText = QStringLiteral(
    "The file family.kmf has changed.  To see the changes, press the Refresh button on the toolbar.");

// The tree's names and fields in order (expansion and list mode are no edit, so left out).
std::string documentText(DocumentSession& session) {
    std::string text;
    for (pugi::xpath_node n : session.doc().dom().select_nodes("//*[@id]")) {
        text += n.node().attribute("value").value();
        for (pugi::xml_node f = n.node().first_child(); f; f = f.next_sibling())
            if (f.type() == pugi::node_element && !f.first_child().first_child()) text += '|' + std::string(f.child_value());
        text += '\n';
    }
    return text;
}

}  // namespace

class SharedFilesTest : public QObject, private MainWindowFixture {
    Q_OBJECT
private:
    std::string m_path;

    frmKMF* open(frmMain& main, ScriptedPrompt& prompt, std::optional<MsgAnswer> notify) {
        prompt.expectCredentials(kLogin);
        if (notify)
            prompt.expectMessage(kNotifyText, QStringLiteral("Notify you of changes?"), MsgIcon::Question,
                                 MsgButtons::YesNo, *notify);
        return OpenDataFile(main, QString::fromStdString(m_path)) ? main.activeDocument() : nullptr;
    }
    // The private sample open, with a "z" typed after Mail's user name.
    frmKMF* openAndType(frmMain& main, ScriptedPrompt& prompt) {
        writeDataFile(m_path, sampleXml(), "user", "Secret");
        main.show();
        frmKMF* w = open(main, prompt, std::nullopt);
        if (!w || !clickRow(w->treeView(), QStringLiteral("Mail"))) return nullptr;
        QTest::keyClicks(w->entryPane()->txtUserName, QStringLiteral("z"));
        return w;
    }
    QAction* item(frmMain& main, const char* name) { return main.menuItem(QString::fromLatin1(name)); }
    void pressF5(frmMain& main) {
        main.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&main));
        QTest::keyClick(&main, Qt::Key_F5);
    }

private slots:
    void init() {
        startFresh();
        m_path = m_dir->file("family.kmf");
    }
    void cleanup() { m_dir.reset(); }

    void readerRefusesEveryEditAndFollowsTheWriter() {
        writeDataFile(m_path, sampleXml("shared"), "user", "Secret");
        Holder writer(m_path, "user", "Secret");
        QCOMPARE(writer.opened, std::string("open writer"));
        frmMain main;
        main.show();
        ScriptedPrompt prompt;
        frmKMF* w = open(main, prompt, MsgAnswer::Yes);
        QVERIFY(w);
        QCOMPARE(w->titleLabel(0), QStringLiteral("Multi User Shared File (Read Only)"));
        QCOMPARE(w->titleLabel(1), QStringLiteral("Read Only"));
        QCOMPARE(main.statusPanel(1), QStringLiteral("read only"));
        QVERIFY(w->watchingForChanges());
        QVERIFY(!item(main, "mnuFileMarkShared")->isEnabled());

        // Menus, keys and a slow second click change nothing and the screen stays (own commands: tst_doccommands).
        const std::string before = documentText(w->session());
        QVERIFY(clickRow(w->treeView(), QStringLiteral("Banking")));
        QVERIFY(clickRow(w->treeView(), QStringLiteral("Banking")));
        QVERIFY(!w->treeView()->indexWidget(findRow(w->treeView(), QStringLiteral("Banking"))));
        QVERIFY(clickRow(w->treeView(), QStringLiteral("Mail")));
        for (const char* name : {"mnuDeleteItem", "mnuAddCategory", "mnuFileChangePassword", "mnuFileSave"})
            item(main, name)->trigger();
        QTest::keyClick(&main, Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(documentText(w->session()), before);
        QVERIFY(!w->session().dirty());
        QVERIFY(w->entryPaneVisible());
        QCOMPARE(w->entryPane()->txtResourceName->text(), QStringLiteral("Mail"));
        KM_VERIFY_SCRIPT(prompt);

        // The writer saves (a rename): told within 2 s; F5 reads it, keeping the selection and closed branch.
        w->treeView()->collapse(findRow(w->treeView(), QStringLiteral("Cards")));
        prompt.expectMessage(kChangedText, QString(), MsgIcon::None, MsgButtons::Ok);
        QCOMPARE(writer.ask("add Work"), std::string("added"));
        QCOMPARE(writer.ask("save"), std::string("saved"));
        QTRY_VERIFY_WITH_TIMEOUT(prompt.ok(), 2000);
        pressF5(main);
        QVERIFY(findRow(w->treeView(), QStringLiteral("Work")).isValid());
        QVERIFY(w->entryPaneVisible());
        QCOMPARE(w->entryPane()->txtResourceName->text(), QStringLiteral("Mail"));
        QVERIFY(!w->treeView()->isExpanded(findRow(w->treeView(), QStringLiteral("Cards"))));
        QVERIFY(w->treeView()->isExpanded(findRow(w->treeView(), QStringLiteral("Banking"))));
        QVERIFY(w->session().readOnly());
        KM_VERIFY_SCRIPT(prompt);

        // Without notification, saves racing the reader's reads never fail them: old file or new, whole.
        QVERIFY(CloseDocument(main));
        w = open(main, prompt, MsgAnswer::No);
        QVERIFY(w && !w->watchingForChanges());
        for (int i = 0; i < 8; ++i) writer.send("save");
        for (int i = 0; i < 8; ++i) QVERIFY(RefreshCommand(hostOf(main), *w));
        for (int i = 0; i < 8; ++i) QCOMPARE(writer.answer(), std::string("saved"));
        KM_VERIFY_SCRIPT(prompt);

        // Once the writer has gone, Refresh makes the reader the writer, and says so.
        writer.quit();
        item(main, "mnuFileRefresh")->trigger();
        QCOMPARE(w->titleLabel(0), QStringLiteral("Multi User Shared File"));
        QCOMPARE(w->titleLabel(1), QStringLiteral("Read/Write Capable"));
        QCOMPARE(main.statusPanel(1), QStringLiteral("read/write capable"));
        QVERIFY(!w->session().readOnly());
    }

    void refreshAsksBeforeDroppingChanges() {
        frmMain main;
        ScriptedPrompt prompt;
        frmKMF* w = openAndType(main, prompt);
        QVERIFY(w);
        QVERIFY(w->session().dirty());
        const auto expectQuestion = [&](MsgAnswer answer) {
            prompt.expectMessage(QStringLiteral("This document has changes that are not saved.\r\n\r\n"
                                                "Are you sure you wish to refresh and lose the changes?"),
                                 QStringLiteral("Refresh"), MsgIcon::Question, MsgButtons::YesNo, answer);
        };
        expectQuestion(MsgAnswer::No);
        pressF5(main);
        QCOMPARE(w->entryPane()->txtUserName->text(), QStringLiteral("alicez"));
        expectQuestion(MsgAnswer::Yes);
        main.toolbarButton(QStringLiteral("Refresh"))->trigger();
        QCOMPARE(w->entryPane()->txtUserName->text(), QStringLiteral("alice"));
        QVERIFY(!w->session().dirty());
        QVERIFY(!w->caption().endsWith(QLatin1String(frmKMF::kDirtyMarker)));
        // A private file stays held exclusively across the reload.
        QCOMPARE(Holder(m_path, "user", "Secret").opened, std::string("refused in-use"));
    }

    void markSharedAsksThenSavesAndLetsReadersIn() {
        frmMain main;
        ScriptedPrompt prompt;
        frmKMF* w = openAndType(main, prompt);
        QVERIFY(w);
        const QString question = QStringLiteral(
            "This operation may not be undone once it is completed.  The file will forever be marked "
            "as a shared file.\r\n\r\nAre you sure you want to permanently mark this file as shared?");
        prompt.expectMessage(question, QStringLiteral("Permanent File Attribute Change"), MsgIcon::Question,
                             MsgButtons::YesNo, MsgAnswer::No);
        item(main, "mnuFileMarkShared")->trigger();
        QCOMPARE(w->titleLabel(0), QStringLiteral("Single User Private File"));
        QVERIFY(w->session().dirty());

        prompt.expectMessage(question, QStringLiteral("Permanent File Attribute Change"), MsgIcon::Question,
                             MsgButtons::YesNo, MsgAnswer::Yes);
        item(main, "mnuFileMarkShared")->trigger();
        QCOMPARE(w->titleLabel(0), QStringLiteral("Multi User Shared File"));
        QCOMPARE(w->titleLabel(1), QStringLiteral("Read/Write Capable"));
        QVERIFY(!w->session().dirty());
        QVERIFY(!item(main, "mnuFileMarkShared")->isEnabled());
        // Saved under its own name, with the change; another program now reads it.
        Holder reader(m_path, "user", "Secret");
        QCOMPARE(reader.opened, std::string("open reader"));
        const auto saved = readDataFile(m_path, "user", "Secret");
        QVERIFY(saved);
        QCOMPARE(std::string(saved->nodeById(kMail).child_value("userid")), std::string("alicez"));
    }
};

QTEST_MAIN(SharedFilesTest)
#include "tst_sharedfiles.moc"
