#pragma once
// The one current node of a document window: what the Edit menu names and
// what its commands act on. A tree selection or a list click sets it.
#include <QObject>
#include <QString>

#include <pugixml.hpp>

#include <string>

#include "document/NodeKind.h"

namespace keymora {

class NodeSelection : public QObject {
    Q_OBJECT
public:
    explicit NodeSelection(QObject* parent = nullptr) : QObject(parent) {}

    pugi::xml_node current() const { return m_current; }  // empty when nothing is selected
    std::string currentId() const;                         // "" when nothing is selected
    NodeKind currentKind() const { return KindOf(m_current); }
    QString currentName() const;                           // the node's tree text

    // Only tree nodes can be selected; anything else clears the selection.
    void setCurrent(pugi::xml_node node);
    void clear() { setCurrent({}); }

signals:
    void currentChanged();  // a different node, or nothing

private:
    pugi::xml_node m_current;
};

}  // namespace keymora
