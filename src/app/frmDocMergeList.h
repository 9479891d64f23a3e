#pragma once
// The list of data files to merge into the active document, and the Merge
// command that runs through it.
#include <QDialog>
#include <QStringList>

class QListWidget;
class QPushButton;

namespace keymora {

class frmKMF;

class frmDocMergeList : public QDialog {
    Q_OBJECT
public:
    explicit frmDocMergeList(QWidget* parent = nullptr);

    // "Add File": one or several files from the open dialog, at the end of the list.
    void cmdAddFile_Click();
    QStringList files() const;
    bool mergeChosen() const { return m_merge; }
    QPushButton* mergeButton() const { return m_mergeButton; }

private:
    QListWidget* m_list = nullptr;
    QPushButton* m_mergeButton = nullptr;
    bool m_merge = false;
};

// Merge From Other Document on the window: each listed file in turn, each
// unlocked with its own credentials; a source that fails brings nothing and
// the next one still runs.
void MergeCommand(frmKMF& window);

}  // namespace keymora
