// Document window commands and state: item commands, caption and titles, Auto Save, read-only, lock, close.
#include <QLineEdit>
#include <QSignalSpy>

#include <filesystem>

#include "ScriptedPrompt.h"
#include "TestDocumentHost.h"
#include "storage/FileLock.h"

using namespace keymora;
using namespace keymora::test;

namespace {

QString confirmText(const char* name) {
    return QStringLiteral("Are you sure you wish to delete\r\n\"") + QString::fromLatin1(name) +
           QStringLiteral("\"?");
}

}  // namespace

class DocCommandsTest : public QObject, private DocWindowFixture {
    Q_OBJECT

    void expectDelete(ScriptedPrompt& prompt, const char* name, MsgAnswer answer) {
        prompt.expectMessage(confirmText(name), QStringLiteral("Confirm Deleting Entry"), MsgIcon::None,
                             MsgButtons::YesNo, answer);
    }

private slots:
    void initTestCase() { QVERIFY(m_config.isValid()); }
    void init() { openSample(); }
    void cleanup() { closeSample(); }

    // tst_faults checks which node Delete takes after clicks in both views.
    void deleteAsksThenSelectsTheParent() {
        QSignalSpy named(m_w, &frmKMF::selectionChanged);
        QVERIFY(clickTree(QStringLiteral("Loans")));
        ScriptedPrompt prompt;
        expectDelete(prompt, "Loans", MsgAnswer::No);
        m_w->deleteSelected();
        QVERIFY(node(kLoans));
        expectDelete(prompt, "Loans", MsgAnswer::Yes);
        m_w->deleteSelected();
        KM_VERIFY_SCRIPT(prompt);
        QVERIFY(!node(kLoans));
        // The parent is shown and selected afterwards.
        QCOMPARE(m_w->selection().currentId(), std::string(kBanking));
        QCOMPARE(m_w->treeView()->currentIndex().data().toString(), QStringLiteral("Banking"));
        QCOMPARE(rowTexts(m_w->listView()), (QStringList{"Bank", "Cards", "Mail", "Shop"}));
        QCOMPARE(named.last().at(1).toString(), QStringLiteral("Banking"));

        // An entry clicked in the list goes, without a question when that is off.
        putOption("Confirm Entry Deletes", "0");
        QVERIFY(clickList(QStringLiteral("Bank")));
        m_w->deleteSelected();
        QVERIFY(!node(kBank));
        // A category goes and nothing is selected: no list, no status.
        m_w->deleteSelected();
        QVERIFY(!node(kBanking));
        QCOMPARE(m_w->selection().currentKind(), NodeKind::None);
        QCOMPARE(named.last().at(0).value<NodeKind>(), NodeKind::None);
        QVERIFY(!m_w->listView()->isVisible());
        QCOMPARE(m_w->statusText(), QString());
        m_w->deleteSelected();  // nothing selected: nothing happens
        QVERIFY(node(kOther));
    }

    void addedNodesBecomeTheSelection() {
        // A category needs no selection: a file without any can still get one.
        m_w->addCategory();
        QCOMPARE(rowTexts(m_w->treeView()), (QStringList{"Banking", "Other", "New Category"}));
        QVERIFY(clickTree(QStringLiteral("Other")));
        m_w->addCategory();
        QCOMPARE(rowTexts(m_w->treeView()),
                 (QStringList{"Banking", "Other", "New Category", "New Category"}));
        QCOMPARE(m_w->selection().currentName(), QStringLiteral("New Category"));
        QCOMPARE(m_w->treeView()->currentIndex().data().toString(), QStringLiteral("New Category"));
        m_w->addSubCategory();
        const pugi::xml_node sub = m_w->selection().current();
        QCOMPARE(KindOf(sub), NodeKind::SubCategory);
        QCOMPARE(QString::fromUtf8(NodeName(sub.parent())), QStringLiteral("New Category"));
        QCOMPARE(m_w->treeView()->currentIndex().data().toString(), QStringLiteral("New Sub-Category"));
        m_w->upLevel();
        QCOMPARE(m_w->selection().currentName(), QStringLiteral("New Category"));
        QCOMPARE(rowTexts(m_w->listView()), QStringList{"New Sub-Category"});
    }

