#pragma once
// The document window: one per open data file. It owns the file's session
// and shows the document as a tree on the left and, on the right, either the
// children of the selected node or the fields of the selected entry. Every
// change goes through the session; the window follows its notices and keeps
// no copy of the file's state.
//
// The main window hears about windows through frmKMF::events() (opened,
// closed) and about each window's state through the signals below, so this
// class never needs the main window's definition.
#include <QString>
#include <QWidget>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <pugixml.hpp>

#include "document/NodeKind.h"
#include "document/TreeEditing.h"
#include "docwindow/TreePane.h"
#include "session/DocumentListener.h"

class QAbstractItemView;
class QLabel;
class QModelIndex;
class QPoint;
class QSplitter;
class QStackedWidget;
class QTreeView;

namespace keymora {

class DocumentHost;
class DocumentSession;
class EntryEditor;
class EntryPane;
class ListPane;
class LockCover;
class NodeSelection;
class SearchResultsPanel;
class TitleStrip;
class cFileWatcher;
class frmKMF;

// Program-wide notifications about document windows.
class DocumentWindowEvents : public QObject {
    Q_OBJECT
signals:
    void opened(keymora::frmKMF* window);  // after the window was created and shown
    void closed(keymora::frmKMF* window);  // closing work done, window about to go
};

class frmKMF : public QWidget {
    Q_OBJECT
public:
    static constexpr const char* kDirtyMarker = " - *";

    // Takes over an open file; untitledName ("Document 3") names a never-saved one.
    frmKMF(DocumentHost* host, std::unique_ptr<DocumentSession> session,
           const QString& untitledName = {}, QWidget* parent = nullptr);
    ~frmKMF() override;

    static DocumentWindowEvents& events();

    DocumentSession& session() { return *m_session; }
    NodeSelection& selection() { return *m_selection; }
    // The path, or the untitled name while never saved; + " - *" while dirty.
    QString caption() const;
    QString fileName() const;  // the caption without the marker
    QString titleLabel(int index) const;  // 0 kind of file, 1 access

    // --- views ------------------------------------------------------------
    void NodeClick(const std::string& id);  // select the node in the tree and show it
    void setListViewMode(int mode);         // 0 large icons, 1 small, 2 list, 3 details
    int listViewMode() const;
    void SizeControls(int splitterTwips);
    static int storedSplitterTwips();
    // Runs on every edit of the document: Auto Save, else the dirty look stays.
    // Auto Save writes on a worker; the window's thread only takes a snapshot.
    void MarkDocumentDirty();
    // Reads the options the window keeps (Auto Save); again after the
    // Options dialog changed them.
    void readOptions();

    // --- item commands: act on selection().current(); nothing happens without
    // one, while the window is locked, or (edits) while the file is read only.
    void deleteSelected();  // asks first when "Confirm Entry Deletes" is on
    void addCategory();     // the new node is put into rename mode at once
    void addSubCategory();
    // "Add Item" at the selection: Root under a category or sub-category,
    // Before / After next to an entry. The new entry becomes the selection.
    void addEntry(EntryPosition position);
    void editLabels();      // the labels of the selected node and, for a
                            // category or sub-category, of the entries in it
    void renameSelected();  // in place in the tree; an entry's name field
    void sortSelectedLevel(SortDirection direction);
    void upLevel();
    void setListViewOfSelection(int mode);  // stores `listview` on the listed node (not dirty)

    // --- Find -------------------------------------------------------------------
    // Asks what to look for; the hits fill the results panel under the tree.
    void SearchDocument();
    // Searches the document and shows the hits; no hit: a message, and the
    // panel stays as it was.
    void searchFor(const QString& text, const std::vector<std::string>& fieldKeys);
    void HideSearchResults();
    bool searchResultsVisible() const;
    SearchResultsPanel* searchResults() const { return m_results; }

    // --- password reveal and the inactivity lock ------------------------------
    void revealPassword(int ms);
    void SetTimeToLockTimer();
    void stopLockTimer();
    bool lockTimerActive() const;
    void LockFileDisplay();
    bool UnlockFileDisplay();
    bool displayLocked() const;
    // Window activation and deactivation, as the frame reports them.
    void activated();
    void deactivated();
    // The procedure error dialog: runs step until it succeeds, is ignored or
    // aborted. False when aborted.
    bool runStep(const char* procedure, int line, const std::function<void()>& step);
    // Closes the session: lock released, credentials and document wiped.
    void releaseEverything();

