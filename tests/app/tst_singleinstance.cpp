// One copy per user: a second start says so and ends without touching settings (keymora_unattended).
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include "app/ModMain.h"
#include "testsupport/ProcessState.h"

using namespace keymora;

class SingleInstanceTest : public QObject {
    Q_OBJECT
private:
    QTemporaryDir m_runtime;
    QString m_binary;

    QProcessEnvironment environment(const QString& configDir) const {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_runtime.path());
        env.insert(QStringLiteral("KEYMORA_CONFIG_DIR"), configDir);
        env.insert(QStringLiteral("BROWSER"), QStringLiteral("/bin/sh"));
        return env;
    }

    // True once some process holds the per-user lock.
    static bool lockHeld() {
        SingleInstance probe;
        return !probe.acquire();
    }

    static bool waitFor(const std::function<bool()>& condition, int ms) {
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < ms) {
            if (condition()) return true;
            QTest::qWait(50);
        }
        return condition();
    }

    static bool folderEmpty(const QString& path) {
        return QDir(path).entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::Hidden).isEmpty();
    }

private slots:
    void initTestCase() {
        QVERIFY(m_runtime.isValid());
        qputenv("XDG_RUNTIME_DIR", m_runtime.path().toUtf8());
        m_binary = QStringLiteral(KEYMORA_UNATTENDED_PATH);
        QVERIFY2(QFileInfo(m_binary).isExecutable(), qPrintable(m_binary));
    }

    void lockIsExclusiveWithinOneProcessToo() {
        QCOMPARE(QFileInfo(SingleInstance::lockFilePath()).absolutePath(),
                 QFileInfo(m_runtime.path()).absoluteFilePath());
        auto first = std::make_unique<SingleInstance>();
        QVERIFY(first->acquire());
        SingleInstance second;
        QVERIFY(!second.acquire());
        first.reset();  // released with its holder
        QVERIFY(second.acquire());
    }

    void secondCopyRefusesAndLeavesSettingsAlone() {
        QTemporaryDir firstConfig, secondConfig, thirdConfig;
        QProcess first;
        first.setProcessEnvironment(environment(firstConfig.path()));
        first.start(m_binary, {});
        QVERIFY(first.waitForStarted(5000));
        QVERIFY2(waitFor(lockHeld, 10000), "the first copy never took the lock");
        // The first copy seeds its settings once it is running.
        QVERIFY(waitFor([&] { return !folderEmpty(firstConfig.path()); }, 10000));
        QVERIFY2(test::coreDumpsOff(static_cast<pid_t>(first.processId())),
                 "a core file of the program could hold passwords");

        QProcess second;
        second.setProcessEnvironment(environment(secondConfig.path()));
        second.start(m_binary, {QStringLiteral("/tmp/some file.kmf")});
        QVERIFY(second.waitForFinished(10000));
        QCOMPARE(second.exitStatus(), QProcess::NormalExit);
        QCOMPARE(second.exitCode(), 0);
        QVERIFY2(second.readAllStandardError().contains("Only 1 program needed to run"),
                 "the refusal was not reported");
        QVERIFY2(second.readAllStandardOutput().contains(
                     "message: Only 1 program needed to run | Program already running"),
                 "the refusal was not shown as a message");
        QVERIFY2(folderEmpty(secondConfig.path()), "the second copy touched its settings");
        QCOMPARE(first.state(), QProcess::Running);

        first.terminate();
        if (!first.waitForFinished(5000)) {
            first.kill();
            first.waitForFinished(5000);
        }
        QVERIFY(waitFor([] { return !lockHeld(); }, 5000));

        // With the first copy gone, a new start runs normally.
        QProcess third;
        third.setProcessEnvironment(environment(thirdConfig.path()));
        third.start(m_binary, {});
        QVERIFY(third.waitForStarted(5000));
        QVERIFY(waitFor([&] { return !folderEmpty(thirdConfig.path()); }, 10000));
        QCOMPARE(third.state(), QProcess::Running);
        third.kill();
        third.waitForFinished(5000);
    }
};

QTEST_MAIN(SingleInstanceTest)
#include "tst_singleinstance.moc"
