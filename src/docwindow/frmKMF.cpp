#include "docwindow/frmKMF.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDateTime>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMdiSubWindow>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPointer>
#include <QProgressDialog>
#include <QPushButton>
#include <QSplitter>
#include <QStackedWidget>
#include <QStatusBar>
#include <QTimer>
#include <QToolButton>
#include <QTreeView>
#include <QVBoxLayout>

#include <chrono>
#include <cstring>

#include "docwindow/DocListModel.h"
#include "docwindow/DocTreeModel.h"
#include "docwindow/EntryPane.h"
#include "docwindow/cClipBoard.h"
#include "document/DateText.h"
#include "document/ModXml.h"
#include "storage/DataFile.h"
#include "storage/FileLock.h"
#include "support/ClsReg.h"
#include "support/KmError.h"
#include "support/Options.h"
#include "support/SecureWipe.h"
#include "ui/DocumentHost.h"
#include "ui/Icons.h"
#include "ui/Prompt.h"

namespace keymora {

namespace {

constexpr int kTwipsPerPixel = 15;
constexpr int kMinTreeTwips = 1500;
constexpr int kMinWindowTwips = 6500;
constexpr std::uint32_t kRenameClickMs = 1500;
constexpr const char* kInstructions =
    "Select an item from the list to the left or add items using the Edit Menu";

std::uint32_t defaultTick() {
    static QElapsedTimer clock = [] {
        QElapsedTimer t;
        t.start();
        return t;
    }();
    return static_cast<std::uint32_t>(clock.elapsed());
}

pugi::xml_node fieldAt(pugi::xml_node element, int position) {
    pugi::xml_node c = element.first_child();
    for (int i = 1; c && i < position; ++i) c = c.next_sibling();
    return c;
}

int childCount(pugi::xml_node element) {
    int n = 0;
    for (pugi::xml_node c = element.first_child(); c; c = c.next_sibling()) ++n;
    return n;
}

QString textOf(pugi::xml_node node) { return QString::fromUtf8(node.child_value()); }

QString trimBlanks(const QString& s) {
    qsizetype b = 0, e = s.size();
    while (b < e && s.at(b) == u' ') ++b;
    while (e > b && s.at(e - 1) == u' ') --e;
    return s.mid(b, e - b);
}

void wipeQString(QString& s) {
    std::fill(s.begin(), s.end(), QChar(u'\0'));
    s.clear();
}

}  // namespace

std::uint32_t (*frmKMF::tickCount)() = &defaultTick;

DocumentWindowEvents& frmKMF::events() {
    static DocumentWindowEvents hub;
    return hub;
}

// Writes a field's text and stamps the entry's modification date (6th child).
void UpdateEntryField(pugi::xml_node field, const QString& text) {
    if (!field) return;
    const QByteArray utf8 = text.toUtf8();
    field.text().set(utf8.constData());
    pugi::xml_node modified = fieldAt(field.parent(), 6);
    if (modified) modified.text().set(datetext::now().c_str());
}

frmKMF::frmKMF(DocumentHost* host, QWidget* parent) : QWidget(parent), m_host(host) {
    setObjectName(QStringLiteral("frmKMF"));
    setAttribute(Qt::WA_DeleteOnClose, false);
    // A password still on the clipboard when the program ends is taken away.
    static const bool clearAtExit = [] {
        if (QCoreApplication::instance() == nullptr) return false;
        QObject::connect(QCoreApplication::instance(), &QCoreApplication::aboutToQuit,
                         [] { cClipBoard::ClearPasswordAtExit(); });
        return true;
    }();
    (void)clearAtExit;
    buildUi();
    setWindowIcon(icons::cleanForm());
}

frmKMF::~frmKMF() {
    if (!m_closingDone) releaseEverything();
}

void frmKMF::buildUi() {
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(0);

    m_splitter = new QSplitter(Qt::Horizontal, this);
    m_splitter->setObjectName(QStringLiteral("imgSplitter"));
    m_splitter->setChildrenCollapsible(false);
    m_splitter->setOpaqueResize(false);  // a drag bar follows the mouse; layout on release
    m_splitter->setHandleWidth(5);

    auto titleLabel = [](QWidget* parentWidget, const char* name) {
        auto* l = new QLabel(parentWidget);
        l->setObjectName(QString::fromLatin1(name));
        l->setContentsMargins(6, 2, 6, 2);
        l->setAutoFillBackground(true);
        l->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
        return l;
    };

    // Left: kind of file over the tree.
    auto* left = new QWidget(m_splitter);
    auto* leftLayout = new QVBoxLayout(left);
    leftLayout->setContentsMargins(0, 0, 0, 0);
    leftLayout->setSpacing(0);
    m_lblTitle[0] = titleLabel(left, "lblTitle0");
    m_tree = new QTreeView(left);
    m_tree->setObjectName(QStringLiteral("tvTreeView"));
    m_tree->setHeaderHidden(true);
    m_tree->setUniformRowHeights(true);
    m_tree->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_tree->setSelectionMode(QAbstractItemView::SingleSelection);
    m_tree->setExpandsOnDoubleClick(true);
    m_treeModel = new DocTreeModel(this);
    m_tree->setModel(m_treeModel);
    leftLayout->addWidget(m_lblTitle[0]);
    leftLayout->addWidget(m_tree, 1);

    // Right: access mode over the list or the entry pane.
    auto* right = new QWidget(m_splitter);
    auto* rightLayout = new QVBoxLayout(right);
    rightLayout->setContentsMargins(0, 0, 0, 0);
    rightLayout->setSpacing(0);
    m_lblTitle[1] = titleLabel(right, "lblTitle1");
    m_right = new QStackedWidget(right);
    m_listPage = new QWidget(m_right);
    auto* listLayout = new QVBoxLayout(m_listPage);
    listLayout->setContentsMargins(0, 0, 0, 0);
    listLayout->setSpacing(0);
    m_instructions = new QPlainTextEdit(QString::fromLatin1(kInstructions), m_listPage);
    m_instructions->setObjectName(QStringLiteral("txtBasicInstructions"));
    m_instructions->setReadOnly(true);
    m_instructions->setFrameShape(QFrame::NoFrame);
    m_instructions->setMaximumHeight(m_instructions->fontMetrics().height() * 2 + 12);
    m_instructions->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_instructions->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_instructions->setFocusPolicy(Qt::NoFocus);
    m_list = new QTreeView(m_listPage);
    m_list->setObjectName(QStringLiteral("lsvNodeEntries"));
    m_list->setRootIsDecorated(false);
    m_list->setUniformRowHeights(true);
    m_list->setItemsExpandable(false);
    m_list->setAllColumnsShowFocus(true);
    m_list->setAlternatingRowColors(true);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_listModel = new DocListModel(this);
    m_list->setModel(m_listModel);
    m_list->header()->setSectionsClickable(true);
    m_list->header()->setStretchLastSection(true);
    m_list->setColumnWidth(DocListModel::NameColumn, 220);
    m_list->setColumnWidth(DocListModel::UserIdColumn, 160);
    m_list->setColumnWidth(DocListModel::CreatedColumn, 170);
    m_iconList = new QListView(m_listPage);
    m_iconList->setObjectName(QStringLiteral("lsvNodeEntriesIcons"));
    m_iconList->setModel(m_listModel);
    m_iconList->setUniformItemSizes(true);
    m_iconList->setLayoutMode(QListView::Batched);
    m_iconList->setBatchSize(500);
    m_iconList->setResizeMode(QListView::Adjust);
    m_iconList->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_iconList->setMovement(QListView::Static);
    m_iconList->hide();
    listLayout->addWidget(m_instructions);
    listLayout->addWidget(m_list, 1);
    listLayout->addWidget(m_iconList, 1);
    m_entry = new EntryPane(m_right);
    m_right->addWidget(m_listPage);
    m_right->addWidget(m_entry);
    rightLayout->addWidget(m_lblTitle[1]);
    rightLayout->addWidget(m_right, 1);

    left->setMinimumWidth(kMinTreeTwips / kTwipsPerPixel);
    right->setMinimumWidth(kMinTreeTwips / kTwipsPerPixel);
    m_splitter->addWidget(left);
    m_splitter->addWidget(right);
    m_splitter->setStretchFactor(0, 0);
    m_splitter->setStretchFactor(1, 1);
    outer->addWidget(m_splitter, 1);

    m_status = new QStatusBar(this);
    m_status->setObjectName(QStringLiteral("sbFormStatus"));
    m_status->setSizeGripEnabled(false);
    m_statusPanel = new QLabel(m_status);
    m_statusPanel->setObjectName(QStringLiteral("sbFormStatusPanel1"));
    m_status->addWidget(m_statusPanel);
    outer->addWidget(m_status);

    // The cover of the inactivity lock.
    m_cover = new QWidget(this);
    m_cover->setObjectName(QStringLiteral("picFormHider"));
    m_cover->setAutoFillBackground(true);
    auto* unlock = new QPushButton(QStringLiteral("Unlock"), m_cover);
    unlock->setObjectName(QStringLiteral("cmdUnlock"));
    unlock->move(8, 8);
    unlock->adjustSize();
    connect(unlock, &QPushButton::clicked, this, [this] { UnlockFileDisplay(); });
    m_cover->hide();

    m_lockTimer = new QTimer(this);
    m_lockTimer->setObjectName(QStringLiteral("TimeLockFile"));
    m_lockTimer->setInterval(5000);
    connect(m_lockTimer, &QTimer::timeout, this, &frmKMF::checkLockDeadline);
    m_hidePasswordTimer = new QTimer(this);
    m_hidePasswordTimer->setObjectName(QStringLiteral("timeHidePassword"));
    m_hidePasswordTimer->setSingleShot(true);
    connect(m_hidePasswordTimer, &QTimer::timeout, this,
            [this] { m_entry->setPasswordRevealed(false); });

    // Tree: selection by mouse or keyboard shows the node; clicking the
    // selected node again may start renaming it.
    m_tree->viewport()->installEventFilter(this);
    m_lblTitle[0]->installEventFilter(this);
    m_tree->installEventFilter(this);
    m_lblTitle[1]->installEventFilter(this);
    connect(m_tree->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) {
                if (current.isValid() && !m_loading) nodeClickIndex(current);
            });
    connect(m_tree, &QTreeView::clicked, this, [this](const QModelIndex& index) {
        const std::string id = m_treeModel->data(index, DocTreeModel::IdRole).toString().toStdString();
        if (!id.empty() && id == m_idAtPress) nodeClickIndex(index);
    });
    connect(m_tree, &QTreeView::expanded, this, [this](const QModelIndex& index) {
        modXml::SetNodeAttribute(m_treeModel->nodeOf(index), "expanded", "True");
    });
    connect(m_tree, &QTreeView::collapsed, this, [this](const QModelIndex& index) {
        modXml::SetNodeAttribute(m_treeModel->nodeOf(index), "expanded", "False");
    });
    connect(m_treeModel, &DocTreeModel::renamed, this, [this](pugi::xml_node) { MarkDocumentDirty(); });

