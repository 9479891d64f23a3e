#include "support/Cp1252.h"

#include <gtest/gtest.h>

#include <string>

using namespace keymora;

namespace {

std::string allBytes() {
    std::string s;
    for (int b = 0; b < 256; ++b) s.push_back(static_cast<char>(b));
    return s;
}

}  // namespace

TEST(Cp1252, BytesBecomeTheirCharacters) {
    EXPECT_EQ(cp1252::toUtf8("\x8A\x99\x9F\xA0"), "\xC5\xA0\xE2\x84\xA2\xC5\xB8\xC2\xA0");
    // The five holes of the code page read as the C1 control of the same value.
    EXPECT_EQ(cp1252::toUtf8("\x81\x8D\x8F\x90\x9D"), "\xC2\x81\xC2\x8D\xC2\x8F\xC2\x90\xC2\x9D");
    EXPECT_EQ(cp1252::toUtf8("caf\xE9"), "caf\xC3\xA9");
    EXPECT_EQ(cp1252::toUtf8("\x80 5"), "\xE2\x82\xAC 5");
    EXPECT_EQ(cp1252::toUtf8("\x93q\x94"), "\xE2\x80\x9Cq\xE2\x80\x9D");
    EXPECT_EQ(cp1252::toUtf8(std::string("a\0b", 3)), std::string("a\0b", 3));
    EXPECT_EQ(cp1252::fromUtf8("\xC5\x93uvre"), "\x9Cuvre");
}

TEST(Cp1252, EveryByteRoundTripsThroughUtf8) {
    const std::string bytes = allBytes();
    const std::string utf8 = cp1252::toUtf8(bytes);
    EXPECT_TRUE(cp1252::isValidUtf8(utf8));
    EXPECT_EQ(cp1252::utf8Length(utf8), 256u);
    EXPECT_EQ(cp1252::fromUtf8(utf8), bytes);
    EXPECT_EQ(cp1252::fromUtf8XmlText(utf8), bytes);
}

TEST(Cp1252, MissingCharactersBecomeQuestionMarks) {
    EXPECT_EQ(cp1252::fromUtf8("\xC2\x80"), "?");                         // U+0080 is not 0x80
    EXPECT_EQ(cp1252::fromUtf8("a\xE4\xB8\xAD" "b"), "a?b");            // U+4E2D
    EXPECT_EQ(cp1252::fromUtf8("\xF0\x9F\x98\x80"), "?");               // one emoji, one '?'
    EXPECT_EQ(cp1252::fromUtf8("\xCE\xA9"), "?");                       // Greek omega
}

TEST(Cp1252, InvalidUtf8IsReplacedNotTrusted) {
    EXPECT_FALSE(cp1252::isValidUtf8("\xC3"));              // truncated
    EXPECT_FALSE(cp1252::isValidUtf8("\xC0\xAF"));          // overlong '/'
    EXPECT_FALSE(cp1252::isValidUtf8("\xED\xA0\x80"));      // surrogate
    EXPECT_FALSE(cp1252::isValidUtf8("\xF4\x90\x80\x80"));  // beyond U+10FFFF
    EXPECT_FALSE(cp1252::isValidUtf8("\x80"));              // lone continuation
    EXPECT_TRUE(cp1252::isValidUtf8("plain ascii, long enough for the word loop"));
    EXPECT_TRUE(cp1252::isValidUtf8("\xF4\x8F\xBF\xBF"));
    EXPECT_EQ(cp1252::fromUtf8("a\xC3"), "a?");
    EXPECT_EQ(cp1252::fromUtf8("\xC0\xAFx"), "??x");
    EXPECT_EQ(cp1252::fromUtf8("\xE2\x82"), "??");
    EXPECT_EQ(cp1252::fromUtf8XmlText("\xFF"), "?");
}

TEST(Cp1252, XmlTextKeepsForeignCharactersAsReferences) {
    EXPECT_EQ(cp1252::fromUtf8XmlText("<a>\xE4\xB8\xAD\xE6\x96\x87</a>"),
              "<a>&#20013;&#25991;</a>");
    EXPECT_EQ(cp1252::fromUtf8XmlText("x=\"\xF0\x9F\x98\x80\""), "x=\"&#128512;\"");
    EXPECT_EQ(cp1252::fromUtf8XmlText("\xC2\x80"), "&#128;");
    // Characters the code page has stay single bytes.
    EXPECT_EQ(cp1252::fromUtf8XmlText("\xE2\x82\xAC\xC3\xA9"), "\x80\xE9");
}

TEST(Cp1252, LongMixedTextSurvivesTheAsciiFastPath) {
    std::string bytes;
    for (int i = 0; i < 5000; ++i) {
        bytes += "entry number ";
        bytes += std::to_string(i);
        bytes.push_back(static_cast<char>(0x80 + i % 128));
    }
    const std::string utf8 = cp1252::toUtf8(bytes);
    EXPECT_TRUE(cp1252::isValidUtf8(utf8));
    EXPECT_EQ(cp1252::fromUtf8(utf8), bytes);
    EXPECT_EQ(cp1252::utf8Length(utf8), bytes.size());
}

TEST(Cp1252, InPlaceFormsAgreeWithTheCopyingOnes) {
    const std::string longAscii(100, 'x');
    for (const std::string& utf8 :
         {std::string(), longAscii, cp1252::toUtf8(allBytes()), longAscii + "caf\xC3\xA9" + longAscii,
          "\xE4\xB8\xAD" + longAscii, longAscii + "\xC3\xA9\xF0\x9F\x98\x80 and \xE2\x82\xAC",
          std::string("\xC3\xA9\xFF\xC3 x\xE2\x82")}) {
        std::string inPlace = utf8;
        cp1252::fromUtf8XmlTextInPlace(inPlace);
        EXPECT_EQ(inPlace, cp1252::fromUtf8XmlText(utf8)) << utf8;
    }
    for (const std::string& bytes : {std::string(), longAscii, allBytes(), longAscii + "\xE9"}) {
        std::string inPlace = bytes;
        cp1252::toUtf8InPlace(inPlace);
        EXPECT_EQ(inPlace, cp1252::toUtf8(bytes));
    }
}
