#pragma once
// Real mouse clicks on the rows of item views, found by their text.
#include <QAbstractItemView>
#include <QTest>

namespace keymora::test {

// The row of the view whose text is `name`, searched at any depth.
inline QModelIndex findRow(QAbstractItemView* view, const QString& name) {
    const QModelIndexList hits = view->model()->match(view->model()->index(0, 0), Qt::DisplayRole, name, 1,
                                                      Qt::MatchExactly | Qt::MatchRecursive);
    return hits.isEmpty() ? QModelIndex() : hits.first();
}

// False when no row shows the name.
inline bool clickRow(QAbstractItemView* view, const QString& name, bool doubleClick = false) {
    const QModelIndex index = findRow(view, name);
    if (!index.isValid()) return false;
    view->scrollTo(index);
    const QPoint at = view->visualRect(index).center();
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, at);
    if (doubleClick) QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, at);
    QTest::qWait(20);
    return true;
}

// The texts of the view's top rows (column 0), in order.
inline QStringList rowTexts(QAbstractItemView* view, const QModelIndex& parent = {}) {
    QStringList texts;
    for (int r = 0; r < view->model()->rowCount(parent); ++r)
        texts << view->model()->index(r, 0, parent).data().toString();
    return texts;
}

}  // namespace keymora::test