    connect(m_list, &QTreeView::clicked, this, &frmKMF::onListClicked);
    connect(m_list, &QTreeView::doubleClicked, this, &frmKMF::onListDoubleClicked);
    connect(m_iconList, &QListView::clicked, this, &frmKMF::onListClicked);
    connect(m_iconList, &QListView::doubleClicked, this, &frmKMF::onListDoubleClicked);
    connect(m_list->header(), &QHeaderView::sectionClicked, this, &frmKMF::onHeaderClicked);
    connect(m_splitter, &QSplitter::splitterMoved, this, &frmKMF::onSplitterMoved);

    connect(m_entry->txtResourceName, &QLineEdit::textChanged, this, [this] { onFieldChanged(1); });
    connect(m_entry->txtUserName, &QLineEdit::textChanged, this, [this] { onFieldChanged(2); });
    connect(m_entry->txtPassword, &QLineEdit::textChanged, this, [this] { onFieldChanged(3); });
    connect(m_entry->txtURL, &QLineEdit::textChanged, this, [this] { onFieldChanged(7); });
    connect(m_entry->txtNotes, &QPlainTextEdit::textChanged, this, &frmKMF::onNotesChanged);
    connect(m_entry->cmdCopyPassword, &QToolButton::clicked, this, &frmKMF::onCopyPassword);
    connect(m_entry->cmdLaunchBrowser, &QToolButton::clicked, this, &frmKMF::onLaunchBrowser);

