#pragma once
// The Find dialog: the text to look for and the kinds of fields to look in.
// The fields are kept in the order they were ticked, which decides the text a
// hit is listed with.
#include <QDialog>

#include <pugixml.hpp>

#include <memory>
#include <string>
#include <vector>

class QCheckBox;
class QLineEdit;
class QPushButton;

namespace keymora {

class XmlDoc;

class frmSearch : public QDialog {
    Q_OBJECT
public:
    explicit frmSearch(QWidget* parent = nullptr);
    ~frmSearch() override;

    QString searchText() const;
    // The ticked field keys, in ticking order.
    std::vector<std::string> fieldKeys() const;
    // The box of a field key ("category", "URL", ...).
    QCheckBox* box(const char* fieldKey) const;

    void selectAll();
    void unselectAll();

private:
    void onBoxToggled(int index, bool checked);

    std::unique_ptr<XmlDoc> m_scratch;  // owns the options element
    pugi::xml_node m_options;           // `searchnode`: one `search` child per ticked box
    QLineEdit* m_text = nullptr;
    QCheckBox* m_boxes[7] = {};
    QPushButton* m_ok = nullptr;
};

}  // namespace keymora
