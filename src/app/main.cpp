// The desktop program: one copy per user, then the main window's event loop.
#include "app/RunKeymora.h"

int main(int argc, char* argv[]) { return keymora::RunKeymora(argc, argv); }
