#pragma once
// The import dialog: the rows of a comma-separated file in a preview grid,
// and the button that adds them to a document as a new category.
#include <QDialog>

#include <memory>
#include <string>

#include "document/CsvImport.h"

class QLabel;
class QPushButton;
class QTableView;

namespace keymora {

class frmKMF;
class ImportPreviewModel;

class frmImport : public QDialog {
    Q_OBJECT
public:
    explicit frmImport(QWidget* parent = nullptr);
    ~frmImport() override;

    // Reads the file into the preview; false when it is not a readable table.
    bool load(const QString& path);
    void setTarget(frmKMF* window) { m_target = window; }

    bool imported() const { return m_imported; }
    const std::string& categoryId() const { return m_categoryId; }
    QTableView* grid() const { return m_grid; }
    QPushButton* importButton() const { return m_import; }

private:
    void cmdImport_Click();

    csvimport::CsvTable m_table;
    frmKMF* m_target = nullptr;
    bool m_loaded = false;
    bool m_imported = false;
    std::string m_categoryId;
    QLabel* m_fileName = nullptr;
    QTableView* m_grid = nullptr;
    ImportPreviewModel* m_preview = nullptr;
    QPushButton* m_import = nullptr;
};

// The Import command on a document window: choose the file, preview, import,
// then select the new category.
void ImportCommand(frmKMF& window);

}  // namespace keymora
