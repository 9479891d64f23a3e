#include "docwindow/frmKMF.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QLabel>
#include <QMdiSubWindow>
#include <QPointer>
#include <QSplitter>
#include <QStackedWidget>
#include <QStatusBar>
#include <QVBoxLayout>

#include <utility>

#include "docwindow/EntryEditor.h"
#include "docwindow/EntryPane.h"
#include "docwindow/ListPane.h"
#include "docwindow/LockCover.h"
#include "docwindow/NodeSelection.h"
#include "docwindow/SaveMessages.h"
#include "docwindow/SearchResults.h"
#include "docwindow/TitleStrip.h"
#include "docwindow/TreePane.h"
#include "docwindow/cClipBoard.h"
#include "docwindow/cFileWatcher.h"
#include "session/DocumentSession.h"
#include "support/ClsReg.h"
#include "support/KmError.h"
#include "support/Options.h"
#include "support/RecentFiles.h"
#include "ui/DocumentHost.h"
#include "ui/Icons.h"
#include "ui/Prompt.h"
#include "ui/StringTable.h"

namespace keymora {

namespace {

constexpr int kTwipsPerPixel = 15;
constexpr int kMinTreeTwips = 1500;
constexpr int kMinWindowTwips = 6500;

QVBoxLayout* tightColumn(QWidget* owner) {
    auto* layout = new QVBoxLayout(owner);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    return layout;
}

bool isInside(pugi::xml_node node, pugi::xml_node ancestor) {
    for (pugi::xml_node n = node; n; n = n.parent())
        if (n == ancestor) return true;
    return false;
}

// A password still on the clipboard when the program ends is taken away.
void clearClipboardAtExit() {
    static const bool connected = [] {
        if (QCoreApplication::instance() == nullptr) return false;
        QObject::connect(QCoreApplication::instance(), &QCoreApplication::aboutToQuit,
                         [] { cClipBoard::ClearPasswordAtExit(); });
        return true;
    }();
    (void)connected;
}

}  // namespace

// The window hears the session before its views do, so it knows a selected
// node is going before the tree moves its current row elsewhere.
class frmKMF::Notices : public DocumentListener {
public:
    explicit Notices(frmKMF& window) : m_window(window) {}
    void nodeAboutToBeRemoved(pugi::xml_node node) override { m_window.nodeAboutToGo(node); }
    void nodeRemoved(pugi::xml_node) override { m_window.nodeGone(); }
    void nodeChanged(pugi::xml_node node) override { m_window.nodeRenamed(node); }
    void documentAboutToBeReset() override { m_window.documentAboutToBeReplaced(); }
    void documentEdited() override { m_window.MarkDocumentDirty(); }
    void dirtyChanged(bool dirty) override { m_window.showDirty(dirty); }
    void fileStateChanged() override { m_window.showFileState(); }
    void backgroundSaveFinished(const SaveOutcome& outcome) override { m_window.autoSaveEnded(outcome); }

private:
    frmKMF& m_window;
};

DocumentWindowEvents& frmKMF::events() {
    static DocumentWindowEvents hub;
    return hub;
}

frmKMF::frmKMF(DocumentHost* host, std::unique_ptr<DocumentSession> session,
               const QString& untitledName, QWidget* parent)
    : QWidget(parent), m_host(host), m_session(std::move(session)), m_untitledName(untitledName) {
    setObjectName(QStringLiteral("frmKMF"));
    setAttribute(Qt::WA_DeleteOnClose, false);
    clearClipboardAtExit();
    m_notices = std::make_unique<Notices>(*this);
    m_session->addListener(m_notices.get());
    // Called from the save's thread; Qt drops the call if the window is gone.
    m_session->setPoster([this](std::function<void()> fn) {
        QMetaObject::invokeMethod(this, std::move(fn), Qt::QueuedConnection);
    });
    readOptions();
    m_selection = new NodeSelection(this);
    buildUi();
    connectPanes();
    connectViewInput();
    showFileState();
    showDirty(m_session->dirty());
    setMinimumWidth(kMinWindowTwips / kTwipsPerPixel);
    resize(kMinWindowTwips / kTwipsPerPixel * 2, 420);
    SizeControls(storedSplitterTwips());
    m_tree->loadTree();
}

frmKMF::~frmKMF() {
    // Deaf first: closing waits for a running Auto Save, whose end must not
    // reach a main window that is itself being torn down.
    m_session->removeListener(m_notices.get());
    if (!m_closingDone) releaseEverything();
    // The panes hear the session, so they go before it does.
    for (QObject* sender : {static_cast<QObject*>(m_tree), static_cast<QObject*>(m_list),
                            static_cast<QObject*>(m_selection), static_cast<QObject*>(m_cover),
                            static_cast<QObject*>(m_results)})
        QObject::disconnect(sender, nullptr, this, nullptr);
    delete m_entry;
    delete m_content;
}

// --- building ------------------------------------------------------------------

void frmKMF::buildUi() {
    m_content = new QWidget(this);
    QVBoxLayout* content = tightColumn(m_content);
    m_splitter = new QSplitter(Qt::Horizontal, m_content);
    m_splitter->setObjectName(QStringLiteral("imgSplitter"));
    m_splitter->setChildrenCollapsible(false);
    m_splitter->setOpaqueResize(false);  // a drag bar follows the mouse; layout on release
    m_splitter->setHandleWidth(5);
    m_splitter->addWidget(buildLeft());
    m_splitter->addWidget(buildRight());
    m_splitter->setStretchFactor(0, 0);
    m_splitter->setStretchFactor(1, 1);
    content->addWidget(m_splitter, 1);

    auto* status = new QStatusBar(m_content);
    status->setObjectName(QStringLiteral("sbFormStatus"));
    status->setSizeGripEnabled(false);
    m_statusPanel = new QLabel(status);
    m_statusPanel->setObjectName(QStringLiteral("sbFormStatusPanel1"));
    status->addWidget(m_statusPanel);
    m_protectionPanel = new QLabel(status);
    m_protectionPanel->setObjectName(QStringLiteral("sbFormProtection"));
    status->addPermanentWidget(m_protectionPanel);
    content->addWidget(status);
    tightColumn(this)->addWidget(m_content);

    m_titles = new TitleStrip(m_titleLabels[0], m_titleLabels[1], this);
    m_cover = new LockCover(this, m_content);
}

QWidget* frmKMF::buildLeft() {
    auto* left = new QWidget(m_splitter);
    QVBoxLayout* layout = tightColumn(left);
    m_titleLabels[0] = new QLabel(left);
    m_titleLabels[0]->setObjectName(QStringLiteral("lblTitle0"));
    m_tree = new TreePane(*m_session, left);
    // While it shows hits the results panel takes the lower half.
    m_results = new SearchResultsPanel(left);
    m_results->hide();
    layout->addWidget(m_titleLabels[0]);
    layout->addWidget(m_tree, 1);
    layout->addWidget(m_results, 1);
    left->setMinimumWidth(kMinTreeTwips / kTwipsPerPixel);
    return left;
}

QWidget* frmKMF::buildRight() {
    auto* right = new QWidget(m_splitter);
    QVBoxLayout* layout = tightColumn(right);
    m_titleLabels[1] = new QLabel(right);
    m_titleLabels[1]->setObjectName(QStringLiteral("lblTitle1"));
    m_right = new QStackedWidget(right);
    m_list = new ListPane(*m_session, m_right);
    m_entryPane = new EntryPane(m_right);
    m_entry = new EntryEditor(*m_session, *m_entryPane, m_host, this);
    m_right->addWidget(m_list);
    m_right->addWidget(m_entryPane);
    layout->addWidget(m_titleLabels[1]);
    layout->addWidget(m_right, 1);
    right->setMinimumWidth(kMinTreeTwips / kTwipsPerPixel);
    return right;
}

void frmKMF::connectPanes() {
    connect(m_selection, &NodeSelection::currentChanged, this, &frmKMF::onSelectionChanged);
    connect(m_tree, &TreePane::nodeChosen, this, [this](pugi::xml_node node) {
        if (!m_removing) showNode(node);
    });
    connect(m_tree, &TreePane::clickedInTree, m_entry, &EntryEditor::maskPassword);
    connect(m_tree, &TreePane::reloaded, this, &frmKMF::documentReplaced);
    connect(m_list, &ListPane::itemClicked, m_selection, &NodeSelection::setCurrent);
    connect(m_list, &ListPane::itemDoubleClicked, this, [this](pugi::xml_node node) {
        runStep("frmKMF.lsvNodeEntries_DblClick", 1, [&] { NodeClick(node.attribute("id").value()); });
    });
    connect(m_list, &ListPane::rowCountChanged, this, [this] {
        m_statusPanel->setText(m_list->listedNode()
                                   ? QString::number(m_list->rowCount()) + QStringLiteral(" Entries")
                                   : QString());
    });
    connect(m_results, &SearchResultsPanel::hitClicked, this, &frmKMF::showSearchHit);
    connect(m_splitter, &QSplitter::splitterMoved, this, &frmKMF::onSplitterMoved);
    connect(m_cover, &LockCover::unlockRequested, this, [this] { UnlockFileDisplay(); });
    connect(m_cover, &LockCover::lockedNow, this, &frmKMF::onLocked);
    m_tree->installEventFilter(this);
    connectTreeDrag();
}

// --- showing nodes ---------------------------------------------------------------

void frmKMF::NodeClick(const std::string& id) {
    const pugi::xml_node node = m_session->doc().nodeById(id);
    if (!IsTreeNode(node)) return;
    m_tree->showCurrent(node);
    showNode(node);
}

void frmKMF::showNode(pugi::xml_node node) {
    if (!IsTreeNode(node)) return;
    m_selection->setCurrent(node);
    if (KindOf(node) != NodeKind::Entry) {
        showContainer(node);
        return;
    }
    // The list behind an entry is the entry's own level.
    runStep("frmKMF.LoadListView", 1, [&] { m_list->LoadListView(node.parent()); });
    emit unlockPasswordEnabled(true);
    runStep("frmKMF.DisplayEntry", 2, [&] { m_entry->DisplayEntry(node); });
    emit listToolbarButtonsShown(false);
    showEntryPane(m_entry->entry() == node);
}

void frmKMF::showContainer(pugi::xml_node node) {
    emit unlockPasswordEnabled(false);
    m_entry->clear();
    runStep("frmKMF.LoadListView", 2, [&] { m_list->LoadListView(node); });
    emit listToolbarButtonsShown(true);
    showEntryPane(false);
}

void frmKMF::showNothing() {
    m_tree->showCurrent({});
    m_selection->clear();
    m_entry->clear();
    m_list->LoadListView({});
    emit unlockPasswordEnabled(false);
    emit listToolbarButtonsShown(false);
    showEntryPane(false);
}

void frmKMF::onSelectionChanged() {
    const pugi::xml_node node = m_selection->current();
    emit selectionChanged(m_selection->currentKind(), m_selection->currentName());
    emit deleteEnabled(static_cast<bool>(node));
    emit upLevelEnabled(IsTreeNode(node.parent()));
}

void frmKMF::showEntryPane(bool show) {
    m_right->setCurrentWidget(show ? static_cast<QWidget*>(m_entryPane) : m_list);
}

void frmKMF::setListViewMode(int mode) { m_list->setListViewMode(mode); }

int frmKMF::listViewMode() const { return m_list->listViewMode(); }

QTreeView* frmKMF::treeView() const { return m_tree; }

QAbstractItemView* frmKMF::listView() const { return m_list->shownView(); }

QTreeView* frmKMF::listDetailsView() const { return m_list->detailsView(); }

QString frmKMF::statusText() const { return m_statusPanel->text(); }

QString frmKMF::protectionText() const { return m_protectionPanel->text(); }

bool frmKMF::entryPaneVisible() const { return m_right->currentWidget() == m_entryPane; }

// --- what the session says --------------------------------------------------------

void frmKMF::nodeAboutToGo(pugi::xml_node node) {
    m_removing = true;
    if (!isInside(m_selection->current(), node)) return;
    // Once the node is gone its parent is shown, or nothing for a category.
    m_reselectAfter = node.parent();  // never empty: a category's parent is records
    m_selection->clear();
}

void frmKMF::nodeGone() {
    m_removing = false;
    const pugi::xml_node parent = std::exchange(m_reselectAfter, {});
    if (!parent) return;
    if (!IsTreeNode(parent)) {
        showNothing();
        return;
    }
    m_tree->showCurrent(parent);
    showNode(parent);
}

void frmKMF::nodeRenamed(pugi::xml_node node) {
    if (node && node == m_selection->current())
        emit selectionChanged(m_selection->currentKind(), m_selection->currentName());
}

void frmKMF::documentAboutToBeReplaced() {
    m_idBeforeReset = m_selection->currentId();
    m_expandedBeforeReset = m_tree->expandedState();
    m_selection->clear();
    showEntryPane(false);
}

// After a merge or reload the same node is shown again when it is still there.
void frmKMF::documentReplaced() {
    const std::string id = std::exchange(m_idBeforeReset, {});
    if (!m_session->closed()) m_tree->restoreExpandedState(m_expandedBeforeReset);
    m_expandedBeforeReset.clear();
    if (!id.empty() && !m_session->closed() && IsTreeNode(m_session->doc().nodeById(id))) {
        NodeClick(id);
        return;
    }
    showNothing();
}

void frmKMF::showDirty(bool dirty) {
    setWindowIcon(looksDirty() ? icons::needSave() : icons::cleanForm());
    refreshCaption();
    emit dirtyChanged(dirty);
}

// While Auto Save is writing the changes the window keeps its clean look, as
// a save at once would leave it; a failed save brings the dirty look back.
bool frmKMF::looksDirty() const { return m_session->dirty() && !m_session->savePending(); }

void frmKMF::autoSaveEnded(const SaveOutcome& outcome) {
    if (outcome.saved()) {
        recentfiles::RememberSaved(m_session->path());
        if (m_host != nullptr) m_host->refreshMruList();
    } else {
        showSaveFailure(outcome);
    }
    showDirty(m_session->dirty());
}

void frmKMF::showFileState() {
    m_titles->showAccess(m_session->access());
    const bool modern = m_session->protection() == Protection::Modern;
    m_protectionPanel->setText(modern ? tr("Modern protection") : tr("Legacy protection"));
    m_protectionPanel->setToolTip(modern ? tr("Argon2id and ChaCha20-Poly1305; the earlier Windows version cannot open this file")
                                         : tr("RC4 as the earlier Windows version writes it; weak against a stolen copy"));
    m_entry->setReadOnly(m_session->readOnly());
    // A reader that became the writer must not be told of its own saves.
    if (!m_session->readOnly()) stopWatching();
    refreshCaption();
    emit accessChanged();
}

// --- shared files ----------------------------------------------------------------------

void frmKMF::announceAccess() {
    if (!titleLabel(1).isEmpty()) emit mainStatusText(titleLabel(1).toLower());
}

bool frmKMF::watchForChanges() {
    if (!m_session->readOnly() || m_session->closed()) return false;
    if (m_watcher == nullptr) {
        m_watcher = new cFileWatcher(this);
        connect(m_watcher, &cFileWatcher::FileChanged, this, &frmKMF::CFileChangeNotifier_FileChanged);
    }
    if (m_watcher->StartWatching(QString::fromStdString(m_session->path()))) return true;
    emit mainStatusText(QStringLiteral("Saves of this shared file by other users cannot be "
                                       "watched here; press Refresh to see them."));
    return false;
}

// The change message may be on screen, called from the watcher: it goes later.
void frmKMF::stopWatching() {
    if (m_watcher == nullptr) return;
    m_watcher->StopWatching();
    m_watcher->deleteLater();
    m_watcher = nullptr;
}

bool frmKMF::watchingForChanges() const { return m_watcher != nullptr && m_watcher->watching(); }

void frmKMF::CFileChangeNotifier_FileChanged(const QString& fileName) {
    // Saves made while the message is up are covered by it.
    if (m_changeShowing || m_session->closed()) return;
    m_changeShowing = true;
    QPointer<frmKMF> self(this);
    Prompt::current().message(
        ReplacePlaceholder(LoadResString(sid::FileChanged), QStringLiteral("filename"), fileName),
        QString(), MsgIcon::None, MsgButtons::Ok);
    if (self) m_changeShowing = false;
}

// --- caption and dirty look ---------------------------------------------------------

QString frmKMF::fileName() const {
    return m_session->neverSaved() ? m_untitledName : QString::fromStdString(m_session->path());
}

QString frmKMF::caption() const {
    return looksDirty() ? fileName() + QLatin1String(kDirtyMarker) : fileName();
}

QString frmKMF::titleLabel(int index) const { return m_titles->text(index); }

void frmKMF::refreshCaption() {
    const QString caption = this->caption();
    if (caption == windowTitle()) return;
    setWindowTitle(caption);
    if (auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget())) sub->setWindowTitle(caption);
    emit captionChanged(caption);
}

