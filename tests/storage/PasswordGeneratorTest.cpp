#include "storage/PasswordGenerator.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>

#include "support/KmError.h"

using namespace keymora;
using namespace keymora::passwordgen;

namespace {

std::string pattern(int index) { return kClasses[static_cast<std::size_t>(index)].pattern; }

std::set<char> range(char from, char to) {
    std::set<char> s;
    for (int c = from; c <= to; ++c) s.insert(static_cast<char>(c));
    return s;
}

std::set<char> join(std::initializer_list<std::set<char>> parts) {
    std::set<char> all;
    for (const auto& p : parts) all.insert(p.begin(), p.end());
    return all;
}

// Draws many passwords and returns how often each character came.
std::map<char, int> histogram(int index, int length, int count) {
    std::map<char, int> seen;
    for (int i = 0; i < count; ++i) {
        const std::string pw = GenPassword(length, pattern(index));
        EXPECT_EQ(pw.size(), static_cast<std::size_t>(length));
        for (char c : pw) ++seen[c];
    }
    return seen;
}

TEST(PasswordGeneratorTest, EachClassDrawsExactlyItsAlphabet) {
    const std::set<char> upper = range('A', 'Z'), lower = range('a', 'z'), digits = range('0', '9');
    const std::set<char> special = {'@', '#', '$', '%', '&', '*', '(', ')', '?'};
    const std::set<char> expected[5] = {upper, lower, join({upper, lower}), join({upper, lower, digits}),
                                        join({upper, lower, digits, special})};
    for (int index = 0; index < 5; ++index) {
        const auto seen = histogram(index, 15, 600);
        std::set<char> chars;
        for (const auto& [c, n] : seen) chars.insert(c);
        // Every allowed character turns up over 9,000 draws, and nothing else.
        EXPECT_EQ(chars, expected[index]) << "class " << index;
    }
}

TEST(PasswordGeneratorTest, AllowedCharactersAreEquallyLikely) {
    // 71 characters over 60,000 draws: ~845 each, sd ~29, bounds five sd away; a byte modulo would give ~620.
    const auto seen = histogram(4, 15, 4000);
    ASSERT_EQ(seen.size(), 71u);
    for (const auto& [c, n] : seen) {
        EXPECT_GT(n, 700) << c;
        EXPECT_LT(n, 990) << c;
    }
}

TEST(PasswordGeneratorTest, LengthsAtTheEdges) {
    EXPECT_EQ(GenPassword(0, pattern(4)), "");
    EXPECT_EQ(GenPassword(1, pattern(0)).size(), 1u);
    EXPECT_EQ(GenPassword(kMaxLength, pattern(3)).size(), 15u);
    EXPECT_NE(GenPassword(15, pattern(4)), GenPassword(15, pattern(4)));

    for (int bad : {-1, -32768, 16, 32767}) {
        try {
            GenPassword(bad, pattern(4));
            ADD_FAILURE() << bad << " was accepted";
        } catch (const KmError& e) {
            EXPECT_EQ(e.source().rfind("GenPassword Function\r\n", 0), 0u);
            EXPECT_NE(e.description().find("15"), std::string::npos);
        }
    }
    EXPECT_THROW(GenPassword(8, "[A-Z"), KmError);
    EXPECT_THROW(GenPassword(8, "[0-9]"), KmError);
}

TEST(PasswordGeneratorTest, PatternsNameTheirClass) {
    EXPECT_EQ(ClassOfPattern("[A-Za-z0-9\\@\\#\\$\\%\\&\\*\\(\\)\\?]"), 4);
    EXPECT_EQ(ClassOfPattern("[A-Z]"), 0);
    EXPECT_EQ(ClassOfPattern("[a-z]{3}"), -1);
    // The message around the password is tst_generatepassword's.
}

TEST(PasswordGeneratorTest, LengthBoxCheck) {
    for (const auto& [text, shown] :
         {std::pair{"20", "15"}, {"16", "15"}, {"15", "15"}, {"8", "8"}, {"-3", "-3"}}) {
        EXPECT_TRUE(CheckLengthText(text).numeric) << text;
        EXPECT_EQ(CheckLengthText(text).text, shown) << text;
    }
    EXPECT_TRUE(CheckLengthText(" 12 ").numeric);
    for (const char* text : {"abc", "", " ", "8x", "1 2"}) EXPECT_FALSE(CheckLengthText(text).numeric) << text;
}

}  // namespace
