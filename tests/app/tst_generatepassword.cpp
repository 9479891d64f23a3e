// The password generator dialog and the Create Password command.
#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>

#include "OptionStore.h"
#include "ScriptedPrompt.h"
#include "app/ModMain.h"
#include "ui/frmGeneratePassword.h"
#include "app/frmMain.h"

using namespace keymora;
using namespace keymora::test;

class GeneratePasswordTest : public QObject {
    Q_OBJECT
private:
    TestSettings m_config;

private slots:
    void initTestCase() { QVERIFY(m_config.isValid()); }
    void init() { TestSettings::startSeeded(); }

    // Too long is cut to 15; not a number, on leaving the box or on Generate, says so and goes back to 8.
    void lengthBoxChecks() {
        const QString notANumber = QStringLiteral("The password length must be a number.");
        ScriptedPrompt prompt;
        frmGeneratePassword d;
        d.txtLength->setText(QStringLiteral("20"));
        d.txtLength_LostFocus();
        QCOMPARE(d.txtLength->text(), QStringLiteral("15"));
        prompt.expectMessage(notANumber, QStringLiteral("Invalid Entry"), MsgIcon::Information, MsgButtons::Ok);
        d.txtLength->setText(QStringLiteral("abc"));
        d.txtLength_LostFocus();
        QCOMPARE(d.txtLength->text(), QStringLiteral("8"));
        prompt.expectMessage(notANumber, QStringLiteral("Invalid Entry"), MsgIcon::Information, MsgButtons::Ok);
        d.txtLength->setText(QStringLiteral("-3"));
        d.cmdGenerate->click();
        QVERIFY(!d.accepted());
        QCOMPARE(d.txtLength->text(), QStringLiteral("8"));
        KM_VERIFY_SCRIPT(prompt);
    }

    // Which characters each class draws is PasswordGeneratorTest's; the dialog passes class and length.
    void generatesFromTheChosenClass() {
        ScriptedPrompt prompt;
        frmGeneratePassword d;  // as it opens: 8 from letters, digits and some signs
        QVERIFY(d.optPasswordPattern[4]->isChecked());
        d.cmdGenerate->click();
        QVERIFY(d.accepted());
        QVERIFY2(QRegularExpression(QStringLiteral("^[A-Za-z0-9@#$%&*()?]{8}$")).match(d.sGeneratedPassword).hasMatch(),
                 qPrintable(d.sGeneratedPassword));
        frmGeneratePassword lower;
        lower.optPasswordPattern[1]->click();
        lower.txtLength->setText(QStringLiteral("15"));
        lower.cmdGenerate->click();
        QVERIFY2(QRegularExpression(QStringLiteral("^[a-z]{15}$")).match(lower.sGeneratedPassword).hasMatch(),
                 qPrintable(lower.sGeneratedPassword));
        frmGeneratePassword zero;
        zero.txtLength->setText(QStringLiteral("0"));
        zero.cmdGenerate->click();
        QVERIFY(zero.accepted());
        QVERIFY(zero.sGeneratedPassword.isEmpty());
        KM_VERIFY_SCRIPT(prompt);
    }

    // Create Password: the password goes to the clipboard and is shown.
    void createPasswordCommand() {
        frmMain main;
        main.show();
        QAction* button = main.toolbarButton(QStringLiteral("Create Password"));
        QVERIFY(button->isVisible() && button->isEnabled());
        QApplication::clipboard()->setText(QStringLiteral("before"));
        ScriptedPrompt prompt;
        prompt.expectMessageContaining(QStringLiteral("The newly generated password is:"));
        QTimer::singleShot(0, this, [] {
            auto* d = qobject_cast<frmGeneratePassword*>(QApplication::activeModalWidget());
            QVERIFY(d);
            d->txtLength->setText(QStringLiteral("12"));
            d->cmdGenerate->click();
        });
        button->trigger();
        KM_VERIFY_SCRIPT(prompt);
        const QString onClipboard = QApplication::clipboard()->text();
        QCOMPARE(onClipboard.size(), 12);
        const auto& shown = prompt.messages().last();
        QCOMPARE(shown.title, QStringLiteral("New Password Generated"));
        QCOMPARE(shown.text, QStringLiteral("The newly generated password is:\r\n\r\n") + onClipboard +
                                 QStringLiteral("\r\n\r\nAnd has been placed on the clipboard."));

        // Cancelled: the clipboard keeps what it had and nothing is shown.
        QApplication::clipboard()->setText(QStringLiteral("kept"));
        QTimer::singleShot(0, this, [] {
            auto* d = qobject_cast<frmGeneratePassword*>(QApplication::activeModalWidget());
            QVERIFY(d);
            d->cmdCancel->click();
        });
        button->trigger();
        QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("kept"));
        KM_VERIFY_SCRIPT(prompt);
    }
};

QTEST_MAIN(GeneratePasswordTest)
#include "tst_generatepassword.moc"