    // Which nodes a sort moves is SortTest's.
    void sortKeepsTheSelection() {
        QVERIFY(clickTree(QStringLiteral("Mail")));
        m_w->sortSelectedLevel(SortDirection::Descending);
        const QModelIndex banking = findRow(m_w->treeView(), QStringLiteral("Banking"));
        QCOMPARE(rowTexts(m_w->treeView(), banking), (QStringList{"Shop", "Mail", "Loans", "Cards", "Bank"}));
        QCOMPARE(m_w->treeView()->currentIndex().data().toString(), QStringLiteral("Mail"));
        QCOMPARE(m_w->selection().currentId(), std::string(kMail));
    }

    void listViewOfTheSelectionIsStoredWithoutAnEdit() {
        QVERIFY(clickTree(QStringLiteral("Cards")));
        m_w->setListViewOfSelection(2);
        QCOMPARE(m_w->listViewMode(), 2);
        QCOMPARE(std::string(node(kCards).attribute("listview").value()), std::string("2"));
        QVERIFY(clickList(QStringLiteral("Visa")));  // an entry's list is its level's
        m_w->setListViewOfSelection(0);
        QCOMPARE(std::string(node(kCards).attribute("listview").value()), std::string("0"));
        QVERIFY(!node(kVisa).attribute("listview"));
        QVERIFY(!session().dirty());
    }

    void captionAndTitlesComeFromTheSession() {
        QCOMPARE(m_w->caption(), m_path);
        QCOMPARE(m_w->titleLabel(0), QStringLiteral("Single User Private File"));
        QCOMPARE(m_w->titleLabel(1), QStringLiteral("Read/Write Capable"));
        QSignalSpy captions(m_w, &frmKMF::captionChanged);
        session().markEdited();
        QCOMPARE(m_w->caption(), m_path + QStringLiteral(" - *"));
        session().markEdited();
        QCOMPARE(m_w->caption(), m_path + QStringLiteral(" - *"));  // never doubled
        QVERIFY(session().save().saved());
        QCOMPARE(m_w->caption(), m_path);
        QCOMPARE(captions.count(), 2);

        // A new file has no kind or access until held (its caption is tst_doclifecycle's).
        frmKMF* fresh = showWindow(*m_host, sessionFromXml(sampleXml(), true), QStringLiteral("Document 7"));
        QCOMPARE(fresh->titleLabel(0), QString());
    }

    void autoSaveSavesAtOnceButNotANewDocument() {
        putOption("Auto Save Changes", "1");
        m_w->readOptions();
        const std::string before = readFile(m_path.toStdString());
        QVERIFY(clickTree(QStringLiteral("Mail")));
        QTest::keyClicks(m_w->entryPane()->txtUserName, QStringLiteral("zz"));
        QCOMPARE(m_w->caption(), m_path);  // no marker while the save is on its way
        QTRY_VERIFY(!session().savePending());
        QVERIFY(!session().dirty());
        QCOMPARE(m_w->caption(), m_path);
        auto saved = readDataFile(m_path.toStdString(), "user", "Secret");
        QVERIFY(saved);
        QCOMPARE(std::string(saved->nodeById(kMail).child("userid").child_value()), std::string("alicezz"));

        {  // A write that fails says so and leaves the change marked.
            std::filesystem::remove_all(m_dir->path());
            ScriptedPrompt prompt;
            prompt.expectMessageContaining(QStringLiteral("The file was not saved."));
            QTest::keyClicks(m_w->entryPane()->txtUserName, QStringLiteral("y"));
            QTRY_VERIFY(!session().savePending());
            QVERIFY(session().dirty());
            QCOMPARE(m_w->caption(), m_path + QStringLiteral(" - *"));
        }

        frmKMF* fresh = showWindow(*m_host, sessionFromXml(sampleXml(), true), QStringLiteral("Document 1"));
        fresh->NodeClick(kMail);
        QTest::keyClicks(fresh->entryPane()->txtUserName, QStringLiteral("z"));
        QVERIFY(fresh->session().dirty());
    }

