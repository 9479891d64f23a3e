// Building the main window: menus, toolbar, recent-files bar, status bar, and
// the wiring of their commands.
#include "app/frmMain.h"

#include <QAction>
#include <QActionGroup>
#include <QComboBox>
#include <QDateTime>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

#include <utility>

#include "app/DocumentLifecycle.h"
#include "app/MainWindowCommands.h"
#include "app/SharedFiles.h"
#include "docwindow/frmKMF.h"
#include "ui/Icons.h"
#include "ui/StringTable.h"

namespace keymora {

namespace mainwindow {

const QStringList& unavailableItems() {
    static const QStringList names = {};
    return names;
}

const QStringList& unavailableButtons() {
    static const QStringList keys = {};
    return keys;
}

}  // namespace mainwindow

// --- menus ------------------------------------------------------------------

QAction* frmMain::addMenuItem(QMenu* menu, const QString& name, int captionId,
                              const QKeySequence& shortcut) {
    auto* action = new QAction(LoadResString(captionId), menu);
    action->setObjectName(name);
    action->setProperty(kCaptionIdProperty, captionId);
    if (!shortcut.isEmpty()) action->setShortcut(shortcut);
    menu->addAction(action);
    m_menuItems.insert(name, action);
    return action;
}

QAction* frmMain::addSeparator(QMenu* menu, const QString& name) {
    QAction* sep = menu->addSeparator();
    sep->setObjectName(name);
    m_menuItems.insert(name, sep);
    return sep;
}

void frmMain::buildMenus() {
    buildFileMenu();
    buildEditMenu();
    buildViewAndToolsMenus();
    buildWindowMenu();
    buildHelpMenu();
}

QMenu* frmMain::addTopMenu(const QString& name, int captionId) {
    auto* menu = new QMenu(LoadResString(captionId), this);
    menu->setObjectName(name);
    menu->menuAction()->setObjectName(name);
    menu->menuAction()->setProperty(kCaptionIdProperty, captionId);
    m_menuItems.insert(name, menu->menuAction());
    return menu;
}

void frmMain::buildFileMenu() {
    m_mnuFile = addTopMenu(QStringLiteral("mnuFile"), 1012);
    addMenuItem(m_mnuFile, QStringLiteral("mnuFileNew"), 1013, QKeySequence(Qt::CTRL | Qt::Key_N));
    addMenuItem(m_mnuFile, QStringLiteral("mnuFileOpen"), 1014, QKeySequence(Qt::CTRL | Qt::Key_O));
    addMenuItem(m_mnuFile, QStringLiteral("mnuFileClose"), 1015);
    addMenuItem(m_mnuFile, QStringLiteral("mnuFileImport"), 1016);
    addSeparator(m_mnuFile, QStringLiteral("mnuFileBar0"));
    addMenuItem(m_mnuFile, QStringLiteral("mnuFileSave"), 1017, QKeySequence(Qt::CTRL | Qt::Key_S));
    addMenuItem(m_mnuFile, QStringLiteral("mnuFileSaveAs"), 1018);
    addMenuItem(m_mnuFile, QStringLiteral("mnuFileSaveAll"), 1019);
    addSeparator(m_mnuFile, QStringLiteral("mnuFileBar3"));
    addMenuItem(m_mnuFile, QStringLiteral("mnuFileChangePassword"), 1020);
    addMenuItem(m_mnuFile, QStringLiteral("mnuFileMarkShared"), 1021);
    addMenuItem(m_mnuFile, QStringLiteral("mnuFileMergeDocument"), 1022);
    addMenuItem(m_mnuFile, QStringLiteral("mnuFileRefresh"), 1023, QKeySequence(Qt::CTRL | Qt::Key_R))
        ->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_R), QKeySequence(Qt::Key_F5)});
    addSeparator(m_mnuFile, QStringLiteral("mnuFileBar5"));
    addMenuItem(m_mnuFile, QStringLiteral("mnuFileExit"), 1024);
    menuBar()->addMenu(m_mnuFile);
}

