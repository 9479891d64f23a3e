#pragma once
// A compiled PCRE2 pattern (UTF-8) answering "is there a match anywhere in
// this text". Compiled once and JIT-compiled when the platform allows, with
// its match data kept for reuse, so testing many short texts stays cheap.
// One matcher is not for use from two threads at once.
#include <memory>
#include <string>
#include <string_view>

namespace keymora {

class RegexMatcher {
public:
    struct Options {
        bool caseless = false;
    };

    // Compiles the pattern; a pattern that does not compile leaves the matcher
    // invalid (valid() false) with PCRE2's words in errorText().
    RegexMatcher(std::string_view pattern, Options options);
    ~RegexMatcher();
    RegexMatcher(RegexMatcher&&) noexcept;
    RegexMatcher& operator=(RegexMatcher&&) noexcept;
    RegexMatcher(const RegexMatcher&) = delete;
    RegexMatcher& operator=(const RegexMatcher&) = delete;

    bool valid() const noexcept;
    const std::string& errorText() const noexcept { return m_error; }

    enum class Result { Match, NoMatch, Error };
    // Searches the whole text for a match. Error: the matcher is invalid or
    // the engine gave up (for example its backtracking limit was reached);
    // lastErrorText() then says why.
    Result find(std::string_view text);
    const std::string& lastErrorText() const noexcept { return m_lastError; }

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
    std::string m_error;
    std::string m_lastError;
};

}  // namespace keymora
