#include "docwindow/ListPane.h"

#include <QFontMetrics>
#include <QHeaderView>
#include <QListView>
#include <QPlainTextEdit>
#include <QStyledItemDelegate>
#include <QTreeView>
#include <QVBoxLayout>

#include <algorithm>
#include <string>

#include "docwindow/DocListModel.h"
#include "docwindow/ItemViewInput.h"
#include "document/ModXml.h"
#include "document/NodeKind.h"
#include "session/DocumentSession.h"

namespace keymora {

namespace {

constexpr int kTwipsPerPixel = 15;
constexpr int kDetailsMode = 3;
constexpr const char* kWidthNames[DocListModel::ColumnCount] = {"col1width", "col2width",
                                                                "col3width", "col4width"};
constexpr const char* kInstructions =
    "Select an item from the list to the left or add items using the Edit Menu";

// Every cell of the icon and list modes is the grid's size. With uniform item
// sizes the view would otherwise give every name the width of whichever item
// it measured first, and cut the longer ones short.
class GridCellDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        const auto* view = qobject_cast<const QListView*>(option.widget);
        if (view == nullptr || !view->gridSize().isValid()) return QStyledItemDelegate::sizeHint(option, index);
        return view->gridSize() - QSize(4, 4);
    }
};

// Large icons: two lines of name under the picture. Small icons and list:
// one line, wide enough for most names.
QSize gridFor(int mode, const QFontMetrics& font) {
    if (mode == 0) return {std::max(110, 14 * font.averageCharWidth()), 32 + 2 * font.lineSpacing() + 14};
    return {std::max(200, 28 * font.averageCharWidth()), std::max(16, font.lineSpacing()) + 8};
}

}  // namespace

ListPane::ListPane(DocumentSession& session, QWidget* parent) : QWidget(parent), m_session(session) {
    m_model = new DocListModel(session, this);
    buildViews();
    for (auto signal : {&QAbstractItemModel::rowsInserted, &QAbstractItemModel::rowsRemoved})
        connect(m_model, signal, this, [this] { emit rowCountChanged(); });
    connect(m_model, &QAbstractItemModel::modelReset, this, [this] {
        showViews();
        emit rowCountChanged();
    });
    connect(m_details->header(), &QHeaderView::sectionClicked, this, &ListPane::onHeaderClicked);
    for (QAbstractItemView* view : {static_cast<QAbstractItemView*>(m_details),
                                    static_cast<QAbstractItemView*>(m_icons)}) {
        connect(view, &QAbstractItemView::clicked, this, [this](const QModelIndex& i) { onItem(i, false); });
        connect(view, &QAbstractItemView::doubleClicked, this,
                [this](const QModelIndex& i) { onItem(i, true); });
        watchInput(view);
    }
    showViews();
}

void ListPane::watchInput(QAbstractItemView* view) {
    auto* input = new ItemViewInput(view);
    connect(input, &ItemViewInput::popupRequested, this, [this](const QModelIndex& i, const QPoint& at) {
        emit popupRequested(i.isValid() ? m_model->nodeAt(i.row()) : pugi::xml_node(), at);
    });
    connect(input, &ItemViewInput::deletePressed, this, [this, view] {
        // Only an item the user can see selected is deleted.
        const QModelIndex current = view->currentIndex();
        if (current.isValid() && view->selectionModel()->isSelected(current))
            emit deleteRequested(m_model->nodeAt(current.row()));
    });
    connect(input, &ItemViewInput::openPressed, this, [this](const QModelIndex& i) {
        if (i.isValid()) onItem(i, true);
    });
    connect(input, &ItemViewInput::emptySpaceDoubleClicked, this, &ListPane::emptySpaceDoubleClicked);
}

void ListPane::buildViews() {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    m_instructions = new QPlainTextEdit(QString::fromLatin1(kInstructions), this);
    m_instructions->setObjectName(QStringLiteral("txtBasicInstructions"));
    m_instructions->setReadOnly(true);
    m_instructions->setFrameShape(QFrame::NoFrame);
    m_instructions->setMaximumHeight(m_instructions->fontMetrics().height() * 2 + 12);
    m_instructions->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_instructions->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_instructions->setFocusPolicy(Qt::NoFocus);

    m_details = new QTreeView(this);
    m_details->setObjectName(QStringLiteral("lsvNodeEntries"));
    m_details->setRootIsDecorated(false);
    m_details->setUniformRowHeights(true);
    m_details->setItemsExpandable(false);
    m_details->setAllColumnsShowFocus(true);
    m_details->setAlternatingRowColors(true);
    m_details->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_details->setModel(m_model);
    m_details->header()->setSectionsClickable(true);
    m_details->header()->setStretchLastSection(true);
    m_details->setColumnWidth(DocListModel::NameColumn, 220);
    m_details->setColumnWidth(DocListModel::UserIdColumn, 160);
    m_details->setColumnWidth(DocListModel::CreatedColumn, 170);

    m_icons = new QListView(this);
    m_icons->setObjectName(QStringLiteral("lsvNodeEntriesIcons"));
    m_icons->setModel(m_model);
    m_icons->setUniformItemSizes(true);
    m_icons->setLayoutMode(QListView::Batched);
    m_icons->setBatchSize(500);
    m_icons->setResizeMode(QListView::Adjust);
    m_icons->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_icons->setMovement(QListView::Static);
    m_icons->setItemDelegate(new GridCellDelegate(m_icons));

    layout->addWidget(m_instructions);
    layout->addWidget(m_details, 1);
    layout->addWidget(m_icons, 1);
    layout->addStretch(0);
}