    setTitleLabels(QString(), QString(), false);
    showEntryPane(false);
    setMinimumWidth(kMinWindowTwips / kTwipsPerPixel);
    resize(kMinWindowTwips / kTwipsPerPixel * 2, 420);
    SizeControls(storedSplitterTwips());
}

// --- document and caption ------------------------------------------------

XmlDoc& frmKMF::XMLDoc() {
    if (!m_doc) m_doc = std::make_unique<XmlDoc>();
    return *m_doc;
}

void frmKMF::setDocument(std::unique_ptr<XmlDoc> doc) {
    m_listModel->clear();
    m_treeModel->setRoot({});
    CurrentlySelectedXMLNode = {};
    m_doc = std::move(doc);
}

QString frmKMF::caption() const { return m_caption; }

void frmKMF::setCaption(const QString& caption) {
    m_caption = caption;
    setWindowTitle(caption);
    if (auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget())) sub->setWindowTitle(caption);
    emit captionChanged(caption);
}

QString frmKMF::fileName() const {
    const QString marker = QString::fromLatin1(kDirtyMarker);
    return m_caption.endsWith(marker) ? m_caption.left(m_caption.size() - marker.size()) : m_caption;
}

bool frmKMF::neverSaved() const { return m_caption.startsWith(QLatin1String("Document")); }

void frmKMF::setTitleLabels(const QString& kind, const QString& access, bool readOnlyColours) {
    m_titleText[0] = kind;
    m_titleText[1] = access;
    fitTitleLabels();
    const QString style = kind.isEmpty() && access.isEmpty()
                              ? QString()
                              : (readOnlyColours
                                     ? QStringLiteral("background-color: rgb(255,0,0); color: black;")
                                     : QStringLiteral("background-color: rgb(0,255,0); color: black;"));
    m_lblTitle[0]->setStyleSheet(style);
    m_lblTitle[1]->setStyleSheet(style);
}

