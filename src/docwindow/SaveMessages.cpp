#include "docwindow/SaveMessages.h"

#include "session/DocumentSession.h"
#include "storage/DataFile.h"
#include "ui/Prompt.h"

namespace keymora {

void showSaveFailure(const SaveOutcome& outcome) {
    if (outcome.status == SaveStatus::NoRoot) {
        Prompt::current().message(
            QStringLiteral("Datafile is corrupted.  Close WITHOUT SAVING to attempt to recover it."),
            QStringLiteral("Corrupted Data File"), MsgIcon::Critical, MsgButtons::Ok);
        return;
    }
    const KmError error = outcome.error.value_or(KmError(5, "Save File", "The file could not be written"));
    Prompt::current().message(QString::fromStdString(datafile::errorMessage(error)) +
                                  QStringLiteral("\r\n\r\nThe file was not saved."),
                              QStringLiteral("Save"), MsgIcon::Critical, MsgButtons::Ok);
}

}  // namespace keymora
