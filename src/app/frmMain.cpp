#include "app/frmMain.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDate>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QScreen>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

#include <algorithm>
#include <limits>

#include "app/DocumentLifecycle.h"
#include "app/ModMain.h"
#include "app/frmGeneratePassword.h"
#include "app/frmOptions.h"
#include "docwindow/cClipBoard.h"
#include "docwindow/frmKMF.h"
#include "document/NodeKind.h"
#include "document/TreeEditing.h"
#include "document/XmlDoc.h"
#include "storage/CredentialRules.h"
#include "support/ClsReg.h"
#include "support/Options.h"
#include "support/SecureWipe.h"
#include "ui/Icons.h"
#include "ui/Prompt.h"
#include "ui/StringTable.h"

namespace keymora {

namespace {

frmMain* g_instance = nullptr;

constexpr int kTwipsPerPixel = 15;

int mruCount(const clsReg& reg) {
    bool ok = false;
    const int n = QString::fromStdString(
                      reg.ReadString(RegRoot::CurrentUser, kMruKey, "MRUNumber", "0"))
                      .trimmed()
                      .toInt(&ok);
    return ok && n > 0 ? n : 0;
}

std::string fileValueName(int i) { return "File" + std::to_string(i); }

}  // namespace

namespace {

// Commands whose operation the program does not offer yet stay disabled and
// say so, whatever state the menus are in.
const QStringList& unavailableItems() {
    static const QStringList names = {
        QStringLiteral("mnuFileImport"),      QStringLiteral("mnuFileMarkShared"),
        QStringLiteral("mnuFileMergeDocument"), QStringLiteral("mnuFileRefresh"),
        QStringLiteral("mnuAddItem"),         QStringLiteral("mnuEditAddItemAbove"),
        QStringLiteral("mnuEditAddItemBelow"), QStringLiteral("mnuEditEditLabels"),
        QStringLiteral("mnuViewWebBrowser"),
        QStringLiteral("mnuHelpContents"),    QStringLiteral("mnuHelpAbout")};
    return names;
}

const QStringList& unavailableButtons() {
    static const QStringList keys = {QStringLiteral("Refresh"),  QStringLiteral("Find"),
                                     QStringLiteral("Find Close")};
    return keys;
}

}  // namespace

frmMain* frmMain::instance() { return g_instance; }

frmMain::frmMain(QWidget* parent) : QMainWindow(parent) {
    icons::loadResources();
    g_instance = this;
    setObjectName(QStringLiteral("frmMain"));
    setProperty(kCaptionIdProperty, 1000);
    setWindowIcon(icons::program());

    m_mdi = new QMdiArea(this);
    m_mdi->setObjectName(QStringLiteral("MDIClient"));
    m_mdi->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_mdi->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_mdi->setActivationOrder(QMdiArea::ActivationHistoryOrder);
    m_mdi->setBackground(palette().color(QPalette::Window).darker(112));
    setCentralWidget(m_mdi);
    connect(m_mdi, &QMdiArea::subWindowActivated, this, &frmMain::onSubWindowActivated);

    buildMenus();
    buildToolBar();
    buildMruBar();
    buildStatusBar();
    connectCommands();

    connect(&frmKMF::events(), &DocumentWindowEvents::opened, this, [this](frmKMF* doc) {
        if (!doc) return;
        // The edit menu waits for a node to be selected.
        m_mnuEdit->menuAction()->setVisible(false);
        connect(doc, &frmKMF::selectionKindChanged, this, [this](NodeKind kind, const QString& name) {
            switch (kind) {
            case NodeKind::Category: SetCategoryEditMenu(name); break;
            case NodeKind::SubCategory: SetSubCategoryEditMenu(name); break;
            case NodeKind::Entry: SetEntryEditMenu(name); break;
            case NodeKind::None: m_mnuEdit->menuAction()->setVisible(false); break;
            }
        });
        connect(doc, &frmKMF::mainStatusText, this,
                [this](const QString& text) { setStatusPanel(1, text); });
        connect(doc, &frmKMF::unlockPasswordEnabled, this,
                [this](bool on) { setButtonEnabled(QStringLiteral("Unlock Password"), on); });
        connect(doc, &frmKMF::upLevelEnabled, this,
                [this](bool on) { setButtonEnabled(QStringLiteral("UpLevel"), on); });
        connect(doc, &frmKMF::deleteEnabled, this,
                [this](bool on) { setButtonEnabled(QStringLiteral("Delete"), on); });
        connect(doc, &frmKMF::listToolbarButtonsShown, this, [this, doc](bool shown) {
            showListMode(doc);
            if (shown)
                ShowListToolBarButtons();
            else
                HideListToolBarButtons();
        });
    });

    // Loading: captions, tips, placement, then the no-document state.
    ApplyResourceCaptions(this);
    SetToolbarTips();
    RestoreWindowPlacement();
    ShowDocumentCommands();
    HideDocumentCommands();
}

frmMain::~frmMain() {
    // Children still go away after this body, emitting as they do; nothing
    // of this window may answer them by then.
    m_mdi->disconnect(this);
    frmKMF::events().disconnect(this);
    for (frmKMF* doc : documents()) doc->disconnect(this);
    if (g_instance == this) g_instance = nullptr;
}

// --- building -------------------------------------------------------------

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
    QMenuBar* bar = menuBar();
    auto topMenu = [&](const QString& name, int id) {
        auto* menu = new QMenu(LoadResString(id), this);
        menu->setObjectName(name);
        menu->menuAction()->setObjectName(name);
        menu->menuAction()->setProperty(kCaptionIdProperty, id);
        m_menuItems.insert(name, menu->menuAction());
        return menu;
    };

