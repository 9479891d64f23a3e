#include "docwindow/TransferMenu.h"

#include "ui/StringTable.h"

namespace keymora {

namespace {

QAction* addItem(QMenu* menu, const char* name, int captionId) {
    QAction* action = menu->addAction(LoadResString(captionId));
    action->setObjectName(QString::fromLatin1(name));
    return action;
}

}  // namespace

TransferMenu::TransferMenu(TransferMode mode, QWidget* parent) : QMenu(parent) {
    const bool copy = mode == TransferMode::Copy;
    setObjectName(copy ? QStringLiteral("mnuCopyHolder") : QStringLiteral("mnuMoveNodeHolder"));
    setTitle(LoadResString(copy ? 1138 : 1143));
    if (copy) {
        m_before = addItem(this, "mnuCopyNodeBefore", 1139);
        m_after = addItem(this, "mnuCopyNodeAfter", 1140);
        m_under = addItem(this, "mnuCopyNodeUnder", 1141);
        m_cancel = addItem(this, "mnuCopyItemCancel", 1142);
    } else {
        m_before = addItem(this, "mnuMoveNodeBefore", 1144);
        m_after = addItem(this, "mnuMoveNodeAfter", 1145);
        m_under = addItem(this, "mnuMoveNodeUnder", 1146);
        m_cancel = addItem(this, "mnuMoveItemCancel", 1147);
    }
}

void TransferMenu::setUnderOffered(bool offered) { m_under->setVisible(offered); }

QAction* TransferMenu::item(std::optional<Relation> relation) const {
    if (!relation) return m_cancel;
    switch (*relation) {
    case Relation::Before: return m_before;
    case Relation::After: return m_after;
    case Relation::Child: return m_under;
    }
    return m_cancel;
}

std::optional<Relation> TransferMenu::choose(const QPoint& globalPos) {
    const QAction* chosen = exec(globalPos);
    if (chosen == m_before) return Relation::Before;
    if (chosen == m_after) return Relation::After;
    if (chosen == m_under && m_under->isVisible()) return Relation::Child;
    return std::nullopt;
}

}  // namespace keymora