QString frmKMF::titleLabel(int index) const {
    return (index == 0 || index == 1) ? m_titleText[index] : QString();
}

// A title wider than its pane is shortened with an ellipsis; the tooltip keeps it whole.
void frmKMF::fitTitleLabels() {
    for (int i = 0; i < 2; ++i) {
        QLabel* l = m_lblTitle[i];
        const int room = l->width() - l->contentsMargins().left() - l->contentsMargins().right();
        const QString shown = room > 0 ? l->fontMetrics().elidedText(m_titleText[i], Qt::ElideRight, room)
                                       : m_titleText[i];
        l->setText(shown);
        l->setToolTip(shown == m_titleText[i] ? QString() : m_titleText[i]);
    }
}

// --- selection ------------------------------------------------------------

std::string frmKMF::selectedTreeNodeId() const {
    return m_treeModel->data(m_tree->currentIndex(), DocTreeModel::IdRole).toString().toStdString();
}

pugi::xml_node frmKMF::selectedTreeElement() const {
    const QModelIndex current = m_tree->currentIndex();
    return current.isValid() ? m_treeModel->nodeOf(current) : pugi::xml_node();
}

NodeKind frmKMF::selectedTreeNodeKind() const { return KindOf(selectedTreeElement()); }

QString frmKMF::statusText() const { return m_statusPanel->text(); }

bool frmKMF::entryPaneVisible() const { return m_right->currentWidget() == m_entry; }

void frmKMF::showEntryPane(bool show) { m_right->setCurrentWidget(show ? static_cast<QWidget*>(m_entry) : m_listPage); }

// --- dirty tracking ---------------------------------------------------------

void frmKMF::MarkDocumentDirty() {
    const QString access = m_titleText[1].toLower();
    emit mainStatusText(access);
    if (access == QLatin1String("read only")) return;
    if (options::AutoSaveChanges(clsReg()) &&
        m_tag != QLatin1String(kSaveRequiredTag) && m_host != nullptr) {
        // When the save fails (its message was shown) the change stays marked.
        QPointer<frmKMF> self(this);
        if (m_host->saveDocument(*this) || !self) return;
    }
    IsDirty = true;
    setWindowIcon(icons::needSave());
    if (!m_caption.endsWith(QLatin1String(kDirtyMarker)))
        setCaption(m_caption + QLatin1String(kDirtyMarker));
    emit dirtyChanged(true);
}

void frmKMF::markClean() {
    IsDirty = false;
    setWindowIcon(icons::cleanForm());
    setCaption(fileName());
    emit dirtyChanged(false);
}

// --- loading ----------------------------------------------------------------

void frmKMF::clearTree() {
    m_listModel->clear();
    m_treeModel->setRoot({});
}

void frmKMF::ParseAndLoadXMLFile(const QString&) {
    XmlDoc& doc = XMLDoc();
    const pugi::xml_node records = doc.records();
    std::vector<pugi::xml_node> categories;
    for (pugi::xml_node c = records.first_child(); c; c = c.next_sibling())
        if (KindOf(c) == NodeKind::Category) categories.push_back(c);

    m_loading = true;
    m_treeModel->setRoot(records);

    // Shown only when loading takes a noticeable time.
    QProgressDialog progress(this);
    progress.setWindowTitle(QStringLiteral("Loading Data..."));
    progress.setLabelText(QString());
    progress.setCancelButton(nullptr);
    progress.setRange(0, static_cast<int>(categories.size()));
    progress.setMinimumDuration(500);
    progress.setWindowModality(Qt::NonModal);
    QPointer<frmKMF> self(this);
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
}

void frmKMF::restoreExpanded(pugi::xml_node node) {
    const NodeKind kind = KindOf(node);
    const bool expanded = std::strcmp(node.attribute("expanded").value(), "True") == 0;
    if (kind == NodeKind::Category && expanded) m_tree->expand(m_treeModel->indexOf(node));
    for (pugi::xml_node c = node.first_child(); c; c = c.next_sibling())
        if (KindOf(c) == NodeKind::SubCategory) restoreExpanded(c);
    // A sub-category is expanded once its children are in place.
    if (kind == NodeKind::SubCategory && expanded) m_tree->expand(m_treeModel->indexOf(node));
}

void frmKMF::ParseSubCategory(pugi::xml_node element) {
    runStep("frmKMF.ParseSubCategory", 1, [&] {
        m_treeModel->rebuildChildren(element);
        for (pugi::xml_node c = element.first_child(); c; c = c.next_sibling())
            if (KindOf(c) == NodeKind::SubCategory) restoreExpanded(c);
    });
}