    m_mnuFile = topMenu(QStringLiteral("mnuFile"), 1012);
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
    addMenuItem(m_mnuFile, QStringLiteral("mnuFileRefresh"), 1023, QKeySequence(Qt::CTRL | Qt::Key_R));
    addSeparator(m_mnuFile, QStringLiteral("mnuFileBar5"));
    addMenuItem(m_mnuFile, QStringLiteral("mnuFileExit"), 1024);
    bar->addMenu(m_mnuFile);

    m_mnuEdit = topMenu(QStringLiteral("mnuEdit"), 1025);
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
    bar->addMenu(m_mnuEdit);

    m_mnuView = topMenu(QStringLiteral("mnuView"), 1036);
    QAction* viewToolbar = addMenuItem(m_mnuView, QStringLiteral("mnuViewToolbar"), 1037);
    viewToolbar->setCheckable(true);
    viewToolbar->setChecked(true);
    QAction* viewStatus = addMenuItem(m_mnuView, QStringLiteral("mnuViewStatusBar"), 1038);
    viewStatus->setCheckable(true);
    viewStatus->setChecked(true);
    addSeparator(m_mnuView, QStringLiteral("mnuViewBar0"));
    addMenuItem(m_mnuView, QStringLiteral("mnuViewWebBrowser"), 1040);
    bar->addMenu(m_mnuView);

    m_mnuTools = topMenu(QStringLiteral("mnuTools"), 1041);
    addMenuItem(m_mnuTools, QStringLiteral("mnuToolsOptions"), 1042);
    bar->addMenu(m_mnuTools);

    m_mnuWindow = topMenu(QStringLiteral("mnuWindow"), 1043);
    addMenuItem(m_mnuWindow, QStringLiteral("mnuWindowCascade"), 1044);
    addMenuItem(m_mnuWindow, QStringLiteral("mnuWindowTileHorizontal"), 1045);
    addMenuItem(m_mnuWindow, QStringLiteral("mnuWindowTileVertical"), 1046);
    bar->addMenu(m_mnuWindow);
    // The window list follows the arrange items, rebuilt each time it opens.
    connect(m_mnuWindow, &QMenu::aboutToShow, this, [this] {
        const auto old = m_mnuWindow->findChildren<QAction*>(QStringLiteral("windowListItem"));
        for (QAction* a : old) {
            m_mnuWindow->removeAction(a);
            a->deleteLater();
        }
        const auto windows = m_mdi->subWindowList(QMdiArea::CreationOrder);
        if (windows.isEmpty()) return;
        QAction* sep = m_mnuWindow->addSeparator();
        sep->setObjectName(QStringLiteral("windowListItem"));
        int n = 0;
        for (QMdiSubWindow* w : windows) {
            auto* item = new QAction(QStringLiteral("&%1 %2").arg(++n).arg(w->windowTitle()),
                                     m_mnuWindow);
            item->setObjectName(QStringLiteral("windowListItem"));
            item->setCheckable(true);
            item->setChecked(w == m_mdi->activeSubWindow());
            connect(item, &QAction::triggered, this, [this, w] { m_mdi->setActiveSubWindow(w); });
            m_mnuWindow->addAction(item);
        }
    });

