// The Edit menu (also the tree's popup) set up for the selected node's kind,
// its items naming the node they act on.
#include "app/frmMain.h"

#include <QAction>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>

#include "docwindow/NodeSelection.h"
#include "docwindow/frmKMF.h"
#include "ui/StringTable.h"

namespace keymora {

namespace {
QString quoted(const QString& name) { return QLatin1Char('"') + name + QLatin1Char('"'); }
}  // namespace

// Categories and sub-categories take entries and sub-categories; the add items
// name the node they add to (a caption left from an earlier selection would
// name a node that is no longer selected).
void frmMain::setContainerEditMenu(const QString& name, bool category) {
    auto item = [this](const char* n) { return menuItem(QString::fromLatin1(n)); };
    const QString q = quoted(name);
    item("mnuAddItem")->setVisible(true);
    item("mnuAddItem")->setText(LoadResString(1026) + QStringLiteral(" to ") + q);
    item("mnuEditAddItem")->setVisible(false);
    item("mnuEditAddItemAbove")->setVisible(false);
    item("mnuAddCategory")->setVisible(category);
    item("mnuAddSubCategory")->setVisible(true);
    item("mnuAddSubCategory")->setText(LoadResString(1031) + QStringLiteral(" to ") + q);
    showCommonEditItems(q);
}

void frmMain::SetCategoryEditMenu(const QString& name) { setContainerEditMenu(name, true); }

void frmMain::SetSubCategoryEditMenu(const QString& name) { setContainerEditMenu(name, false); }

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

void frmMain::showEditMenuFor(NodeKind kind, const QString& name) {
    switch (kind) {
    case NodeKind::Category: SetCategoryEditMenu(name); break;
    case NodeKind::SubCategory: SetSubCategoryEditMenu(name); break;
    case NodeKind::Entry: SetEntryEditMenu(name); break;
    case NodeKind::None: m_mnuEdit->menuAction()->setVisible(false); break;
    }
}

void frmMain::showEditMenuOf(frmKMF* doc) {
    if (doc == nullptr) {
        m_mnuEdit->menuAction()->setVisible(false);
        return;
    }
    showEditMenuFor(doc->selection().currentKind(), doc->selection().currentName());
}

void frmMain::popupEditMenu(frmKMF& doc, const QPoint& globalPos) {
    if (doc.displayLocked()) return;
    // The commands act on the active document: the one the menu is for.
    for (QMdiSubWindow* sub : m_mdi->subWindowList())
        if (sub->widget() == &doc && sub != m_mdi->activeSubWindow()) m_mdi->setActiveSubWindow(sub);
    if (doc.selection().currentKind() == NodeKind::None) {
        // Nothing selected: a file without categories can still get one.
        for (QAction* a : m_mnuEdit->actions()) a->setVisible(false);
        menuItem(QStringLiteral("mnuAddCategory"))->setVisible(true);
    } else {
        showEditMenuOf(&doc);
    }
    m_mnuEdit->popup(globalPos);
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

}  // namespace keymora