void frmKMF::selectTreeNode(const std::string& id) {
    const QModelIndex index = m_treeModel->indexOfId(id);
    if (!index.isValid()) return;
    m_tree->scrollTo(index);
    QSignalBlocker block(m_tree->selectionModel());
    m_tree->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
    m_tree->viewport()->update();
}

void frmKMF::NodeClick(const std::string& id) {
    const QModelIndex index = m_treeModel->indexOfId(id);
    if (!index.isValid()) return;
    {
        QSignalBlocker block(m_tree->selectionModel());
        m_tree->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
    }
    m_tree->scrollTo(index);
    m_tree->viewport()->update();
    nodeClickIndex(index);
}

void frmKMF::nodeClickIndex(const QModelIndex& index) {
    const pugi::xml_node node = m_treeModel->nodeOf(index);
    const NodeKind kind = KindOf(node);
    if (kind == NodeKind::None) return;
    const std::string id = node.attribute("id").value();
    const QString name = TreeTextOf(node);

    emit treeNodeSelected(QString::fromStdString(id));
    blnNodeSelected = true;
    emit selectionKindChanged(kind, name);
    emit deleteEnabled(true);
    emit upLevelEnabled(index.parent().isValid());

    if (kind == NodeKind::Entry) {
        m_lastClickedId.clear();
        DisplayEntry(id);
        return;
    }

    emit unlockPasswordEnabled(false);
    m_entry->clearFields();
    showEntryPane(false);

    const std::uint32_t now = tickCount();
    if (m_lastClickedId == id && m_lastClickTick != 0 &&
        static_cast<std::uint32_t>(now - m_lastClickTick) < kRenameClickMs) {
        m_lastClickTick = 0;
        m_tree->edit(index);
        return;
    }
    m_lastClickedId = id;
    m_lastClickTick = now == 0 ? 1 : now;

    LoadListView(id);
    applyListSettings(node);
    m_statusPanel->setText(QString::number(childCount(node)) + QStringLiteral(" Entries"));
    emit listToolbarButtonsShown(true);
    showEntryPane(false);
}

void frmKMF::LoadListView(const std::string& id) {
    pugi::xml_node node;
    if (!runStep("frmKMF.LoadListView", 1, [&] { node = XMLDoc().nodeById(id); })) return;
    if (!node) return;
    runStep("frmKMF.LoadListView", 2, [&] { m_listModel->load(node); });
    if (KindOf(node) != NodeKind::Category) emit upLevelEnabled(true);
}

void frmKMF::setListViewMode(int mode) {
    if (mode < 0 || mode > 3) return;
    m_listMode = mode;
    if (mode == 3) {
        m_iconList->hide();
        m_list->show();
        return;
    }
    const bool large = mode == 0;
    m_iconList->setViewMode(large ? QListView::IconMode : QListView::ListMode);
    m_iconList->setFlow(mode == 2 ? QListView::TopToBottom : QListView::LeftToRight);
    m_iconList->setWrapping(true);
    m_iconList->setIconSize(large ? QSize(32, 32) : QSize(16, 16));
    m_iconList->setGridSize(large ? QSize(110, 64) : QSize());
    m_iconList->setSpacing(large ? 0 : 2);
    m_iconList->setWordWrap(large);
    m_list->hide();
    m_iconList->show();
}

void frmKMF::applyListSettings(pugi::xml_node node) {
    // The stored view mode; without one the list keeps the details view.
    const std::string mode = modXml::GetNodeAttribute(node, "listview");
    setListViewMode(mode.empty() ? 3 : std::atoi(mode.c_str()));

    const std::string field = modXml::GetNodeAttribute(node, "sortfield");
    if (field.empty()) {
        m_listSortDescending = false;
        m_list->header()->setSortIndicatorShown(false);
        return;
    }
    const int column = std::atoi(field.c_str());
    if (column < 0 || column >= DocListModel::ColumnCount) return;
    const Qt::SortOrder order = modXml::GetNodeAttribute(node, "sortdirection") == "1"
                                    ? Qt::DescendingOrder
                                    : Qt::AscendingOrder;
    const std::string w1 = modXml::GetNodeAttribute(node, "col1width");
    if (!w1.empty()) {
        const char* names[] = {"col1width", "col2width", "col3width", "col4width"};
        for (int c = 0; c < DocListModel::ColumnCount; ++c) {
            const double twips = std::atof(modXml::GetNodeAttribute(node, names[c]).c_str());
            if (twips > 0) m_list->setColumnWidth(c, static_cast<int>(twips / kTwipsPerPixel));
        }
    }
    m_listSortDescending = order == Qt::DescendingOrder;
    m_listModel->sort(column, order);
    m_list->header()->setSortIndicatorShown(true);
    m_list->header()->setSortIndicator(column, order);
}