void frmMain::buildEditMenu() {
    m_mnuEdit = addTopMenu(QStringLiteral("mnuEdit"), 1025);
    addMenuItem(m_mnuEdit, QStringLiteral("mnuAddItem"), 1026);
    m_mnuEditAddItem = new QMenu(LoadResString(1026), m_mnuEdit);
    m_mnuEditAddItem->setObjectName(QStringLiteral("mnuEditAddItem"));
    m_mnuEditAddItem->menuAction()->setObjectName(QStringLiteral("mnuEditAddItem"));
    m_mnuEditAddItem->menuAction()->setProperty(kCaptionIdProperty, 1026);
    m_menuItems.insert(QStringLiteral("mnuEditAddItem"), m_mnuEditAddItem->menuAction());
    addMenuItem(m_mnuEditAddItem, QStringLiteral("mnuEditAddItemAbove"), 1027);
    addMenuItem(m_mnuEditAddItem, QStringLiteral("mnuEditAddItemBelow"), 1028);
    m_mnuEdit->addMenu(m_mnuEditAddItem);
    addSeparator(m_mnuEdit, QStringLiteral("mnuEditBar01"));
    addMenuItem(m_mnuEdit, QStringLiteral("mnuEditEditLabels"), 1029);
    addSeparator(m_mnuEdit, QStringLiteral("mnuEditLabelSep"));
    addMenuItem(m_mnuEdit, QStringLiteral("mnuAddCategory"), 1030);
    addMenuItem(m_mnuEdit, QStringLiteral("mnuAddSubCategory"), 1031);
    addMenuItem(m_mnuEdit, QStringLiteral("mnuDeleteItem"), 1032);
    addSeparator(m_mnuEdit, QStringLiteral("mnuEditBar00"));
    addMenuItem(m_mnuEdit, QStringLiteral("mnuEditSortAsc"), 1033);
    addMenuItem(m_mnuEdit, QStringLiteral("mnuEditSortDesc"), 1034);
    addSeparator(m_mnuEdit, QStringLiteral("mnuEditBar0"));
    addMenuItem(m_mnuEdit, QStringLiteral("mnuEditCancel"), 1035);
    menuBar()->addMenu(m_mnuEdit);
}

void frmMain::buildViewAndToolsMenus() {
    m_mnuView = addTopMenu(QStringLiteral("mnuView"), 1036);
    QAction* viewToolbar = addMenuItem(m_mnuView, QStringLiteral("mnuViewToolbar"), 1037);
    viewToolbar->setCheckable(true);
    viewToolbar->setChecked(true);
    QAction* viewStatus = addMenuItem(m_mnuView, QStringLiteral("mnuViewStatusBar"), 1038);
    viewStatus->setCheckable(true);
    viewStatus->setChecked(true);
    addSeparator(m_mnuView, QStringLiteral("mnuViewBar0"));
    addMenuItem(m_mnuView, QStringLiteral("mnuViewWebBrowser"), 1040);
    menuBar()->addMenu(m_mnuView);

    m_mnuTools = addTopMenu(QStringLiteral("mnuTools"), 1041);
    addMenuItem(m_mnuTools, QStringLiteral("mnuToolsOptions"), 1042);
    menuBar()->addMenu(m_mnuTools);
}

void frmMain::buildWindowMenu() {
    m_mnuWindow = addTopMenu(QStringLiteral("mnuWindow"), 1043);
    addMenuItem(m_mnuWindow, QStringLiteral("mnuWindowCascade"), 1044);
    addMenuItem(m_mnuWindow, QStringLiteral("mnuWindowTileHorizontal"), 1045);
    addMenuItem(m_mnuWindow, QStringLiteral("mnuWindowTileVertical"), 1046);
    menuBar()->addMenu(m_mnuWindow);
    connect(m_mnuWindow, &QMenu::aboutToShow, this, &frmMain::rebuildWindowList);
}

