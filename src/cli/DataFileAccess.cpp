#include "cli/DataFileAccess.h"

#include "storage/DataFile.h"
#include "storage/ModCrypto.h"
#include "support/SecureWipe.h"

namespace keymora::cli {

namespace {

std::string withPlainNewlines(std::string text) {
    std::string::size_type pos = 0;
    while ((pos = text.find("\r\n", pos)) != std::string::npos) text.erase(pos, 1);
    return text;
}

std::string emptyFileText(const std::string& path) {
    return path + ": the file is empty, it holds no data.";
}

std::string openFailureText(const OpenOutcome& outcome, const std::string& path) {
    switch (outcome.status) {
    case OpenStatus::Empty:
        return emptyFileText(path);
    case OpenStatus::InUse:
        return datafile::kFileInUseText;
    case OpenStatus::DecryptFailed:
        return datafile::kDecryptFailedText;
    case OpenStatus::Cancelled:
        return "No password was given.";
    case OpenStatus::NeedsNewerProgram:
        return modern::kNeedsNewerProgramText;
    case OpenStatus::ReadFailed:
    case OpenStatus::Opened:
        break;
    }
    return outcome.error ? messageFor(*outcome.error) : path + ": the file could not be read.";
}

}  // namespace

std::string messageFor(const KmError& error) {
    if (error.number() == errnum::kPermissionDenied) return datafile::kFileInUseText;
    return withPlainNewlines(datafile::errorMessage(error));
}

std::string readDataFile(const std::string& path) {
    std::string bytes;
    try {
        bytes = datafile::ReadFileContents(path);
    } catch (const KmError& e) {
        throw CliError(messageFor(e));
    }
    if (bytes.empty()) throw CliError(emptyFileText(path));
    return bytes;
}

void refuseUnsupported(std::string_view fileBytes) {
    modern::Header header;
    if (modern::hasMagic(fileBytes) &&
        modern::readHeader(fileBytes, header) == modern::HeaderCheck::Unsupported)
        throw CliError(modern::kNeedsNewerProgramText);
}

std::unique_ptr<DocumentSession> openSession(Context& ctx, const std::string& path,
                                             std::string_view userId, LockPolicy policy) {
    // A refused password throws out of the prompt, before anything is decrypted.
    const auto ask = [&](FileCredentials& credentials) {
        askLogin(ctx, userId, fileTitleOf(path), credentials);
        return true;
    };
    OpenOutcome outcome = DocumentSession::open(path, policy, ask);
    if (!outcome.opened()) throw CliError(openFailureText(outcome, path));
    return std::move(outcome.session);
}

void saveSession(DocumentSession& session) {
    const SaveOutcome outcome = session.save();
    switch (outcome.status) {
    case SaveStatus::Saved:
        return;
    case SaveStatus::NoRoot:
        throw CliError(session.path() + ": Datafile is corrupted.  The file was not saved.");
    case SaveStatus::ReadOnly:
        // Only a reader's session is read only: another program writes the file.
        throw CliError(datafile::kFileInUseText);
    case SaveStatus::Failed:
        break;
    }
    throw CliError(outcome.error ? messageFor(*outcome.error)
                                 : session.path() + ": the file was not saved.");
}

std::string encipherPayload(std::string&& payload, const Credentials& credentials, bool modern) {
    if (modern) {
        const auto key = modern::FileKey::create(credentials.userId.value(),
                                                 credentials.password.value(),
                                                 modern::kDefaultParams);
        return modern::seal(std::move(payload), key);
    }
    WipedString key;
    keyText(credentials, key.value());
    std::string bytes = std::move(payload);
    modCrypto::ApplyInPlace(bytes, key.value());
    return bytes;
}

void keyText(const Credentials& credentials, std::string& key) {
    secureWipe(key);
    key.reserve(credentials.userId.value().size() + credentials.password.value().size());
    key.append(credentials.userId.value());
    key.append(credentials.password.value());
}

}  // namespace keymora::cli
