#include "app/frmImport.h"

#include <QAbstractTableModel>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

#include <array>

#include "app/DocumentLifecycle.h"
#include "docwindow/frmKMF.h"
#include "session/DocumentSession.h"
#include "ui/Prompt.h"
#include "ui/StringTable.h"
#include "ui/frmProgress.h"

namespace keymora {

// The grid shows a column only when the file's header names it; the import
// itself takes the fields by position.
class ImportPreviewModel : public QAbstractTableModel {
public:
    ImportPreviewModel(const csvimport::CsvTable& table, QObject* parent)
        : QAbstractTableModel(parent), m_table(table) {}

    void reset() {
        beginResetModel();
        m_source.fill(-1);
        for (int c = 0; c < 5; ++c)
            for (std::size_t h = 0; h < m_table.header.size() && h < 5; ++h)
                if (QString::fromStdString(m_table.header[h]).trimmed().compare(
                        QLatin1String(csvimport::kColumnNames[c]), Qt::CaseInsensitive) == 0) {
                    m_source[static_cast<std::size_t>(c)] = static_cast<int>(h);
                    break;
                }
        endResetModel();
    }
    int rowCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : static_cast<int>(m_table.records.size());
    }
    int columnCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : 5; }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
        if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < 5)
            return QString::fromLatin1(csvimport::kColumnNames[section]);
        return QAbstractTableModel::headerData(section, orientation, role);
    }
    QVariant data(const QModelIndex& index, int role) const override {
        if (role != Qt::DisplayRole || !checkIndex(index, CheckIndexOption::IndexIsValid)) return {};
        const int field = m_source[static_cast<std::size_t>(index.column())];
        if (field < 0) return QString();
        const csvimport::CsvRecord& r = m_table.records[static_cast<std::size_t>(index.row())];
        const std::array<const std::string*, 5> fields = {&r.account, &r.login, &r.password,
                                                          &r.webSite, &r.comments};
        return QString::fromStdString(*fields[static_cast<std::size_t>(field)]);
    }

private:
    const csvimport::CsvTable& m_table;
    std::array<int, 5> m_source{-1, -1, -1, -1, -1};  // header position shown in each column
};

frmImport::frmImport(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmImport"));
    setWindowTitle(QStringLiteral("Import From..."));
    auto* layout = new QVBoxLayout(this);
    m_fileName = new QLabel(this);
    m_fileName->setObjectName(QStringLiteral("lblFileName"));
    m_fileName->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(m_fileName);
    m_preview = new ImportPreviewModel(m_table, this);
    m_grid = new QTableView(this);
    m_grid->setObjectName(QStringLiteral("DBGrid1"));
    m_grid->setModel(m_preview);
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grid->verticalHeader()->setDefaultSectionSize(m_grid->fontMetrics().height() + 6);
    m_grid->horizontalHeader()->setStretchLastSection(true);
    layout->addWidget(m_grid, 1);  // the grid follows the dialog's size
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    m_import = new QPushButton(QStringLiteral("Import..."), this);
    m_import->setObjectName(QStringLiteral("cmdImport"));
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setObjectName(QStringLiteral("cmdCANX"));
    row->addWidget(m_import);
    row->addWidget(cancel);
    layout->addLayout(row);
    connect(m_import, &QPushButton::clicked, this, &frmImport::cmdImport_Click);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    resize(640, 400);
}

frmImport::~frmImport() = default;

bool frmImport::load(const QString& path) {
    m_fileName->setText(LoadResString(1249) + path);
    std::optional<csvimport::CsvTable> table = csvimport::LoadCsvFile(path.toStdString());
    m_loaded = table.has_value();
    if (m_loaded) m_table = std::move(*table);
    m_preview->reset();
    return m_loaded;
}

void frmImport::cmdImport_Click() {
    if (!m_loaded || m_target == nullptr || m_imported) return;
    frmProgress progress(LoadResString(1248), this);
    progress.setRange(0, static_cast<int>(m_table.records.size()));
    progress.setStatus(QString());
    progress.start();
    const csvimport::ImportResult result =
        m_target->session().import(m_table, [&progress](const csvimport::ImportProgress& p) {
            progress.setValue(static_cast<int>(p.done));
            progress.keepResponsive();
        });
    progress.close();
    if (!result.ok) return;  // the command reports that nothing was imported
    m_imported = true;
    m_categoryId = result.category.attribute("id").value();
    hide();
    Prompt::current().message(
        QString::fromStdString(csvimport::ImportCompleteText(result.count, result.categoryName)),
        LoadResString(1188), MsgIcon::Information, MsgButtons::Ok);
    accept();
}

namespace {

void importFailed(const QString& path) {
    Prompt::current().message(ReplacePlaceholder(LoadResString(1150), QStringLiteral("filename"), path),
                              LoadResString(1151), MsgIcon::Critical, MsgButtons::Ok);
}

}  // namespace

void ImportCommand(frmKMF& window) {
    FileDialogRequest request;
    request.title = LoadResString(1152);
    request.folder = defaultDataFolder();
    request.filter = QStringLiteral("Comma Separated Value (*.csv);;All Files (*)");
    request.defaultSuffix = QStringLiteral("csv");
    const QString path = Prompt::current().openFileName(request);
    if (path.isEmpty()) return;
    frmImport dialog(&window);
    if (!dialog.load(path)) {
        importFailed(path);
        return;
    }
    dialog.setTarget(&window);
    dialog.exec();
    if (!dialog.imported()) {
        importFailed(path);
        return;
    }
    window.NodeClick(dialog.categoryId());
}

}  // namespace keymora