void frmMain::buildHelpMenu() {
    m_mnuHelp = addTopMenu(QStringLiteral("mnuHelp"), 1047);
    addMenuItem(m_mnuHelp, QStringLiteral("mnuHelpContents"), 1048);
    addSeparator(m_mnuHelp, QStringLiteral("mnuHelpBar0"));
    addMenuItem(m_mnuHelp, QStringLiteral("mnuHelpAbout"), 1049);
    menuBar()->addMenu(m_mnuHelp);
}


// --- toolbar, recent-files bar, status bar ------------------------------------

QAction* frmMain::addToolButton(const QString& key, const QString& iconName, int tipId) {
    QAction* action = m_toolBar->addAction(icons::themed(iconName, key.toLower().replace(' ', '-')),
                                           key);
    action->setObjectName(QStringLiteral("tb_") + QString(key).replace(' ', '_'));
    action->setProperty("key", key);
    action->setProperty(kTooltipIdProperty, tipId);
    action->setToolTip(LoadResString(tipId));
    m_toolButtons.insert(key, action);
    m_toolKeys << key;
    return action;
}

void frmMain::addToolSeparator(const QString& key) {
    QAction* sep = m_toolBar->addSeparator();
    sep->setProperty("key", key);
    m_toolButtons.insert(key, sep);
    m_toolKeys << key;
}

void frmMain::buildToolBar() {
    m_toolBar = new QToolBar(QStringLiteral("tbToolBar"), this);
    m_toolBar->setObjectName(QStringLiteral("tbToolBar"));
    m_toolBar->setMovable(false);
    m_toolBar->setIconSize(QSize(22, 22));
    m_toolBar->setToolButtonStyle(Qt::ToolButtonIconOnly);
    addToolBar(Qt::TopToolBarArea, m_toolBar);

    addToolButton(QStringLiteral("New"), QStringLiteral("document-new"), sid::TipNew);
    addToolButton(QStringLiteral("Open"), QStringLiteral("document-open"), sid::TipOpen);
    addToolButton(QStringLiteral("Save"), QStringLiteral("document-save"), sid::TipSave);
    addToolButton(QStringLiteral("Refresh"), QStringLiteral("view-refresh"), sid::TipRefresh);
    addToolSeparator(QStringLiteral("refresh find separator"));
    addToolButton(QStringLiteral("Find"), QStringLiteral("edit-find"), sid::TipFind);
    addToolButton(QStringLiteral("Find Close"), QStringLiteral("edit-clear"), sid::TipFindClose);
    addToolSeparator(QStringLiteral("find cut separator"));
    addToolSeparator(QStringLiteral("paste delete separator"));
    addToolButton(QStringLiteral("Delete"), QStringLiteral("edit-delete"), sid::TipDelete);
    addToolSeparator(QStringLiteral("delete sort asc separator"));
    addToolButton(QStringLiteral("Sort Asc"), QStringLiteral("view-sort-ascending"), sid::TipSortAsc);
    addToolButton(QStringLiteral("Sort Desc"), QStringLiteral("view-sort-descending"),
                  sid::TipSortDesc);
    addToolSeparator(QStringLiteral("sort desc unlock separator"));
    addToolButton(QStringLiteral("Unlock Password"), QStringLiteral("changes-allow"),
                  sid::TipUnlockPassword);
    addToolButton(QStringLiteral("Create Password"), QStringLiteral("dialog-password"),
                  sid::TipCreatePassword);
    addToolSeparator(QStringLiteral("listseparator"));
    addToolButton(QStringLiteral("UpLevel"), QStringLiteral("go-up"), sid::TipUpLevel);
    addToolButton(QStringLiteral("View Large Icons"), QStringLiteral("view-grid"),
                  sid::TipLargeIcons);
    addToolButton(QStringLiteral("View Small Icons"), QStringLiteral("view-app-grid"),
                  sid::TipSmallIcons);
    addToolButton(QStringLiteral("View List"), QStringLiteral("view-list"), sid::TipList);
    addToolButton(QStringLiteral("View Details"), QStringLiteral("view-list-details"),
                  sid::TipDetails);
    auto* group = new QActionGroup(this);
    group->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);
    for (const char* key : {"View Large Icons", "View Small Icons", "View List", "View Details"}) {
        QAction* a = m_toolButtons.value(QString::fromLatin1(key));
        a->setCheckable(true);
        group->addAction(a);
    }
}