void frmKMF::onHeaderClicked(int section) {
    pugi::xml_node node = selectedTreeElement();
    if (!node || !IsContainer(node)) return;
    // The order toggles whichever column was clicked.
    m_listSortDescending = !m_listSortDescending;
    const Qt::SortOrder order = m_listSortDescending ? Qt::DescendingOrder : Qt::AscendingOrder;
    m_listModel->sort(section, order);
    m_list->header()->setSortIndicatorShown(true);
    m_list->header()->setSortIndicator(section, order);
    modXml::SetNodeAttribute(node, "sortfield", std::to_string(section));
    modXml::SetNodeAttribute(node, "sortdirection", order == Qt::DescendingOrder ? "1" : "0");
    const char* names[] = {"col1width", "col2width", "col3width", "col4width"};
    for (int c = 0; c < DocListModel::ColumnCount; ++c)
        modXml::SetNodeAttribute(node, names[c], std::to_string(m_list->columnWidth(c) * kTwipsPerPixel));
}

void frmKMF::onListClicked(const QModelIndex& index) {
    const pugi::xml_node node = m_listModel->nodeAt(index.row());
    if (!node) return;
    GUIDSelected = node.attribute("id").value();
    emit selectionKindChanged(KindOf(node), m_listModel->data(m_listModel->index(index.row(), 0),
                                                              Qt::DisplayRole).toString());
}

void frmKMF::onListDoubleClicked(const QModelIndex& index) {
    const pugi::xml_node node = m_listModel->nodeAt(index.row());
    if (!node) return;
    runStep("frmKMF.lsvNodeEntries_DblClick", 1, [&] {
        const QModelIndex treeIndex = m_treeModel->indexOf(node);
        if (!treeIndex.isValid()) return;
        m_tree->scrollTo(treeIndex);
        {
            QSignalBlocker block(m_tree->selectionModel());
            m_tree->selectionModel()->setCurrentIndex(treeIndex, QItemSelectionModel::ClearAndSelect);
        }
        nodeClickIndex(treeIndex);
    });
}

// --- entry pane -----------------------------------------------------------

void frmKMF::setPropertyCaption(int index, const QString& text) {
    if (QLabel* label = m_entry->lblNodeProperties(index)) label->setText(text);
    if (index == 3) m_entry->fraNotes->setTitle(text);
}

void frmKMF::DisplayEntry(const std::string& id) {
    emit unlockPasswordEnabled(true);
    pugi::xml_node element;
    runStep("frmKMF.DisplayEntry", 2, [&] { element = XMLDoc().nodeById(id); });
    CurrentlySelectedXMLNode = element;
    if (!element || childCount(element) < 2) return;
    blnNodeSelected = true;

    runStep("frmKMF.DisplayEntry", 3, [&] {
        bool anyLabel = false;
        for (pugi::xml_node label : element.child("labels").children("label")) {
            anyLabel = true;
            const QString tag = QString::fromUtf8(label.attribute("associated_tag").value()).toLower();
            const QString value = QString::fromUtf8(label.attribute("value").value());
            if (tag == QLatin1String("resource")) setPropertyCaption(0, value);
            else if (tag == QLatin1String("userid")) setPropertyCaption(1, value);
            else if (tag == QLatin1String("password")) setPropertyCaption(2, value);
            else if (tag == QLatin1String("notes")) setPropertyCaption(3, value);
            else if (tag == QLatin1String("url")) setPropertyCaption(6, value);
        }
        if (!anyLabel) m_entry->setStandardCaptions();
    });

    runStep("frmKMF.DisplayEntry", 4, [&] {
        m_entry->txtResourceName->setText(textOf(fieldAt(element, 1)));
        m_entry->txtUserName->setText(textOf(fieldAt(element, 2)));
        m_entry->txtPassword->setText(textOf(fieldAt(element, 3)));
        m_entry->txtURL->setText(textOf(fieldAt(element, 7)));
        m_entry->txtNotes->setPlainText(textOf(fieldAt(element, 4)));
        setPropertyCaption(4, QStringLiteral("Date Created: ") + textOf(fieldAt(element, 5)));
        setPropertyCaption(5, QStringLiteral("Date Last Modified: ") + textOf(fieldAt(element, 6)));
    });

    runStep("frmKMF.DisplayEntry", 5, [&] {
        wipeQString(SelectedXMLPassword);
        SelectedXMLResource = textOf(fieldAt(element, 1));
        SelectedXMLUserName = textOf(fieldAt(element, 2));
        SelectedXMLPassword = textOf(fieldAt(element, 3));
        SelectedXMLNotes = textOf(fieldAt(element, 4));
        SelectedXMLURL = textOf(fieldAt(element, 7));
    });

    m_entry->cmdCopyPassword->setVisible(!trimBlanks(m_entry->txtPassword->text()).isEmpty());
    m_entry->cmdLaunchBrowser->setVisible(!trimBlanks(m_entry->txtURL->text()).isEmpty());

    emit listToolbarButtonsShown(false);
    showEntryPane(true);
    blnNodeSelected = false;
}

