// One explicit Save through a document window, killed at random by tests/stress/torture.sh.
// Usage: keymora_save_driver FILE USER PASSWORD NEWPASSWORD (adds a category, sets the new password).
#include <QApplication>
#include <QTemporaryDir>

#include "TestDocumentHost.h"
#include "support/ClsReg.h"
#include "support/Options.h"

int main(int argc, char* argv[]) {
    using namespace keymora;
    QApplication app(argc, argv);
    if (argc != 5) return 2;
    QTemporaryDir settings;
    qputenv("KEYMORA_CONFIG_DIR", settings.path().toUtf8());
    clsReg store;
    options::SetAutoSaveChanges(store, false);  // one save, the explicit one

    test::TestHost host;
    auto session = test::openSession(argv[1], argv[2], argv[3]);
    if (!session) return 1;
    frmKMF* window = test::showWindow(host, std::move(session));
    if (!window->session().addCategory().ok()) return 1;
    FileCredentials fresh;
    fresh.userId.value() = argv[2];
    fresh.password.value() = argv[4];
    window->session().setCredentials(std::move(fresh));
    return SaveCommand(host, *window) ? 0 : 1;
}
