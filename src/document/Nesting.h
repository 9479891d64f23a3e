#pragma once
// How deep a document may nest. Deeper text is refused when it is read: the
// tree views and commands walk what they show, and no real file comes near it.
#include <pugixml.hpp>

#include <cstddef>

namespace keymora {

inline constexpr std::size_t kMaxNestingDepth = 256;

// Whether an element below root lies more than limit levels down (the
// children of root are on level 1).
bool nestsDeeperThan(pugi::xml_node root, std::size_t limit) noexcept;

}  // namespace keymora