    m_mnuHelp = topMenu(QStringLiteral("mnuHelp"), 1047);
    addMenuItem(m_mnuHelp, QStringLiteral("mnuHelpContents"), 1048);
    addSeparator(m_mnuHelp, QStringLiteral("mnuHelpBar0"));
    addMenuItem(m_mnuHelp, QStringLiteral("mnuHelpAbout"), 1049);
    bar->addMenu(m_mnuHelp);

    // Drag-and-drop popups; shown by the document windows, never in the bar.
    auto popup = [&](const QString& name, int id, std::initializer_list<std::pair<const char*, int>> items) {
        auto* menu = new QMenu(LoadResString(id), this);
        menu->setObjectName(name);
        menu->menuAction()->setObjectName(name);
        m_menuItems.insert(name, menu->menuAction());
        for (const auto& [itemName, itemId] : items)
            addMenuItem(menu, QString::fromLatin1(itemName), itemId);
    };
    popup(QStringLiteral("mnuCopyHolder"), 1138,
          {{"mnuCopyBefore", 1139}, {"mnuCopyAfter", 1140}, {"mnuCopyUnder", 1141},
           {"mnuCopyCancel", 1142}});
    popup(QStringLiteral("mnuMoveNodeHolder"), 1143,
          {{"mnuMoveBefore", 1144}, {"mnuMoveAfter", 1145}, {"mnuMoveUnder", 1146},
           {"mnuMoveCancel", 1147}});
}

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
    onKey(QStringLiteral("UpLevel"), [this] { upLevel(); });
    onKey(QStringLiteral("View Large Icons"), [this] { setListView(0); });
    onKey(QStringLiteral("View Small Icons"), [this] { setListView(1); });
    onKey(QStringLiteral("View List"), [this] { setListView(2); });
    onKey(QStringLiteral("View Details"), [this] { setListView(3); });

    const QString notYet = LoadResString(1054);
    for (const QString& name : unavailableItems()) {
        QAction* a = menuItem(name);
        a->setEnabled(false);
        a->setStatusTip(notYet);
    }
    for (const QString& key : unavailableButtons()) {
        QAction* a = toolbarButton(key);
        a->setEnabled(false);
        a->setStatusTip(notYet);
    }
}

// --- documents ------------------------------------------------------------

QMdiSubWindow* frmMain::addDocumentWindow(QWidget* documentWindow) {
    QMdiSubWindow* sub = m_mdi->addSubWindow(documentWindow);
    sub->setAttribute(Qt::WA_DeleteOnClose);
    // Roomy by default: three quarters of the frame, within it.
    const QSize area = m_mdi->viewport()->size();
    sub->resize(std::min(area.width(), std::max(640, area.width() * 3 / 4)),
                std::min(area.height(), std::max(420, area.height() * 3 / 4)));
    sub->setWindowIcon(documentWindow->windowIcon());
    return sub;
}

frmKMF* frmMain::activeDocument() const {
    QMdiSubWindow* sub = m_mdi->activeSubWindow();
    if (!sub) sub = m_mdi->currentSubWindow();
    return sub ? qobject_cast<frmKMF*>(sub->widget()) : nullptr;
}

