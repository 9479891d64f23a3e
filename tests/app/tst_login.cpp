// The login dialogs: each refusal's text and title, what is emptied, the focus, and Change Password.
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "OptionStore.h"
#include "ScriptedPrompt.h"
#include "app/DocumentLifecycle.h"
#include "app/ModMain.h"
#include "app/frmMain.h"
#include "docwindow/frmKMF.h"
#include "session/DocumentSession.h"
#include "ui/frmLogin.h"
#include "ui/frmLoginWithConfirm.h"

using namespace keymora;
using namespace keymora::test;

namespace {
const QString kRequired = QStringLiteral("A Password is required to continue.");
const QString kWord = QStringLiteral(
    "A Password is required to continue.\r\nThe word \"Password\" will not be accepted.");
const QString kConfirmTitle = QStringLiteral("Specify User Name, Password and Confirm Password");
const QString kProcessing = QStringLiteral("Password Processing Error");
}  // namespace

class LoginTest : public QObject {
    Q_OBJECT
private:
    TestSettings m_config;

    // Shows the dialog, clicks OK and tells whether the dialog accepted.
    template <typename Dialog>
    static bool pressOk(Dialog& d) {
        d.show();
        QTest::mouseClick(d.cmdOK, Qt::LeftButton);
        return d.accepted();
    }

private slots:
    void initTestCase() {
        QVERIFY(m_config.isValid());
        qputenv("HOME", m_config.path().toUtf8());
        qputenv("BROWSER", "/bin/sh");
    }
    void init() { TestSettings::startSeeded(); }

    void loginRefuses_data() {
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("text");
        QTest::newRow("empty") << "" << kRequired;
        QTest::newRow("the word") << "password" << kWord;
        QTest::newRow("the word in other case") << "PassWord" << kWord;
    }
    void loginRefuses() {
        QFETCH(QString, password);
        QFETCH(QString, text);
        ScriptedPrompt prompt;
        prompt.expectMessage(text, QStringLiteral("Login"), MsgIcon::None, MsgButtons::Ok);
        frmLogin d;
        d.txtUserName->setText(QStringLiteral("alice"));
        d.txtPassword->setText(password);
        QVERIFY(!pressOk(d));
        QVERIFY(d.isVisible());  // stays open
        QVERIFY(d.txtPassword->text().isEmpty());
        QCOMPARE(d.focusWidget(), d.txtPassword);
        KM_VERIFY_SCRIPT(prompt);
    }

    void loginAccepts_data() {
        QTest::addColumn<QString>("user");
        QTest::addColumn<QString>("password");
        QTest::newRow("no user name") << "" << "s3cret";
        QTest::newRow("the word after a blank") << "u" << " password";
        QTest::newRow("the word before a blank") << "u" << "password ";
        QTest::newRow("blanks only") << "u" << "   ";
    }
    void loginAccepts() {
        QFETCH(QString, user);
        QFETCH(QString, password);
        ScriptedPrompt prompt;  // no message expected
        frmLogin d;
        d.txtUserName->setText(user);
        d.txtPassword->setText(password);
        QVERIFY(pressOk(d));
        QVERIFY(!d.isVisible());
        KM_VERIFY_SCRIPT(prompt);
    }

    void cancelClearsAccepted() {
        ScriptedPrompt prompt;
        frmLogin d;
        d.txtPassword->setText(QStringLiteral("s3cret"));
        QVERIFY(pressOk(d));
        d.show();
        QTest::mouseClick(d.cmdCancel, Qt::LeftButton);
        QVERIFY(!d.accepted());
        QVERIFY(!d.isVisible());
        KM_VERIFY_SCRIPT(prompt);
    }

    void focusGoesToPasswordWhenNameGiven() {
        frmLogin d;
        d.txtUserName->setText(QStringLiteral("  bob "));
        d.show();
        QVERIFY(QTest::qWaitForWindowExposed(&d));
        QCOMPARE(d.focusWidget(), d.txtPassword);
        frmLogin empty;
        empty.show();
        QVERIFY(QTest::qWaitForWindowExposed(&empty));
        QCOMPARE(empty.focusWidget(), empty.txtUserName);
        // Entering the name box selects its whole text.
        empty.txtUserName->setText(QStringLiteral("carol"));
        empty.txtPassword->setFocus();
        empty.activateWindow();
        empty.txtUserName->setFocus(Qt::TabFocusReason);
        QTRY_COMPARE(empty.txtUserName->selectedText(), QStringLiteral("carol"));
    }

    void confirmChecksInOrder_data() {
        QTest::addColumn<QString>("user");
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("confirm");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("focus");
        QTest::addColumn<bool>("passwordsEmptied");
        QTest::newRow("no user") << "  " << "password" << "x" << "User Name required to continue"
                                 << kConfirmTitle << "txtUserName" << false;
        QTest::newRow("blank password") << "u" << "   " << "   " << kRequired << kProcessing
                                        << "txtPassword" << true;
        QTest::newRow("blank confirmation") << "u" << "pw" << " " << kRequired << kProcessing
                                            << "txtConfirmPassword" << true;
        QTest::newRow("the word") << "u" << "Password" << "Password" << kWord
                                  << QStringLiteral("Login") << "txtPassword" << true;
        QTest::newRow("case differs") << "u" << "Secret" << "secret"
                                      << "Password and Confirm Password do not match."
                                      << kProcessing << "txtPassword" << true;
        QTest::newRow("trailing blank differs") << "u" << "Secret " << "Secret"
                                                << "Password and Confirm Password do not match."
                                                << kProcessing << "txtPassword" << true;
    }
    void confirmChecksInOrder() {
        QFETCH(QString, user);
        QFETCH(QString, password);
        QFETCH(QString, confirm);
        QFETCH(QString, text);
        QFETCH(QString, title);
        QFETCH(QString, focus);
        QFETCH(bool, passwordsEmptied);
        ScriptedPrompt prompt;
        prompt.expectMessage(text, title, MsgIcon::None, MsgButtons::Ok);
        frmLoginWithConfirm d;
        d.txtUserName->setText(user);
        d.txtPassword->setText(password);
        d.txtConfirmPassword->setText(confirm);
        QVERIFY(!pressOk(d));
        QVERIFY(d.isVisible());
        QCOMPARE(d.focusWidget()->objectName(), focus);
        QCOMPARE(d.txtPassword->text().isEmpty() && d.txtConfirmPassword->text().isEmpty(),
                 passwordsEmptied);
        QCOMPARE(d.txtUserName->text(), user);
        KM_VERIFY_SCRIPT(prompt);
    }

