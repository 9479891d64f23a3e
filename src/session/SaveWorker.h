#pragma once
// One save at a time on a thread of its own: the part of a save the window's
// thread must not wait for (conversion, compression, cipher, atomic write).
// Its end is handed back to the thread that owns the session.
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>

#include "storage/FileLock.h"
#include "storage/ModernContainer.h"
#include "support/KmError.h"
#include "support/SecureWipe.h"

namespace keymora {

// Runs a function on the thread that owns the session (its event loop). May
// be called from any thread.
using PostToOwner = std::function<void(std::function<void()>)>;

struct SaveJob {
    WipedString text;     // the serialised document (UTF-8)
    std::optional<modern::FileKey> modernKey;  // the modern container, else the legacy one
    WipedString keyText;                       // the legacy key: user name + password
    std::string path;
    // With a mode, the new file carries a lock of it before it appears under
    // path; ownLock is the lock held on the old file, left alone meanwhile.
    std::optional<LockMode> lockMode;
    const FileLock* ownLock = nullptr;
};

struct SaveJobResult {
    std::optional<KmError> error;  // nothing: written
    FileLock lock;                 // the new file's lock, with a lock mode
    WipedString buffer;            // the snapshot's buffer, wiped, for the next snapshot
};

class SaveWorker {
public:
    using Finished = std::function<void(SaveJobResult)>;

    SaveWorker();
    ~SaveWorker();  // waits for the running job, without calling its Finished
    SaveWorker(const SaveWorker&) = delete;
    SaveWorker& operator=(const SaveWorker&) = delete;

    // A job was started and its Finished has not run yet.
    bool running() const noexcept { return m_run != nullptr; }
    // Starts the job (none may be running). When it is done, `finished` runs
    // on the owner's thread through post, unless wait() ran it first.
    void start(SaveJob job, const PostToOwner& post, Finished finished);
    // Blocks until the running job is done, then runs its Finished here.
    void wait();

private:
    struct Run;
    void deliver(std::shared_ptr<Run> run);  // by value: it may be m_run itself

    std::shared_ptr<Run> m_run;
    std::thread m_thread;
    // Posted ends hold it weakly: an end that arrives after the worker is
    // gone does nothing.
    std::shared_ptr<SaveWorker*> m_self;
};

}  // namespace keymora
