#pragma once
// Shows one entry in the entry pane and writes what the user types back
// through the session, which stamps the entry's DateModified. What the
// session says changed in the shown entry is shown again.
#include <QObject>
#include <QString>

#include <pugixml.hpp>

#include "document/Labels.h"
#include "session/DocumentListener.h"

class QTimer;

namespace keymora {

class DocumentHost;
class DocumentSession;
class EntryPane;

class EntryEditor : public QObject, private DocumentListener {
    Q_OBJECT
public:
    EntryEditor(DocumentSession& session, EntryPane& pane, DocumentHost* host, QObject* parent);
    ~EntryEditor() override;

    // Fills the pane from the entry; writes nothing.
    void DisplayEntry(pugi::xml_node entry);
    pugi::xml_node entry() const { return m_entry; }
    // Empties the pane; the entry is no longer shown (nothing is written).
    void clear();
    // Boxes that cannot be typed into while the file is read only.
    void setReadOnly(bool readOnly);

    // The password in clear for ms, then masked again.
    void revealPassword(int ms);
    void maskPassword();

private:
    // DocumentListener
    void nodeAboutToBeRemoved(pugi::xml_node node) override;
    void nodeChanged(pugi::xml_node node) override;
    void documentAboutToBeReset() override;

    void connectPane();
    void fillFields();
    void fillCaptions();
    void onFieldEdited(labels::Field field, const QString& text);
    void onCopyPassword();
    void onLaunchBrowser();
    // Browser launching is off when no default browser was found.
    bool launchAvailable() const;

    DocumentSession& m_session;
    EntryPane& m_pane;
    DocumentHost* m_host;
    pugi::xml_node m_entry;
    bool m_filling = false;  // the pane is being filled: nothing is written back
    QTimer* m_hidePassword = nullptr;
};

}  // namespace keymora
