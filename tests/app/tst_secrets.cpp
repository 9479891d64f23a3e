// Once a document window is closed, neither the password typed to open it nor
// an entry's password shown in it is left anywhere in the program's memory.
#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <sys/wait.h>
#include <unistd.h>

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

// Written by a child, so this process never held the secrets before the test.
bool writeSample(const std::string& path) {
    const pid_t child = ::fork();
    if (child == 0) {
        std::string xml = test::sampleXml();
        xml.replace(xml.find("s3cret"), 6, kEntrySecret);
        test::writeDataFile(path, xml, kUser, kPassword);
        ::_exit(0);
    }
    int status = 1;
    return child > 0 && ::waitpid(child, &status, 0) == child && status == 0;
}

void typeInto(QLineEdit* edit, const char* text) {
    for (const char* c = text; *c != '\0'; ++c) QTest::keyClick(edit, *c);
}

}  // namespace

class SecretsTest : public QObject {
    Q_OBJECT
private:
    test::TestSettings m_config;
    QTemporaryDir m_dir;

private slots:
    void initTestCase() {
        QVERIFY(m_config.isValid());
        test::TestSettings::startSeeded();
    }

    void passwordsAreGoneOnceTheWindowCloses() {
        const std::string path = m_dir.filePath(QStringLiteral("scan.kmf")).toStdString();
        QVERIFY(writeSample(path));
        {
            test::TestHost host;
            // The real login dialog, typed into key by key.
            QTimer typist;
            QObject::connect(&typist, &QTimer::timeout, [&] {
                auto* login = qobject_cast<frmLogin*>(QApplication::activeModalWidget());
                if (login == nullptr) return;
                typist.stop();
                typeInto(login->txtUserName, kUser);
                typeInto(login->txtPassword, kPassword);
                QTest::mouseClick(login->cmdOK, Qt::LeftButton);
            });
            typist.start(20);
            QVERIFY(OpenDataFile(host, QString::fromStdString(path)));
            QCOMPARE(host.windows().size(), 1);
            frmKMF* window = host.windows().first();
            window->NodeClick(test::kMail);  // the entry and its password on screen
            QTest::qWait(50);
            // The scan sees them while they are in use.
            QVERIFY(!test::findInMemory(kPassword).empty());
            QVERIFY(!test::findInMemory(kEntrySecret).empty());
            QVERIFY(CloseDocument(host, *window));
        }
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCoreApplication::processEvents();

        QStringList found;
        for (const char* secret : {kPassword, kEntrySecret})
            for (const std::string& where : test::findInMemory(secret))
                found << QString::fromLatin1(secret).left(3) + QStringLiteral("... in ") +
                             QString::fromStdString(where);
        QVERIFY2(found.isEmpty(), qPrintable(found.join(QStringLiteral("; "))));
    }
};

QTEST_MAIN(SecretsTest)
#include "tst_secrets.moc"
