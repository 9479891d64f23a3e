// Opening, saving, creating and closing document windows.
#include <QLineEdit>
#include <QtTest/QtTest>

#include <sys/resource.h>

#include <csignal>
#include <functional>

#include "OptionStore.h"
#include "ScriptedPrompt.h"
#include "TestDocumentHost.h"
#include "app/DocumentLifecycle.h"
#include "docwindow/EntryPane.h"
#include "docwindow/frmKMF.h"
#include "storage/FileLock.h"
#include "support/ClsReg.h"
#include "support/RecentFiles.h"
#include "testsupport/TempDir.h"

using namespace keymora;
using namespace keymora::test;

namespace {

const Credentials kUserP{QStringLiteral("u"), QStringLiteral("p")};

// Runs `step` while no file may grow past 4 KiB, as on a full disk.
bool withSmallFileLimit(const std::function<bool()>& step) {
    struct rlimit old {};
    getrlimit(RLIMIT_FSIZE, &old);
    auto previous = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = old;
    small.rlim_cur = 4096;
    setrlimit(RLIMIT_FSIZE, &small);
    const bool result = step();
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, previous);
    return result;
}

}  // namespace

class DocLifecycleTest : public QObject, private MainWindowFixture {
    Q_OBJECT

private:
    QString makeFile(const QString& name) {
        const std::string path = m_dir->file(name.toStdString());
        writeDataFile(path, sampleXml(), "demo", "keymora");
        return QString::fromStdString(path);
    }

    // Makes the document much larger than the file size limit the save tests set.
    static void makeLarge(frmKMF& w) {
        std::string big(200000, 'x');
        for (char& c : big) c = static_cast<char>('a' + (std::rand() % 26));
        QVERIFY(w.session().updateField(w.session().doc().nodeById(kMail), labels::Field::Notes, big));
    }

    // A new document under "u" / "p", marked edited unless told otherwise.
    static frmKMF* newDoc(TestHost& host, ScriptedPrompt& prompt, bool edited = true) {
        prompt.expectCredentials(kUserP);
        frmKMF* w = NewDocumentCommand(host);
        if (w && edited) w->session().markEdited();
        return w;
    }

    frmKMF* open(TestHost& host, ScriptedPrompt& prompt, const QString& path) {
        prompt.expectCredentials(Credentials{QStringLiteral(" demo "), QStringLiteral("keymora")});
        if (!OpenDataFile(host, path)) return nullptr;
        return host.windows().isEmpty() ? nullptr : host.windows().last();
    }

private slots:
    void initTestCase() {
        QVERIFY(m_config.isValid());
        qputenv("HOME", m_config.path().toUtf8());
    }
    void init() { startFresh(); }  // changes wait for an explicit save
    void cleanup() { m_dir.reset(); }

    // How the lock keeps others out is OpenSaveTest's; a second open of a held file is tst_faults' (d).
    void openWithRightCredentialsShowsTheDocumentAndLocksIt() {
        const QString path = makeFile(QStringLiteral("a.kmf"));
        ScriptedPrompt prompt;
        TestHost host;
        frmKMF* w = open(host, prompt, path);
        KM_VERIFY_SCRIPT(prompt);
        QVERIFY(w != nullptr);
        QCOMPARE(host.windows().size(), 1);
        QCOMPARE(host.openCount, 1);
        QCOMPARE(w->caption(), path);
        QCOMPARE(w->session().userId(), std::string("demo"));  // blanks trimmed
        QVERIFY(w->session().lockHeld());
        QCOMPARE(w->treeView()->model()->rowCount(), 2);
        // The login text names the file, not its folder.
        QCOMPARE(prompt.logins().value(0).instructions,
                 QStringLiteral("Enter the User Name and \r\nPassword to UN-Lock a.kmf"));
    }

    void failedOpensLeaveNoWindow() {
        const QString path = makeFile(QStringLiteral("b.kmf"));
        ScriptedPrompt prompt;
        TestHost host;
        prompt.expectCredentials(Credentials{QStringLiteral("demo"), QStringLiteral("wrong")});
        prompt.expectMessageContaining(QStringLiteral("File Failed to decrypt.  Invalid User Name/Password combination."));
        QVERIFY(!OpenDataFile(host, path));
        KM_VERIFY_SCRIPT(prompt);
        QCOMPARE(prompt.messages().value(0).title, QStringLiteral("Decryption Failure"));
        QCOMPARE(prompt.messages().value(0).icon, MsgIcon::Critical);
        QVERIFY(host.windows().isEmpty());

        // A cancelled login, a missing file and the box's placeholder open nothing either.
        prompt.expectCredentials(std::nullopt);
        QVERIFY(!OpenDataFile(host, path));
        prompt.expectMessageContaining(QStringLiteral("Error: 53\r\nDescription: File Not Found"));
        QVERIFY(!OpenDataFile(host, QString::fromStdString(m_dir->file("none.kmf"))));
        QVERIFY(!OpenDataFile(host, QStringLiteral("Most Recently Used Files")));
        KM_VERIFY_SCRIPT(prompt);
        QCOMPARE(host.openCount, 0);
    }

