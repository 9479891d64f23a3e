#include "app/frmMain.h"

#include <QAction>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QScreen>
#include <QToolButton>

#include <algorithm>

#include "app/DocumentLifecycle.h"
#include "app/MainWindowCommands.h"
#include "app/ModMain.h"
#include "docwindow/NodeSelection.h"
#include "docwindow/frmKMF.h"
#include "document/NodeKind.h"
#include "session/DocumentSession.h"
#include "support/ClsReg.h"
#include "support/Options.h"
#include "ui/Icons.h"
#include "ui/StringTable.h"

namespace keymora {

namespace {

frmMain* g_instance = nullptr;

constexpr int kTwipsPerPixel = 15;

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

    connect(&frmKMF::events(), &DocumentWindowEvents::opened, this, &frmMain::connectDocument);

    // Loading: captions, tips, placement, then the no-document state.
    ApplyResourceCaptions(this);
    SetToolbarTips();
    RestoreWindowPlacement();
    ShowDocumentCommands();
    HideDocumentCommands();
}

void frmMain::connectDocument(frmKMF* doc) {
    if (!doc) return;
    // The edit menu waits for a node to be selected.
    m_mnuEdit->menuAction()->setVisible(false);
    // Only the active document's selection names the Edit menu.
    connect(doc, &frmKMF::selectionChanged, this, [this, doc](NodeKind kind, const QString& name) {
        if (doc == activeDocument()) showEditMenuFor(kind, name);
    });
    connect(doc, &frmKMF::mainStatusText, this,
            [this](const QString& text) { setStatusPanel(1, text); });
    // A window behind the active one does not set the buttons.
    auto button = [this, doc](const char* key) {
        return [this, doc, key](bool on) {
            if (doc == activeDocument()) setButtonEnabled(QString::fromLatin1(key), on);
        };
    };
    connect(doc, &frmKMF::unlockPasswordEnabled, this, button("Unlock Password"));
    connect(doc, &frmKMF::upLevelEnabled, this, button("UpLevel"));
    connect(doc, &frmKMF::deleteEnabled, this, button("Delete"));
    connect(doc, &frmKMF::searchResultsShown, this, [this, doc] {
        if (doc == activeDocument()) showSearchState(doc);
    });
    connect(doc, &frmKMF::searchHitShown, this, [this](const QString& id, int position) {
        setStatusPanel(1, id);
        setStatusPanel(2, QString::number(position));
    });
    connect(doc, &frmKMF::accessChanged, this, [this, doc] {
        if (doc == activeDocument()) showFileCommandsOf(doc);
    });
    connect(doc, &frmKMF::listToolbarButtonsShown, this, [this, doc](bool shown) {
        if (doc != activeDocument()) return;
        showListMode(doc);
        if (shown)
            ShowListToolBarButtons();
        else
            HideListToolBarButtons();
    });
}

frmMain::~frmMain() {
    // Children still go away after this body, emitting as they do; nothing
    // of this window may answer them by then.
    m_mdi->disconnect(this);
    frmKMF::events().disconnect(this);
    for (frmKMF* doc : documents()) doc->disconnect(this);
    if (g_instance == this) g_instance = nullptr;
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
    // The document-open state enables Delete; the active window's own state decides.
    applyActivationRules(activeDocument());
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
    for (const char* key : {"Save", "Refresh", "Unlock Password", "Find", "Sort Asc", "Sort Desc",
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

// A shared file stays shared, and a read-only one cannot be changed at all.
void frmMain::showFileCommandsOf(frmKMF* doc) {
    const bool markable = doc != nullptr && !doc->session().closed() && !doc->session().readOnly() &&
                          !doc->session().sharedFile();
    menuItem(QStringLiteral("mnuFileMarkShared"))->setEnabled(markable);
}

void frmMain::setButtonEnabled(const QString& key, bool enabled) {
    toolbarButton(key)->setEnabled(enabled && !mainwindow::unavailableButtons().contains(key));
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

// The buttons that follow the active document: Refresh for a file open read
// only (Save then does nothing), Delete while it has a selected node.
void frmMain::applyActivationRules(frmKMF* doc) {
    if (!doc || doc->session().closed()) {
        toolbarButton(QStringLiteral("Refresh"))->setVisible(false);
        return;
    }
    const bool readOnly = doc->session().readOnly();
    toolbarButton(QStringLiteral("Refresh"))->setVisible(readOnly);
    setButtonEnabled(QStringLiteral("Save"), !readOnly);
    const bool selected = static_cast<bool>(doc->selection().current());
    setButtonEnabled(QStringLiteral("Delete"), selected);
    toolbarButton(QStringLiteral("delete sort asc separator"))->setEnabled(selected);
    setButtonEnabled(QStringLiteral("UpLevel"), selected && IsTreeNode(doc->selection().current().parent()));
    setButtonEnabled(QStringLiteral("Unlock Password"), doc->entryPaneVisible());
    if (selected && !doc->entryPaneVisible())
        ShowListToolBarButtons();
    else
        HideListToolBarButtons();
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
    applyActivationRules(doc);
    showListMode(doc);
    showEditMenuOf(doc);
    showSearchState(doc);
    showFileCommandsOf(doc);
    emit activeDocumentChanged(doc);
}

}  // namespace keymora
