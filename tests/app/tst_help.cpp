// Help pages, the help window and F1, the about box, and the View > Web Browser item.
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QSlider>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>

#include <zlib.h>

#include "OptionStore.h"
#include "ScriptedPrompt.h"
#include "app/HelpTopics.h"
#include "app/SystemInfo.h"
#include "app/WebBrowserHook.h"
#include "app/frmAbout.h"
#include "app/frmHelp.h"
#include "app/frmMain.h"
#include "app/frmOptions.h"

using namespace keymora;
using namespace keymora::test;

namespace {

const QString kSourceHelp = QStringLiteral(KEYMORA_SOURCE_DIR "/data/help");

QString readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

// "" when `target` (page.html or page.html#anchor) resolves in the folder, else what is wrong.
QString unresolved(const QString& folder, const QString& target) {
    const QString page = target.section(QLatin1Char('#'), 0, 0);
    const QString anchor = target.section(QLatin1Char('#'), 1);
    const QString text = readAll(QDir(folder).filePath(page));
    if (text.isEmpty()) return QStringLiteral("no page ") + page;
    if (!anchor.isEmpty() && !text.contains(QStringLiteral("id=\"%1\"").arg(anchor)))
        return QStringLiteral("no anchor ") + target;
    return {};
}

QWidget* visibleHelpWindow() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == QLatin1String("frmHelp") && w->isVisible()) return w;
    return nullptr;
}

}  // namespace

class HelpTest : public QObject {
    Q_OBJECT
private:
    TestSettings m_config;
    QString m_helpCopy;

private slots:
    void initTestCase() {
        QVERIFY(m_config.isValid());
        qputenv("HOME", m_config.path().toUtf8());
        InstallHelpKey();
        m_helpCopy = QCoreApplication::applicationDirPath() + QStringLiteral("/help");
        QDir(m_helpCopy).removeRecursively();
    }
    void cleanupTestCase() { QDir(m_helpCopy).removeRecursively(); }

    void everyLinkAndTopicResolves() {
        const QRegularExpression href(QStringLiteral("href=\"([^\"]+)\""));
        int links = 0;
        for (const QString& name : QDir(kSourceHelp).entryList({QStringLiteral("*.html")})) {
            const QString text = readAll(QDir(kSourceHelp).filePath(name));
            for (auto it = href.globalMatch(text); it.hasNext();) {
                QString target = it.next().captured(1);
                if (target.contains(QLatin1Char(':'))) continue;  // outside the help
                if (target.startsWith(QLatin1Char('#'))) target.prepend(name);
                QCOMPARE(name + QStringLiteral(": ") + unresolved(kSourceHelp, target), name + QStringLiteral(": "));
                ++links;
            }
        }
        QVERIFY(links > 30);
        for (const QString& topic : help::TopicsInUse())
            QCOMPARE(unresolved(kSourceHelp, topic), QString());
        // The contents page reaches every page.
        const QString contents = readAll(QDir(kSourceHelp).filePath(QStringLiteral("index.html")));
        for (const QString& name : QDir(kSourceHelp).entryList({QStringLiteral("*.html")}))
            if (name != QLatin1String("index.html")) QVERIFY2(contents.contains(name), qPrintable(name));
    }

    void missingHelpSaysSo() {
        QVERIFY(help::HelpFolder().isEmpty());
        ScriptedPrompt prompt;
        prompt.expectMessage(QStringLiteral("Help File Missing"), QStringLiteral("Help Not Available"),
                             MsgIcon::Information, MsgButtons::Ok);
        frmMain main;
        main.menuItem(QStringLiteral("mnuHelpContents"))->trigger();
        KM_VERIFY_SCRIPT(prompt);
        QVERIFY(visibleHelpWindow() == nullptr);
    }