QList<frmKMF*> frmMain::documents() const {
    QList<frmKMF*> list;
    for (QMdiSubWindow* sub : m_mdi->subWindowList(QMdiArea::CreationOrder))
        if (auto* doc = qobject_cast<frmKMF*>(sub->widget())) list << doc;
    return list;
}

void frmMain::documentLoaded() {
    ++keymora::OpenDocumentCount();
    ShowDocumentCommands();
}

void frmMain::documentUnloaded() {
    int& count = keymora::OpenDocumentCount();
    if (count > 0) --count;
    if (count == 0) {
        HideDocumentCommands();
        m_cmdOpenMRU->setEnabled(true);
        menuItem(QStringLiteral("mnuFileNew"))->setEnabled(true);
        menuItem(QStringLiteral("mnuFileOpen"))->setEnabled(true);
        toolbarButton(QStringLiteral("New"))->setEnabled(true);
        toolbarButton(QStringLiteral("Open"))->setEnabled(true);
        setStatusPanel(1, QString());
    }
}

int frmMain::OpenDocumentCount() const { return keymora::OpenDocumentCount(); }

bool frmMain::DocumentCommandsShown() const { return keymora::DocumentCommandsShown(); }

void frmMain::HideDocumentCommands() {
    for (const char* name :
         {"mnuEditBar01", "mnuFileClose", "mnuFileImport", "mnuFileChangePassword", "mnuFileSave",
          "mnuFileSaveAll", "mnuFileSaveAs", "mnuFileRefresh", "mnuFileMarkShared",
          "mnuFileMergeDocument", "mnuFileBar0", "mnuFileBar3", "mnuEdit", "mnuWindow",
          "mnuAddItem", "mnuEditAddItem"})
        menuItem(QString::fromLatin1(name))->setVisible(false);
    HideListToolBarButtons();
    for (const char* key : {"Save", "Refresh", "Unlock Password", "Find", "Find Close",
                            "Sort Asc", "Sort Desc", "refresh find separator",
                            "find cut separator", "paste delete separator",
                            "delete sort asc separator", "sort desc unlock separator"})
        toolbarButton(QString::fromLatin1(key))->setVisible(false);
    toolbarButton(QStringLiteral("Delete"))->setEnabled(false);
    toolbarButton(QStringLiteral("UpLevel"))->setEnabled(false);
    keymora::DocumentCommandsShown() = false;
}

void frmMain::ShowDocumentCommands() {
    if (keymora::DocumentCommandsShown()) return;
    for (const char* name : {"mnuEditBar01", "mnuFileClose", "mnuFileImport",
                             "mnuFileChangePassword", "mnuFileSave", "mnuFileSaveAll",
                             "mnuFileSaveAs", "mnuFileRefresh", "mnuFileMergeDocument",
                             "mnuFileMarkShared", "mnuFileBar0", "mnuFileBar3", "mnuEdit",
                             "mnuAddItem", "mnuWindow"})
        menuItem(QString::fromLatin1(name))->setVisible(true);
    menuItem(QStringLiteral("mnuFileNew"))->setEnabled(true);
    menuItem(QStringLiteral("mnuFileOpen"))->setEnabled(true);
    for (const char* key : {"Save", "Unlock Password", "Find", "Sort Asc", "Sort Desc",
                            "refresh find separator", "paste delete separator",
                            "delete sort asc separator", "sort desc unlock separator"})
        toolbarButton(QString::fromLatin1(key))->setVisible(true);
    toolbarButton(QStringLiteral("find cut separator"))->setVisible(false);
    setButtonEnabled(QStringLiteral("Delete"), true);
    keymora::DocumentCommandsShown() = true;
}

void frmMain::HideListToolBarButtons() {
    for (const char* key : {"View Large Icons", "View Small Icons", "View List", "View Details"})
        toolbarButton(QString::fromLatin1(key))->setEnabled(false);
}

void frmMain::ShowListToolBarButtons() {
    toolbarButton(QStringLiteral("listseparator"))->setEnabled(true);
    for (const char* key : {"View Large Icons", "View Small Icons", "View List", "View Details"})
        setButtonEnabled(QString::fromLatin1(key), true);
}

