#pragma once
// The recent-files list under kMruKey: MRUNumber holds how many entries there
// are, File1..FileN the names, File1 the most recent. Names compare exactly,
// letter case included. An MRUNumber that is no positive whole number counts
// as an empty list.
//
// Two rules write it:
//   AddToMRU (a file was opened): the name goes to the top; one already listed
//     moves up, the others shift down.
//   RememberSaved (a file was saved under a name): below ten entries a name not
//     listed yet is appended at the bottom and a listed one stays where it is;
//     from ten entries on, the name goes to the top as AddToMRU does.
#include <string>
#include <vector>

namespace keymora {

class clsReg;

namespace recentfiles {

// From this many entries on, a saved name is moved to the top instead of appended.
inline constexpr int kSaveAppendLimit = 10;
// A longer list is taken for a damaged count: it is read only this far, and
// opening a new name at this length drops the oldest.
inline constexpr int kMaxEntries = 100;

void AddToMRU(clsReg& reg, const std::string& name);
void RememberSaved(clsReg& reg, const std::string& name);
// File1..FileN in order; a missing FileN reads as "".
std::vector<std::string> List(const clsReg& reg);

// The same on the user's settings store.
void AddToMRU(const std::string& name);
void RememberSaved(const std::string& name);
std::vector<std::string> List();

}  // namespace recentfiles
}  // namespace keymora
