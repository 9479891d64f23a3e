// Several real processes on one data file: the desktop program's open (keymora_holder) and keymora-cli.
#include <gtest/gtest.h>

#include "CliRunner.h"
#include "testsupport/HolderProcess.h"
#include "testsupport/TestDocuments.h"

namespace keymora::test {
namespace {

class SharedFiles : public ::testing::Test {
protected:
    TempDir dir;
    std::string kmf = dir.file("family.kmf");
    std::string csv = dir.file("rows.csv");

    void SetUp() override { writeFile(csv, "Site,User,Password,Web,Notes\nBank,ann,pw,,\n"); }
    CliResult cli(const std::string& command) {
        return runProgram({command, "-u", "me", kmf}, "pw\n");
    }
    CliResult import() { return runProgram({"import", "-u", "me", kmf, csv}, "pw\n"); }
};

TEST_F(SharedFiles, PrivateFileShutsOutEveryOtherOpenUntilMarkedShared) {
    writeDataFile(kmf, docXml(catXml("{C1}", "Home")));
    Holder owner(kmf);
    ASSERT_EQ(owner.opened, "open private");
    EXPECT_EQ(Holder(kmf).opened, "refused in-use");
    EXPECT_EQ(cli("ls").err, "File in use\n");
    EXPECT_EQ(import().err, "File in use\n");

    // Marked shared, the file is at once let in to readers, and stays shared.
    ASSERT_EQ(owner.ask("markshared"), "marked writer");
    EXPECT_EQ(Holder(kmf).opened, "open reader");
    owner.quit();
    Holder next(kmf);
    EXPECT_EQ(next.opened, "open writer");
    EXPECT_EQ(Holder(kmf).opened, "open reader");
}

TEST_F(SharedFiles, OneWriterManyReadersAndTheCommandLineWaitsForTheWriter) {
    writeDataFile(kmf, docXml(catXml("{C1}", "Home"), "shared"));
    Holder writer(kmf);
    Holder reader1(kmf);
    Holder reader2(kmf);
    ASSERT_EQ(writer.opened, "open writer");
    EXPECT_EQ(reader1.opened, "open reader");
    EXPECT_EQ(reader2.opened, "open reader");
    EXPECT_EQ(reader1.ask("add Mine"), "refused");
    EXPECT_EQ(reader1.ask("save"), "not-saved");

    // Readers of the command line read past the writer; its writers wait.
    const CliResult ls = cli("ls");
    EXPECT_EQ(ls.status, 0) << ls.err;
    EXPECT_EQ(ls.out, "Home/\n");
    EXPECT_EQ(import().err, "File in use\n");

    // The writer saves under the readers' feet; they read the new file.
    ASSERT_EQ(writer.ask("add Work"), "added");
    ASSERT_EQ(writer.ask("save"), "saved");
    EXPECT_EQ(reader2.ask("reload"), "reload opened reader");
    EXPECT_EQ(reader2.ask("categories"), "Home,Work");

    writer.quit();
    const CliResult imported = import();
    EXPECT_EQ(imported.status, 0) << imported.err;
    // The first reader to read again becomes the writer, and sees the import.
    EXPECT_EQ(reader1.ask("reload"), "reload opened writer");
    EXPECT_EQ(reader2.ask("reload"), "reload opened reader");
    EXPECT_EQ(reader1.ask("categories").rfind("Home,Work,Imported Items", 0), 0u);
}

}  // namespace
}  // namespace keymora::test