    void confirmAccepts() {
        ScriptedPrompt prompt;
        frmLoginWithConfirm d;
        d.txtUserName->setText(QStringLiteral(" u "));
        d.txtPassword->setText(QStringLiteral(" password"));
        d.txtConfirmPassword->setText(QStringLiteral(" password"));
        QVERIFY(pressOk(d));
        KM_VERIFY_SCRIPT(prompt);
    }

    // The protection box shows only where offered, and each turn is confirmed first: No leaves it.
    void modernProtectionBoxAsksBeforeEachTurn() {
        ScriptedPrompt prompt;
        const QString title = QString::fromLatin1(kModernProtectionTitle);
        frmLoginWithConfirm plain;
        plain.show();
        QVERIFY(!plain.chkModernProtection->isVisible());
        QVERIFY(!plain.modernChosen());

        frmLoginWithConfirm d;
        d.offerModern(false);
        d.show();
        QVERIFY(d.chkModernProtection->isVisible());
        QCOMPARE(d.chkModernProtection->text(), QString::fromLatin1(kModernProtectionCaption));
        const QPoint box = QPoint(8, d.chkModernProtection->height() / 2);
        prompt.expectMessage(QString::fromLatin1(kModernOnText), title, MsgIcon::Question, MsgButtons::YesNo,
                             MsgAnswer::No);
        QTest::mouseClick(d.chkModernProtection, Qt::LeftButton, {}, box);
        QVERIFY(!d.chkModernProtection->isChecked());
        prompt.expectMessage(QString::fromLatin1(kModernOnText), title, MsgIcon::Question, MsgButtons::YesNo,
                             MsgAnswer::Yes);
        QTest::mouseClick(d.chkModernProtection, Qt::LeftButton, {}, box);
        QVERIFY(d.modernChosen());
        prompt.expectMessage(QString::fromLatin1(kModernOffText), title, MsgIcon::Question, MsgButtons::YesNo,
                             MsgAnswer::No);
        QTest::mouseClick(d.chkModernProtection, Qt::LeftButton, {}, box);
        QVERIFY(d.modernChosen());
        KM_VERIFY_SCRIPT(prompt);
    }

    // Change Password sets the new credentials (trimmed), marks the document dirty; cancel changes nothing.
    void changePassword() {
        frmMain main;
        main.show();
        ScriptedPrompt prompt;
        prompt.expectCredentials(Credentials{QStringLiteral("old"), QStringLiteral("oldpw")});
        frmKMF* doc = NewDocumentCommand(main);
        QVERIFY(doc);
        DocumentSession& session = doc->session();
        QVERIFY(!session.dirty());

        prompt.expectCredentials(std::nullopt);
        main.menuItem(QStringLiteral("mnuFileChangePassword"))->trigger();
        QVERIFY(session.credentialsMatch("old", "oldpw"));
        QVERIFY(!session.dirty());

        prompt.expectCredentials(Credentials{QStringLiteral("  new "), QStringLiteral(" newpw  ")});
        main.menuItem(QStringLiteral("mnuFileChangePassword"))->trigger();
        QCOMPARE(session.userId(), std::string("new"));
        QVERIFY(session.credentialsMatch("new", "newpw"));
        QVERIFY(session.dirty());
        const LoginRequest asked = prompt.logins().last();
        QCOMPARE(asked.instructions, QStringLiteral("Enter the New User Name and\r\nNew Password to Lock this file"));
        QVERIFY(asked.confirm);
        QCOMPARE(asked.userLabel, QStringLiteral("New User Name"));
        QCOMPARE(asked.passwordLabel, QStringLiteral("New Password"));
        QVERIFY(asked.offerModern && !asked.modern);
        QCOMPARE(doc->protectionText(), QStringLiteral("Legacy protection"));

        // The choice of protection comes with the credentials, and shows.
        Credentials modern{QStringLiteral("new"), QStringLiteral("newpw")};
        modern.modern = true;
        prompt.expectCredentials(modern);
        main.menuItem(QStringLiteral("mnuFileChangePassword"))->trigger();
        QCOMPARE(session.protection(), Protection::Modern);
        QVERIFY(prompt.logins().last().offerModern && !prompt.logins().last().modern);
        QCOMPARE(doc->protectionText(), QStringLiteral("Modern protection"));
        prompt.expectCredentials(Credentials{QStringLiteral("new"), QStringLiteral("newpw")});
        main.menuItem(QStringLiteral("mnuFileChangePassword"))->trigger();
        QVERIFY(prompt.logins().last().modern);  // offered as the file has it
        QCOMPARE(session.protection(), Protection::Legacy);
        KM_VERIFY_SCRIPT(prompt);
        session.discardChanges();
    }
};

QTEST_MAIN(LoginTest)
#include "tst_login.moc"