void frmKMF::onFieldChanged(int position) {
    if (blnNodeSelected || !CurrentlySelectedXMLNode) return;
    QString text;
    const QString* loaded = nullptr;
    switch (position) {
        case 1: text = m_entry->txtResourceName->text(); loaded = &SelectedXMLResource; break;
        case 2: text = m_entry->txtUserName->text(); loaded = &SelectedXMLUserName; break;
        case 3: text = m_entry->txtPassword->text(); loaded = &SelectedXMLPassword; break;
        case 7: text = m_entry->txtURL->text(); loaded = &SelectedXMLURL; break;
        default: return;
    }
    // Equal to the loaded text and already stored: nothing to write. Typing
    // back to the loaded text still writes, so the document holds what is shown.
    const pugi::xml_node target = fieldAt(CurrentlySelectedXMLNode, position);
    if (text == *loaded && textOf(target) == text) return;
    UpdateEntryField(target, text);
    if (position == 1) {
        // The tree shows the entry's name straight from the document.
        const pugi::xml_node selected = selectedTreeElement();
        if (KindOf(selected) == NodeKind::Entry) m_treeModel->nodeChanged(selected);
    } else if (position == 7 && m_host != nullptr && m_host->browserAvailable()) {
        m_entry->cmdLaunchBrowser->show();
    }
    if (position == 3) wipeQString(text);
    MarkDocumentDirty();
}

void frmKMF::onNotesChanged() {
    if (blnNodeSelected || !CurrentlySelectedXMLNode) return;
    UpdateEntryField(fieldAt(CurrentlySelectedXMLNode, 4), m_entry->txtNotes->toPlainText());
    MarkDocumentDirty();
}

void frmKMF::onCopyPassword() {
    const int timeout = options::ClipboardTimeout(clsReg());
    QString password = m_entry->txtPassword->text();
    cClipBoard::CopyPasswordTimed(password, timeout);
    wipeQString(password);
}

void frmKMF::onLaunchBrowser() {
    if (m_host != nullptr) m_host->launchUrl(m_entry->txtURL->text());
}

void frmKMF::revealPassword(int ms) {
    if (ms <= 0) return;
    m_entry->setPasswordRevealed(true);
    m_hidePasswordTimer->start(ms);
}

// --- layout -----------------------------------------------------------------

int frmKMF::storedSplitterTwips() {
    return options::SplitterTwips(clsReg());
}

void frmKMF::SizeControls(int splitterTwips) {
    if (isMinimized()) return;
    const int widthTwips = std::max(width(), minimumWidth()) * kTwipsPerPixel;
    int x = std::max(splitterTwips, kMinTreeTwips);
    x = std::min(x, std::max(kMinTreeTwips, widthTwips - kMinTreeTwips));
    const int leftPx = x / kTwipsPerPixel;
    const int total = std::max(width(), minimumWidth());
    m_splitter->setSizes({leftPx, std::max(1, total - leftPx - m_splitter->handleWidth())});
    m_statusPanel->setFixedWidth(std::max(0, leftPx - 4));
    if (m_cover->isVisible()) m_cover->setGeometry(rect());
}

void frmKMF::onSplitterMoved(int pos) {
    const int twips = pos * kTwipsPerPixel;
    clsReg reg;
    options::SetSplitterTwips(reg, twips);
    m_statusPanel->setFixedWidth(std::max(0, pos - 4));
    fitTitleLabels();
}

void frmKMF::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    const QList<int> sizes = m_splitter->sizes();
    if (!sizes.isEmpty()) m_statusPanel->setFixedWidth(std::max(0, sizes.first() - 4));
    if (m_cover->isVisible()) m_cover->setGeometry(rect());
    fitTitleLabels();
}

void frmKMF::changeEvent(QEvent* event) { QWidget::changeEvent(event); }

bool frmKMF::eventFilter(QObject* watched, QEvent* event) {
    if ((watched == m_lblTitle[0] || watched == m_lblTitle[1]) && event->type() == QEvent::Resize)
        fitTitleLabels();
    // Status panel 1 sits under the tree and is as wide as it.
    if (watched == m_tree && event->type() == QEvent::Resize)
        m_statusPanel->setFixedWidth(std::max(0, m_tree->width() - 4));
    if (watched == m_tree->viewport()) {
        if (event->type() == QEvent::MouseButtonPress) {
            m_idAtPress = selectedTreeNodeId();
        } else if (event->type() == QEvent::MouseButtonRelease &&
                   static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
            // A click in the tree masks a revealed password at once.
            m_hidePasswordTimer->stop();
            m_entry->setPasswordRevealed(false);
        }
    }
    return QWidget::eventFilter(watched, event);
}