    void contentsAndF1ShowThePageOfTheWindowInFront() {
        // The pages beside the program, as the build tree has them.
        QVERIFY(QDir().mkpath(m_helpCopy));
        for (const QString& name : QDir(kSourceHelp).entryList(QDir::Files))
            QVERIFY(QFile::copy(QDir(kSourceHelp).filePath(name), QDir(m_helpCopy).filePath(name)));
        QCOMPARE(help::HelpFolder(), m_helpCopy);

        frmMain main;
        main.show();
        QVERIFY(QTest::qWaitForWindowActive(&main));
        main.menuItem(QStringLiteral("mnuHelpContents"))->trigger();
        QWidget* window = visibleHelpWindow();
        QVERIFY(window != nullptr);
        auto* browser = window->findChild<QTextBrowser*>();
        QCOMPARE(browser->source().fileName(), QStringLiteral("index.html"));
        QVERIFY(browser->toPlainText().contains(QStringLiteral("Keyboard shortcuts")));
        window->close();

        // F1 over the main window without a document: getting started.
        main.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&main));
        QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : &main, Qt::Key_F1);
        window = visibleHelpWindow();
        QVERIFY(window != nullptr);
        QCOMPARE(window->findChild<QTextBrowser*>()->source().fileName(), QStringLiteral("getting-started.html"));
        window->close();

        // F1 in the modal options dialog: its own page, in a help window the dialog does not block.
        QString shownPage;
        bool blocked = true;
        QTimer::singleShot(0, [&] {
            auto* options = qobject_cast<frmOptions*>(QApplication::activeModalWidget());
            if (options == nullptr) return;
            QTest::keyClick(options->findChild<QSlider*>(), Qt::Key_F1);
            if (auto* help = options->findChild<frmHelp*>()) {
                shownPage = help->browser()->source().fileName();
                blocked = QApplication::activeModalWidget() != options || help->isHidden();
            }
            options->reject();
        });
        frmOptions options(&main);
        options.exec();
        QCOMPARE(shownPage, QStringLiteral("options.html"));
        QVERIFY(!blocked);
    }

    void aboutBoxShowsLibrariesAsLoaded() {
        frmAbout about;
        QVERIFY(about.lblVersion->text().startsWith(QStringLiteral("Version 1.")));
        QVERIFY(about.lblDisclaimer->text().contains(QStringLiteral("GNU General Public License")));
        // The zlib line is the loaded library's own answer.
        const QList<SystemDetail> details = SystemDetails();
        QString zlib;
        for (const SystemDetail& d : details)
            if (d.first == QLatin1String("zlib")) zlib = d.second;
        QCOMPARE(zlib, QString::fromLatin1(zlibVersion()));

        // System Info shows the details and copies them.
        QString shown;
        QTimer::singleShot(0, [&] {
            QWidget* box = QApplication::activeModalWidget();
            if (box == nullptr || box == &about) return;
            shown = box->findChild<QPlainTextEdit*>()->toPlainText();
            QTest::mouseClick(box->findChild<QPushButton*>(QStringLiteral("cmdCopy")), Qt::LeftButton);
            box->close();
        });
        QTest::mouseClick(about.cmdSysInfo, Qt::LeftButton);
        QVERIFY(shown.contains(QStringLiteral("zlib: ") + QString::fromLatin1(zlibVersion())));
        QCOMPARE(QApplication::clipboard()->text(), shown);
    }

    void webBrowserItemOnlyWithTheWindow() {
        {
            frmMain main;  // built without a web engine: hidden, not greyed
            QVERIFY(!main.menuItem(QStringLiteral("mnuViewWebBrowser"))->isVisible());
        }
        static int opened = 0;
        webBrowserOpener() = [](QWidget*) { ++opened; };
        frmMain main;
        QAction* item = main.menuItem(QStringLiteral("mnuViewWebBrowser"));
        QVERIFY(item->isVisible());
        QVERIFY(item->isEnabled());
        item->trigger();
        QCOMPARE(opened, 1);
        webBrowserOpener() = nullptr;
    }
};

QTEST_MAIN(HelpTest)
#include "tst_help.moc"
