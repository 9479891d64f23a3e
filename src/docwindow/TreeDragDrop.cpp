// Dragging nodes in the tree: within one document window a drop moves the
// node, between two it copies it (Shift forces a move, Ctrl a copy). Where
// the node goes next to the target, a pop-up asks before, after or under.
#include <QMimeData>

#include <optional>

#include "docwindow/NodeDrag.h"
#include "docwindow/TransferMenu.h"
#include "docwindow/TreePane.h"
#include "docwindow/frmKMF.h"
#include "session/DocumentSession.h"
#include "ui/Prompt.h"
#include "ui/StringTable.h"

namespace keymora {

namespace {

const char* const kReadOnlyStatus = "This file is read only.  Changes dis-allowed";

bool isWithin(pugi::xml_node node, pugi::xml_node ancestor) {
    for (pugi::xml_node n = node; n; n = n.parent())
        if (n == ancestor) return true;
    return false;
}

// A category dropped on empty space goes next to the last category.
pugi::xml_node lastCategory(pugi::xml_node records) {
    for (pugi::xml_node n = records.last_child(); n; n = n.previous_sibling())
        if (KindOf(n) == NodeKind::Category) return n;
    return {};
}

TransferMode byKeys(TransferMode mode, Qt::KeyboardModifiers keys) {
    keys &= Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier;
    if (keys == Qt::ShiftModifier) return TransferMode::Move;
    if (keys == Qt::ControlModifier) return TransferMode::Copy;
    return mode;
}

}  // namespace

struct frmKMF::DropPlan {
    frmKMF* source = nullptr;
    std::string draggedId;
    pugi::xml_node target;
    TransferMode mode = TransferMode::Copy;
    bool ask = false;           // a pop-up decides the place
    bool underOffered = false;  // the pop-up offers "Under"
    bool sharedIntoPrivate = false;
};

void frmKMF::connectTreeDrag() {
    TreeDragHooks hooks;
    hooks.dragData = [this](pugi::xml_node node) -> std::unique_ptr<QMimeData> {
        // Nothing is dragged out of a read-only or covered window.
        if (!IsTreeNode(node) || m_session->readOnly() || displayLocked()) return nullptr;
        return nodedrag::start(this, node.attribute("id").value());
    };
    hooks.dropAction = [this](pugi::xml_node target, Qt::KeyboardModifiers keys) {
        const std::optional<DropPlan> plan = planDrop(target, keys);
        if (!plan || plan->sharedIntoPrivate) return Qt::IgnoreAction;
        return plan->mode == TransferMode::Move ? Qt::MoveAction : Qt::CopyAction;
    };
    hooks.drop = [this](pugi::xml_node target, Qt::KeyboardModifiers keys, const QPoint& at) {
        return dropNode(target, keys, at);
    };
    m_tree->setDragHooks(std::move(hooks));
}

// What a drop of the dragged node on target would do; nothing when refused.
std::optional<frmKMF::DropPlan> frmKMF::planDrop(pugi::xml_node target, Qt::KeyboardModifiers keys) {
    DropPlan plan;
    plan.source = nodedrag::source();
    if (plan.source == nullptr || plan.source->session().closed() || m_session->closed()) return std::nullopt;
    if (m_session->readOnly()) {
        emit mainStatusText(QString::fromLatin1(kReadOnlyStatus));
        return std::nullopt;
    }
    if (displayLocked() || plan.source->displayLocked()) return std::nullopt;
    plan.draggedId = nodedrag::id();
    const pugi::xml_node dragged = plan.source->session().doc().nodeById(plan.draggedId);
    if (!IsTreeNode(dragged)) return std::nullopt;
    const bool sameWindow = plan.source == this;
    if (!sameWindow && !m_session->sharedFile() && plan.source->session().sharedFile()) {
        plan.sharedIntoPrivate = true;
        return plan;
    }
    plan.mode = byKeys(sameWindow ? TransferMode::Move : TransferMode::Copy, keys);

    const NodeKind kind = KindOf(dragged);
    if (!target) {
        if (kind != NodeKind::Category) return std::nullopt;
        target = lastCategory(m_session->doc().dom().select_node("//records").node());
    }
    // Nothing goes onto itself or into its own branch.
    if (!target || (sameWindow && isWithin(target, dragged))) return std::nullopt;
    plan.target = target;
    const NodeKind onto = KindOf(target);
    if (kind == NodeKind::Category) {
        if (onto != NodeKind::Category) return std::nullopt;
        plan.ask = true;
    } else if (onto != NodeKind::Category) {
        plan.ask = true;
        plan.underOffered = onto == NodeKind::SubCategory;
    }
    return plan;
}

Qt::DropAction frmKMF::dropNode(pugi::xml_node target, Qt::KeyboardModifiers keys, const QPoint& at) {
    const std::optional<DropPlan> plan = planDrop(target, keys);
    if (!plan) return Qt::IgnoreAction;
    if (plan->sharedIntoPrivate) {
        Prompt::current().message(LoadResString(1198), LoadResString(1199), MsgIcon::Critical, MsgButtons::Ok);
        return Qt::IgnoreAction;
    }
    emit mainStatusText(QString());
    std::optional<Relation> relation = Relation::Child;
    if (plan->ask) {
        TransferMenu menu(plan->mode, this);
        menu.setUnderOffered(plan->underOffered);
        relation = menu.choose(at);
        if (!relation) return Qt::IgnoreAction;  // cancelled: nothing changes
    }
    const std::string targetId = plan->target.attribute("id").value();
    const EditResult result = DocumentSession::transfer(plan->source->session(), *m_session, *relation,
                                                        plan->draggedId, targetId, plan->mode);
    if (!result.ok()) return Qt::IgnoreAction;
    // Within one window the dragged node is shown again where it now is.
    if (plan->source == this)
        NodeClick(plan->mode == TransferMode::Move ? result.id : plan->draggedId);
    return plan->mode == TransferMode::Move ? Qt::MoveAction : Qt::CopyAction;
}

}  // namespace keymora
