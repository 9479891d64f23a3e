// The built keymora-cli program, and the example file shipped with it.
#include <gtest/gtest.h>

#include "CliRunner.h"
#include "testsupport/TempDir.h"

namespace keymora::test {
namespace {

TEST(CliProgram, EncodeThenCatThroughTheRealProgram) {
    TempDir dir;
    const std::string xml =
        "<datafile version=\"1.5\" filetype=\"private\"><records>"
        "<category id=\"{00000000-0000-0000-0000-000000000001}\" type=\"category\" "
        "value=\"\xC3\xA9\xE2\x82\xAC\xC3\xBC\"/></records></datafile>\n";
    writeFile(dir.file("in.xml"), xml);

    const auto enc = runProgram({"encode", "-u", "zoe", dir.file("in.xml"), dir.file("f.kmf")},
                                "pw\xC3\xA9\npw\xC3\xA9\n");
    ASSERT_EQ(enc.status, 0) << enc.err;

    const auto cat = runProgram({"cat", "-u", "zoe", dir.file("f.kmf")}, "pw\xC3\xA9\n");
    ASSERT_EQ(cat.status, 0) << cat.err;
    EXPECT_EQ(cat.out, xml);
}

TEST(ExampleFile, OpensWithTheDocumentedCredentialsAndMatchesItsSource) {
    const std::string kmf = std::string(KEYMORA_SOURCE_DIR) + "/examples/example.kmf";
    const std::string xml = std::string(KEYMORA_SOURCE_DIR) + "/examples/example.xml";
    const auto cat = runProgram({"cat", "-u", "demo", kmf}, "keymora\n");
    ASSERT_EQ(cat.status, 0) << cat.err;
    EXPECT_EQ(cat.out, readFile(xml));

    const auto ls = runInProcess({"ls", "-u", "demo", kmf}, "keymora\n");
    ASSERT_EQ(ls.status, 0) << ls.err;
    EXPECT_NE(ls.out.find("Internet Sites/\n"), std::string::npos);
    EXPECT_NE(ls.out.find("\n    Lab/\n      Raspberry Pi\n"), std::string::npos) << ls.out;
}

}  // namespace
}  // namespace keymora::test
