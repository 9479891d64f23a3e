#pragma once
// Tells a read-only user of a shared file that its writer saved. The file's
// folder is watched, because a save replaces the file by a rename, and so is
// the file itself, for a writer that writes in place; whenever the system
// says something there changed, the file's modification time is read and a
// move forward is reported. Nothing is polled.
#include <QObject>
#include <QString>

#include <sys/types.h>

#include <ctime>

class QFileSystemWatcher;

namespace keymora {

class cFileWatcher : public QObject {
    Q_OBJECT
public:
    explicit cFileWatcher(QObject* parent = nullptr);
    ~cFileWatcher() override;

    // Starts watching the file at filePath (absolute). False when changes made
    // there cannot be seen from here (no watch could be set, or the folder is
    // on a network mount whose other users' writes this computer is never
    // told of); what can be seen is still reported.
    bool StartWatching(const QString& filePath);
    void StopWatching();
    bool watching() const { return m_watcher != nullptr; }

signals:
    // The watched file's modification time moved forward; the file's title.
    void FileChanged(const QString& changedFileName);

private:
    void check();
    bool watchFile();

    QFileSystemWatcher* m_watcher = nullptr;
    QString m_path;
    QString m_title;
    timespec m_lastWrite{};
    ino_t m_watchedFile = 0;
};

}  // namespace keymora
