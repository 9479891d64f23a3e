#pragma once
// The node being dragged, which may be dropped on another document window:
// the window it came from and its identifier. The drag data carries the
// identifier as plain text too, as the program always has.
#include <QPointer>
#include <QString>

#include <memory>
#include <string>

class QMimeData;

namespace keymora {

class frmKMF;

namespace nodedrag {

inline constexpr const char* kMimeType = "application/x-keymora-node";

// A new drag from window of the node id; its data for the drag object.
std::unique_ptr<QMimeData> start(frmKMF* window, const std::string& id);
// The window the last drag started in (nothing once it closed).
frmKMF* source();
const std::string& id();
// Whether the data is a node drag this program started.
bool carriesNode(const QMimeData* data);

}  // namespace nodedrag
}  // namespace keymora
