// File commands of the main window: save, and the recent-files list (whose
// rules live in support/RecentFiles).
#include "app/frmMain.h"

#include <QComboBox>
#include <QLineEdit>

#include "app/DocumentLifecycle.h"
#include "support/RecentFiles.h"
#include "ui/StringTable.h"

namespace keymora {

void frmMain::mnuFileSave_Click() { SaveCommand(*this); }

// --- recent files -------------------------------------------------------------

void frmMain::AddToMRU(const QString& fileName) { recentfiles::AddToMRU(fileName.toStdString()); }

void frmMain::RefreshMRUList() {
    m_cboMRU->clear();
    for (const std::string& name : recentfiles::List())
        m_cboMRU->addItem(QString::fromStdString(name));
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

}  // namespace keymora
