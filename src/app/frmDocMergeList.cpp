#include "app/frmDocMergeList.h"

#include <QDir>
#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include <memory>

#include "app/DocumentLifecycle.h"
#include "docwindow/frmKMF.h"
#include "session/DocumentSession.h"
#include "storage/MergeFile.h"
#include "ui/Prompt.h"
#include "ui/StringTable.h"
#include "ui/frmProgress.h"

namespace keymora {

frmDocMergeList::frmDocMergeList(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmDocMergeList"));
    setWindowTitle(LoadResString(1231));
    auto* layout = new QVBoxLayout(this);
    m_list = new QListWidget(this);
    m_list->setObjectName(QStringLiteral("lstDocumentList"));
    layout->addWidget(m_list, 1);
    auto* row = new QHBoxLayout;
    auto* add = new QPushButton(QStringLiteral("Add File"), this);
    add->setObjectName(QStringLiteral("cmdAddFile"));
    m_mergeButton = new QPushButton(QStringLiteral("Merge"), this);
    m_mergeButton->setObjectName(QStringLiteral("cmdMerge"));
    m_mergeButton->setEnabled(false);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setObjectName(QStringLiteral("cmdCanx"));
    row->addWidget(add);
    row->addStretch(1);
    row->addWidget(m_mergeButton);
    row->addWidget(cancel);
    layout->addLayout(row);
    connect(add, &QPushButton::clicked, this, &frmDocMergeList::cmdAddFile_Click);
    connect(m_mergeButton, &QPushButton::clicked, this, [this] {
        m_merge = true;
        accept();
    });
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    resize(520, 300);
}

void frmDocMergeList::cmdAddFile_Click() {
    FileDialogRequest request;
    request.title = LoadResString(1152);
    request.folder = defaultDataFolder();
    request.filter = QStringLiteral("Keymora Files (*.kmf *.keymora);;All Files (*)");
    request.defaultSuffix = QStringLiteral("kmf");
    for (const QString& name : Prompt::current().openFileNames(request))
        m_list->addItem(QDir::toNativeSeparators(name));
    m_mergeButton->setEnabled(m_list->count() > 0);
}

QStringList frmDocMergeList::files() const {
    QStringList names;
    for (int i = 0; i < m_list->count(); ++i) names << m_list->item(i)->text();
    return names;
}

namespace {

MsgIcon iconOf(mergefile::Icon icon) {
    switch (icon) {
    case mergefile::Icon::Information: return MsgIcon::Information;
    case mergefile::Icon::Critical: return MsgIcon::Critical;
    case mergefile::Icon::None: break;
    }
    return MsgIcon::None;
}

std::optional<mergefile::SourceCredentials> askSourceCredentials(const std::string& instruction) {
    LoginRequest request;
    request.instructions = QString::fromStdString(instruction);
    const std::optional<Credentials> answer = Prompt::current().credentials(request);
    if (!answer) return std::nullopt;
    mergefile::SourceCredentials given;
    assignUtf8(given.userId, answer->userId);
    assignUtf8(given.password, answer->password);
    return given;
}

// One source; the progress window shows only once its categories are being folded in.
void mergeOne(frmKMF& window, const QString& path) {
    std::unique_ptr<frmProgress> progress;
    const mergefile::Result result = window.session().merge(
        path.toStdString(), askSourceCredentials, [&](const merge::MergeProgress& p) {
            if (!progress) {
                progress = std::make_unique<frmProgress>(LoadResString(1156), &window);
                progress->start();
            }
            progress->setRange(1, p.maximum);
            progress->setValue(p.value);
            progress->setStatus(QString::fromStdString(p.status));
            progress->keepResponsive();
        });
    progress.reset();
    if (!result.message) return;
    const mergefile::Message& m = *result.message;
    Prompt::current().message(QString::fromStdString(m.text), QString::fromStdString(m.title),
                              iconOf(m.icon), MsgButtons::Ok);
}

}  // namespace

void MergeCommand(frmKMF& window) {
    frmDocMergeList list(&window);
    list.exec();
    if (!list.mergeChosen()) {
        Prompt::current().message(QString::fromLatin1(mergefile::kMergeCanceledText),
                                  LoadResString(1156), MsgIcon::Information, MsgButtons::Ok);
        return;
    }
    for (const QString& path : list.files()) {
        if (window.session().closed()) break;
        mergeOne(window, path);
    }
    Prompt::current().message(LoadResString(1155), LoadResString(1156), MsgIcon::Information,
                              MsgButtons::Ok);
}

}  // namespace keymora
