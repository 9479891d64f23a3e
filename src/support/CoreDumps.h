#pragma once
// A core dump would hold every password the program has seen: both programs
// turn them off before they read anything.
namespace keymora {

// No core file, and no ptrace attach by other processes of the same user.
// True when both took effect.
bool disableCoreDumps() noexcept;

}  // namespace keymora
