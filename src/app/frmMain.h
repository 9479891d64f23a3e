#pragma once
// The main window: a multiple-document frame holding one frmKMF per open data
// file, with the menus, toolbar, recent-files bar and status bar, and the
// routing of their commands to the active document.
//
// The member functions live by area: frmMain.cpp (construction, document
// windows, command states, placement, events), MainMenus.cpp (menus, toolbar,
// recent-files bar, status bar, command wiring), FileCommands.cpp (save,
// recent files), ItemCommands.cpp (tree and list commands, passwords),
// WindowCommands.cpp (arranging, window list, view toggles, options),
// EditMenu.cpp (the Edit menu for the selected node) and HelpCommands.cpp
// (help, about box, web browser).
#include <QHash>
#include <QKeySequence>
#include <QList>
#include <QMainWindow>
#include <QString>

#include "document/NodeKind.h"
#include "document/TreeEditing.h"

class QAction;
class QComboBox;
class QMimeData;
class QLabel;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QPoint;
class QToolBar;
class QToolButton;
class QWidget;

namespace keymora {

class frmKMF;

// The data files (".kmf", any case) among dropped files, in the order given.
QStringList DroppedDataFiles(const QMimeData& data);

class frmMain : public QMainWindow {
    Q_OBJECT
public:
    explicit frmMain(QWidget* parent = nullptr);
    ~frmMain() override;

    // The single main window, or nullptr when none exists.
    static frmMain* instance();

    // --- Document windows ---------------------------------------------------
    QMdiArea* mdiArea() const { return m_mdi; }
    // Wraps a document window in a sub-window of the frame (not shown yet).
    QMdiSubWindow* addDocumentWindow(QWidget* documentWindow);
    // The active child when it is a document window, else nullptr.
    frmKMF* activeDocument() const;
    // Every open document window, in the frame's creation order.
    QList<frmKMF*> documents() const;

    // A document window calls documentLoaded() when it loads and
    // documentUnloaded() when it unloads; they keep OpenDocumentCount and the
    // menu state in step.
    void documentLoaded();
    void documentUnloaded();
    int OpenDocumentCount() const;

    // No-document and document-open states of menus and toolbar.
    void ShowDocumentCommands();
    void HideDocumentCommands();
    bool DocumentCommandsShown() const;
    void HideListToolBarButtons();
    void ShowListToolBarButtons();

    // Edit menu (also the tree's popup) set up for the selected node's kind.
    void SetCategoryEditMenu(const QString& name);
    void SetSubCategoryEditMenu(const QString& name);
    void SetEntryEditMenu(const QString& name);
    QMenu* editMenu() const { return m_mnuEdit; }
    // The Edit menu for the document's selected node (only Add Category
    // without one), popped up at globalPos.
    void popupEditMenu(frmKMF& doc, const QPoint& globalPos);

    // Menu items by design name ("mnuFileSave", "mnuEditSortAsc", ...) and
    // toolbar buttons by key ("Save", "UpLevel", "find cut separator", ...).
    QAction* menuItem(const QString& name) const;
    QAction* toolbarButton(const QString& key) const;
    QStringList toolbarKeys() const;

    // Status bar panels, numbered from 1 (panel 1: document status text).
    void setStatusPanel(int panel, const QString& text);
    QString statusPanel(int panel) const;

    // --- Recent files ----------------------------------------------------------
    QComboBox* cboMRU() const { return m_cboMRU; }
    QToolButton* cmdOpenMRU() const { return m_cmdOpenMRU; }
    static void AddToMRU(const QString& fileName);
    void RefreshMRUList();
    // The open-recent button: open the box's file, list it on success.
    void cmdOpenMRU_Click();

    // --- Lifecycle -----------------------------------------------------------
    // Adds 1 and returns the number of the next new document ("Document n").
    int nextDocumentNumber() { return ++m_newDocumentCounter; }
    int NewDocumentCounter() const { return m_newDocumentCounter; }
    // Cleared by a document window whose user refused its close.
    bool CanShutDown() const { return m_canShutDown; }
    void setCanShutDown(bool value) { m_canShutDown = value; }

