#pragma once
// The whole desktop program, from the command line to the end of the event
// loop. main() only calls it, so a test program can install its own Prompt
// first and then start exactly what users start.

namespace keymora {

// Returns the process exit code.
int RunKeymora(int argc, char** argv);

}  // namespace keymora
