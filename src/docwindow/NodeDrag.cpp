#include "docwindow/NodeDrag.h"

#include <QMimeData>

#include "docwindow/frmKMF.h"

namespace keymora::nodedrag {

namespace {

struct State {
    QPointer<frmKMF> source;
    std::string id;
};

State& state() {
    static State s;
    return s;
}

}  // namespace

std::unique_ptr<QMimeData> start(frmKMF* window, const std::string& id) {
    state().source = window;
    state().id = id;
    auto data = std::make_unique<QMimeData>();
    data->setText(QString::fromStdString(id));
    data->setData(QString::fromLatin1(kMimeType), QByteArray::fromStdString(id));
    return data;
}

frmKMF* source() { return state().source.data(); }

const std::string& id() { return state().id; }

bool carriesNode(const QMimeData* data) {
    return data != nullptr && data->hasText() && data->hasFormat(QString::fromLatin1(kMimeType)) &&
           data->data(QString::fromLatin1(kMimeType)).toStdString() == state().id && source() != nullptr;
}

}  // namespace keymora::nodedrag
