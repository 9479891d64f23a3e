#pragma once
// The right-hand list of a document window: the children of one category or
// sub-category, in the details view or as icons, sorted by a clicked column.
// The view mode and the sort are stored on the listed node (not as edits).
// With nothing listed only the instructions are shown.
#include <QWidget>

#include <pugixml.hpp>

class QAbstractItemView;
class QListView;
class QModelIndex;
class QPlainTextEdit;
class QTreeView;

namespace keymora {

class DocListModel;
class DocumentSession;

class ListPane : public QWidget {
    Q_OBJECT
public:
    ListPane(DocumentSession& session, QWidget* parent);

    QTreeView* detailsView() const { return m_details; }
    QAbstractItemView* shownView() const;
    DocListModel* listModel() const { return m_model; }

    // Lists the container's children with its stored view mode and sort; an
    // empty node lists nothing. The same container is not listed again.
    void LoadListView(pugi::xml_node container);
    pugi::xml_node listedNode() const;
    int rowCount() const;

    // 0 large icons, 1 small icons, 2 list, 3 details.
    void setListViewMode(int mode);
    int listViewMode() const { return m_mode; }

signals:
    void itemClicked(pugi::xml_node node);
    void itemDoubleClicked(pugi::xml_node node);
    void rowCountChanged();
    // Right-click or the menu key; node is empty on empty space.
    void popupRequested(pugi::xml_node node, const QPoint& globalPos);
    // The Delete key on a selected item.
    void deleteRequested(pugi::xml_node node);
    void emptySpaceDoubleClicked();

private:
    void buildViews();
    void applyListSettings(pugi::xml_node node);
    void applyColumnWidths(pugi::xml_node node);
    void showSortIndicator(int column, Qt::SortOrder order);
    void onHeaderClicked(int section);
    void onItem(const QModelIndex& index, bool doubleClick);
    void showViews();
    void watchInput(QAbstractItemView* view);

    DocumentSession& m_session;
    DocListModel* m_model = nullptr;
    QPlainTextEdit* m_instructions = nullptr;
    QTreeView* m_details = nullptr;
    QListView* m_icons = nullptr;
    int m_mode = 0;
    bool m_sortDescending = false;
};

}  // namespace keymora
