#pragma once
// The inactivity lock of a document window: after the stored time without
// use the cover hides the window's content until the file's credentials are
// given again. While covered the content takes no key or mouse input and
// keeps no focus, so nothing can be typed into it or copied out of it.
#include <QWidget>

class QPushButton;
class QTimer;

namespace keymora {

class LockCover : public QWidget {
    Q_OBJECT
public:
    // Covers `content`, which must be a child of `window` as the cover is.
    LockCover(QWidget* window, QWidget* content);

    // SetTimeToLockTimer: counts the inactivity time from now.
    void arm();
    void disarm();
    bool armed() const;

    void lock();
    void unlock();
    bool locked() const { return m_locked; }

signals:
    void unlockRequested();  // the cover's Unlock button
    void lockedNow();        // the cover went up

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void checkDeadline();

    QWidget* m_content;
    QPushButton* m_unlock = nullptr;
    QTimer* m_timer = nullptr;
    qint64 m_deadlineMs = 0;
    bool m_locked = false;
};

}  // namespace keymora