// --- inactivity lock ----------------------------------------------------------

void frmKMF::SetTimeToLockTimer() {
    const qint64 ms = options::FormOverallDisplayTimeout(clsReg());
    m_lockDeadlineMs = QDateTime::currentMSecsSinceEpoch() + (ms / 1000) * 1000;
    m_lockTimer->start(5000);
}

void frmKMF::stopLockTimer() { m_lockTimer->stop(); }

bool frmKMF::lockTimerActive() const { return m_lockTimer->isActive(); }

void frmKMF::checkLockDeadline() {
    if (QDateTime::currentMSecsSinceEpoch() >= m_lockDeadlineMs && !m_cover->isVisible()) {
        m_lockDeadlineMs = 0;
        LockFileDisplay();
    }
}

void frmKMF::LockFileDisplay() {
    m_cover->setGeometry(rect());
    m_cover->raise();
    m_cover->show();
    m_lockTimer->stop();
}

bool frmKMF::displayLocked() const { return m_cover->isVisible(); }

bool frmKMF::UnlockFileDisplay() {
    LoginRequest request;
    const QString title = caption().section(QLatin1Char('/'), -1).section(QLatin1Char('\\'), -1);
    request.instructions = QStringLiteral("Enter the User Name and \r\nPassword to UN-Lock \r\n") + title;
    std::optional<Credentials> given = Prompt::current().credentials(request);
    if (!given) return false;
    const bool match = trimBlanks(given->userId).toStdString() == gsUserID &&
                       trimBlanks(given->password).toStdString() == gsUserPassword;
    wipeQString(given->password);
    if (!match) {
        Prompt::current().message(QString::fromLatin1(datafile::kDecryptFailedText),
                                  QString::fromLatin1(datafile::kDecryptFailedTitle),
                                  MsgIcon::Exclamation, MsgButtons::Ok);
        return false;
    }
    m_cover->hide();
    return true;
}

void frmKMF::activated() { m_lockTimer->stop(); }

void frmKMF::deactivated() {
    showEntryPane(false);
    SetTimeToLockTimer();
}

void frmKMF::onSubWindowStateChanged(Qt::WindowStates oldState, Qt::WindowStates newState) {
    const bool wasActive = oldState.testFlag(Qt::WindowActive);
    const bool isActive = newState.testFlag(Qt::WindowActive);
    if (isActive && !wasActive) activated();
    else if (!isActive && wasActive) deactivated();
}

// --- procedure error dialog -----------------------------------------------------

bool frmKMF::runStep(const char* procedure, int line, const std::function<void()>& step) {
    for (;;) {
        QString number, description;
        try {
            step();
            return true;
        } catch (const KmError& e) {
            number = QString::number(e.number());
            description = QString::fromStdString(e.description());
        } catch (const std::exception& e) {
            number = QStringLiteral("5");
            description = QString::fromUtf8(e.what());
        }
        const QString text = QStringLiteral("Error: ") + number + QLatin1Char(' ') + description +
                             QStringLiteral("\r\nErl") + QString::number(line) +
                             QStringLiteral("\r\n\r\n") + QString::fromLatin1(procedure);
        const MsgAnswer answer =
            Prompt::current().message(text, QString(), MsgIcon::Critical, MsgButtons::AbortRetryIgnore);
        if (answer == MsgAnswer::Retry) continue;
        return answer != MsgAnswer::Abort;
    }
}

// --- closing ----------------------------------------------------------------------

void frmKMF::closeEvent(QCloseEvent* event) {
    if (m_closingDone) {
        event->accept();
        return;
    }
    if (m_loading || (m_host != nullptr && !m_host->queryCloseDocument(*this))) {
        event->ignore();
        return;
    }
    releaseEverything();
    if (m_host != nullptr) m_host->documentClosed(*this);
    emit events().closed(this);
    event->accept();
}

void frmKMF::releaseEverything() {
    m_closingDone = true;
    m_lockTimer->stop();
    m_hidePasswordTimer->stop();
    if (FileHandle) FileHandle->release();
    FileHandle.reset();
    secureWipe(gsUserID);
    secureWipe(gsUserPassword);
    wipeQString(SelectedXMLPassword);
    // Field boxes may hold a password; the guard keeps the emptying from
    // being written back.
    blnNodeSelected = true;
    m_entry->clearFields();
    CurrentlySelectedXMLNode = {};
    m_listModel->clear();
    m_treeModel->setRoot({});
    if (m_doc) m_doc->clear();
}

}  // namespace keymora
