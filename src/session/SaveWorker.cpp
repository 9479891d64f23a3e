#include "session/SaveWorker.h"

#include <exception>

#include "storage/DataFile.h"
#include "storage/ModCrypto.h"

namespace keymora {

struct SaveWorker::Run {
    SaveJob job;
    SaveJobResult result;
    Finished finished;
    bool delivered = false;
};

namespace {

void write(SaveJob& job, SaveJobResult& result) {
    try {
        // The compressed text is as secret as the text: wiped on every way out.
        WipedString bytes(datafile::payloadOfXml(job.text.value()));
        if (job.modernKey) {
            bytes.value() = modern::seal(std::move(bytes.value()), *job.modernKey);
        } else {
            modCrypto::ApplyInPlace(bytes.value(), job.keyText.value());
        }
        if (job.lockMode) {
            result.lock = datafile::replaceFileLocked(job.path, bytes.value(), *job.lockMode, job.ownLock);
        } else {
            datafile::writeFileAtomically(job.path, bytes.value());
        }
    } catch (const KmError& e) {
        result.error = e;
    } catch (const std::exception& e) {
        result.error = KmError(5, "Save File", e.what());
    }
    secureWipe(job.text.value());
    secureWipe(job.keyText.value());
    result.buffer = std::move(job.text);
}

}  // namespace

SaveWorker::SaveWorker() : m_self(std::make_shared<SaveWorker*>(this)) {}

SaveWorker::~SaveWorker() {
    if (m_thread.joinable()) m_thread.join();
}

void SaveWorker::start(SaveJob job, const PostToOwner& post, Finished finished) {
    auto run = std::make_shared<Run>();
    run->job = std::move(job);
    run->finished = std::move(finished);
    m_run = run;
    std::weak_ptr<SaveWorker*> self = m_self;
    m_thread = std::thread([run, post, self] {
        write(run->job, run->result);
        if (!post) return;
        post([run, self] {
            if (const auto worker = self.lock()) (*worker)->deliver(run);
        });
    });
}

void SaveWorker::wait() {
    if (m_run) deliver(m_run);
}

void SaveWorker::deliver(std::shared_ptr<Run> run) {
    if (run->delivered || run != m_run) return;
    run->delivered = true;
    if (m_thread.joinable()) m_thread.join();
    m_run.reset();
    Finished finished = std::move(run->finished);
    finished(std::move(run->result));
}

}  // namespace keymora