void frmMain::setButtonEnabled(const QString& key, bool enabled) {
    toolbarButton(key)->setEnabled(enabled && !unavailableButtons().contains(key));
}

// --- edit menu --------------------------------------------------------------

namespace {
QString quoted(const QString& name) { return QLatin1Char('"') + name + QLatin1Char('"'); }
}  // namespace

void frmMain::SetCategoryEditMenu(const QString& name) {
    auto item = [this](const char* n) { return menuItem(QString::fromLatin1(n)); };
    const QString q = quoted(name);
    item("mnuAddItem")->setVisible(true);
    item("mnuAddItem")->setText(LoadResString(1026) + QStringLiteral(" to ") + q);
    item("mnuEditAddItem")->setVisible(false);
    item("mnuEditAddItemAbove")->setVisible(false);
    item("mnuAddCategory")->setVisible(true);
    item("mnuAddSubCategory")->setVisible(true);
    showCommonEditItems(q);
}

void frmMain::SetSubCategoryEditMenu(const QString& name) {
    auto item = [this](const char* n) { return menuItem(QString::fromLatin1(n)); };
    const QString q = quoted(name);
    item("mnuAddItem")->setVisible(true);
    item("mnuAddItem")->setText(LoadResString(1026) + QStringLiteral(" to ") + q);
    item("mnuEditAddItem")->setVisible(false);
    item("mnuEditAddItemAbove")->setVisible(false);
    item("mnuAddCategory")->setVisible(false);
    item("mnuAddSubCategory")->setVisible(true);
    item("mnuAddSubCategory")->setText(LoadResString(1031) + QStringLiteral(" to ") + q);
    showCommonEditItems(q);
}

void frmMain::SetEntryEditMenu(const QString& name) {
    auto item = [this](const char* n) { return menuItem(QString::fromLatin1(n)); };
    const QString q = quoted(name);
    item("mnuAddItem")->setVisible(false);
    item("mnuEditAddItem")->setVisible(true);
    item("mnuEditAddItemAbove")->setVisible(true);
    item("mnuEditAddItemAbove")->setText(LoadResString(1027) + QLatin1Char(' ') + q);
    item("mnuEditAddItemBelow")->setVisible(true);
    item("mnuEditAddItemBelow")->setText(LoadResString(1028) + QLatin1Char(' ') + q);
    item("mnuAddCategory")->setVisible(false);
    item("mnuAddSubCategory")->setVisible(false);
    showCommonEditItems(q);
}

void frmMain::showCommonEditItems(const QString& quotedName) {
    menuItem(QStringLiteral("mnuEdit"))->setVisible(true);
    for (const char* n : {"mnuEditEditLabels", "mnuEditLabelSep", "mnuEditBar01", "mnuDeleteItem",
                          "mnuEditBar00", "mnuEditSortAsc", "mnuEditSortDesc", "mnuEditBar0",
                          "mnuEditCancel"})
        menuItem(QString::fromLatin1(n))->setVisible(true);
    menuItem(QStringLiteral("mnuDeleteItem"))
        ->setText(ReplacePlaceholder(LoadResString(1032), QStringLiteral("item"), quotedName));
}

QAction* frmMain::menuItem(const QString& name) const {
    QAction* a = m_menuItems.value(name);
    Q_ASSERT_X(a, "frmMain::menuItem", qPrintable(name));
    return a;
}

QAction* frmMain::toolbarButton(const QString& key) const {
    QAction* a = m_toolButtons.value(key);
    Q_ASSERT_X(a, "frmMain::toolbarButton", qPrintable(key));
    return a;
}

QStringList frmMain::toolbarKeys() const { return m_toolKeys; }

void frmMain::setStatusPanel(int panel, const QString& text) {
    if (panel >= 1 && panel <= m_statusPanels.size()) m_statusPanels[panel - 1]->setText(text);
}

QString frmMain::statusPanel(int panel) const {
    if (panel >= 1 && panel <= m_statusPanels.size()) return m_statusPanels[panel - 1]->text();
    return {};
}

// --- recent files -------------------------------------------------------------

