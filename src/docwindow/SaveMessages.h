#pragma once
// The message a failed save shows, whether the user or Auto Save started it.
namespace keymora {

struct SaveOutcome;

void showSaveFailure(const SaveOutcome& outcome);

}  // namespace keymora