void frmMain::buildMruBar() {
    m_mruBar = new QToolBar(QStringLiteral("picMRUHolder"), this);
    m_mruBar->setObjectName(QStringLiteral("picMRUHolder"));
    m_mruBar->setMovable(false);
    auto* holder = new QWidget(m_mruBar);
    auto* row = new QHBoxLayout(holder);
    row->setContentsMargins(2, 1, 2, 1);
    row->setSpacing(4);
    m_cboMRU = new QComboBox(holder);
    m_cboMRU->setObjectName(QStringLiteral("cboMRU"));
    m_cboMRU->setEditable(true);
    m_cboMRU->setInsertPolicy(QComboBox::NoInsert);
    m_cboMRU->setMinimumContentsLength(16);
    m_cboMRU->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    m_cboMRU->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    m_cboMRU->setEditText(LoadResString(1052));  // design-time text until the list is read
    m_cmdOpenMRU = new QToolButton(holder);
    m_cmdOpenMRU->setObjectName(QStringLiteral("cmdOpenMRU"));
    m_cmdOpenMRU->setIcon(
        icons::themed(QStringLiteral("document-open-recent"), QStringLiteral("open")));
    m_cmdOpenMRU->setText(LoadResString(1053));
    m_cmdOpenMRU->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    m_cmdOpenMRU->setProperty(kTooltipIdProperty, sid::TipOpenMru);
    row->addWidget(m_cboMRU, 1);
    row->addWidget(m_cmdOpenMRU);
    m_mruBar->addWidget(holder);
    // The recent-files bar gets a row of its own below the buttons.
    addToolBarBreak(Qt::TopToolBarArea);
    addToolBar(Qt::TopToolBarArea, m_mruBar);
    connect(m_cmdOpenMRU, &QToolButton::clicked, this, &frmMain::cmdOpenMRU_Click);
}

void frmMain::buildStatusBar() {
    QStatusBar* bar = statusBar();
    bar->setObjectName(QStringLiteral("sbStatusBar"));
    for (int i = 0; i < 3; ++i) {
        auto* panel = new QLabel(bar);
        panel->setObjectName(QStringLiteral("sbPanel%1").arg(i + 1));
        panel->setContentsMargins(6, 0, 6, 0);
        m_statusPanels << panel;
        if (i == 0)
            bar->addWidget(panel, 1);
        else
            bar->addPermanentWidget(panel);
    }
    auto refreshClock = [this] {
        const QDateTime now = QDateTime::currentDateTime();
        m_statusPanels[1]->setText(QLocale().toString(now.date(), QLocale::ShortFormat));
        m_statusPanels[2]->setText(QLocale().toString(now.time(), QLocale::ShortFormat));
    };
    refreshClock();
    auto* clock = new QTimer(this);
    clock->setInterval(15000);
    connect(clock, &QTimer::timeout, this, refreshClock);
    clock->start();
}

void frmMain::SetToolbarTips() {
    for (QAction* action : std::as_const(m_toolButtons)) {
        const int tip = action->property(kTooltipIdProperty).toInt();
        if (tip > 0) action->setToolTip(LoadResString(tip));
    }
    m_cmdOpenMRU->setToolTip(LoadResString(sid::TipOpenMru));
}

// --- commands -----------------------------------------------------------------

