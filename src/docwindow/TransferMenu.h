#pragma once
// The pop-up menus offered after a node is dropped: copy or move it before,
// after or under the drop target, or cancel.
#include <QMenu>

#include <optional>

#include "document/TreeEditing.h"

namespace keymora {

class TransferMenu : public QMenu {
    Q_OBJECT
public:
    // "Copy Menu Holder" or "Move Node Holder" with their four items.
    TransferMenu(TransferMode mode, QWidget* parent = nullptr);

    // "Under" is hidden where the target cannot hold the node (an entry).
    void setUnderOffered(bool offered);
    // Shows the menu at globalPos; nothing when cancelled or closed.
    std::optional<Relation> choose(const QPoint& globalPos);
    // The item of a relation, or the cancel item when none is given.
    QAction* item(std::optional<Relation> relation) const;

private:
    QAction* m_before = nullptr;
    QAction* m_after = nullptr;
    QAction* m_under = nullptr;
    QAction* m_cancel = nullptr;
};

}  // namespace keymora
