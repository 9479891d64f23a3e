#pragma once
// Acting on a modal dialog the code under test opens: runs once it is shown, and should close it.
#include <QApplication>
#include <QDialog>
#include <QTest>
#include <QTimer>

#include <functional>
#include <memory>

namespace keymora::test {

// Set by the returned flag once the action ran.
template <typename Dialog>
std::shared_ptr<bool> whenShown(std::function<void(Dialog&)> act) {
    auto ran = std::make_shared<bool>(false);
    auto* timer = new QTimer(qApp);
    timer->setInterval(5);
    auto tries = std::make_shared<int>(0);
    QObject::connect(timer, &QTimer::timeout, [timer, act, ran, tries] {
        auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget());
        if (dialog == nullptr && ++*tries < 400) return;
        timer->stop();
        timer->deleteLater();
        if (dialog == nullptr) return;
        *ran = true;
        QVERIFY(QTest::qWaitForWindowExposed(dialog));
        act(*dialog);
        // A failed check inside leaves the dialog open: close it so the test ends.
        if (dialog->isVisible()) static_cast<QDialog*>(dialog)->reject();
    });
    timer->start();
    return ran;
}

}  // namespace keymora::test
