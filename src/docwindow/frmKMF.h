#pragma once
// The document window: one per open data file. It owns the document, the
// file's credentials and the file lock, and shows the document as a tree on
// the left and, on the right, either the children of the selected node or
// the fields of the selected entry.
//
// The main window hears about windows through frmKMF::events() (opened,
// closed) and about each window's state through the signals below, so this
// class never needs the main window's definition.
#include <QPointer>
#include <QString>
#include <QWidget>

#include <cstdint>
#include <memory>
#include <functional>
#include <string>

#include <pugixml.hpp>

#include "document/NodeKind.h"
#include "document/XmlDoc.h"

class QLabel;
class QListView;
class QModelIndex;
class QSplitter;
class QStatusBar;
class QStackedWidget;
class QTimer;
class QTreeView;
class QPlainTextEdit;

namespace keymora {

class FileLock;
class DocumentHost;
class DocTreeModel;
class DocListModel;
class EntryPane;
class frmKMF;

// Writes a field's text and stamps its entry's DateModified (the 6th child).
void UpdateEntryField(pugi::xml_node field, const QString& text);

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
    static constexpr const char* kSaveRequiredTag = "SAVE REQUIRED";
    static constexpr const char* kDirtyMarker = " - *";

    explicit frmKMF(DocumentHost* host, QWidget* parent = nullptr);
    ~frmKMF() override;

    static DocumentWindowEvents& events();

    // --- the document and the file -------------------------------------
    XmlDoc& XMLDoc();                               // created empty on first use
    void setDocument(std::unique_ptr<XmlDoc> doc);  // takes over a parsed document

    std::string gsUserID;        // UTF-8; wiped when the window closes
    std::string gsUserPassword;  // UTF-8; wiped when the window closes
    std::unique_ptr<FileLock> FileHandle;  // no lock held when empty
    std::int16_t iFileType = 0;            // 0 private, 1 shared
    bool ReadOnlyFile = false;
    bool IsDirty = false;
    bool FormActivated = false;
    bool RequireChangeNotification = false;
    bool NotifyofChanges = false;
    bool blnNodeSelected = false;

    // The tag: "SAVE REQUIRED" for a never-saved document.
    QString tag() const { return m_tag; }
    void setTag(const QString& tag) { m_tag = tag; }

    // Caption = window title (the subwindow mirrors it).
    QString caption() const;
    void setCaption(const QString& caption);
    // The caption without a trailing " - *".
    QString fileName() const;
    bool neverSaved() const;  // caption begins with "Document"

    // Title strip: index 0 kind of file, 1 access; green or red background.
    void setTitleLabels(const QString& kind, const QString& access, bool readOnlyColours);
    QString titleLabel(int index) const;

    // --- selection --------------------------------------------------------
    std::string GUIDSelected;                   // id of the node last clicked in the list
    pugi::xml_node CurrentlySelectedXMLNode;    // element of the shown entry
    QString SelectedXMLResource, SelectedXMLUserName, SelectedXMLPassword, SelectedXMLNotes,
        SelectedXMLURL;

    // Id of the tree's selected node, "" when none.
    std::string selectedTreeNodeId() const;
    NodeKind selectedTreeNodeKind() const;
    pugi::xml_node selectedTreeElement() const;

    // --- operations ------------------------------------------------------
    void MarkDocumentDirty();
    void ParseAndLoadXMLFile(const QString& unused = {});  // rebuild the whole tree
    void ParseSubCategory(pugi::xml_node element);        // rebuild one branch
    void NodeClick(const std::string& id);                // select a tree node and show it
    void LoadListView(const std::string& id);
    void DisplayEntry(const std::string& id);
    void SizeControls(int splitterTwips);
    void selectTreeNode(const std::string& id);
    void clearTree();
    // List modes: 0 large icons, 1 small icons, 2 list, 3 details.
    void setListViewMode(int mode);
    int listViewMode() const { return m_listMode; }
    // Marks the document clean: no marker, clean icon.
    void markClean();

