// Start-up: which file the command line or the options open, and the browser check.
#include <QComboBox>
#include <QTest>

#include "OptionStore.h"
#include "ScriptedPrompt.h"
#include "app/ModMain.h"
#include "app/frmMain.h"
#include "app/frmOptions.h"
#include "support/ClsReg.h"

using namespace keymora;
using namespace keymora::test;

class StartupTest : public QObject {
    Q_OBJECT
private:
    TestSettings m_config;

private slots:
    void initTestCase() { QVERIFY(m_config.isValid()); }
    void init() { TestSettings::startSeeded(); }

    void commandLinePaths_data() {
        QTest::addColumn<QString>("commandLine");
        QTest::addColumn<QString>("expected");
        QTest::newRow("plain kmf") << "/data/bank.kmf" << "/data/bank.kmf";
        QTest::newRow("quoted, blanks, upper-case extension")
            << "\"/my files/Bank Book.KMF\"" << "/my files/Bank Book.KMF";
        QTest::newRow("zkmf mixed case") << "/d/a.ZkMf" << "/d/a.ZkMf";
        QTest::newRow("quotes removed everywhere") << "\"/d/x\"y\".kmf\"" << "/d/xy.kmf";
        QTest::newRow("inner quote kept when not leading") << "/d/x\"y.kmf" << "/d/x\"y.kmf";
        QTest::newRow("text file") << "/d/notes.txt" << "";
        QTest::newRow("kmf not at the end") << "/d/a.kmf.bak" << "";
    }
    void commandLinePaths() {
        QFETCH(QString, commandLine);
        QFETCH(QString, expected);
        QCOMPARE(StartupFileFromCommandLine(commandLine), expected);
    }

    void commandLineWinsOverOptions() {
        putOption("auto open file", "1");
        putOption("file to open", "/d/auto.kmf");
        // A command line naming no data file opens nothing and does not fall back.
        QCOMPARE(StartupFileToOpen(QStringLiteral("/d/readme.txt")), QString());
        QCOMPARE(StartupFileToOpen(QStringLiteral("/d/given.kmf")), QStringLiteral("/d/given.kmf"));
        QCOMPARE(StartupFileToOpen(QString()), QStringLiteral("/d/auto.kmf"));
        putOption("auto open file", "0");
        QCOMPARE(StartupFileToOpen(QString()), QString());
    }

    // With a browser: no message, the main window without documents, recent files filled, options seeded.
    void startUpWithBrowser() {
        TestSettings::startEmpty();
        clsReg().WriteString(RegRoot::CurrentUser, kMruKey, "MRUNumber", "2");
        clsReg().WriteString(RegRoot::CurrentUser, kMruKey, "File1", "/d/one.kmf");
        clsReg().WriteString(RegRoot::CurrentUser, kMruKey, "File2", "/d/two.kmf");
        putOption("Password Mask", "#");
        putOption("auto open file", "1");
        putOption("file to open", "");  // on, but nothing named: opens nothing, says nothing
        qputenv("BROWSER", "/bin/sh");
        BrowserIconLoaded() = false;
        ScriptedPrompt prompt;
        frmMain* main = StartUp(QString());
        QVERIFY(main);
        QVERIFY(main->isVisible());
        QCOMPARE(main->OpenDocumentCount(), 0);
        QCOMPARE(main->cboMRU()->count(), 2);
        QCOMPARE(PasswordMask(), QStringLiteral("#"));
        QCOMPARE(option("Auto Save Changes"), std::string("1"));
        QVERIFY(BrowserIconLoaded());
        KM_VERIFY_SCRIPT(prompt);
        delete main;
    }

    void startUpWithoutBrowser() {
        qputenv("BROWSER", "");
        const QByteArray path = qgetenv("PATH");
        qputenv("PATH", "/nonexistent");
        BrowserIconLoaded() = false;
        ScriptedPrompt prompt;
        prompt.expectMessage(
            QStringLiteral("The default browser could not be found.  Browser launching disabled."),
            QStringLiteral("Disabled Functionality"), MsgIcon::Exclamation, MsgButtons::Ok);
        // A command line with another extension opens nothing and shows nothing.
        frmMain* main = StartUp(QStringLiteral("/d/notes.txt"));
        qputenv("PATH", path);
        QVERIFY(main->isVisible());
        QVERIFY(!BrowserIconLoaded());
        QCOMPARE(main->OpenDocumentCount(), 0);
        KM_VERIFY_SCRIPT(prompt);
        delete main;
    }

    // A start-up file that does not exist leaves the main window open and empty.
    void startUpFileMissing() {
        qputenv("BROWSER", "/bin/sh");
        ScriptedPrompt prompt;
        prompt.expectMessageContaining(QStringLiteral("Error: 53\r\nDescription: File Not Found"));
        frmMain* main = StartUp(QStringLiteral("\"/nonexistent folder/gone.KMF\""));
        QVERIFY(main->isVisible());
        QCOMPARE(main->OpenDocumentCount(), 0);
        KM_VERIFY_SCRIPT(prompt);
        delete main;
    }
};

QTEST_MAIN(StartupTest)
#include "tst_startup.moc"
