#pragma once
// Right-click, the context-menu key and the item keys of a tree or list view,
// turned into requests the document window acts on.
#include <QModelIndex>
#include <QObject>
#include <QPoint>

class QAbstractItemView;

namespace keymora {

class ItemViewInput : public QObject {
    Q_OBJECT
public:
    explicit ItemViewInput(QAbstractItemView* view);

signals:
    // index is invalid on empty space; globalPos is where the menu goes.
    void popupRequested(const QModelIndex& index, const QPoint& globalPos);
    void deletePressed();
    void renamePressed();
    void openPressed(const QModelIndex& index);
    void emptySpaceDoubleClicked();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool keyPressed(int key);
    bool editorOpen() const;

    QAbstractItemView* m_view;
};

}  // namespace keymora
