// Window, View and Tools menu commands: arranging the document windows, the
// window list, the toolbar and status bar toggles, the options dialog.
#include "app/frmMain.h"

#include <QAction>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QStatusBar>
#include <QToolBar>

#include "app/frmOptions.h"
#include "docwindow/frmKMF.h"

namespace keymora {

void frmMain::viewToolbarToggled(bool checked) { m_toolBar->setVisible(checked); }

void frmMain::viewStatusBarToggled(bool checked) { statusBar()->setVisible(checked); }

void frmMain::toolsOptions() {
    frmOptions dialog(this);
    dialog.exec();
    for (QMdiSubWindow* sub : m_mdi->subWindowList())
        if (auto* window = qobject_cast<frmKMF*>(sub->widget())) window->readOptions();
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

void frmMain::rebuildWindowList() {
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
}

}  // namespace keymora
