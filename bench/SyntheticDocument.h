#pragma once
// The same synthetic data file on every run: ten categories of ten
// sub-categories, the entries spread over them, with some non-ASCII text.
#include <cstdint>
#include <string>

namespace keymora::bench {

namespace detail {

// Small deterministic generator: the same document on every run.
class Rng {
public:
    explicit Rng(std::uint64_t seed) : m_state(seed) {}
    std::uint64_t next() {
        m_state ^= m_state << 13;
        m_state ^= m_state >> 7;
        m_state ^= m_state << 17;
        return m_state;
    }
    std::size_t below(std::size_t n) { return static_cast<std::size_t>(next() % n); }

private:
    std::uint64_t m_state;
};

const char* const kWords[] = {
    "account", "bank",   "mail",   "north",  "river",  "garden", "cloud",  "office", "travel",
    "music",   "school", "market", "health", "energy", "phone",  "games",  "photo",  "books",
    "coffee",  "forum",  "sport",  "city",   "portal", "family", "studio", "union",  "savings",
    "insurance", "library", "caf\xC3\xA9", "m\xC3\xBCnchen", "store", "online", "secure", "login"};
constexpr std::size_t kWordCount = sizeof(kWords) / sizeof(kWords[0]);

inline std::string words(Rng& rng, std::size_t count) {
    std::string s;
    for (std::size_t i = 0; i < count; ++i) {
        if (i) s += ' ';
        s += kWords[rng.below(kWordCount)];
    }
    return s;
}

inline std::string password(Rng& rng) {
    static const char kChars[] =
        "abcdefghijkmnopqrstuvwxyzABCDEFGHJKLMNPQRSTUVWXYZ23456789!#$%&*+-=?@^_<>";
    std::string s;
    const std::size_t len = 10 + rng.below(11);
    for (std::size_t i = 0; i < len; ++i) s += kChars[rng.below(sizeof(kChars) - 1)];
    return s;
}

inline std::string guid(Rng& rng) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string s = "{";
    for (int i = 0; i < 32; ++i) {
        if (i == 8 || i == 12 || i == 16 || i == 20) s += '-';
        s += kHex[rng.below(16)];
    }
    return s + "}";
}

inline std::string date(Rng& rng) {
    return std::to_string(1 + rng.below(12)) + "/" + std::to_string(1 + rng.below(28)) + "/" +
           std::to_string(2015 + rng.below(10)) + " " + std::to_string(1 + rng.below(12)) + ":" +
           std::to_string(10 + rng.below(50)) + ":" + std::to_string(10 + rng.below(50)) +
           (rng.below(2) ? " AM" : " PM");
}

inline std::string escaped(const std::string& text) {
    std::string out;
    out.reserve(text.size() + 8);
    for (char c : text) {
        switch (c) {
            case '&': out += "&amp;"; break;
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            case '"': out += "&quot;"; break;
            default: out += c;
        }
    }
    return out;
}

inline void field(std::string& xml, const char* tag, const std::string& value) {
    if (value.empty()) {
        xml += '<';
        xml += tag;
        xml += "/>";
        return;
    }
    xml += '<';
    xml += tag;
    xml += '>';
    xml += escaped(value);
    xml += "</";
    xml += tag;
    xml += '>';
}

}  // namespace detail

// Ten categories of ten sub-categories each, the entries spread over them.
inline std::string syntheticXml(std::size_t entries) {
    using namespace detail;
    Rng rng(0x9E3779B97F4A7C15ULL ^ entries);
    std::string xml = "<?xml version=\"1.0\"?><datafile version=\"1.5\" DateModified=\"" +
                      date(rng) + "\" filetype=\"private\"><records>";
    for (int c = 0; c < 10; ++c) {
        xml += "<category id=\"" + guid(rng) + "\" type=\"category\" value=\"" +
               escaped(words(rng, 2)) + "\">";
        for (int s = 0; s < 10; ++s) {
            xml += "<subcategory id=\"" + guid(rng) + "\" type=\"subcategory\" value=\"" +
                   escaped(words(rng, 2)) + "\">";
            const std::size_t slot = static_cast<std::size_t>(c * 10 + s);
            const std::size_t count = entries / 100 + (slot < entries % 100 ? 1 : 0);
            for (std::size_t e = 0; e < count; ++e) {
                xml += "<record_detail id=\"" + guid(rng) + "\" type=\"entry\">";
                field(xml, "resource", words(rng, 1 + rng.below(3)));
                field(xml, "userid", words(rng, 1) + std::to_string(rng.below(10000)) + "@example.com");
                field(xml, "password", password(rng));
                field(xml, "notes", rng.below(10) < 4 ? std::string() : words(rng, 3 + rng.below(12)));
                const std::string created = date(rng);
                field(xml, "DateCreated", created);
                field(xml, "DateModified", rng.below(2) ? created : date(rng));
                field(xml, "URL", "https://www." + words(rng, 1) + std::to_string(rng.below(1000)) +
                                      ".example.org/" + words(rng, 1));
                xml += "</record_detail>";
            }
            xml += "</subcategory>";
        }
        xml += "</category>";
    }
    xml += "</records></datafile>";
    return xml;
}

}  // namespace keymora::bench
