#include "docwindow/cFileWatcher.h"

#include <sys/stat.h>
#include <sys/vfs.h>

#include <QFileInfo>
#include <QFileSystemWatcher>

namespace keymora {

namespace {

// File systems whose files other computers write without this one hearing of it.
bool isNetworkMount(const QString& folder) {
    struct statfs fs {};
    if (::statfs(QFile::encodeName(folder).constData(), &fs) != 0) return false;
    switch (static_cast<unsigned long>(fs.f_type)) {
    case 0x6969UL:      // NFS
    case 0x517BUL:      // SMB
    case 0xFF534D42UL:  // CIFS
    case 0xFE534D42UL:  // SMB2
    case 0x65735546UL:  // FUSE (sshfs and the like)
    case 0x01021997UL:  // 9P
    case 0x5346414FUL:  // AFS
    case 0x00C36400UL:  // Ceph
        return true;
    default:
        return false;
    }
}

bool later(const timespec& a, const timespec& b) {
    return a.tv_sec != b.tv_sec ? a.tv_sec > b.tv_sec : a.tv_nsec > b.tv_nsec;
}

}  // namespace

cFileWatcher::cFileWatcher(QObject* parent) : QObject(parent) {}

cFileWatcher::~cFileWatcher() { StopWatching(); }

bool cFileWatcher::StartWatching(const QString& filePath) {
    StopWatching();
    const QFileInfo info(filePath);
    m_path = info.absoluteFilePath();
    m_title = info.fileName();
    m_watcher = new QFileSystemWatcher(this);
    connect(m_watcher, &QFileSystemWatcher::directoryChanged, this, &cFileWatcher::check);
    connect(m_watcher, &QFileSystemWatcher::fileChanged, this, &cFileWatcher::check);
    const QString folder = info.absolutePath();
    const bool folderWatched = m_watcher->addPath(folder);
    watchFile();
    return folderWatched && !isNetworkMount(folder);
}

// May be called while the watcher is telling of a change, so it goes later.
void cFileWatcher::StopWatching() {
    if (m_watcher == nullptr) return;
    m_watcher->disconnect(this);
    m_watcher->deleteLater();
    m_watcher = nullptr;
}

// The file now at the path: its write time, and a watch on it rather than on
// a file a save by rename has put aside. False when there is none.
bool cFileWatcher::watchFile() {
    struct stat st {};
    if (::stat(QFile::encodeName(m_path).constData(), &st) != 0) return false;
    const bool watched = m_watcher->files().contains(m_path);
    if (!watched || st.st_ino != m_watchedFile) {
        if (watched) m_watcher->removePath(m_path);
        m_watcher->addPath(m_path);
        m_watchedFile = st.st_ino;
    }
    m_lastWrite = st.st_mtim;
    return true;
}

void cFileWatcher::check() {
    if (m_watcher == nullptr) return;
    const timespec before = m_lastWrite;
    // Gone for the moment: the folder says when it is back.
    if (watchFile() && later(m_lastWrite, before)) emit FileChanged(m_title);
}

}  // namespace keymora
