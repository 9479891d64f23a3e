// Timed password copy over the system clipboard.
#include <QApplication>
#include <QClipboard>
#include <QMimeData>
#include <QTimer>
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
    void init() { QGuiApplication::clipboard()->clear(); }

    void basicOperations() {
        QVERIFY(cClipBoard::SetText(QStringLiteral("caf\u00e9 \u20ac \u4e2d")));
        QVERIFY(cClipBoard::FormatAvailable(cClipBoard::CF_TEXT));
        QCOMPARE(cClipBoard::GetText(), QStringLiteral("caf\u00e9 \u20ac \u4e2d"));
        QVERIFY(!markedSecret());
        QVERIFY(cClipBoard::Clear());
        QVERIFY(!cClipBoard::FormatAvailable(cClipBoard::CF_TEXT));
        QCOMPARE(cClipBoard::GetText(), QString());
    }

    void passwordIsRemovedAndEarlierTextRestored() {
        cClipBoard::SetText(QStringLiteral("before"));
        QString during;
        bool secretDuring = false;
        QTimer::singleShot(100, [&] {
            during = cClipBoard::GetText();
            secretDuring = markedSecret();
        });
        QElapsedTimer clock;
        clock.start();
        cClipBoard::CopyPasswordTimed(QStringLiteral("pa55"), 400);
        QVERIFY(clock.elapsed() >= 390);
        QCOMPARE(during, QStringLiteral("pa55"));
        QVERIFY(secretDuring);  // clipboard managers are told not to keep it
        QCOMPARE(cClipBoard::GetText(), QStringLiteral("before"));
        QVERIFY(!markedSecret());
    }

    void withNoEarlierTextTheClipboardEndsEmpty() {
        cClipBoard::CopyPasswordTimed(QStringLiteral("pa55"), 50);
        QVERIFY(!cClipBoard::FormatAvailable(cClipBoard::CF_TEXT));
    }

    void nestedCopyRestoresTheOuterPasswordThenTheEarlierText() {
        cClipBoard::SetText(QStringLiteral("before"));
        QString afterInner;
        bool innerRestoredSecret = false;
        QTimer::singleShot(50, [&] {
            cClipBoard::CopyPasswordTimed(QStringLiteral("second"), 100);
            afterInner = cClipBoard::GetText();
            innerRestoredSecret = markedSecret();
        });
        cClipBoard::CopyPasswordTimed(QStringLiteral("first"), 300);
        QCOMPARE(afterInner, QStringLiteral("first"));
        QVERIFY(innerRestoredSecret);
        QCOMPARE(cClipBoard::GetText(), QStringLiteral("before"));
    }

    void exitClearsOnlyAPasswordLeftBehind() {
        cClipBoard::SetText(QStringLiteral("user text"));
        cClipBoard::ClearPasswordAtExit();
        QCOMPARE(cClipBoard::GetText(), QStringLiteral("user text"));
        cClipBoard::SetText(QStringLiteral("pw"), true);
        cClipBoard::ClearPasswordAtExit();
        QVERIFY(!cClipBoard::FormatAvailable(cClipBoard::CF_TEXT));
    }

    void elapsedTicksSurvivesWrapAround() {
        QCOMPARE(cClipBoard::elapsedTicks(0xFFFFFF00u, 0x00000100u), 0x200u);
        QCOMPARE(cClipBoard::elapsedTicks(100u, 2100u), 2000u);
    }
};

QTEST_MAIN(ClipboardTest)
#include "tst_clipboard.moc"