    // Inactivity lock hook: the main window calls these when minimised or
    // restored; the lock itself lives in this window.
    void SetTimeToLockTimer();
    // "Unlock Password": shows the password in clear for ms, then masks it
    // again with the mask character.
    void revealPassword(int ms);
    void stopLockTimer();
    bool lockTimerActive() const;

    // Releases the lock and wipes credentials and the document (closing work).
    void releaseEverything();

    // Widgets for tests and the main window.
    QTreeView* treeView() const { return m_tree; }
    QTreeView* listView() const { return m_list; }
    EntryPane* entryPane() const { return m_entry; }
    QString statusText() const;  // panel 1: "<n> Entries"
    bool entryPaneVisible() const;
    DocumentHost* host() const { return m_host; }
    void setHost(DocumentHost* host) { m_host = host; }

    // The millisecond tick used for click-to-rename (tests replace it).
    static std::uint32_t (*tickCount)();

signals:
    // A node was selected in the tree or an item clicked in the list: the
    // main window sets its edit menu for that kind.
    void selectionKindChanged(keymora::NodeKind kind, const QString& name);
    void treeNodeSelected(const QString& id);
    void mainStatusText(const QString& text);   // panel 1 of the main status bar
    void unlockPasswordEnabled(bool enabled);
    void upLevelEnabled(bool enabled);
    void deleteEnabled(bool enabled);
    void listToolbarButtonsShown(bool shown);
    void dirtyChanged(bool dirty);
    void captionChanged(const QString& caption);

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void buildUi();
    void onTreeActivated(const QModelIndex& index);
    void onListDoubleClicked(const QModelIndex& index);
    void onListClicked(const QModelIndex& index);
    void onSplitterMoved(int pos);
    void checkLockDeadline();
    void nodeClickIndex(const QModelIndex& index);
    void restoreExpanded(pugi::xml_node node);
    void onFieldChanged(int position);
    void onNotesChanged();
    void onCopyPassword();
    void onLaunchBrowser();
    void setPropertyCaption(int index, const QString& text);
    void showEntryPane(bool show);
    void onHeaderClicked(int section);
    void applyListSettings(pugi::xml_node node);
    void onSubWindowStateChanged(Qt::WindowStates oldState, Qt::WindowStates newState);
    bool eventFilter(QObject* watched, QEvent* event) override;

public:
    // Inactivity cover (shown over everything until the credentials are given again).
    void LockFileDisplay();
    bool UnlockFileDisplay();
    bool displayLocked() const;
    // Window activation and deactivation, as the frame reports them.
    void activated();
    void deactivated();
    // The procedure error dialog: runs step until it succeeds, is ignored or
    // aborted. False when aborted.
    bool runStep(const char* procedure, int line, const std::function<void()>& step);
    // Stored splitter position in twips.
    static int storedSplitterTwips();

private:

    DocumentHost* m_host = nullptr;
    std::unique_ptr<XmlDoc> m_doc;
    QString m_tag;
    QString m_caption;
    bool m_closingDone = false;

    QLabel* m_lblTitle[2] = {nullptr, nullptr};
    QString m_titleText[2];
    void fitTitleLabels();
    QSplitter* m_splitter = nullptr;
    QTreeView* m_tree = nullptr;
    QTreeView* m_list = nullptr;
    QStackedWidget* m_right = nullptr;
    EntryPane* m_entry = nullptr;
    QPlainTextEdit* m_instructions = nullptr;
    QStatusBar* m_status = nullptr;
    DocTreeModel* m_treeModel = nullptr;
    DocListModel* m_listModel = nullptr;
    QTimer* m_lockTimer = nullptr;
    qint64 m_lockDeadlineMs = 0;
    QTimer* m_hidePasswordTimer = nullptr;
    QWidget* m_cover = nullptr;
    QWidget* m_listPage = nullptr;
    QLabel* m_statusPanel = nullptr;
    bool m_loading = false;
    bool m_listSortDescending = false;
    int m_listMode = 3;
    QListView* m_iconList = nullptr;
    std::string m_idAtPress;  // the tree's current node when the mouse went down

    std::string m_lastClickedId;
    std::uint32_t m_lastClickTick = 0;
};

}  // namespace keymora
