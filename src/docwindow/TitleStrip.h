#pragma once
// The two coloured labels over the panes: the kind of file over the tree and
// the access over the list, green while the file can be written, red while it
// is read only. A text wider than its label is shortened; the tooltip keeps it.
#include <QObject>
#include <QString>

#include "session/DocumentSession.h"

class QLabel;

namespace keymora {

class TitleStrip : public QObject {
    Q_OBJECT
public:
    TitleStrip(QLabel* kind, QLabel* access, QObject* parent);

    // A file held by this program shows its kind and access; a new or
    // unlocked file shows nothing.
    void showAccess(AccessMode access);
    QString text(int index) const;  // 0 kind of file, 1 access

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void fit();

    QLabel* m_labels[2];
    QString m_text[2];
};

}  // namespace keymora
