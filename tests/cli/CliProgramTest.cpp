// The built keymora-cli program, on the example file shipped with it (what
// each command does is checked in process by the other tests here).
#include <gtest/gtest.h>

#include "CliRunner.h"
#include "testsupport/TempDir.h"

namespace keymora::test {
namespace {

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