void frmMain::AddToMRU(const QString& fileName) {
    clsReg reg;
    const std::string name = fileName.toStdString();
    const int n = mruCount(reg);
    if (n == 0) {
        reg.WriteString(RegRoot::CurrentUser, kMruKey, "MRUNumber", "1");
        reg.WriteString(RegRoot::CurrentUser, kMruKey, "File1", name);
        return;
    }
    int p = 0;
    for (int i = 1; i <= n; ++i) {
        if (reg.ReadString(RegRoot::CurrentUser, kMruKey, fileValueName(i), "") == name) {
            p = i;
            break;
        }
    }
    if (p == 0) {
        reg.WriteString(RegRoot::CurrentUser, kMruKey, fileValueName(n + 1), name);
        reg.WriteString(RegRoot::CurrentUser, kMruKey, "MRUNumber", std::to_string(n + 1));
        p = n + 1;
    }
    for (int i = p - 1; i >= 1; --i)
        reg.WriteString(RegRoot::CurrentUser, kMruKey, fileValueName(i + 1),
                        reg.ReadString(RegRoot::CurrentUser, kMruKey, fileValueName(i), ""));
    reg.WriteString(RegRoot::CurrentUser, kMruKey, "File1", name);
}

void frmMain::RefreshMRUList() {
    const clsReg reg;
    const int n = mruCount(reg);
    m_cboMRU->clear();
    for (int i = 1; i <= n; ++i)
        m_cboMRU->addItem(QString::fromStdString(
            reg.ReadString(RegRoot::CurrentUser, kMruKey, fileValueName(i), "")));
    m_cboMRU->setCurrentIndex(-1);
    m_cboMRU->setEditText(QString());
    m_cboMRU->lineEdit()->setPlaceholderText(LoadResString(1052));
}

void frmMain::cmdOpenMRU_Click() {
    const QString text = m_cboMRU->currentText();
    if (text.isEmpty()) return;
    if (OpenDataFile(*this, text)) {
        AddToMRU(text);
        RefreshMRUList();
    }
}

// --- commands ------------------------------------------------------------------

void frmMain::mnuFileSave_Click() { SaveCommand(*this); }

void frmMain::viewToolbarToggled(bool checked) { m_toolBar->setVisible(checked); }

void frmMain::viewStatusBarToggled(bool checked) { statusBar()->setVisible(checked); }

void frmMain::toolsOptions() {
    frmOptions dialog(this);
    dialog.exec();
}

void frmMain::changePassword() {
    frmKMF* doc = activeDocument();
    if (!doc) return;
    LoginRequest request;
    request.instructions = LoadResString(1218);
    request.confirm = true;
    request.userLabel = LoadResString(1219);
    request.passwordLabel = LoadResString(1220);
    std::optional<Credentials> answer = Prompt::current().credentials(request);
    if (!answer) return;
    std::string user = credentials::TrimBlanks(answer->userId.toStdString());
    std::string password = credentials::TrimBlanks(answer->password.toStdString());
    secureWipe(doc->gsUserID);
    secureWipe(doc->gsUserPassword);
    doc->gsUserID = std::move(user);
    doc->gsUserPassword = std::move(password);
    answer->password.fill(QChar(0));
    doc->MarkDocumentDirty();
}

void frmMain::unlockPassword() {
    frmKMF* doc = activeDocument();
    if (!doc) return;
    const int timeout = options::FormDisplayTimeout(clsReg());
    // A timeout under a second would give a negative interval; hide at once then.
    doc->revealPassword(timeout > 1000 ? timeout - 1000 : 0);
}

void frmMain::createPassword() {
    frmGeneratePassword generator(this);
    generator.exec();
    if (!generator.accepted()) return;
    cClipBoard::Clear();
    cClipBoard::SetText(generator.sGeneratedPassword, true);
    QString text = ReplacePlaceholder(LoadResString(sid::NewPasswordText),
                                      QStringLiteral("newpassword"), generator.sGeneratedPassword);
    Prompt::current().message(text, LoadResString(sid::NewPasswordTitle), MsgIcon::Information,
                              MsgButtons::Ok);
    text.fill(QChar(0));
}

