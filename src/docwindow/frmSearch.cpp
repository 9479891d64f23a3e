#include "docwindow/frmSearch.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <cstring>

#include "document/Search.h"
#include "document/XmlDoc.h"
#include "ui/DialogButtons.h"

namespace keymora {

namespace {

struct BoxInfo {
    const char* name;
    const char* caption;
};

// In the order of search::kFieldKeys.
constexpr BoxInfo kBoxes[7] = {
    {"chkSearchCategories", "Categories"},   {"chkSearchSubcategories", "Subcategories"},
    {"chkSearchResourceNames", "Entry Names"}, {"UserIDschkSearch", "User IDs"},
    {"chkSearchPasswords", "Passwords"},     {"chkSearchURLs", "URLs"},
    {"chkSearchNotes", "Notes"}};

// The least a search text may hold.
constexpr int kMinSearchLength = 2;

}  // namespace

frmSearch::frmSearch(QWidget* parent) : QDialog(parent), m_scratch(std::make_unique<XmlDoc>()) {
    setObjectName(QStringLiteral("frmSearch"));
    setWindowTitle(QStringLiteral("Search..."));
    m_options = search::CreateSearchOptions(*m_scratch);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Search For?"), this));
    m_text = new QLineEdit(this);
    m_text->setObjectName(QStringLiteral("txtSearchFor"));
    layout->addWidget(m_text);
    layout->addWidget(new QLabel(QStringLiteral("Search Where?"), this));
    auto* grid = new QGridLayout;
    for (int i = 0; i < 7; ++i) {
        m_boxes[i] = new QCheckBox(QString::fromLatin1(kBoxes[i].caption), this);
        m_boxes[i]->setObjectName(QString::fromLatin1(kBoxes[i].name));
        grid->addWidget(m_boxes[i], i / 2, i % 2);
        connect(m_boxes[i], &QCheckBox::toggled, this, [this, i](bool on) { onBoxToggled(i, on); });
    }
    layout->addLayout(grid);

    auto* selectRow = new QHBoxLayout;
    auto* selectAllButton = new QPushButton(QStringLiteral("Select All"), this);
    selectAllButton->setObjectName(QStringLiteral("cmdSelectAll"));
    auto* unselectAllButton = new QPushButton(QStringLiteral("UnSelect All"), this);
    unselectAllButton->setObjectName(QStringLiteral("cmdUnselectAll"));
    selectRow->addWidget(selectAllButton);
    selectRow->addWidget(unselectAllButton);
    selectRow->addStretch(1);
    layout->addLayout(selectRow);
    connect(selectAllButton, &QPushButton::clicked, this, &frmSearch::selectAll);
    connect(unselectAllButton, &QPushButton::clicked, this, &frmSearch::unselectAll);

    auto* buttons = new QDialogButtonBox(this);
    m_ok = addDialogButton(buttons, QStringLiteral("OK"), QDialogButtonBox::AcceptRole, "OKButton");
    m_ok->setDefault(true);
    addDialogButton(buttons, QStringLiteral("Cancel"), QDialogButtonBox::RejectRole, "CancelButton");
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    m_ok->setEnabled(false);
    connect(m_text, &QLineEdit::textChanged, this,
            [this](const QString& text) { m_ok->setEnabled(text.size() >= kMinSearchLength); });
}

frmSearch::~frmSearch() = default;

QString frmSearch::searchText() const { return m_text->text(); }

std::vector<std::string> frmSearch::fieldKeys() const {
    return search::SearchFields(m_options);
}

QCheckBox* frmSearch::box(const char* fieldKey) const {
    for (int i = 0; i < 7; ++i)
        if (std::strcmp(search::kFieldKeys[static_cast<std::size_t>(i)], fieldKey) == 0) return m_boxes[i];
    return nullptr;
}

void frmSearch::selectAll() {
    for (QCheckBox* b : m_boxes) b->setChecked(true);
}

void frmSearch::unselectAll() {
    for (QCheckBox* b : m_boxes) b->setChecked(false);
}

void frmSearch::onBoxToggled(int index, bool checked) {
    const char* key = search::kFieldKeys[static_cast<std::size_t>(index)];
    if (checked)
        search::AddSearchField(m_options, key);
    else
        search::RemoveSearchField(m_options, key);
}

}  // namespace keymora
