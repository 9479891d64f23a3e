#include "storage/CompressZIt.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <random>
#include <string>

using namespace keymora;

namespace {

std::string sampleText() {
    std::string text = "<datafile><records>";
    for (int i = 0; i < 200; ++i) {
        text += "<record_detail type=\"entry\" id=\"{" + std::to_string(i) +
                "}\"><resource>Bank " + std::to_string(i) + "</resource></record_detail>";
    }
    return text + "</records></datafile>";
}

std::string randomBytes(std::size_t n, unsigned seed) {
    std::mt19937 rng(seed);
    std::string s(n, '\0');
    for (auto& c : s) c = static_cast<char>(rng() & 0xFF);
    return s;
}

std::string compressed(const std::string& text) {
    std::string s = text;
    CompressZIt zip;
    EXPECT_EQ(zip.CompressString(s), Z_OK);
    return s;
}

}  // namespace

// Round trips are ContainerTest's; text that does not compress still fits: 1,000 characters in 1,022 bytes.
TEST(CompressZIt, IncompressibleTextStillFitsAndExpandsBack) {
    const std::string noise = randomBytes(1000, 7);
    std::string grown = noise;
    CompressZIt zip;
    ASSERT_EQ(zip.CompressString(grown), Z_OK);
    EXPECT_GT(grown.size(), 1000u);
    EXPECT_LE(grown.size(), 1022u);
    ASSERT_EQ(zip.DecompressString(grown, 1000), Z_OK);
    EXPECT_EQ(grown, noise);
}

TEST(CompressZIt, ExpectedSizeRules) {
    const std::string text = sampleText();
    const auto n = static_cast<std::int32_t>(text.size());
    const std::string stream = compressed(text);
    EXPECT_LT(stream.size(), text.size());

    // Exact size and one below fit (one byte to spare); bytes after the stream (the size field) are ignored.
    for (const std::int32_t expected : {n, n - 1, n + 500}) {
        std::string s = stream + "12345     ";
        CompressZIt zip;
        EXPECT_EQ(zip.DecompressString(s, expected), Z_OK) << expected;
        EXPECT_EQ(s, text);
    }
    // Two or more below: Z_BUF_ERROR, text left compressed.
    for (const std::int32_t expected : {n - 2, n / 2, 0}) {
        std::string s = stream;
        CompressZIt zip;
        EXPECT_EQ(zip.DecompressString(s, expected), Z_BUF_ERROR) << expected;
        EXPECT_EQ(s, stream);
    }
}

TEST(CompressZIt, GarbageIsADataErrorAndLeftAlone) {
    const std::string garbage = "this is not a zlib stream at all";
    std::string s = garbage;
    CompressZIt zip;
    EXPECT_EQ(zip.DecompressString(s, 1000), Z_DATA_ERROR);
    EXPECT_EQ(s, garbage);

    // A stream cut short never reports success.
    std::string cut = compressed(sampleText());
    cut.resize(cut.size() / 2);
    const std::string before = cut;
    EXPECT_NE(zip.DecompressString(cut, 100000), Z_OK);
    EXPECT_EQ(cut, before);
}

TEST(CompressZIt, ImpossibleExpectedSizesFailWithoutAllocating) {
    const std::string text = sampleText();
    const std::string stream = compressed(text);
    // A size no stream this long could fill (over 1032 times), or a negative one, is refused before allocating.
    for (const std::int32_t expected :
         {std::int32_t{-1}, std::int32_t{-2147483647 - 1}, std::int32_t{2147483647},
          static_cast<std::int32_t>(stream.size() * 1032 + 2000)}) {
        std::string s = stream;
        CompressZIt zip;
        const int code = zip.DecompressString(s, expected);
        EXPECT_TRUE(code == Z_BUF_ERROR || code == Z_DATA_ERROR) << expected << " -> " << code;
        EXPECT_EQ(s, stream);
    }
}

TEST(CompressZIt, HighlyCompressibleDataStillExpands) {
    // Zeros compress close to zlib's limit; the sanity bound must not refuse them.
    const std::string zeros(8 << 20, '\0');
    std::string s(compressBound(zeros.size()), '\0');
    uLongf size = s.size();
    ASSERT_EQ(compress2(reinterpret_cast<Bytef*>(s.data()), &size,
                        reinterpret_cast<const Bytef*>(zeros.data()), zeros.size(), 9),
              Z_OK);
    s.resize(size);
    EXPECT_LT(s.size() * 1000, zeros.size());
    CompressZIt zip;
    ASSERT_EQ(zip.DecompressString(s, static_cast<std::int32_t>(zeros.size())), Z_OK);
    EXPECT_EQ(s.size(), zeros.size());
    EXPECT_EQ(s, zeros);
}

