// Options: rounding on load, values and names written on save, the dialog's buttons and start-up file.
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QTest>
#include <QToolButton>

#include <vector>

#include "OptionStore.h"
#include "ScriptedPrompt.h"
#include "app/frmOptions.h"
#include "support/ClsReg.h"

using namespace keymora;
using namespace keymora::test;

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

    void roundTrip() {
        // Written back as they were.
        const std::vector<std::pair<const char*, std::string>> kept = {
            {"form overall display timeout", "120000"}, {"use compression", "0"},
            {"Confirm Entry Deletes", "1"},            {"Auto Save Changes", "0"},
            {"auto open file", "1"},                   {"file to open", "/d/start.kmf"}};
        for (const auto& [name, value] : kept) putOption(name, value);
        putOption("clipboard timeout", "2500");     // halves round to even: 2 s
        putOption("form display timeout", "3500");  // 4 s
        frmOptions dialog;
        QCOMPARE(dialog.sldClipBoardTimeOut->value(), 2);
        QCOMPARE(dialog.sldFormDisplayTimeOut->value(), 4);
        QCOMPARE(dialog.sldOverallFormDisplayTimeOut->value(), 2);  // minutes
        QVERIFY(!dialog.chkUseCompression->isChecked());
        QVERIFY(dialog.chkConfirmDeletes->isChecked());
        QVERIFY(!dialog.chkAutoSave->isChecked());
        QVERIFY(dialog.chkAutoOpenLastFile->isChecked());
        QCOMPARE(dialog.txtFileToOpen->text(), QStringLiteral("/d/start.kmf"));
        QVERIFY(dialog.txtFileToOpen->isEnabled());
        QVERIFY(!dialog.cmdBrowse->isHidden());

        QTest::mouseClick(dialog.cmdOK, Qt::LeftButton);
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(option("clipboard timeout"), std::string("2000"));
        QCOMPARE(option("form display timeout"), std::string("4000"));
        for (const auto& [name, value] : kept) QCOMPARE(option(name), value);
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
