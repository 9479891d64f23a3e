// Opening, saving, creating and closing document windows.
#include <QApplication>
#include <QMdiArea>
#include <QLineEdit>
#include <QProcess>
#include <QTreeView>
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
#include "testsupport/TempDir.h"

using namespace keymora;
using namespace keymora::test;

namespace {

const char* kChildEnv = "KEYMORA_DOCLIFECYCLE_CHILD";

// Second process: opening a file held by the first must say "File in use"
// and leave no window. Exit code 0 when it did.
int runChild(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ScriptedPrompt prompt;
    prompt.expectMessage(QStringLiteral("File in use"), QStringLiteral("File in use"), MsgIcon::Information,
                         MsgButtons::Ok);
    TestHost host;
    const bool opened = OpenDataFile(host, QString::fromLocal8Bit(qgetenv(kChildEnv)));
    const bool ok = !opened && prompt.ok() && host.windows().isEmpty();
    return ok ? 0 : 1;
}

std::string rootlessXml(const XmlDoc& doc) {
    // The document without the root's save stamp.
    XmlDoc copy;
    copy.loadXml(doc.xml());
    copy.datafile().remove_attribute("DateModified");
    return copy.xml();
}

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

class DocLifecycleTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<TempDir> m_dir;
    TestSettings m_config;

    QString makeFile(const QString& name, const char* filetype = "private") {
        const QString path = QString::fromStdString(m_dir->file(name.toStdString()));
        auto doc = parseDoc(sampleXml(filetype));
        writeDataFile(path, *doc, "demo", "keymora");
        return path;
    }

    // Makes the document much larger than the file size limit the save tests set.
    static void makeLarge(frmKMF& w) {
        std::string big(200000, 'x');
        for (char& c : big) c = static_cast<char>('a' + (std::rand() % 26));
        QVERIFY(w.session().updateField(w.session().doc().nodeById("{E0000000-0000-0000-0000-000000000001}"),
                                        labels::Field::Notes, big));
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
    void init() {
        TestSettings::startSeeded();
        putOption("Auto Save Changes", "0");  // changes wait for an explicit save
        m_dir = std::make_unique<TempDir>();
    }
    void cleanup() { m_dir.reset(); }

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
        // Another holder is refused while the window is open.
        LockResult other = FileLock::tryAcquire(path.toStdString(), LockMode::SharedReader);
        QVERIFY(!other.ok());
    }

    void failedOpensLeaveNoWindowAndNoLock() {
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
        QVERIFY(FileLock::tryAcquire(path.toStdString(), LockMode::Private).ok());

        // A cancelled login, a missing file and the box's placeholder open nothing either.
        prompt.expectCredentials(std::nullopt);
        QVERIFY(!OpenDataFile(host, path));
        prompt.expectMessageContaining(QStringLiteral("Error: 53\r\nDescription: File Not Found"));
        QVERIFY(!OpenDataFile(host, QString::fromStdString(m_dir->file("none.kmf"))));
        QVERIFY(!OpenDataFile(host, QStringLiteral("Most Recently Used Files")));
        KM_VERIFY_SCRIPT(prompt);
        QCOMPARE(host.openCount, 0);
    }