void frmMain::upLevel() {
    frmKMF* doc = activeDocument();
    if (!doc) return;
    const pugi::xml_node element = doc->selectedTreeElement();
    if (!element) return;
    const pugi::xml_node parent = element.parent();
    if (!IsTreeNode(parent)) return;
    doc->NodeClick(parent.attribute("id").value());
}

void frmMain::setListView(int mode) {
    frmKMF* doc = activeDocument();
    if (!doc) return;
    pugi::xml_node element = doc->selectedTreeElement();
    if (!element) return;
    doc->setListViewMode(mode);
    pugi::xml_attribute attr = element.attribute("listview");
    if (!attr) attr = element.append_attribute("listview");
    attr.set_value(mode);
    showListMode(doc);
}

void frmMain::showListMode(frmKMF* doc) {
    static const char* const keys[] = {"View Large Icons", "View Small Icons", "View List",
                                       "View Details"};
    const int mode = doc ? doc->listViewMode() : -1;
    for (int i = 0; i < 4; ++i) toolbarButton(QString::fromLatin1(keys[i]))->setChecked(i == mode);
}

namespace {

// The text a node shows in the tree: a container's name, an entry's first field.
QString nodeText(pugi::xml_node element) {
    if (KindOf(element) == NodeKind::Entry)
        return QString::fromUtf8(element.first_child().text().get());
    return QString::fromUtf8(element.attribute("value").value());
}

// Rebuilds the document's tree after a change of shape and selects a node.
void reloadAndSelect(frmKMF& doc, const std::string& id) {
    doc.clearTree();
    doc.ParseAndLoadXMLFile();
    if (!id.empty()) doc.NodeClick(id);
}

}  // namespace

void frmMain::sortLevel(bool ascending) {
    frmKMF* doc = activeDocument();
    if (!doc) return;
    const std::string id = doc->selectedTreeNodeId();
    if (id.empty()) return;
    const EditResult result = SortTreeLevel(
        doc->XMLDoc(), id, ascending ? SortDirection::Ascending : SortDirection::Descending);
    if (!result.ok()) return;
    reloadAndSelect(*doc, id);
    doc->MarkDocumentDirty();
}

void frmMain::deleteItem() {
    frmKMF* doc = activeDocument();
    if (!doc) return;
    const std::string id = doc->GUIDSelected.empty() ? doc->selectedTreeNodeId() : doc->GUIDSelected;
    if (id.empty()) return;
    const pugi::xml_node element = doc->XMLDoc().nodeById(id);
    if (!element) return;
    if (options::ConfirmEntryDeletes(clsReg())) {
        const QString question = ReplacePlaceholder(LoadResString(1148), QStringLiteral("entry text"),
                                                    nodeText(element));
        if (Prompt::current().message(question, LoadResString(1149), MsgIcon::None,
                                      MsgButtons::YesNo) != MsgAnswer::Yes)
            return;
    }
    const EditResult result = DeleteNode(doc->XMLDoc(), id);
    if (!result.ok()) return;
    doc->GUIDSelected.clear();
    reloadAndSelect(*doc, result.parentId);
    if (!result.parentId.empty()) setStatusPanel(1, QString::fromStdString(result.parentName));
    doc->MarkDocumentDirty();
}

void frmMain::addCategory() {
    frmKMF* doc = activeDocument();
    if (!doc) return;
    const EditResult result = AddCategory(doc->XMLDoc());
    if (!result.ok()) return;
    reloadAndSelect(*doc, result.id);
    doc->MarkDocumentDirty();
}

void frmMain::addSubCategory() {
    frmKMF* doc = activeDocument();
    if (!doc) return;
    const std::string id = doc->selectedTreeNodeId();
    if (id.empty() || doc->selectedTreeNodeKind() == NodeKind::Entry) return;
    const EditResult result = AddSubCategory(doc->XMLDoc(), id);
    if (!result.ok()) return;
    reloadAndSelect(*doc, result.id);
    doc->MarkDocumentDirty();
}