QAbstractItemView* ListPane::shownView() const {
    if (m_mode == kDetailsMode) return m_details;
    return m_icons;
}

pugi::xml_node ListPane::listedNode() const { return m_model->listedNode(); }

int ListPane::rowCount() const { return m_model->rowCount(); }

void ListPane::LoadListView(pugi::xml_node container) {
    if (!IsContainer(container)) container = {};
    if (container && container == m_model->listedNode()) return;
    m_model->load(container);
    applyListSettings(container);
}

// Nothing listed: no list at all, only the instructions.
void ListPane::showViews() {
    const bool listed = static_cast<bool>(m_model->listedNode());
    m_details->setVisible(listed && m_mode == kDetailsMode);
    m_icons->setVisible(listed && m_mode != kDetailsMode);
}

void ListPane::setListViewMode(int mode) {
    if (mode < 0 || mode > kDetailsMode) return;
    m_mode = mode;
    if (mode != kDetailsMode) {
        const bool large = mode == 0;
        m_icons->setViewMode(large ? QListView::IconMode : QListView::ListMode);
        m_icons->setFlow(mode == 2 ? QListView::TopToBottom : QListView::LeftToRight);
        m_icons->setWrapping(true);
        m_icons->setIconSize(large ? QSize(32, 32) : QSize(16, 16));
        m_icons->setGridSize(gridFor(mode, m_icons->fontMetrics()));
        m_icons->setSpacing(0);
        m_icons->setWordWrap(large);
        m_icons->setTextElideMode(Qt::ElideRight);
    }
    showViews();
}

void ListPane::applyListSettings(pugi::xml_node node) {
    // The stored view mode; large icons without one.
    const std::string mode = modXml::GetNodeAttribute(node, "listview");
    setListViewMode(mode.empty() ? 0 : std::atoi(mode.c_str()));

    m_sortDescending = false;
    if (!node) {
        m_details->header()->setSortIndicatorShown(false);
        return;
    }
    // A node listed for the first time is given the name sort, stored as a
    // view setting (not an edit).
    if (modXml::GetNodeAttribute(node, "sortfield").empty()) {
        m_session.setViewAttribute(node, "sortfield", "0");
        m_session.setViewAttribute(node, "sortdirection", "0");
    }
    const std::string field = modXml::GetNodeAttribute(node, "sortfield");
    const int column = std::atoi(field.c_str());
    if (column < 0 || column >= DocListModel::ColumnCount) return;
    const Qt::SortOrder order = modXml::GetNodeAttribute(node, "sortdirection") == "1"
                                    ? Qt::DescendingOrder
                                    : Qt::AscendingOrder;
    applyColumnWidths(node);
    m_sortDescending = order == Qt::DescendingOrder;
    m_model->sort(column, order);
    showSortIndicator(column, order);
}

void ListPane::applyColumnWidths(pugi::xml_node node) {
    if (modXml::GetNodeAttribute(node, kWidthNames[0]).empty()) return;
    for (int c = 0; c < DocListModel::ColumnCount; ++c) {
        const double twips = std::atof(modXml::GetNodeAttribute(node, kWidthNames[c]).c_str());
        if (twips > 0) m_details->setColumnWidth(c, static_cast<int>(twips / kTwipsPerPixel));
    }
}

void ListPane::showSortIndicator(int column, Qt::SortOrder order) {
    m_details->header()->setSortIndicatorShown(true);
    m_details->header()->setSortIndicator(column, order);
}

void ListPane::onHeaderClicked(int section) {
    const pugi::xml_node node = m_model->listedNode();
    if (!IsContainer(node)) return;
    // The order toggles whichever column was clicked.
    m_sortDescending = !m_sortDescending;
    const Qt::SortOrder order = m_sortDescending ? Qt::DescendingOrder : Qt::AscendingOrder;
    m_model->sort(section, order);
    showSortIndicator(section, order);
    m_session.setViewAttribute(node, "sortfield", std::to_string(section));
    m_session.setViewAttribute(node, "sortdirection", m_sortDescending ? "1" : "0");
    for (int c = 0; c < DocListModel::ColumnCount; ++c)
        m_session.setViewAttribute(node, kWidthNames[c],
                                   std::to_string(m_details->columnWidth(c) * kTwipsPerPixel));
}

void ListPane::onItem(const QModelIndex& index, bool doubleClick) {
    const pugi::xml_node node = m_model->nodeAt(index.row());
    if (!node) return;
    if (doubleClick) emit itemDoubleClicked(node);
    else emit itemClicked(node);
}

}  // namespace keymora
