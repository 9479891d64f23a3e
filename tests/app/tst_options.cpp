// Options: rounding on load, the values and names written on save, and the
// dialog's buttons and start-up file controls.
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QTest>
#include <QToolButton>

#include "OptionStore.h"
#include "ScriptedPrompt.h"
#include "app/frmOptions.h"
#include "support/ClsReg.h"

using namespace keymora;
using keymora::test::ScriptedPrompt;
using keymora::test::TestSettings;
using keymora::test::option;
using keymora::test::putOption;

class OptionsTest : public QObject {
    Q_OBJECT
private:
    TestSettings m_config;

private slots:
    void initTestCase() {
        QVERIFY(m_config.isValid());
        qputenv("HOME", m_config.path().toUtf8());
    }
    void init() { TestSettings::startSeeded(); }

    void halvesRoundToEven() {
        QCOMPARE(DivideRoundHalfEven(2500, 1000), 2LL);
        QCOMPARE(DivideRoundHalfEven(3500, 1000), 4LL);
        QCOMPARE(DivideRoundHalfEven(2501, 1000), 3LL);
        QCOMPARE(DivideRoundHalfEven(500, 1000), 0LL);
    }

    void roundTrip() {
        putOption("clipboard timeout", "3000");
        putOption("form display timeout", "2500");           // 2.5 s shows 2
        putOption("form overall display timeout", "120000");  // 2 min
        putOption("use compression", "0");
        putOption("Confirm Entry Deletes", "1");
        putOption("Auto Save Changes", "0");
        putOption("auto open file", "1");
        putOption("file to open", "/d/start.kmf");
        frmOptions dialog;
        QCOMPARE(dialog.sldClipBoardTimeOut->value(), 3);
        QCOMPARE(dialog.sldFormDisplayTimeOut->value(), 2);
        QCOMPARE(dialog.sldOverallFormDisplayTimeOut->value(), 2);
        QVERIFY(!dialog.chkUseCompression->isChecked());
        QVERIFY(dialog.chkConfirmDeletes->isChecked());
        QVERIFY(!dialog.chkAutoSave->isChecked());
        QVERIFY(dialog.chkAutoOpenLastFile->isChecked());
        QCOMPARE(dialog.txtFileToOpen->text(), QStringLiteral("/d/start.kmf"));
        QVERIFY(dialog.txtFileToOpen->isEnabled());
        QVERIFY(!dialog.cmdBrowse->isHidden());

        QTest::mouseClick(dialog.cmdOK, Qt::LeftButton);
        QCOMPARE(option("clipboard timeout"), std::string("3000"));
        QCOMPARE(option("form display timeout"), std::string("2000"));
        QCOMPARE(option("form overall display timeout"), std::string("120000"));
        QCOMPARE(option("use compression"), std::string("0"));
        QCOMPARE(option("Confirm Entry Deletes"), std::string("1"));
        QCOMPARE(option("Auto Save Changes"), std::string("0"));
        QCOMPARE(option("auto open file"), std::string("1"));
        QCOMPARE(option("file to open"), std::string("/d/start.kmf"));
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
    }

    void clearingStartupFileWritesEmpty() {
        putOption("auto open file", "1");
        putOption("file to open", "/d/start.kmf");
        frmOptions dialog;
        dialog.chkAutoOpenLastFile->click();
        QVERIFY(dialog.txtFileToOpen->text().isEmpty());
        QVERIFY(!dialog.txtFileToOpen->isEnabled());
        QVERIFY(dialog.cmdBrowse->isHidden());
        QTest::mouseClick(dialog.cmdOK, Qt::LeftButton);
        QCOMPARE(option("auto open file"), std::string("0"));
        QCOMPARE(option("file to open"), std::string(""));
    }

    void applyThenCancelKeepsApplied() {
        frmOptions dialog;
        dialog.sldClipBoardTimeOut->setValue(7);
        QTest::mouseClick(dialog.cmdApply, Qt::LeftButton);
        QCOMPARE(option("clipboard timeout"), std::string("7000"));
        dialog.sldClipBoardTimeOut->setValue(9);
        QTest::mouseClick(dialog.cmdCancel, Qt::LeftButton);
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        QCOMPARE(option("clipboard timeout"), std::string("7000"));
        // Cancel alone writes nothing.
        QCOMPARE(option("auto open file"), std::string("0"));
        TestSettings::startEmpty();
        frmOptions again;
        QTest::mouseClick(again.cmdCancel, Qt::LeftButton);
        QCOMPARE(option("clipboard timeout"), std::string("<absent>"));
    }

    void browseChoosesStartupFile() {
        putOption("auto open file", "1");
        frmOptions dialog;
        {
            ScriptedPrompt prompt;
            prompt.expectOpenFile(QStringLiteral("/d/picked.kmf"));
            dialog.cmdBrowse->click();
            KM_VERIFY_SCRIPT(prompt);
            QCOMPARE(prompt.fileDialogs().value(0).title, QStringLiteral("Open Keymora Archive"));
            QCOMPARE(prompt.fileDialogs().value(0).defaultSuffix, QStringLiteral("kmf"));
        }
        QCOMPARE(dialog.txtFileToOpen->text(), QStringLiteral("/d/picked.kmf"));
        {
            ScriptedPrompt prompt;
            prompt.expectOpenFile(QString());  // cancelled
            dialog.cmdBrowse->click();
            KM_VERIFY_SCRIPT(prompt);
        }
        QCOMPARE(dialog.txtFileToOpen->text(), QStringLiteral("/d/picked.kmf"));
        QCOMPARE(option("file to open"), std::string("<absent>"));  // nothing written yet
    }
};

QTEST_MAIN(OptionsTest)
#include "tst_options.moc"