    void readOnlyFileTakesNoEdits() {
        const std::string shared = writeSample("shared.kmf", "shared");
        LockResult writer = FileLock::tryAcquire(shared, LockMode::SharedWriter);
        QVERIFY(writer.ok());
        frmKMF* w = openWindow(shared);
        QCOMPARE(w->titleLabel(0), QStringLiteral("Multi User Shared File (Read Only)"));
        QCOMPARE(w->titleLabel(1), QStringLiteral("Read Only"));
        QSignalSpy status(w, &frmKMF::mainStatusText);
        QVERIFY(clickRow(w->treeView(), QStringLiteral("Mail")));
        QTest::keyClicks(w->entryPane()->txtUserName, QStringLiteral("other"));
        QCOMPARE(w->entryPane()->txtUserName->text(), QStringLiteral("alice"));
        ScriptedPrompt prompt;  // no delete question either
        w->deleteSelected();
        w->sortSelectedLevel(SortDirection::Descending);
        QVERIFY(w->session().doc().nodeById(kMail));
        w->session().markEdited();
        QVERIFY(!w->session().dirty());
        QCOMPARE(w->caption(), QString::fromStdString(shared));
        QCOMPARE(status.count(), 0);
        QVERIFY(!SaveCommand(*m_host, *w));
    }

    // Covered: the entry hidden, commands do nothing (keys: tst_faults); only right credentials uncover it.
    void coverHoldsUntilTheCredentialsAreGiven() {
        QVERIFY(clickTree(QStringLiteral("Mail")));
        EntryPane* pane = m_w->entryPane();
        m_w->LockFileDisplay();
        QVERIFY(m_w->displayLocked());
        QVERIFY(!m_w->entryPaneVisible());
        ScriptedPrompt prompt;
        m_w->deleteSelected();  // no question: nothing happens while locked
        QVERIFY(node(kMail));

        prompt.expectCredentials(std::nullopt);
        QVERIFY(!m_w->UnlockFileDisplay());
        prompt.expectCredentials(Credentials{QStringLiteral("user"), QStringLiteral("secret")});  // case differs
        prompt.expectMessageContaining(QStringLiteral("File Failed to decrypt.  Invalid User Name/Password combination."));
        QVERIFY(!m_w->UnlockFileDisplay());
        QVERIFY(m_w->displayLocked());
        QCOMPARE(prompt.messages().value(0).icon, MsgIcon::Exclamation);
        prompt.expectCredentials(Credentials{QStringLiteral("  user "), QStringLiteral("Secret")});
        QVERIFY(m_w->UnlockFileDisplay());
        QCOMPARE(prompt.logins().value(0).instructions,
                 QStringLiteral("Enter the User Name and \r\nPassword to UN-Lock \r\nsample.kmf"));
        KM_VERIFY_SCRIPT(prompt);
        QVERIFY(!m_w->displayLocked());
        QVERIFY(m_w->entryPaneVisible());
        QTest::keyClicks(pane->txtUserName, QStringLiteral("!"));
        QCOMPARE(field(kMail, "userid"), std::string("alice!"));
    }

    // What a closed session wipes is OpenSaveTest's; the window must close it and empty its views.
    void closingClosesTheSessionAndEmptiesTheViews() {
        QVERIFY(clickTree(QStringLiteral("Visa")));
        m_w->releaseEverything();
        QVERIFY(session().closed());
        QVERIFY(m_w->entryPane()->txtPassword->text().isEmpty());
        QCOMPARE(m_w->treeView()->model()->rowCount(), 0);
        QCOMPARE(m_w->selection().currentKind(), NodeKind::None);
    }
};

QTEST_MAIN(DocCommandsTest)
#include "tst_doccommands.moc"
