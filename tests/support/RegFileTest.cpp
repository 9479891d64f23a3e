#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "support/RegFile.h"

namespace rf = keymora::regfile;

namespace {

bool hasRawControlOrBadUtf8(const std::string& text) {
    // Unescaping with the strict reader fails on exactly those bytes.
    return !rf::unescape(text, rf::Field::Text).has_value();
}

TEST(RegFileEscape, EveryByteRoundTripsInNamesAndTexts) {
    for (int b = 0; b < 256; ++b) {
        const std::string raw = "a" + std::string(1, static_cast<char>(b)) + "b";
        for (auto field : {rf::Field::Name, rf::Field::Text}) {
            const std::string escaped = rf::escape(raw, field);
            EXPECT_FALSE(hasRawControlOrBadUtf8(escaped)) << b;
            EXPECT_EQ(escaped.find('\n'), std::string::npos);
            const auto back = rf::unescape(escaped, field);
            ASSERT_TRUE(back.has_value()) << b;
            EXPECT_EQ(*back, raw) << b;
        }
        // Names never carry the characters that split a line.
        const std::string name = rf::escape(raw, rf::Field::Name);
        EXPECT_EQ(name.find_first_of("=[]#"), std::string::npos) << b;
    }
    // Readable text stays readable.
    EXPECT_EQ(rf::escape("C:\\Users\\me\\Gr\xC3\xBC\xC3\x9F"
                         "e.kmf",
                         rf::Field::Text),
              "C:\\Users\\me\\Gr\xC3\xBC\xC3\x9F"
              "e.kmf");
    EXPECT_EQ(rf::escape(" 50% ", rf::Field::Text), "%2050%25%20");
    EXPECT_EQ(rf::escape("\xC3(", rf::Field::Text), "%C3(");
}

TEST(RegFileEscape, MalformedEscapesAreRejected) {
    for (const char* bad :
         {"%", "%4", "%G1", "ab%", "x\ty", "\xC3", "\xED\xA0\x80", "\xF5\x80\x80\x80"}) {
        EXPECT_FALSE(rf::unescape(bad, rf::Field::Text).has_value()) << bad;
    }
    EXPECT_FALSE(rf::unescape("a]b", rf::Field::Name).has_value());
    EXPECT_EQ(rf::unescape("%41%62", rf::Field::Text), "Ab");
}

TEST(RegFilePath, SplitsOnBackslashes) {
    EXPECT_EQ(rf::splitPath(""), std::vector<std::string>{});
    EXPECT_EQ(rf::splitPath("\\"), std::vector<std::string>{});
    EXPECT_EQ(rf::splitPath("\\A\\b c\\"), (std::vector<std::string>{"A", "b c"}));
    EXPECT_FALSE(rf::splitPath("A\\\\B").has_value());
    EXPECT_FALSE(rf::splitPath("\\\\").has_value());
}

TEST(RegFileParse, AcceptsCommentsBlankLinesAndCrLf) {
    const std::string text = std::string(rf::kHeader) +
                             "\r\n# a comment\r\n\r\n[A\\B]\r\nx=s:1\r\nn=d:4294967295\r\n"
                             "bin=b:00Ff\r\n[a\\b]\r\nX=s:2\r\n";
    const auto parsed = rf::parse(text);
    ASSERT_TRUE(parsed.headerOk);
    EXPECT_TRUE(parsed.badLines.empty());
    const auto* key = parsed.data.findKey({"a", "B"});
    ASSERT_NE(key, nullptr);
    EXPECT_EQ(key->path, "A\\B");
    ASSERT_EQ(key->values.size(), 3U);
    EXPECT_EQ(key->values[0].name, "x");
    EXPECT_EQ(key->values[0].text, "2");  // the later line wins, the first spelling stays
    EXPECT_EQ(key->values[1].dword, 4294967295U);
    EXPECT_EQ(key->values[2].binary, (std::vector<std::uint8_t>{0x00, 0xFF}));
    EXPECT_NE(parsed.data.findKey({"A"}), nullptr);  // parents exist implicitly
}

TEST(RegFileParse, AWrongStartRejectsTheWholeFile) {
    for (const std::string& text :
         {std::string("[A]\nx=s:1\n"), std::string("#keymora-settings 2\n"),
          std::string("\xEF\xBB\xBF#keymora-settings 1\n"), std::string("#keymora")}) {
        const auto parsed = rf::parse(text);
        EXPECT_FALSE(parsed.headerOk) << text;
        EXPECT_EQ(parsed.data.keyCount(), 0U);
    }
}

// Whatever the bytes, parsing never fails hard, and what it keeps serialises
// to a file that reads back the same and clean.
TEST(RegFileParse, RandomAndMutatedInputKeepsWhatItReads) {
    rf::RegData data;
    auto& key = data.ensureKey({"Software", "Orrindale", "Keymora", "options"});
    for (int i = 0; i < 20; ++i) {
        keymora::cRegValue v;
        v.name = "v" + std::to_string(i) + (i % 3 == 0 ? "=[\n]" : "");
        v.type = static_cast<keymora::RegType>(i % 3);
        v.text = "text %" + std::to_string(i) + "\r\n\xFF";
        v.dword = static_cast<std::uint32_t>(i) * 1000003U;
        v.binary = {static_cast<std::uint8_t>(i), 0, 0xFF};
        rf::RegData::setValue(key, v);
    }
    const std::string good = rf::serialize(data);
    {
        const auto back = rf::parse(good);
        ASSERT_TRUE(back.headerOk);
        ASSERT_TRUE(back.badLines.empty());
        EXPECT_TRUE(back.data == data);
    }
    std::mt19937 rng(99);
    for (int round = 0; round < 3000; ++round) {
        std::string text = good;
        const int edits = 1 + static_cast<int>(rng() % 6);
        for (int e = 0; e < edits && !text.empty(); ++e) {
            const std::size_t at = rng() % text.size();
            switch (rng() % 4) {
                case 0:
                    text[at] = static_cast<char>(rng() & 0xFFU);
                    break;
                case 1:
                    text.erase(at, rng() % 40);
                    break;
                case 2:
                    text.insert(at, 1, "\n=[]%:\\sdb\0\xFF"[rng() % 13]);
                    break;
                default:
                    text.resize(at);
                    break;
            }
        }
        const auto parsed = rf::parse(text);
        const auto again = rf::parse(rf::serialize(parsed.data));
        ASSERT_TRUE(again.headerOk);
        ASSERT_TRUE(again.badLines.empty()) << round;
        ASSERT_TRUE(again.data == parsed.data) << round;
    }
}

}  // namespace
