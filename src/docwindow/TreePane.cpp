#include "docwindow/TreePane.h"

#include <QCoreApplication>
#include <QDrag>
#include <QDragEnterEvent>
#include <QDragLeaveEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QHeaderView>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPointer>
#include <QProgressDialog>

#include <cstring>
#include <vector>

#include "docwindow/DocTreeModel.h"
#include "document/NodeKind.h"
#include "session/DocumentSession.h"

namespace keymora {

namespace {

// A second click on the current node within this time renames it.
constexpr qint64 kRenameClickMs = 1500;

bool storedExpanded(pugi::xml_node node) {
    return std::strcmp(node.attribute("expanded").value(), "True") == 0;
}

// Every category and sub-category below node, depth first.
template <typename Fn>
void forEachContainer(pugi::xml_node node, const Fn& fn) {
    for (pugi::xml_node c = node.first_child(); c; c = c.next_sibling()) {
        if (!IsContainer(c)) continue;
        fn(c);
        forEachContainer(c, fn);
    }
}

std::vector<pugi::xml_node> categoriesOf(pugi::xml_node records) {
    std::vector<pugi::xml_node> categories;
    for (pugi::xml_node c = records.first_child(); c; c = c.next_sibling())
        if (KindOf(c) == NodeKind::Category) categories.push_back(c);
    return categories;
}

}  // namespace

TreePane::TreePane(DocumentSession& session, QWidget* parent)
    : QTreeView(parent), m_session(session) {
    setObjectName(QStringLiteral("tvTreeView"));
    setHeaderHidden(true);
    setUniformRowHeights(true);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setExpandsOnDoubleClick(true);
    // Dragging: a collapsed node opens after a second's hover; near an edge
    // the tree scrolls (the zone is set once rows exist, see loadTree).
    setDragEnabled(true);
    setAcceptDrops(true);
    setDragDropMode(QAbstractItemView::DragDrop);
    setDropIndicatorShown(true);
    setAutoExpandDelay(1000);
    setAutoScroll(true);
    m_model = new DocTreeModel(session, this);
    setModel(m_model);

    // A node is chosen when it becomes selected (by a click or a key); the
    // current row a view takes on focus alone selects nothing.
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this] { onSelectionChanged(); });
    connect(this, &QTreeView::clicked, this, &TreePane::onClicked);
    // Expansion is how the tree is shown, not an edit: the file stays clean.
    connect(this, &QTreeView::expanded, this, [this](const QModelIndex& index) {
        m_session.setViewAttribute(m_model->nodeOf(index), "expanded", "True");
    });
    connect(this, &QTreeView::collapsed, this, [this](const QModelIndex& index) {
        m_session.setViewAttribute(m_model->nodeOf(index), "expanded", "False");
    });
    connect(m_model, &QAbstractItemModel::modelReset, this, [this] {
        for (pugi::xml_node category : categoriesOf(m_model->root())) restoreExpanded(category);
        emit reloaded();
    });
}

void TreePane::loadTree() {
    const std::vector<pugi::xml_node> categories = categoriesOf(m_model->root());
    m_loading = true;
    // Shown only when loading takes a noticeable time.
    QProgressDialog progress(this);
    progress.setWindowTitle(QStringLiteral("Loading Data..."));
    progress.setCancelButton(nullptr);
    progress.setRange(0, static_cast<int>(categories.size()));
    progress.setMinimumDuration(500);
    progress.setWindowModality(Qt::NonModal);
    QPointer<TreePane> self(this);
    int done = 0;
    for (pugi::xml_node category : categories) {
        progress.setLabelText(QStringLiteral("Loading Category: ") +
                              QString::fromUtf8(category.attribute("value").value()));
        restoreExpanded(category);
        progress.setValue(++done);
        QCoreApplication::processEvents();
        if (!self) return;
    }
    progress.close();
    m_loading = false;
    // The auto-scroll zone is two rows high.
    const int row = m_model->rowCount() > 0 ? sizeHintForRow(0) : 0;
    setAutoScrollMargin(row > 0 ? 2 * row : 32);
}

void TreePane::restoreExpanded(pugi::xml_node top) {
    // A stack of its own, in the order a recursive walk would take: the
    // call stack is no place for a depth that comes from a file.
    struct Step {
        pugi::xml_node node;
        bool childrenDone;
    };
    std::vector<Step> stack{{top, false}};
    while (!stack.empty()) {
        const Step step = stack.back();
        stack.pop_back();
        const NodeKind kind = KindOf(step.node);
        if (step.childrenDone) {
            // A sub-category is expanded once its children are in place.
            if (kind == NodeKind::SubCategory && storedExpanded(step.node))
                expand(m_model->indexOf(step.node));
            continue;
        }
        if (kind == NodeKind::Category && storedExpanded(step.node)) expand(m_model->indexOf(step.node));
        stack.push_back({step.node, true});
        for (pugi::xml_node c = step.node.last_child(); c; c = c.previous_sibling())
            if (KindOf(c) == NodeKind::SubCategory) stack.push_back({c, false});
    }
}

void TreePane::showCurrent(pugi::xml_node node) {
    m_showing = true;
    const QModelIndex index = m_model->indexOf(node);
    if (index.isValid()) {
        scrollTo(index);
        selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
    } else {
        selectionModel()->clearCurrentIndex();
        selectionModel()->clearSelection();
    }
    m_showing = false;
}

