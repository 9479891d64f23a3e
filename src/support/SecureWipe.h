#pragma once
// Overwrites secret text before its memory is given back.
#include <string>
#include <vector>

namespace keymora {

void secureWipe(void* data, std::size_t size) noexcept;

inline void secureWipe(std::string& s) noexcept {
    secureWipe(s.data(), s.capacity());
    s.clear();
}

template <typename T>
void secureWipe(std::vector<T>& v) noexcept {
    secureWipe(v.data(), v.capacity() * sizeof(T));
    v.clear();
}

// Holds a secret string and wipes it when it goes out of scope.
class WipedString {
public:
    WipedString() = default;
    explicit WipedString(std::string s) : m_value(std::move(s)) {}
    WipedString(const WipedString&) = delete;
    WipedString& operator=(const WipedString&) = delete;
    // A short string moves by copying its characters: wipe what stays behind.
    WipedString(WipedString&& other) noexcept : m_value(std::move(other.m_value)) {
        secureWipe(other.m_value);
    }
    WipedString& operator=(WipedString&& other) noexcept {
        if (this != &other) {
            secureWipe(m_value);
            m_value = std::move(other.m_value);
            secureWipe(other.m_value);
        }
        return *this;
    }
    ~WipedString() { secureWipe(m_value); }
    std::string& value() noexcept { return m_value; }
    const std::string& value() const noexcept { return m_value; }

private:
    std::string m_value;
};

}  // namespace keymora