    // What the saved file holds and how it is locked is OpenSaveTest's.
    void saveWritesTheTypedChangeAndRemembersTheFile() {
        const QString path = makeFile(QStringLiteral("d.kmf"));
        ScriptedPrompt prompt;
        TestHost host;
        frmKMF* w = open(host, prompt, path);
        QVERIFY(w != nullptr);
        w->NodeClick(kMail);
        w->entryPane()->txtUserName->setText(QStringLiteral("carol"));
        QVERIFY(SaveCommand(host, *w));
        QVERIFY(!w->session().dirty());
        auto saved = readDataFile(path.toStdString(), "demo", "keymora");
        QVERIFY(saved);
        QCOMPARE(std::string(saved->nodeById(kMail).child_value("userid")), std::string("carol"));
        QCOMPARE(recentfiles::List(clsReg()), std::vector<std::string>{path.toStdString()});
        KM_VERIFY_SCRIPT(prompt);
    }

    // A failed save, by Save or on closing, keeps the window and its changes (old bytes: DataFileTest).
    void failedSaveKeepsTheWindowAndTheChanges() {
        const QString path = makeFile(QStringLiteral("e.kmf"));
        ScriptedPrompt prompt;
        TestHost host;
        frmKMF* w = open(host, prompt, path);
        QVERIFY(w != nullptr);
        makeLarge(*w);

        prompt.expectMessageContaining(QStringLiteral("Error: "));
        QVERIFY(!withSmallFileLimit([&] { return SaveCommand(host, *w); }));
        QVERIFY(prompt.messages().value(0).text.contains(QStringLiteral("not saved")));
        QVERIFY(w->session().dirty());

        prompt.expectMessageContaining(QStringLiteral("Save it now?"), MsgAnswer::Yes);
        prompt.expectMessageContaining(QStringLiteral("Error: "));
        QVERIFY(!withSmallFileLimit([&] { return CloseAllForExit(host); }));
        KM_VERIFY_SCRIPT(prompt);
        QCOMPARE(host.windows().size(), 1);
        QVERIFY(w->session().dirty());
        QVERIFY(!host.canShutDown());
    }

    void closePromptPaths() {
        const QString path = makeFile(QStringLiteral("g.kmf"));
        ScriptedPrompt prompt;
        TestHost host;
        frmKMF* w = open(host, prompt, path);
        QVERIFY(w != nullptr);
        w->session().markEdited();

        // Cancel keeps the window and refuses the shutdown.
        prompt.expectMessage(QStringLiteral("Document has changed.  Save it now?"), QStringLiteral("Document not saved"),
                             MsgIcon::None, MsgButtons::YesNoCancel, MsgAnswer::Cancel);
        QVERIFY(!CloseDocument(host, *w));
        QCOMPARE(host.windows().size(), 1);
        QVERIFY(!host.canShutDown());

        // Yes saves under the caption's file name (without the marker) and closes.
        const std::string before = readFile(path.toStdString());
        w->session().updateField(w->session().doc().nodeById(kBank), labels::Field::UserId, "changed");
        host.setCanShutDown(true);
        prompt.expectMessageContaining(QStringLiteral("Save it now?"), MsgAnswer::Yes);
        QVERIFY(CloseDocument(host, *w));
        QVERIFY(host.windows().isEmpty());
        QCOMPARE(host.openCount, 0);
        QVERIFY(readFile(path.toStdString()) != before);
        QVERIFY(FileLock::tryAcquire(path.toStdString(), LockMode::Private).ok());  // lock released

        // A never-saved document: Yes, then no name -> "Filename missing", stays open.
        frmKMF* n = newDoc(host, prompt);
        QVERIFY(n != nullptr);
        prompt.expectMessageContaining(QStringLiteral("Save it now?"), MsgAnswer::Yes);
        prompt.expectSaveFile(QString());
        prompt.expectMessageContaining(QStringLiteral("You must specify a document name to close with save."));
        QVERIFY(!CloseDocument(host, *n));
        QCOMPARE(prompt.messages().last().title, QStringLiteral("Filename missing"));
        QCOMPARE(prompt.messages().last().icon, MsgIcon::Question);
        QCOMPARE(host.windows().size(), 1);
        QVERIFY(!host.canShutDown());

        // No closes without saving.
        prompt.expectMessageContaining(QStringLiteral("Save it now?"), MsgAnswer::No);
        QVERIFY(CloseDocument(host, *n));
        QVERIFY(host.windows().isEmpty());
        KM_VERIFY_SCRIPT(prompt);
    }

