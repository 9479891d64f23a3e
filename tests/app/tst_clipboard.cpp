// Timed password copy: the copy returns at once; a timer takes it away and restores the earlier text.
#include <QClipboard>
#include <QElapsedTimer>
#include <QMimeData>
#include <QtTest/QtTest>

#include "docwindow/cClipBoard.h"

using namespace keymora;

namespace {

bool markedSecret() {
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    return data != nullptr && data->data(QStringLiteral("x-kde-passwordManagerHint")) == "secret";
}

}  // namespace

class ClipboardTest : public QObject {
    Q_OBJECT

private slots:
    void init() {
        QTRY_VERIFY(!cClipBoard::PasswordPending());
        QGuiApplication::clipboard()->clear();
    }

    void passwordIsRemovedAndEarlierTextRestored() {
        cClipBoard::SetText(QStringLiteral("before"));
        QElapsedTimer clock;
        clock.start();
        cClipBoard::CopyPasswordTimed(QStringLiteral("pa55"), 300);
        QVERIFY(clock.elapsed() < 300);  // no waiting inside the copy
        QCOMPARE(cClipBoard::GetText(), QStringLiteral("pa55"));
        QVERIFY(markedSecret());  // clipboard managers are told not to keep it
        QTRY_COMPARE(cClipBoard::GetText(), QStringLiteral("before"));
        QVERIFY(clock.elapsed() >= 290);
        QVERIFY(!markedSecret());
        QVERIFY(!cClipBoard::PasswordPending());
    }

    void withNoEarlierTextTheClipboardEndsEmpty() {
        cClipBoard::CopyPasswordTimed(QStringLiteral("pa55"), 50);
        QTRY_VERIFY(!cClipBoard::PasswordPending());
        QVERIFY(!cClipBoard::FormatAvailable(cClipBoard::CF_TEXT));
    }

    // A second copy restarts the time, and the text from before the first copy comes back in the end.
    void secondCopyRestartsTheTimeAndKeepsTheFirstRememberedText() {
        cClipBoard::SetText(QStringLiteral("before"));
        QElapsedTimer clock;
        clock.start();
        cClipBoard::CopyPasswordTimed(QStringLiteral("first"), 400);
        QTest::qWait(250);
        cClipBoard::CopyPasswordTimed(QStringLiteral("second"), 400);
        QCOMPARE(cClipBoard::GetText(), QStringLiteral("second"));
        QTest::qWait(250);  // past the first copy's time
        QCOMPARE(cClipBoard::GetText(), QStringLiteral("second"));
        QTRY_COMPARE(cClipBoard::GetText(), QStringLiteral("before"));
        QVERIFY(clock.elapsed() >= 640);
        QVERIFY(!markedSecret());
    }

    void exitEndsAWaitingCopyAndClearsOnlyAPasswordLeftBehind() {
        cClipBoard::SetText(QStringLiteral("user text"));
        cClipBoard::CopyPasswordTimed(QStringLiteral("pw"), 60000);
        cClipBoard::ClearPasswordAtExit();
        QVERIFY(!cClipBoard::PasswordPending());
        QCOMPARE(cClipBoard::GetText(), QStringLiteral("user text"));
        cClipBoard::ClearPasswordAtExit();
        QCOMPARE(cClipBoard::GetText(), QStringLiteral("user text"));
        cClipBoard::SetText(QStringLiteral("pw"), true);
        cClipBoard::ClearPasswordAtExit();
        QVERIFY(!cClipBoard::FormatAvailable(cClipBoard::CF_TEXT));
    }
};

QTEST_MAIN(ClipboardTest)
#include "tst_clipboard.moc"
