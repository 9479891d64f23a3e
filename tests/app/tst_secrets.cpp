// Once a document window is closed, neither the password typed to open it nor
// an entry's password shown in it is left anywhere in the program's memory.
#include <QApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <thread>

#include "OptionStore.h"
#include "TestDocumentHost.h"
#include "testsupport/MemoryScan.h"
#include "ui/frmLogin.h"

using namespace keymora;

namespace {

// No std::string of the test's own holds these on the heap: fifteen
// characters fit inside the string object itself.
constexpr char kUser[] = "scan-user";
constexpr char kPassword[] = "Qz7kP2wX9mL4vRt";
constexpr char kEntrySecret[] = "Ent5ecretVq8Lk3";

// Written by a child forked before the application starts any thread, so
// this process never held the secrets before the test and the child cannot
// inherit a lock some thread held at the fork.
char g_samplePath[4096];
bool g_sampleWritten = false;

bool writeSample(const std::string& path) {
    const pid_t child = ::fork();
    if (child == 0) {
        std::string xml = test::sampleXml();
        xml.replace(xml.find("s3cret"), 6, kEntrySecret);
        test::writeDataFile(path, xml, kUser, kPassword);
        ::_exit(0);
    }
    int status = 1;
    return child > 0 && ::waitpid(child, &status, 0) == child && WIFEXITED(status) &&
           WEXITSTATUS(status) == 0;
}

void typeInto(QLineEdit* edit, const char* text) {
    for (const char* c = text; *c != '\0'; ++c) QTest::keyClick(edit, *c);
}

// Names the step a stuck run stopped at before the runner kills it, so its
// log says where instead of only that time ran out.
class StepWatch {
public:
    explicit StepWatch(std::chrono::seconds limit)
        : m_thread([this, limit] {
              std::unique_lock lock(m_mutex);
              if (!m_done.wait_for(lock, limit, [this] { return m_finished; })) {
                  std::fprintf(stderr, "tst_secrets: no progress for %lld s, stuck at: %s\n",
                               static_cast<long long>(limit.count()), m_step.load());
                  std::abort();
              }
          }) {}
    ~StepWatch() {
        {
            std::lock_guard lock(m_mutex);
            m_finished = true;
        }
        m_done.notify_one();
        m_thread.join();
    }
    void step(const char* name) { m_step = name; }

private:
    std::atomic<const char*> m_step{"start"};
    std::mutex m_mutex;
    std::condition_variable m_done;
    bool m_finished = false;
    std::thread m_thread;
};

}  // namespace

class SecretsTest : public QObject {
    Q_OBJECT
private:
    test::TestSettings m_config;

private slots:
    void initTestCase() {
        QVERIFY(m_config.isValid());
        test::TestSettings::startSeeded();
    }

    void passwordsAreGoneOnceTheWindowCloses() {
        QVERIFY2(g_sampleWritten, "the sample file could not be written");
        StepWatch watch(std::chrono::seconds(120));
        QString unexpected;
        bool typed = false;
        {
            test::TestHost host;
            // The real login dialog, typed into key by key. Any other dialog
            // is a failure to report, not one to wait on for ever.
            QTimer typist;
            QObject::connect(&typist, &QTimer::timeout, [&] {
                QWidget* modal = QApplication::activeModalWidget();
                if (auto* box = qobject_cast<QMessageBox*>(modal)) {
                    unexpected += box->windowTitle() + QStringLiteral(": ") + box->text() + QLatin1Char('\n');
                    box->reject();
                    return;
                }
                auto* login = qobject_cast<frmLogin*>(modal);
                if (login == nullptr || !login->isVisible()) return;
                if (typed) {
                    unexpected += QStringLiteral("the login dialog asked again\n");
                    login->close();
                    return;
                }
                typed = true;
                watch.step("typing into the login dialog");
                typeInto(login->txtUserName, kUser);
                typeInto(login->txtPassword, kPassword);
                QTest::mouseClick(login->cmdOK, Qt::LeftButton);
            });
            typist.start(20);
            watch.step("opening");
            QVERIFY2(OpenDataFile(host, QString::fromLatin1(g_samplePath)), qPrintable(unexpected));
            QCOMPARE(host.windows().size(), 1);
            frmKMF* window = host.windows().first();
            window->NodeClick(test::kMail);  // the entry and its password on screen
            QTest::qWait(50);
            // The scan sees them while they are in use.
            watch.step("scanning while open");
            QVERIFY(!test::findInMemory(kPassword).empty());
            QVERIFY(!test::findInMemory(kEntrySecret).empty());
            watch.step("closing");
            QVERIFY(CloseDocument(host, *window));
            typist.stop();
        }
        QVERIFY2(unexpected.isEmpty(), qPrintable(unexpected));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCoreApplication::processEvents();

        watch.step("scanning after close");
        QStringList found;
        for (const char* secret : {kPassword, kEntrySecret})
            for (const std::string& where : test::findInMemory(secret))
                found << QString::fromLatin1(secret).left(3) + QStringLiteral("... in ") +
                             QString::fromStdString(where);
        QVERIFY2(found.isEmpty(), qPrintable(found.join(QStringLiteral("; "))));
    }
};

int main(int argc, char** argv) {
    char folder[] = "/tmp/keymora-secrets-XXXXXX";
    if (::mkdtemp(folder) == nullptr) return 1;
    std::snprintf(g_samplePath, sizeof g_samplePath, "%s/scan.kmf", folder);
    g_sampleWritten = writeSample(g_samplePath);

    int result = 1;
    {
        QApplication app(argc, argv);
        SecretsTest test;
        result = QTest::qExec(&test, argc, argv);
    }
    ::unlink(g_samplePath);
    ::rmdir(folder);
    return result;
}

#include "tst_secrets.moc"