    // Public commands document windows call.
    void mnuFileSave_Click();

    // Placement in twips (15 per pixel) and state (0 normal, 1 min, 2 max).
    void RestoreWindowPlacement();
    void SaveWindowPlacement();

signals:
    // Minimising the main window arms the inactivity lock of every document
    // window; any other resize stops those timers. Document windows connect
    // these to SetTimeToLockTimer and to stopping TimeLockFile.
    void armLockTimers();
    void disarmLockTimers();
    // The active document changed (or none is active any more).
    void activeDocumentChanged(keymora::frmKMF* document);

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    // The Edit menu for the active document's selected node; hidden without one.
    void showEditMenuFor(NodeKind kind, const QString& name);
    void showEditMenuOf(frmKMF* doc);
    // The Edit items every node kind shows, with the Delete caption naming it.
    void setContainerEditMenu(const QString& name, bool category);
    void showCommonEditItems(const QString& quotedName);
    // Follows a newly opened document window's selection and state signals.
    void connectDocument(frmKMF* doc);
    void buildMenus();
    QMenu* addTopMenu(const QString& name, int captionId);
    void buildFileMenu();
    void buildEditMenu();
    void buildViewAndToolsMenus();
    void buildWindowMenu();
    void buildHelpMenu();
    // The Window menu's list of open documents, after the arrange items.
    void rebuildWindowList();
    void buildToolBar();
    void buildMruBar();
    void buildStatusBar();
    void SetToolbarTips();
    void connectCommands();
    // View > Web Browser and the Help menu (HelpCommands.cpp).
    void connectHelpCommands();
    // Find, Find Close, Import, Merge and the drop of data files.
    void connectDataCommands();
    // "Find Close" shows while the document shows search hits.
    void showSearchState(frmKMF* doc);
    QAction* addMenuItem(QMenu* menu, const QString& name, int captionId,
                         const QKeySequence& shortcut = {});
    QAction* addSeparator(QMenu* menu, const QString& name);
    QAction* addToolButton(const QString& key, const QString& iconName, int tipId);
    void addToolSeparator(const QString& key);
    void onSubWindowActivated(QMdiSubWindow* window);
    void applyActivationRules(frmKMF* doc);
    void notifyLockTimers();

    // Commands.
    void viewToolbarToggled(bool checked);
    void viewStatusBarToggled(bool checked);
    void toolsOptions();
    void changePassword();
    void unlockPassword();
    void createPassword();
    void upLevel();
    void setListView(int mode);
    // Checks the view button of the document's list mode.
    void showListMode(frmKMF* doc);
    void tileWindows(Qt::Orientation orientation);
    void sortLevel(bool ascending);
    void deleteItem();
    void addCategory();
    void addSubCategory();
    void addEntry(EntryPosition position);
    void editLabels();
    // The active document, unless it is locked: a covered window takes no
    // command from menus, toolbar or shortcuts.
    frmKMF* commandTarget() const;
    // Mark Shared for the active document's kind of file and access.
    void showFileCommandsOf(frmKMF* doc);
    // Enables a toolbar button unless its command is not offered yet.
    void setButtonEnabled(const QString& key, bool enabled);

    QMdiArea* m_mdi = nullptr;
    QToolBar* m_toolBar = nullptr;
    QToolBar* m_mruBar = nullptr;
    QComboBox* m_cboMRU = nullptr;
    QToolButton* m_cmdOpenMRU = nullptr;
    QMenu* m_mnuFile = nullptr;
    QMenu* m_mnuEdit = nullptr;
    QMenu* m_mnuEditAddItem = nullptr;
    QMenu* m_mnuView = nullptr;
    QMenu* m_mnuTools = nullptr;
    QMenu* m_mnuWindow = nullptr;
    QMenu* m_mnuHelp = nullptr;
    QList<QLabel*> m_statusPanels;
    QHash<QString, QAction*> m_menuItems;
    QHash<QString, QAction*> m_toolButtons;
    QStringList m_toolKeys;
    int m_newDocumentCounter = 0;
    bool m_canShutDown = true;
    bool m_wasMinimised = false;
};

}  // namespace keymora
