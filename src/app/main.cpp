// The desktop program: one copy per user, then the main window's event loop.
#include "app/RunKeymora.h"
#ifdef KEYMORA_WEBENGINE
#include "app/frmBrowser.h"
#endif

int main(int argc, char* argv[]) {
#ifdef KEYMORA_WEBENGINE
    keymora::EnableWebBrowser();
#endif
    return keymora::RunKeymora(argc, argv);
}
