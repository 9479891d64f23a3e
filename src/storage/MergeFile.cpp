#include "storage/MergeFile.h"

#include <string_view>

#include "document/VersionUpdates.h"
#include "storage/DataFile.h"
#include "support/KmError.h"
#include "support/SecureWipe.h"

namespace keymora::mergefile {

namespace {

// Login boxes drop surrounding blanks.
std::string trimBlanks(std::string_view text) {
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) return {};
    const std::size_t last = text.find_last_not_of(' ');
    return std::string(text.substr(first, last - first + 1));
}

Result failure(Status status, std::string text, std::string title, Icon icon) {
    Result r;
    r.status = status;
    r.message = Message{std::move(text), std::move(title), icon};
    return r;
}

}  // namespace

std::string FileTitleOf(const std::string& path) {
    const std::size_t cut = path.find_last_of("/\\");
    return cut == std::string::npos ? path : path.substr(cut + 1);
}

Result MergeFile(XmlDoc& destination, const std::string& path, const CredentialsFn& askCredentials,
                 const merge::ProgressFn& progress) {
    if (path.empty())
        return failure(Status::EmptyName, kEmptySourceText, kEmptySourceTitle, Icon::Information);

    std::optional<SourceCredentials> given;
    if (askCredentials)
        given = askCredentials(std::string(kLoginInstruction) + "\r\n" + FileTitleOf(path));
    if (!given) {
        Result r;
        r.status = Status::Cancelled;
        return r;
    }
    WipedString userId(trimBlanks(given->userId));
    WipedString password(trimBlanks(given->password));
    secureWipe(given->userId);
    secureWipe(given->password);

    std::string bytes;
    try {
        bytes = datafile::ReadFileContents(path);
    } catch (const KmError& e) {
        if (e.number() == errnum::kPermissionDenied)
            return failure(Status::ReadFailed, datafile::kFileInUseText, datafile::kFileInUseText,
                           Icon::Information);
        return failure(Status::ReadFailed, datafile::errorMessage(e), "", Icon::None);
    } catch (const std::exception& e) {
        return failure(Status::ReadFailed, std::string("Error: 0\r\nDescription: ") + e.what(), "",
                       Icon::None);
    }
    if (bytes.empty())
        return failure(Status::EmptyName, kEmptySourceText, kEmptySourceTitle, Icon::Information);

    // Wrong credentials and a damaged file look alike: neither gives a
    // document. Both are reported, never passed over in silence.
    std::unique_ptr<XmlDoc> source;
    try {
        source = datafile::openDocument(path, std::move(bytes), userId.value(), password.value());
    } catch (const KmError& e) {
        if (e.number() == datafile::kUnsupportedFileError)
            return failure(Status::DecryptFailed, e.description(), modern::kNeedsNewerProgramTitle,
                           Icon::Critical);
        source.reset();
    } catch (const std::exception&) {
        source.reset();
    }
    if (!source)
        return failure(Status::DecryptFailed, kDecryptFailedText, kMergeFailureTitle, Icon::Critical);

    const pugi::xml_node root = source->datafile();
    if (std::string_view(root.attribute("filetype").value()) != "private")
        return failure(Status::SharedSource, kSharedSourceText, kSharedSourceTitle, Icon::Critical);

    modVersionUpdates::UpdateDocumentVersion(root, false);

    merge::MergeOutcome outcome = merge::MergeSourceCategoryToDestination(*source, destination, progress);
    if (!outcome.ok)
        return failure(Status::MergeFailed,
                       "Document Merge failed.\r\n" + outcome.errorDescription + ".",
                       kMergeFailureTitle, Icon::Critical);

    Result r;
    r.status = Status::Merged;
    r.stats = outcome.stats;
    return r;
}

}  // namespace keymora::mergefile
