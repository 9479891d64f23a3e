#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/ClsReg.h"
#include "support/RecentFiles.h"
#include "testsupport/TempDir.h"

namespace rf = keymora::recentfiles;
using keymora::clsReg;
using keymora::RegRoot;
using keymora::test::TempDir;
using Names = std::vector<std::string>;

namespace {

class RecentFilesTest : public ::testing::Test {
protected:
    void setList(const Names& names) {
        m_reg.WriteString(RegRoot::CurrentUser, keymora::kMruKey, "MRUNumber",
                          std::to_string(names.size()));
        for (std::size_t i = 0; i < names.size(); ++i)
            m_reg.WriteString(RegRoot::CurrentUser, keymora::kMruKey, "File" + std::to_string(i + 1),
                              names[i]);
    }
    void setCountText(const std::string& text) {
        m_reg.WriteString(RegRoot::CurrentUser, keymora::kMruKey, "MRUNumber", text);
    }
    std::string countText() const {
        return m_reg.ReadString(RegRoot::CurrentUser, keymora::kMruKey, "MRUNumber", "<absent>");
    }
    Names list() const { return rf::List(m_reg); }

    TempDir m_dir;
    clsReg m_reg{m_dir.file("settings.reg")};
};

Names numbered(int from, int to) {
    Names names;
    for (int i = from; i <= to; ++i) names.push_back("/d/" + std::to_string(i) + ".kmf");
    return names;
}

TEST_F(RecentFilesTest, OpeningMovesTheNameToTheTop) {
    EXPECT_TRUE(list().empty());
    rf::AddToMRU(m_reg, "a");
    EXPECT_EQ(list(), (Names{"a"}));
    EXPECT_EQ(countText(), "1");
    rf::AddToMRU(m_reg, "b");
    rf::AddToMRU(m_reg, "c");
    EXPECT_EQ(list(), (Names{"c", "b", "a"}));

    // A listed name moves up without a second copy; the ones above it shift down.
    rf::AddToMRU(m_reg, "a");
    EXPECT_EQ(list(), (Names{"a", "c", "b"}));
    rf::AddToMRU(m_reg, "a");
    EXPECT_EQ(list(), (Names{"a", "c", "b"}));
    // Letter case makes another name.
    rf::AddToMRU(m_reg, "A");
    EXPECT_EQ(list(), (Names{"A", "a", "c", "b"}));

    // Opening is not capped at ten.
    setList(numbered(1, 10));
    rf::AddToMRU(m_reg, "/d/new.kmf");
    ASSERT_EQ(list().size(), 11U);
    EXPECT_EQ(list().front(), "/d/new.kmf");
    EXPECT_EQ(list().back(), "/d/10.kmf");
}

TEST_F(RecentFilesTest, SavingBelowTenAppendsOnceAtTheBottom) {
    rf::RememberSaved(m_reg, "/d/first.kmf");
    EXPECT_EQ(list(), (Names{"/d/first.kmf"}));
    setList({"/d/x.kmf", "/d/y.kmf", "/d/z.kmf"});
    rf::RememberSaved(m_reg, "/d/new.kmf");
    EXPECT_EQ(list(), (Names{"/d/x.kmf", "/d/y.kmf", "/d/z.kmf", "/d/new.kmf"}));
    // Already listed: it keeps its place and the list its length.
    rf::RememberSaved(m_reg, "/d/y.kmf");
    EXPECT_EQ(list(), (Names{"/d/x.kmf", "/d/y.kmf", "/d/z.kmf", "/d/new.kmf"}));
    EXPECT_EQ(countText(), "4");
    rf::RememberSaved(m_reg, "/d/Y.kmf");
    EXPECT_EQ(list().back(), "/d/Y.kmf");

    // Nine entries: the tenth is still appended.
    setList(numbered(1, 9));
    rf::RememberSaved(m_reg, "/d/tenth.kmf");
    EXPECT_EQ(list().size(), 10U);
    EXPECT_EQ(list().back(), "/d/tenth.kmf");
}

TEST_F(RecentFilesTest, SavingFromTenOnMovesTheNameToTheTop) {
    setList(numbered(1, 10));
    rf::RememberSaved(m_reg, "/d/7.kmf");
    Names expected = {"/d/7.kmf", "/d/1.kmf", "/d/2.kmf", "/d/3.kmf", "/d/4.kmf",
                      "/d/5.kmf", "/d/6.kmf", "/d/8.kmf", "/d/9.kmf", "/d/10.kmf"};
    EXPECT_EQ(list(), expected);

    rf::RememberSaved(m_reg, "/d/new.kmf");
    expected.insert(expected.begin(), "/d/new.kmf");
    EXPECT_EQ(list(), expected);
    EXPECT_EQ(countText(), "11");
}

TEST_F(RecentFilesTest, DamagedCountReadsAsAnEmptyList) {
    for (const char* damaged : {"abc", "-3", "", "3x", "99999999999999999999"}) {
        SCOPED_TRACE(damaged);
        setList({"/d/old.kmf"});
        setCountText(damaged);
        EXPECT_TRUE(list().empty());
        rf::RememberSaved(m_reg, "/d/saved.kmf");
        EXPECT_EQ(list(), (Names{"/d/saved.kmf"}));

        setCountText(damaged);
        rf::AddToMRU(m_reg, "/d/opened.kmf");
        EXPECT_EQ(list(), (Names{"/d/opened.kmf"}));
        EXPECT_EQ(countText(), "1");
    }
    // Blanks and a plus sign around a number are fine.
    setList({"/d/a.kmf", "/d/b.kmf"});
    setCountText(" +2 ");
    EXPECT_EQ(list(), (Names{"/d/a.kmf", "/d/b.kmf"}));
    // No value is ever written under a name like "File-2".
    EXPECT_EQ(m_reg.ReadString(RegRoot::CurrentUser, keymora::kMruKey, "File-2", "<absent>"),
              "<absent>");
}

// A count of two billion neither hangs nor exhausts memory; the list stays bounded.
TEST_F(RecentFilesTest, HugeCountIsReadOnlyAsFarAsTheLimit) {
    setCountText("2000000000");
    EXPECT_EQ(list().size(), static_cast<std::size_t>(rf::kMaxEntries));
    rf::AddToMRU(m_reg, "/d/new.kmf");
    EXPECT_EQ(countText(), std::to_string(rf::kMaxEntries));
    EXPECT_EQ(list().front(), "/d/new.kmf");
}

TEST_F(RecentFilesTest, MissingEntriesReadAsEmptyNames) {
    setCountText("3");
    m_reg.WriteString(RegRoot::CurrentUser, keymora::kMruKey, "File1", "/d/a.kmf");
    m_reg.WriteString(RegRoot::CurrentUser, keymora::kMruKey, "File3", "/d/c.kmf");
    EXPECT_EQ(list(), (Names{"/d/a.kmf", "", "/d/c.kmf"}));
}

}  // namespace
