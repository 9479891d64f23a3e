#define PCRE2_CODE_UNIT_WIDTH 8
#include "document/RegexMatcher.h"

#include <pcre2.h>

namespace keymora {

namespace {

std::string pcre2ErrorText(int code) {
    PCRE2_UCHAR buffer[256];
    const int n = pcre2_get_error_message(code, buffer, sizeof buffer);
    if (n < 0) return "regular expression error " + std::to_string(code);
    return std::string(reinterpret_cast<const char*>(buffer), static_cast<std::size_t>(n));
}

}  // namespace

struct RegexMatcher::Impl {
    pcre2_code* code = nullptr;
    pcre2_match_data* matchData = nullptr;

    ~Impl() {
        if (matchData != nullptr) pcre2_match_data_free(matchData);
        if (code != nullptr) pcre2_code_free(code);
    }
};

RegexMatcher::RegexMatcher(std::string_view pattern, Options options) : m_impl(new Impl) {
    // Invalid UTF-8 in a searched text must not stop the search, only fail to
    // match at the bad bytes.
    std::uint32_t flags = PCRE2_UTF | PCRE2_UCP | PCRE2_MATCH_INVALID_UTF;
    if (options.caseless) flags |= PCRE2_CASELESS;
    int errorCode = 0;
    PCRE2_SIZE errorOffset = 0;
    m_impl->code = pcre2_compile(reinterpret_cast<PCRE2_SPTR>(pattern.data()), pattern.size(),
                                 flags, &errorCode, &errorOffset, nullptr);
    if (m_impl->code == nullptr) {
        m_error = pcre2ErrorText(errorCode);
        return;
    }
    // The JIT is an optimisation only: the interpreter runs when it is missing.
    (void)pcre2_jit_compile(m_impl->code, PCRE2_JIT_COMPLETE);
    m_impl->matchData = pcre2_match_data_create_from_pattern(m_impl->code, nullptr);
    if (m_impl->matchData == nullptr) {
        pcre2_code_free(m_impl->code);
        m_impl->code = nullptr;
        m_error = "out of memory";
    }
}

RegexMatcher::~RegexMatcher() = default;
RegexMatcher::RegexMatcher(RegexMatcher&&) noexcept = default;
RegexMatcher& RegexMatcher::operator=(RegexMatcher&&) noexcept = default;

bool RegexMatcher::valid() const noexcept { return m_impl && m_impl->code != nullptr; }

RegexMatcher::Result RegexMatcher::find(std::string_view text) {
    if (!valid()) {
        m_lastError = m_error;
        return Result::Error;
    }
    // A null subject pointer is only allowed with zero length; string_view of
    // "" may be null.
    static const char kEmpty[1] = {0};
    const char* subject = text.data() != nullptr ? text.data() : kEmpty;
    const int rc = pcre2_match(m_impl->code, reinterpret_cast<PCRE2_SPTR>(subject), text.size(), 0,
                               0, m_impl->matchData, nullptr);
    if (rc >= 0) return Result::Match;
    if (rc == PCRE2_ERROR_NOMATCH) return Result::NoMatch;
    m_lastError = pcre2ErrorText(rc);
    return Result::Error;
}

}  // namespace keymora