void frmMain::tileWindows(Qt::Orientation orientation) {
    const auto windows = m_mdi->subWindowList(QMdiArea::StackingOrder);
    QList<QMdiSubWindow*> visible;
    for (QMdiSubWindow* w : windows)
        if (w->isVisible() && !w->isMinimized()) visible << w;
    if (visible.isEmpty()) return;
    const QRect area = m_mdi->viewport()->rect();
    const int n = static_cast<int>(visible.size());
    for (int i = 0; i < n; ++i) {
        QMdiSubWindow* w = visible[i];
        w->showNormal();
        if (orientation == Qt::Vertical) {
            // One above the other, full width.
            const int h = area.height() / n;
            w->setGeometry(area.x(), area.y() + i * h, area.width(),
                           i == n - 1 ? area.height() - i * h : h);
        } else {
            const int wd = area.width() / n;
            w->setGeometry(area.x() + i * wd, area.y(), i == n - 1 ? area.width() - i * wd : wd,
                           area.height());
        }
    }
}

// --- placement and window state ----------------------------------------------

void frmMain::RestoreWindowPlacement() {
    const options::WindowPlacement placement = options::MainWindowPlacement(clsReg());
    const int state = placement.state;
    QRect rect(placement.left / kTwipsPerPixel, placement.top / kTwipsPerPixel,
               std::max(1, placement.width / kTwipsPerPixel),
               std::max(1, placement.height / kTwipsPerPixel));
    // A window closed while minimised may have been recorded far off screen:
    // bring it back to the default place rather than show it nowhere.
    bool onScreen = false;
    for (QScreen* screen : QGuiApplication::screens())
        if (screen->availableGeometry().intersects(rect)) onScreen = true;
    if (!onScreen && !QGuiApplication::screens().isEmpty())
        rect = QRect(1000 / kTwipsPerPixel, 1000 / kTwipsPerPixel, 6500 / kTwipsPerPixel,
                     6500 / kTwipsPerPixel);
    setGeometry(rect);
    switch (state) {
    case 1: setWindowState(Qt::WindowMinimized); break;
    case 2: setWindowState(Qt::WindowMaximized); break;
    default: setWindowState(Qt::WindowNoState); break;
    }
}

void frmMain::SaveWindowPlacement() {
    const QRect r = (windowState() & (Qt::WindowMinimized | Qt::WindowMaximized)) ? normalGeometry()
                                                                                   : geometry();
    options::WindowPlacement placement;
    placement.left = r.x() * kTwipsPerPixel;
    placement.top = r.y() * kTwipsPerPixel;
    placement.width = r.width() * kTwipsPerPixel;
    placement.height = r.height() * kTwipsPerPixel;
    placement.state = 0;
    if (windowState() & Qt::WindowMinimized)
        placement.state = 1;
    else if (windowState() & Qt::WindowMaximized)
        placement.state = 2;
    clsReg reg;
    options::SetMainWindowPlacement(reg, placement);
}

void frmMain::notifyLockTimers() {
    const bool minimised = windowState() & Qt::WindowMinimized;
    for (frmKMF* doc : documents()) {
        if (minimised)
            doc->SetTimeToLockTimer();
        else
            doc->stopLockTimer();
    }
    if (minimised)
        emit armLockTimers();
    else
        emit disarmLockTimers();
}

void frmMain::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange) notifyLockTimers();
}

void frmMain::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    if (!(windowState() & Qt::WindowMinimized)) notifyLockTimers();
}

void frmMain::closeEvent(QCloseEvent* event) {
    m_canShutDown = true;
    const bool allClosed = CloseAllForExit(*this);
    SaveWindowPlacement();
    if (!allClosed || !m_canShutDown) {
        event->ignore();
        return;
    }
    event->accept();
}

void frmMain::onSubWindowActivated(QMdiSubWindow* window) {
    frmKMF* doc = window ? qobject_cast<frmKMF*>(window->widget()) : nullptr;
    showListMode(doc);
    emit activeDocumentChanged(doc);
}

}  // namespace keymora
