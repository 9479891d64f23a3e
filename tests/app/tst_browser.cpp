// Finding and starting the default browser, and the browser window's address list.
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "ScriptedPrompt.h"
#include "app/BrowserAddresses.h"
#include "app/CLaunchBrowser.h"
#include "app/ModMain.h"

using namespace keymora;
using keymora::test::ScriptedPrompt;

namespace {

void writeExecutable(const QString& path, const QByteArray& text) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(text);
    f.close();
    QVERIFY(f.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner));
}

}  // namespace

class BrowserTest : public QObject {
    Q_OBJECT
private:
    QTemporaryDir m_dir;
    QByteArray m_path;
    QString bin() const { return m_dir.filePath(QStringLiteral("bin")); }

private slots:
    void initTestCase() {
        QVERIFY(m_dir.isValid());
        m_path = qgetenv("PATH");
        QDir(m_dir.path()).mkpath(QStringLiteral("bin"));
        QDir(m_dir.path()).mkpath(QStringLiteral("share/applications"));
        // A browser that records the arguments it was given.
        writeExecutable(bin() + QStringLiteral("/fakebrowser"),
                        "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done > \"$FAKE_OUT\"\n");
        // The desktop's answer to "which browser".
        writeExecutable(bin() + QStringLiteral("/xdg-settings"),
                        "#!/bin/sh\n[ \"$1 $2\" = \"get default-web-browser\" ] && echo fake.desktop\n");
        QFile desktop(m_dir.filePath(QStringLiteral("share/applications/fake.desktop")));
        QVERIFY(desktop.open(QIODevice::WriteOnly));
        desktop.write("[Desktop Entry]\nType=Application\nName=Fake\nExec=fakebrowser %u\nIcon=web-browser\n"
                      "[Desktop Action new]\nExec=other\n");
        desktop.close();
        qputenv("XDG_DATA_HOME", m_dir.filePath(QStringLiteral("share")).toUtf8());
        qputenv("XDG_DATA_DIRS", m_dir.filePath(QStringLiteral("share")).toUtf8());
        qputenv("FAKE_OUT", m_dir.filePath(QStringLiteral("args.txt")).toUtf8());
    }
    void init() {
        qputenv("BROWSER", "");
        qputenv("PATH", bin().toUtf8() + ":/usr/bin:/bin");
    }
    void cleanupTestCase() { qputenv("PATH", m_path); }

    void foundThroughTheDesktop() {
        CLaunchBrowser browser;
        int code = 0;
        QCOMPARE(browser.GetBrowserName(code), bin() + QStringLiteral("/fakebrowser"));
        QVERIFY(code >= 32);
        int again = 0;  // a second lookup works the same
        QCOMPARE(browser.GetBrowserName(again), bin() + QStringLiteral("/fakebrowser"));
        QVERIFY(again >= 32);
    }

    void browserVariableComesFirst() {
        qputenv("BROWSER", "/bin/sh");
        int code = 0;
        QCOMPARE(CLaunchBrowser().GetBrowserName(code), QStringLiteral("/bin/sh"));
        QVERIFY(code >= 32);
        qputenv("BROWSER", "no-such-browser-here");  // not runnable: ask the desktop
        QCOMPARE(CLaunchBrowser().GetBrowserName(code), bin() + QStringLiteral("/fakebrowser"));
    }

    void notFound() {
        qputenv("PATH", "/nonexistent");
        int code = 99;
        QVERIFY(CLaunchBrowser().GetBrowserName(code).isEmpty());
        QVERIFY(code < 32);
        QVERIFY(!CLaunchBrowser().StartNewBrowser(QStringLiteral("https://example.org")));
    }

    void urlPassedWhole() {
        const QString out = m_dir.filePath(QStringLiteral("args.txt"));
        QFile::remove(out);
        const QString url = QStringLiteral("https://example.org/a b?x=1;echo $HOME");
        QVERIFY(CLaunchBrowser().StartNewBrowser(url));
        QTRY_VERIFY(QFile::exists(out) && QFile(out).size() > 0);
        QFile f(out);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(QString::fromUtf8(f.readAll()), url + QLatin1Char('\n'));
    }

    void iconLoading() {
        ScriptedPrompt prompt;
        BrowserIcon() = QIcon();
        QVERIFY(LoadBrowserIcon(bin() + QStringLiteral("/fakebrowser")));
        QVERIFY(!BrowserIcon().isNull());
        prompt.expectMessage(QStringLiteral("Error: 53\r\nDescription: File Not Found"), QString(),
                             MsgIcon::None, MsgButtons::Ok);
        QVERIFY(!LoadBrowserIcon(QStringLiteral("/nonexistent/browser")));
        KM_VERIFY_SCRIPT(prompt);
    }

    void addressListKeepsEachPageOnceOnTop() {
        QComboBox list;
        list.setEditable(true);
        for (const char* url : {"https://a.example/", "https://b.example/", "https://a.example/"})
            RememberAddress(list, QString::fromLatin1(url));
        QCOMPARE(list.count(), 2);
        QCOMPARE(list.itemText(0), QStringLiteral("https://a.example/"));
        QCOMPARE(list.itemText(1), QStringLiteral("https://b.example/"));
        QCOMPARE(list.currentText(), QStringLiteral("https://a.example/"));
    }
};

QTEST_MAIN(BrowserTest)
#include "tst_browser.moc"
