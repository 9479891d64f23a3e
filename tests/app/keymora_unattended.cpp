// The desktop program for tests that start it: every message answered at once (OK, Yes or Abort;
// Cancel against Retry) and printed; file and credential requests cancelled.
#include <cstdio>

#include "app/RunKeymora.h"
#include "ui/Prompt.h"

namespace {

using namespace keymora;

class AnsweringPrompt : public Prompt {
public:
    MsgAnswer message(const QString& text, const QString& title, MsgIcon,
                      MsgButtons buttons) override {
        std::printf("message: %s | %s\n", qPrintable(title), qPrintable(text));
        std::fflush(stdout);
        switch (buttons) {
        case MsgButtons::Ok:
        case MsgButtons::OkCancel: return MsgAnswer::Ok;
        case MsgButtons::YesNo:
        case MsgButtons::YesNoCancel: return MsgAnswer::Yes;
        case MsgButtons::AbortRetryIgnore: return MsgAnswer::Abort;
        case MsgButtons::RetryCancel: return MsgAnswer::Cancel;
        }
        return MsgAnswer::Cancel;
    }
    QString openFileName(const FileDialogRequest&) override { return {}; }
    QString saveFileName(const FileDialogRequest&) override { return {}; }
    QStringList openFileNames(const FileDialogRequest&) override { return {}; }
    std::optional<Credentials> credentials(const LoginRequest&) override { return std::nullopt; }
};

}  // namespace

int main(int argc, char* argv[]) {
    AnsweringPrompt prompt;
    Prompt::install(&prompt);
    const int code = RunKeymora(argc, argv);
    Prompt::install(nullptr);
    return code;
}
