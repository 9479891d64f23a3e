#include "support/SecureWipe.h"

#include <cstring>

namespace keymora {

void secureWipe(void* data, std::size_t size) noexcept {
    if (data == nullptr || size == 0) return;
    // explicit_bzero cannot be optimised away even when the memory is freed next.
    explicit_bzero(data, size);
}

}  // namespace keymora