void TreePane::startRename(pugi::xml_node node) {
    if (!IsContainer(node)) return;
    showCurrent(node);
    const QModelIndex index = m_model->indexOf(node);
    if (!index.isValid()) return;
    setFocus(Qt::OtherFocusReason);
    edit(index);
    // Typing replaces the whole name.
    if (auto* editor = qobject_cast<QLineEdit*>(indexWidget(index))) editor->selectAll();
}

pugi::xml_node TreePane::nodeAt(const QPoint& viewportPos) const {
    const QModelIndex index = indexAt(viewportPos);
    return index.isValid() ? m_model->nodeOf(index) : pugi::xml_node();
}

pugi::xml_node TreePane::selectedNode() const {
    const QModelIndexList selected = selectionModel()->selectedIndexes();
    return selected.isEmpty() ? pugi::xml_node() : m_model->nodeOf(selected.first());
}

// The `expanded` attribute follows every expand and collapse of the view.
TreePane::ExpandedState TreePane::expandedState() const {
    ExpandedState state;
    forEachContainer(m_model->root(), [&](pugi::xml_node node) {
        state.emplace(node.attribute("id").value(), storedExpanded(node));
    });
    return state;
}

void TreePane::restoreExpandedState(const ExpandedState& state) {
    if (state.empty()) return;
    forEachContainer(m_model->root(), [&](pugi::xml_node node) {
        const auto it = state.find(node.attribute("id").value());
        if (it == state.end() || it->second == storedExpanded(node)) return;
        setExpanded(m_model->indexOf(node), it->second);
    });
}

void TreePane::onSelectionChanged() {
    const pugi::xml_node node = selectedNode();
    if (!node || m_showing || m_loading) return;
    m_lastClicked = node;
    m_sinceLastClick.start();
    emit nodeChosen(node);
}

void TreePane::onClicked(const QModelIndex& index) {
    const pugi::xml_node node = m_model->nodeOf(index);
    // A click that changed the selection was handled as that change.
    if (node != m_nodeAtPress || m_loading) return;
    if (secondClickOn(node)) {
        // A read-only file's names are not edited.
        if (m_model->flags(index).testFlag(Qt::ItemIsEditable)) edit(index);
        return;
    }
    emit nodeChosen(node);
}

bool TreePane::secondClickOn(pugi::xml_node node) {
    const bool due = IsContainer(node) && node == m_lastClicked && m_sinceLastClick.isValid() &&
                     m_sinceLastClick.elapsed() < kRenameClickMs;
    if (due) {
        m_lastClicked = {};
        return true;
    }
    m_lastClicked = node;
    m_sinceLastClick.start();
    return false;
}

void TreePane::mousePressEvent(QMouseEvent* event) {
    m_nodeAtPress = selectedNode();
    QTreeView::mousePressEvent(event);
}

void TreePane::mouseReleaseEvent(QMouseEvent* event) {
    QTreeView::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton) emit clickedInTree();
}

}  // namespace keymora

namespace keymora {

// --- dragging -------------------------------------------------------------------

std::unique_ptr<QMimeData> TreePane::dragData() const {
    const pugi::xml_node node = selectedNode();
    if (!node || !m_drag.dragData) return nullptr;
    return m_drag.dragData(node);
}

void TreePane::startDrag(Qt::DropActions) {
    std::unique_ptr<QMimeData> nodeData = dragData();
    if (!nodeData) return;
    auto* drag = new QDrag(this);
    drag->setMimeData(nodeData.release());
    drag->exec(Qt::CopyAction | Qt::MoveAction, Qt::MoveAction);
}

void TreePane::dragEnterEvent(QDragEnterEvent* event) {
    QTreeView::dragEnterEvent(event);
    if (m_drag.dropAction && event->mimeData()->hasText()) {
        event->accept();
        return;
    }
    event->ignore();
}

void TreePane::dragMoveEvent(QDragMoveEvent* event) {
    // The base view scrolls near the edges, opens hovered nodes and draws the highlight.
    QTreeView::dragMoveEvent(event);
    const Qt::DropAction action =
        m_drag.dropAction ? m_drag.dropAction(nodeAt(event->position().toPoint()), event->modifiers())
                          : Qt::IgnoreAction;
    if (action == Qt::IgnoreAction) {
        event->ignore();
        return;
    }
    event->setDropAction(action);
    event->accept();
}

void TreePane::dropEvent(QDropEvent* event) {
    endDragLook();
    if (!m_drag.drop || !event->mimeData()->hasText()) {
        event->ignore();
        return;
    }
    const QPoint at = event->position().toPoint();
    const Qt::KeyboardModifiers keys = event->modifiers();
    const Qt::DropAction action = m_drag.drop(nodeAt(at), keys, viewport()->mapToGlobal(at));
    // The drop itself put the node in place; the dragging tree removes nothing.
    if (action == Qt::IgnoreAction) {
        event->ignore();
        return;
    }
    event->setDropAction(action);
    event->accept();
}

void TreePane::endDragLook() {
    QDragLeaveEvent leave;
    QTreeView::dragLeaveEvent(&leave);
}

}  // namespace keymora