void frmKMF::MarkDocumentDirty() {
    emit mainStatusText(titleLabel(1).toLower());
    if (m_session->readOnly() || m_session->saveRequired() || m_host == nullptr || !m_autoSave) return;
    // A file without a name asks for one, as File Save does.
    if (m_session->neverSaved()) {
        m_host->saveDocument(*this);
        return;
    }
    // When the save fails (its message is shown) the change stays marked.
    m_session->saveInBackground();
    showDirty(m_session->dirty());
}

void frmKMF::readOptions() { m_autoSave = options::AutoSaveChanges(clsReg()); }

// --- layout ------------------------------------------------------------------------

int frmKMF::storedSplitterTwips() { return options::SplitterTwips(clsReg()); }

void frmKMF::SizeControls(int splitterTwips) {
    if (isMinimized()) return;
    const int total = std::max(width(), minimumWidth());
    int x = std::max(splitterTwips, kMinTreeTwips);
    x = std::min(x, std::max(kMinTreeTwips, total * kTwipsPerPixel - kMinTreeTwips));
    const int leftPx = x / kTwipsPerPixel;
    m_splitter->setSizes({leftPx, std::max(1, total - leftPx - m_splitter->handleWidth())});
    fitStatusPanel(leftPx);
}

void frmKMF::onSplitterMoved(int pos) {
    clsReg reg;
    options::SetSplitterTwips(reg, pos * kTwipsPerPixel);
    fitStatusPanel(pos);
}

// Status panel 1 sits under the tree and is as wide as it.
void frmKMF::fitStatusPanel(int treeWidth) { m_statusPanel->setFixedWidth(std::max(0, treeWidth - 4)); }

void frmKMF::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    const QList<int> sizes = m_splitter->sizes();
    if (!sizes.isEmpty()) fitStatusPanel(sizes.first());
}

bool frmKMF::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_tree && event->type() == QEvent::Resize) fitStatusPanel(m_tree->width());
    return QWidget::eventFilter(watched, event);
}

// --- procedure error dialog ----------------------------------------------------------

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

// --- closing -------------------------------------------------------------------------

void frmKMF::closeEvent(QCloseEvent* event) {
    if (m_closingDone) {
        event->accept();
        return;
    }
    // The last save ends first: a failed one says so and leaves the window dirty.
    m_session->waitForSaves();
    if (m_tree->loading() || (m_host != nullptr && !m_host->queryCloseDocument(*this))) {
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
    stopWatching();
    m_cover->disarm();
    m_entry->clear();
    m_results->model()->clear();
    m_session->close();
}

}  // namespace keymora
