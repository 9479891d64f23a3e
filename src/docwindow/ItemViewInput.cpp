#include "docwindow/ItemViewInput.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMouseEvent>

namespace keymora {

ItemViewInput::ItemViewInput(QAbstractItemView* view) : QObject(view), m_view(view) {
    view->installEventFilter(this);
    view->viewport()->installEventFilter(this);
}

bool ItemViewInput::eventFilter(QObject* watched, QEvent* event) {
    // Filters hear events before a disabled (locked) view would refuse them.
    if (!m_view->isEnabled()) return QObject::eventFilter(watched, event);
    if (event->type() == QEvent::ContextMenu) {
        auto* menuEvent = static_cast<QContextMenuEvent*>(event);
        QModelIndex index;
        QPoint at;
        if (menuEvent->reason() == QContextMenuEvent::Keyboard || watched == m_view) {
            // The key names the current item; the menu opens beside it.
            index = m_view->currentIndex();
            const QRect rect = m_view->visualRect(index);
            at = rect.isValid() ? rect.center() : QPoint(8, 8);
        } else {
            at = menuEvent->pos();
            index = m_view->indexAt(at);
        }
        emit popupRequested(index, m_view->viewport()->mapToGlobal(at));
        return true;
    }
    if (event->type() == QEvent::MouseButtonDblClick && watched == m_view->viewport()) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::LeftButton && !m_view->indexAt(mouse->position().toPoint()).isValid())
            emit emptySpaceDoubleClicked();
    }
    // Keys an open name editor leaves unused reach the view too: they are not ours.
    if (event->type() == QEvent::KeyPress && watched == m_view && !editorOpen())
        return keyPressed(static_cast<QKeyEvent*>(event)->key());
    return QObject::eventFilter(watched, event);
}

bool ItemViewInput::editorOpen() const {
    const QWidget* focus = QApplication::focusWidget();
    return focus && focus != m_view && m_view->isAncestorOf(focus);
}

bool ItemViewInput::keyPressed(int key) {
    switch (key) {
    case Qt::Key_Delete: emit deletePressed(); return true;
    case Qt::Key_F2: emit renamePressed(); return true;
    case Qt::Key_Return:
    case Qt::Key_Enter: emit openPressed(m_view->currentIndex()); return true;
    default: return false;
    }
}

}  // namespace keymora
