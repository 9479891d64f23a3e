#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "support/RegFile.h"

namespace rf = keymora::regfile;

namespace {

// Every byte survives in names and texts, one line per value; plain text stays readable in an editor.
TEST(RegFileText, EveryByteRoundTripsAndReadableTextStaysReadable) {
    rf::RegData data;
    auto& key = data.ensureKey({"Every", "Byte"});
    for (int b = 0; b < 256; ++b) {
        const std::string raw = "a" + std::string(1, static_cast<char>(b)) + "b";
        rf::RegData::setValue(key, {std::to_string(b) + raw, raw});
    }
    rf::RegData::setValue(key, {"path", "C:\\Users\\me\\Gr\xC3\xBC\xC3\x9F" "e.kmf"});
    rf::RegData::setValue(key, {"blanks", " 50% "});
    rf::RegData::setValue(key, {"cut", "\xC3("});
    const std::string text = rf::serialize(data);
    const auto back = rf::parse(text);
    ASSERT_TRUE(back.headerOk);
    EXPECT_TRUE(back.badLines.empty());
    EXPECT_TRUE(back.data == data);
    // The header, two comment lines, a line per key and one per value.
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 3 + 2 + 256 + 3);
    EXPECT_NE(text.find("\npath=s:C:\\Users\\me\\Gr\xC3\xBC\xC3\x9F" "e.kmf\n"), std::string::npos);
    EXPECT_NE(text.find("\nblanks=s:%2050%25%20\n"), std::string::npos);
    EXPECT_NE(text.find("\ncut=s:%C3(\n"), std::string::npos);

    // Whole names, texts and keys that look like the file's own lines.
    rf::RegData lookalikes;
    auto& odd = lookalikes.ensureKey({"[k]", "a=b", "#c", " d "});
    for (const char* t : {"[x]", "#hash", "", " ", "a b ", "=s:", "s:fake=d:1", "end\\"})
        rf::RegData::setValue(odd, {t, t});
    const auto oddBack = rf::parse(rf::serialize(lookalikes));
    EXPECT_TRUE(oddBack.badLines.empty());
    EXPECT_TRUE(oddBack.data == lookalikes);
}

TEST(RegFileParse, MalformedLinesAreSkipped) {
    std::string text = std::string(rf::kHeader) + "\n[K]\n";
    for (const char* bad :
         {"%", "%4", "%G1", "ab%", "x\ty", "\xC3", "\xED\xA0\x80", "\xF5\x80\x80\x80"}) {
        text += std::string("v=s:") + bad + "\n";
    }
    text += "a]b=s:x\nno value here\ncount=d:42\nblob=b:00ff\nok=s:%41%62\n";
    // Values after a section line that does not close belong to no key.
    text += "[unclosed\norphan=s:lost\n";
    const auto parsed = rf::parse(text);
    EXPECT_EQ(parsed.badLines.size(), 14U);
    const auto* key = parsed.data.findKey({"K"});
    ASSERT_NE(key, nullptr);
    ASSERT_EQ(key->values.size(), 1U);
    EXPECT_EQ(key->values[0].text, "Ab");
}

TEST(RegFilePath, SplitsOnBackslashes) {
    EXPECT_EQ(rf::splitPath(""), std::vector<std::string>{});
    EXPECT_EQ(rf::splitPath("\\"), std::vector<std::string>{});
    EXPECT_EQ(rf::splitPath("\\A\\b c\\"), (std::vector<std::string>{"A", "b c"}));
    EXPECT_FALSE(rf::splitPath("A\\\\B").has_value());
    EXPECT_FALSE(rf::splitPath("\\\\").has_value());
    // Bounded: a key is kept with each of its parents.
    std::string parts = "a";
    for (std::size_t i = 1; i < rf::kMaxPathParts; ++i) parts += "\\a";
    EXPECT_EQ(rf::splitPath(parts)->size(), rf::kMaxPathParts);
    EXPECT_FALSE(rf::splitPath(parts + "\\a").has_value());
    EXPECT_FALSE(rf::splitPath(std::string(rf::kMaxPathLength + 1, 'k')).has_value());
    std::string huge = "a";
    for (int i = 0; i < 100000; ++i) huge += "\\a";
    EXPECT_FALSE(rf::splitPath(huge).has_value());
    EXPECT_EQ(rf::parse(std::string(rf::kHeader) + "\n[" + huge + "]\nx=s:1\n").badLines,
              (std::vector<std::size_t>{2, 3}));
}

TEST(RegFileParse, AcceptsCommentsBlankLinesAndCrLf) {
    const std::string text = std::string(rf::kHeader) +
                             "\r\n# a comment\r\n\r\n[A\\B]\r\nx=s:1\r\ny=s:\r\n[a\\b]\r\nX=s:2\r\n[a\\b\\C]\r\n";
    const auto parsed = rf::parse(text);
    ASSERT_TRUE(parsed.headerOk);
    EXPECT_TRUE(parsed.badLines.empty());
    const auto* key = parsed.data.findKey({"a", "B"});
    ASSERT_NE(key, nullptr);
    EXPECT_EQ(key->path, "A\\B");
    ASSERT_EQ(key->values.size(), 2U);
    EXPECT_EQ(key->values[0].name, "x");
    EXPECT_EQ(key->values[0].text, "2");  // the later line wins, the first spelling stays
    EXPECT_EQ(key->values[1].text, "");
    EXPECT_NE(parsed.data.findKey({"A"}), nullptr);  // parents exist implicitly
    // A key under a differently spelled parent joins that parent.
    ASSERT_NE(parsed.data.findKey({"A", "B", "C"}), nullptr);
    EXPECT_EQ(parsed.data.findKey({"A", "B", "C"})->path, "A\\B\\C");
    // An empty root section is no data: it is not written, and reads back equal (fuzzer).
    const rf::ParseResult root = rf::parse(std::string(rf::kHeader) + "\n[]\n");
    EXPECT_TRUE(rf::parse(rf::serialize(root.data)).data == root.data);
}

TEST(RegFileParse, AWrongStartRejectsTheWholeFile) {
    for (const std::string& text :
         {std::string("[A]\nx=s:1\n"), std::string("#keymora-settings 2\n"),
          std::string("\xEF\xBB\xBF#keymora-settings 1\n"), std::string("#keymora")}) {
        const auto parsed = rf::parse(text);
        EXPECT_FALSE(parsed.headerOk) << text;
        EXPECT_TRUE(parsed.data == rf::RegData());
    }
}

// Any bytes parse without failing hard, and what is kept serialises to a file that reads back clean.
TEST(RegFileParse, RandomAndMutatedInputKeepsWhatItReads) {
    rf::RegData data;
    auto& key = data.ensureKey({"Software", "Orrindale", "Keymora", "options"});
    for (int i = 0; i < 20; ++i) {
        rf::RegData::setValue(key, {"v" + std::to_string(i) + (i % 3 == 0 ? "=[\n]" : ""),
                                    "text %" + std::to_string(i) + "\r\n\xFF"});
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