    // --- shared files ---------------------------------------------------------------
    // Panel 1 of the main status bar says how the file is held ("read only").
    void announceAccess();
    // Watches a read-only shared file for its writer's saves until the window
    // closes or becomes the writer. False (said once in the status bar) when
    // saves made elsewhere cannot be seen here; Refresh still works.
    bool watchForChanges();
    bool watchingForChanges() const;
    // The watcher's notice: the file was saved by its writer. Says so once
    // per save; nothing is reloaded until the user asks.
    void CFileChangeNotifier_FileChanged(const QString& fileName);

    // --- widgets for tests and the frame -----------------------------------------
    QTreeView* treeView() const;
    QAbstractItemView* listView() const;  // the list as it is shown (icons or details)
    QTreeView* listDetailsView() const;
    EntryPane* entryPane() const { return m_entryPane; }
    QString statusText() const;  // "<n> Entries": the rows of the list
    QString protectionText() const;  // "Modern protection" or "Legacy protection"
    bool entryPaneVisible() const;
    DocumentHost* host() const { return m_host; }

signals:
    // The current node changed, or its name did (None: nothing selected).
    void selectionChanged(keymora::NodeKind kind, const QString& name);
    void mainStatusText(const QString& text);  // panel 1 of the main status bar
    void unlockPasswordEnabled(bool enabled);
    void upLevelEnabled(bool enabled);
    void deleteEnabled(bool enabled);
    void listToolbarButtonsShown(bool shown);
    void dirtyChanged(bool dirty);
    void captionChanged(const QString& caption);
    void searchResultsShown(bool shown);  // the "Find Close" button follows it
    // A search hit was clicked: panels 1 and 2 of the main status bar show them.
    void searchHitShown(const QString& id, int position);
    // The file's kind or how it is held changed (Mark Shared, Refresh).
    void accessChanged();

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // What the session says, heard before the views hear it.
    class Notices;
    void nodeAboutToGo(pugi::xml_node node);
    void nodeGone();
    void nodeRenamed(pugi::xml_node node);
    void documentAboutToBeReplaced();
    void documentReplaced();
    void showDirty(bool dirty);
    void showFileState();
    void autoSaveEnded(const SaveOutcome& outcome);
    // Unsaved changes that no save is on its way to write.
    bool looksDirty() const;
    void stopWatching();

    void buildUi();
    QWidget* buildLeft();
    QWidget* buildRight();
    void connectPanes();
    void showNode(pugi::xml_node node);
    void showContainer(pugi::xml_node node);
    void showNothing();
    void onSelectionChanged();
    void showEntryPane(bool show);
    void refreshCaption();
    void onSplitterMoved(int pos);
    void fitStatusPanel(int treeWidth);
    void onLocked();
    bool editsAllowed() const;
    void showSearchHit(const std::string& id, int position);
    void addEntryAt(pugi::xml_node at, EntryPosition position);
    // Pop-up menus and keys of the tree and the list.
    void connectViewInput();
    void popupFromTree(const QModelIndex& index, const QPoint& globalPos);
    void popupFromList(pugi::xml_node node, const QPoint& globalPos);
    void deleteFromTree();
    void deleteFromList(pugi::xml_node node);
    // Dragging nodes within the tree and between windows.
    struct DropPlan;
    void connectTreeDrag();
    std::optional<DropPlan> planDrop(pugi::xml_node target, Qt::KeyboardModifiers keys);
    Qt::DropAction dropNode(pugi::xml_node target, Qt::KeyboardModifiers keys, const QPoint& globalPos);
    pugi::xml_node listedContainerOfSelection() const;

    DocumentHost* m_host = nullptr;
    std::unique_ptr<DocumentSession> m_session;
    std::unique_ptr<Notices> m_notices;
    QString m_untitledName;
    bool m_closingDone = false;
    bool m_autoSave = false;
    bool m_removing = false;           // rows are going: the tree's moves are not choices
    pugi::xml_node m_reselectAfter;    // the parent to show once a selected node is gone
    std::string m_idBeforeReset;
    TreePane::ExpandedState m_expandedBeforeReset;
    cFileWatcher* m_watcher = nullptr;
    bool m_changeShowing = false;  // the change message is on screen
    bool m_entryShownBeforeLock = false;

    NodeSelection* m_selection = nullptr;
    QWidget* m_content = nullptr;
    QSplitter* m_splitter = nullptr;
    QLabel* m_titleLabels[2] = {nullptr, nullptr};
    TitleStrip* m_titles = nullptr;
    TreePane* m_tree = nullptr;
    SearchResultsPanel* m_results = nullptr;
    QStackedWidget* m_right = nullptr;
    ListPane* m_list = nullptr;
    EntryPane* m_entryPane = nullptr;
    EntryEditor* m_entry = nullptr;
    QLabel* m_statusPanel = nullptr;
    QLabel* m_protectionPanel = nullptr;
    LockCover* m_cover = nullptr;
};

}  // namespace keymora