    void secondProcessGetsFileInUse() {
        const QString path = makeFile(QStringLiteral("held.kmf"));
        ScriptedPrompt prompt;
        TestHost host;
        QVERIFY(open(host, prompt, path) != nullptr);
        QProcess child;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QString::fromLatin1(kChildEnv), path);
        child.setProcessEnvironment(env);
        child.start(QCoreApplication::applicationFilePath(), {});
        QVERIFY(child.waitForFinished(60000));
        QCOMPARE(child.exitStatus(), QProcess::NormalExit);
        QCOMPARE(child.exitCode(), 0);
    }

    void saveThenReopenGivesTheSameDocument() {
        const QString path = makeFile(QStringLiteral("d.kmf"));
        ScriptedPrompt prompt;
        std::string before;
        {
            TestHost host;
            frmKMF* w = open(host, prompt, path);
            QVERIFY(w != nullptr);
            w->NodeClick("{E0000000-0000-0000-0000-000000000001}");
            w->entryPane()->txtUserName->setText(QStringLiteral("carol"));
            QVERIFY(w->session().dirty());
            QVERIFY(w->caption().endsWith(QStringLiteral(" - *")));
            QVERIFY(SaveCommand(host, *w));
            QVERIFY(!w->session().dirty());
            QCOMPARE(w->caption(), path);
            // The lock moved to the new file: nobody else may read it.
            QVERIFY(!FileLock::tryAcquire(path.toStdString(), LockMode::SharedReader).ok());
            before = rootlessXml(w->session().doc());
            QVERIFY(CloseAllForExit(host));
        }
        TestHost host;
        frmKMF* again = open(host, prompt, path);
        QVERIFY(again != nullptr);
        QCOMPARE(rootlessXml(again->session().doc()), before);
        QVERIFY(before.find("<userid>carol</userid>") != std::string::npos);
        // The save wrote the file name into the recent-files list.
        clsReg reg;
        QCOMPARE(reg.ReadString(RegRoot::CurrentUser, kMruKey, "MRUNumber", "0"), std::string("1"));
        QCOMPARE(reg.ReadString(RegRoot::CurrentUser, kMruKey, "File1", ""), path.toStdString());
        KM_VERIFY_SCRIPT(prompt);
        reg.DeleteKey(RegRoot::CurrentUser, kMruKey);
    }

    // A save that fails, by Save or on closing, keeps the old file, the
    // window and its changes.
    void failedSaveKeepsTheOldFileAndTheChanges() {
        const QString path = makeFile(QStringLiteral("e.kmf"));
        const std::string oldBytes = readFile(path.toStdString());
        ScriptedPrompt prompt;
        TestHost host;
        frmKMF* w = open(host, prompt, path);
        QVERIFY(w != nullptr);
        makeLarge(*w);

        prompt.expectMessageContaining(QStringLiteral("Error: "));
        QVERIFY(!withSmallFileLimit([&] { return SaveCommand(host, *w); }));
        QVERIFY(prompt.messages().value(0).text.contains(QStringLiteral("not saved")));
        QVERIFY(w->session().dirty());
        QVERIFY(w->caption().endsWith(QStringLiteral(" - *")));
        QCOMPARE(readFile(path.toStdString()), oldBytes);
        // No temporary file is left beside it.
        QCOMPARE(QDir(QString::fromStdString(m_dir->path().string())).entryList(QDir::Files).size(), 1);

        prompt.expectMessageContaining(QStringLiteral("Save it now?"), MsgAnswer::Yes);
        prompt.expectMessageContaining(QStringLiteral("Error: "));
        QVERIFY(!withSmallFileLimit([&] { return CloseAllForExit(host); }));
        KM_VERIFY_SCRIPT(prompt);
        QCOMPARE(host.windows().size(), 1);
        QVERIFY(w->session().dirty());
        QVERIFY(!host.canShutDown());
        QCOMPARE(readFile(path.toStdString()), oldBytes);
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
        w->session().updateField(w->session().doc().nodeById("{E0000000-0000-0000-0000-000000000002}"),
                                 labels::Field::UserId, "changed");
        host.setCanShutDown(true);
        prompt.expectMessageContaining(QStringLiteral("Save it now?"), MsgAnswer::Yes);
        QVERIFY(CloseDocument(host, *w));
        QVERIFY(host.windows().isEmpty());
        QCOMPARE(host.openCount, 0);
        QVERIFY(readFile(path.toStdString()) != before);
        QVERIFY(FileLock::tryAcquire(path.toStdString(), LockMode::Private).ok());  // lock released

        // A never-saved document: Yes, then no name -> "Filename missing", stays open.
        prompt.expectCredentials(Credentials{QStringLiteral("u"), QStringLiteral("p")});
        frmKMF* n = NewDocumentCommand(host);
        QVERIFY(n != nullptr);
        n->session().markEdited();
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
        for (int i = 0; i < 3; ++i) {
            prompt.expectCredentials(Credentials{QStringLiteral("u"), QStringLiteral("p")});
            frmKMF* w = NewDocumentCommand(host);
            QVERIFY(w != nullptr);
            w->session().markEdited();
        }
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
        prompt.expectCredentials(Credentials{QStringLiteral("u"), QStringLiteral("p")});
        prompt.expectCredentials(Credentials{QStringLiteral("u"), QStringLiteral("p")});
        QVERIFY(NewDocumentCommand(host) != nullptr);
        QVERIFY(NewDocumentCommand(host) != nullptr);
        QVERIFY(CloseAllForExit(host));
        prompt.expectCredentials(Credentials{QStringLiteral("u"), QStringLiteral("p")});
        frmKMF* third = NewDocumentCommand(host);
        QVERIFY(third != nullptr);
        QCOMPARE(third->caption(), QStringLiteral("Document 3"));
        QVERIFY(third->session().saveRequired());
        QVERIFY(third->session().neverSaved());
        QVERIFY(!third->session().lockHeld());
        KM_VERIFY_SCRIPT(prompt);
    }

    void firstSaveOfANewDocument() {
        ScriptedPrompt prompt;
        TestHost host;
        prompt.expectCredentials(Credentials{QStringLiteral("u"), QStringLiteral("p")});
        frmKMF* w = NewDocumentCommand(host);
        QVERIFY(w != nullptr);
        w->session().markEdited();
        // No name at first: the question; OK asks again; a name saves.
        const QString path = QString::fromStdString(m_dir->file("new.kmf"));
        prompt.expectSaveFile(QString());
        prompt.expectMessageContaining(QStringLiteral("You must save the file before use."), MsgAnswer::Ok);
        prompt.expectSaveFile(path);
        QVERIFY(SaveCommand(host, *w));
        QCOMPARE(prompt.messages().value(0).title, QStringLiteral("File Save Required"));
        QCOMPARE(w->caption(), path);
        QVERIFY(!w->session().saveRequired());
        QVERIFY(!w->session().dirty());
        QVERIFY(!w->session().lockHeld());  // a first save takes no lock
        QVERIFY(QFileInfo::exists(path));
        QCOMPARE(QFileInfo(path).permissions() & (QFileDevice::ReadOther | QFileDevice::ReadGroup),
                 QFileDevice::Permissions());

        // Another new document, question answered Cancel: the window closes unsaved.
        prompt.expectCredentials(Credentials{QStringLiteral("u"), QStringLiteral("p")});
        frmKMF* n = NewDocumentCommand(host);
        QVERIFY(n != nullptr);
        n->session().markEdited();
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
        const std::string aBefore = readFile(a.toStdString());
        wa->session().markEdited();
        wc->session().markEdited();
        SaveAllCommand(host);
        QVERIFY(!wa->session().dirty() && !wc->session().dirty());
        QVERIFY(readFile(a.toStdString()) != aBefore);
        QCOMPARE(readFile(b.toStdString()), bBefore);
        KM_VERIFY_SCRIPT(prompt);
    }

    void saveAsMovesTheLockAndLeavesTheOldFile() {
        const QString a = makeFile(QStringLiteral("as1.kmf"));
        const std::string aBefore = readFile(a.toStdString());
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
        QCOMPARE(readFile(a.toStdString()), aBefore);
        QVERIFY(FileLock::tryAcquire(a.toStdString(), LockMode::Private).ok());
        QVERIFY(!FileLock::tryAcquire(b.toStdString(), LockMode::SharedWriter).ok());
        KM_VERIFY_SCRIPT(prompt);
    }
};

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsSet(kChildEnv)) return runChild(argc, argv);
    QApplication app(argc, argv);
    DocLifecycleTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_doclifecycle.moc"