void frmMain::connectCommands() {
    auto on = [this](const QString& name, auto&& fn) {
        connect(menuItem(name), &QAction::triggered, this, std::forward<decltype(fn)>(fn));
    };
    auto onKey = [this](const QString& key, auto&& fn) {
        connect(toolbarButton(key), &QAction::triggered, this, std::forward<decltype(fn)>(fn));
    };
    auto newDoc = [this] { NewDocumentCommand(*this); };
    auto openDoc = [this] { OpenCommand(hostOf(*this)); };
    on(QStringLiteral("mnuFileNew"), newDoc);
    onKey(QStringLiteral("New"), newDoc);
    on(QStringLiteral("mnuFileOpen"), openDoc);
    onKey(QStringLiteral("Open"), openDoc);
    on(QStringLiteral("mnuFileClose"), [this] { CloseDocument(*this); });
    on(QStringLiteral("mnuFileSave"), [this] { mnuFileSave_Click(); });
    onKey(QStringLiteral("Save"), [this] { mnuFileSave_Click(); });
    on(QStringLiteral("mnuFileSaveAs"), [this] { SaveAsCommand(*this); });
    on(QStringLiteral("mnuFileSaveAll"), [this] { SaveAllCommand(*this); });
    on(QStringLiteral("mnuFileChangePassword"), [this] { changePassword(); });
    on(QStringLiteral("mnuFileMarkShared"), [this] {
        if (frmKMF* doc = activeDocument()) MarkSharedCommand(hostOf(*this), *doc);
    });
    auto refresh = [this] {
        if (frmKMF* doc = activeDocument()) RefreshCommand(hostOf(*this), *doc);
    };
    on(QStringLiteral("mnuFileRefresh"), refresh);
    onKey(QStringLiteral("Refresh"), refresh);
    on(QStringLiteral("mnuFileExit"), [this] { close(); });
    on(QStringLiteral("mnuViewToolbar"), [this](bool checked) { viewToolbarToggled(checked); });
    on(QStringLiteral("mnuViewStatusBar"), [this](bool checked) { viewStatusBarToggled(checked); });
    on(QStringLiteral("mnuToolsOptions"), [this] { toolsOptions(); });
    on(QStringLiteral("mnuWindowCascade"), [this] { m_mdi->cascadeSubWindows(); });
    on(QStringLiteral("mnuWindowTileHorizontal"), [this] { tileWindows(Qt::Vertical); });
    on(QStringLiteral("mnuWindowTileVertical"), [this] { tileWindows(Qt::Horizontal); });
    onKey(QStringLiteral("Unlock Password"), [this] { unlockPassword(); });
    auto sortAsc = [this] { sortLevel(true); };
    auto sortDesc = [this] { sortLevel(false); };
    on(QStringLiteral("mnuEditSortAsc"), sortAsc);
    onKey(QStringLiteral("Sort Asc"), sortAsc);
    on(QStringLiteral("mnuEditSortDesc"), sortDesc);
    onKey(QStringLiteral("Sort Desc"), sortDesc);
    on(QStringLiteral("mnuDeleteItem"), [this] { deleteItem(); });
    onKey(QStringLiteral("Create Password"), [this] { createPassword(); });
    onKey(QStringLiteral("Delete"), [this] { deleteItem(); });
    on(QStringLiteral("mnuAddCategory"), [this] { addCategory(); });
    on(QStringLiteral("mnuAddSubCategory"), [this] { addSubCategory(); });
    on(QStringLiteral("mnuAddItem"), [this] { addEntry(EntryPosition::Root); });
    on(QStringLiteral("mnuEditAddItemAbove"), [this] { addEntry(EntryPosition::Before); });
    on(QStringLiteral("mnuEditAddItemBelow"), [this] { addEntry(EntryPosition::After); });
    on(QStringLiteral("mnuEditEditLabels"), [this] { editLabels(); });
    onKey(QStringLiteral("UpLevel"), [this] { upLevel(); });
    onKey(QStringLiteral("View Large Icons"), [this] { setListView(0); });
    onKey(QStringLiteral("View Small Icons"), [this] { setListView(1); });
    onKey(QStringLiteral("View List"), [this] { setListView(2); });
    onKey(QStringLiteral("View Details"), [this] { setListView(3); });
    connectHelpCommands();

    connectDataCommands();

    const QString notYet = LoadResString(1054);
    for (const QString& name : mainwindow::unavailableItems()) {
        QAction* a = menuItem(name);
        a->setEnabled(false);
        a->setStatusTip(notYet);
    }
    for (const QString& key : mainwindow::unavailableButtons()) {
        QAction* a = toolbarButton(key);
        a->setEnabled(false);
        a->setStatusTip(notYet);
    }
}

}  // namespace keymora
