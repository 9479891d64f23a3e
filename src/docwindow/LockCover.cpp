#include "docwindow/LockCover.h"

#include <QDateTime>
#include <QEvent>
#include <QPushButton>
#include <QTimer>

#include "support/ClsReg.h"
#include "support/Options.h"

namespace keymora {

namespace {
constexpr int kCheckEveryMs = 5000;
}

LockCover::LockCover(QWidget* window, QWidget* content) : QWidget(window), m_content(content) {
    setObjectName(QStringLiteral("picFormHider"));
    setAutoFillBackground(true);
    setFocusPolicy(Qt::StrongFocus);
    m_unlock = new QPushButton(QStringLiteral("Unlock"), this);
    m_unlock->setObjectName(QStringLiteral("cmdUnlock"));
    m_unlock->move(8, 8);
    m_unlock->adjustSize();
    connect(m_unlock, &QPushButton::clicked, this, &LockCover::unlockRequested);
    hide();

    m_timer = new QTimer(this);
    m_timer->setObjectName(QStringLiteral("TimeLockFile"));
    m_timer->setInterval(kCheckEveryMs);
    connect(m_timer, &QTimer::timeout, this, &LockCover::checkDeadline);
    window->installEventFilter(this);
}

void LockCover::arm() {
    // Whole seconds, as the option is shown in the options dialog.
    const qint64 ms = options::FormOverallDisplayTimeout(clsReg());
    m_deadlineMs = QDateTime::currentMSecsSinceEpoch() + (ms / 1000) * 1000;
    m_timer->start();
}

void LockCover::disarm() { m_timer->stop(); }

bool LockCover::armed() const { return m_timer->isActive(); }

void LockCover::checkDeadline() {
    if (!m_locked && QDateTime::currentMSecsSinceEpoch() >= m_deadlineMs) lock();
}

void LockCover::lock() {
    m_timer->stop();
    if (m_locked) return;
    m_locked = true;
    // A disabled widget gets no keys or clicks and gives up the focus.
    m_content->setEnabled(false);
    setGeometry(parentWidget()->rect());
    raise();
    show();
    m_unlock->setFocus(Qt::OtherFocusReason);
    emit lockedNow();
}

void LockCover::unlock() {
    if (!m_locked) return;
    m_locked = false;
    hide();
    m_content->setEnabled(true);
}

bool LockCover::eventFilter(QObject* watched, QEvent* event) {
    if (watched == parentWidget() && event->type() == QEvent::Resize && m_locked)
        setGeometry(parentWidget()->rect());
    return QWidget::eventFilter(watched, event);
}

}  // namespace keymora
