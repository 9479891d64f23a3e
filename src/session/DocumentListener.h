#pragma once
// What a view of an open data file hears. Every change of the document goes
// through DocumentSession, which calls these in order; views update the part
// named instead of rebuilding.
#include <pugixml.hpp>

namespace keymora {

struct SaveOutcome;

class DocumentListener {
public:
    virtual ~DocumentListener() = default;

    // node is in place under its parent.
    virtual void nodeInserted(pugi::xml_node node) { (void)node; }
    // node is about to leave its parent (deleted, or moved elsewhere); it is
    // still in place and readable.
    virtual void nodeAboutToBeRemoved(pugi::xml_node node) { (void)node; }
    // A child of parent was removed (parent is the records element for a
    // category).
    virtual void nodeRemoved(pugi::xml_node parent) { (void)parent; }
    // The name, a field, the labels or the dates of node changed.
    virtual void nodeChanged(pugi::xml_node node) { (void)node; }
    // The children of parent are put in another order (same set of nodes).
    virtual void childrenAboutToBeReordered(pugi::xml_node parent) { (void)parent; }
    virtual void childrenReordered(pugi::xml_node parent) { (void)parent; }
    // Too much changed to name (merge, reload, close): drop everything held.
    virtual void documentAboutToBeReset() {}
    virtual void documentReset() {}

    // Any edit of the document, after its notices (Auto Save hangs off this).
    virtual void documentEdited() {}
    // Unsaved changes appeared or were saved (or dropped).
    virtual void dirtyChanged(bool dirty) { (void)dirty; }
    // Path, never-saved state, access mode or read-only state changed.
    virtual void fileStateChanged() {}
    // A save started by saveInBackground ended, written or not.
    virtual void backgroundSaveFinished(const SaveOutcome& outcome) { (void)outcome; }
};

}  // namespace keymora