    void exitStopsAtTheSecondOfThreeDocuments() {
        ScriptedPrompt prompt;
        TestHost host;
        for (int i = 0; i < 3; ++i) QVERIFY(newDoc(host, prompt) != nullptr);
        QCOMPARE(host.windows().size(), 3);
        prompt.expectMessageContaining(QStringLiteral("Save it now?"), MsgAnswer::No);
        prompt.expectMessageContaining(QStringLiteral("Save it now?"), MsgAnswer::Cancel);
        QVERIFY(!CloseAllForExit(host));
        QCOMPARE(host.windows().size(), 2);
        QVERIFY(!host.canShutDown());
        KM_VERIFY_SCRIPT(prompt);
        // Clean windows close without a question.
        for (frmKMF* w : host.windows()) w->session().discardChanges();
        QVERIFY(CloseAllForExit(host));
        QVERIFY(host.windows().isEmpty());
    }

    void newDocumentsAreNumberedAndNeverReuseNumbers() {
        ScriptedPrompt prompt;
        TestHost host;
        prompt.expectCredentials(std::nullopt);
        QVERIFY(NewDocumentCommand(host) == nullptr);
        QVERIFY(host.windows().isEmpty());
        QVERIFY(newDoc(host, prompt, false) && newDoc(host, prompt, false));
        QVERIFY(CloseAllForExit(host));
        frmKMF* third = newDoc(host, prompt, false);
        QVERIFY(third != nullptr);
        QCOMPARE(third->caption(), QStringLiteral("Document 3"));
        QVERIFY(third->session().saveRequired());  // what that means is OpenSaveTest's
        // Legacy protection is offered, unticked; a ticked box makes a modern file.
        QVERIFY(prompt.logins().last().offerModern && !prompt.logins().last().modern);
        QCOMPARE(third->session().protection(), Protection::Legacy);
        Credentials modern = kUserP;
        modern.modern = true;
        prompt.expectCredentials(modern);
        frmKMF* fourth = NewDocumentCommand(host);
        QVERIFY(fourth != nullptr);
        QCOMPARE(fourth->session().protection(), Protection::Modern);
        QCOMPARE(fourth->protectionText(), QStringLiteral("Modern protection"));
        KM_VERIFY_SCRIPT(prompt);
    }

    void firstSaveOfANewDocument() {
        ScriptedPrompt prompt;
        TestHost host;
        frmKMF* w = newDoc(host, prompt);
        QVERIFY(w != nullptr);
        // No name at first: the question; OK asks again; a name saves.
        const QString path = QString::fromStdString(m_dir->file("new.kmf"));
        prompt.expectSaveFile(QString());
        prompt.expectMessageContaining(QStringLiteral("You must save the file before use."), MsgAnswer::Ok);
        prompt.expectSaveFile(path);
        QVERIFY(SaveCommand(host, *w));
        QCOMPARE(prompt.messages().value(0).title, QStringLiteral("File Save Required"));
        QCOMPARE(w->caption(), path);
        QVERIFY(!w->session().dirty());
        QVERIFY(QFileInfo::exists(path));

        // Another new document, question answered Cancel: the window closes unsaved.
        frmKMF* n = newDoc(host, prompt);
        QVERIFY(n != nullptr);
        prompt.expectSaveFile(QString());
        prompt.expectMessageContaining(QStringLiteral("Press Cancel to close this file."), MsgAnswer::Cancel);
        QVERIFY(!SaveCommand(host, *n));
        QCOMPARE(host.windows().size(), 1);
        KM_VERIFY_SCRIPT(prompt);
    }

    void saveAllSavesEveryDirtyDocument() {
        const QString a = makeFile(QStringLiteral("sa.kmf"));
        const QString b = makeFile(QStringLiteral("sb.kmf"));
        const QString c = makeFile(QStringLiteral("sc.kmf"));
        ScriptedPrompt prompt;
        TestHost host;
        frmKMF* wa = open(host, prompt, a);
        frmKMF* wb = open(host, prompt, b);
        frmKMF* wc = open(host, prompt, c);
        QVERIFY(wa && wb && wc);
        const std::string bBefore = readFile(b.toStdString());
        wa->session().markEdited();
        wc->session().markEdited();
        SaveAllCommand(host);
        QVERIFY(!wa->session().dirty() && !wc->session().dirty());  // clean only once written
        QCOMPARE(readFile(b.toStdString()), bBefore);
        KM_VERIFY_SCRIPT(prompt);
    }

    // The lock and the old file are OpenSaveTest's.
    void saveAsAsksForTheNewName() {
        const QString a = makeFile(QStringLiteral("as1.kmf"));
        const QString b = QString::fromStdString(m_dir->file("as2.kmf"));
        ScriptedPrompt prompt;
        TestHost host;
        frmKMF* w = open(host, prompt, a);
        QVERIFY(w != nullptr);
        w->session().markEdited();
        prompt.expectSaveFile(b);
        QVERIFY(SaveAsCommand(host, *w));
        QCOMPARE(prompt.fileDialogs().value(0).title, QStringLiteral("Save As"));
        QCOMPARE(w->caption(), b);
        QVERIFY(!w->session().dirty());
        KM_VERIFY_SCRIPT(prompt);
    }
};

QTEST_MAIN(DocLifecycleTest)
#include "tst_doclifecycle.moc"
