#include <gtest/gtest.h>

#include <climits>
#include <sstream>
#include <string>

#include "support/ClsReg.h"
#include "support/Options.h"
#include "testsupport/TempDir.h"

namespace opt = keymora::options;
using keymora::clsReg;
using keymora::RegRoot;
using keymora::test::TempDir;

namespace {

class OptionsTest : public ::testing::Test {
protected:
    void put(const char* name, const std::string& text) {
        ASSERT_TRUE(m_reg.WriteString(RegRoot::CurrentUser, keymora::kOptionsKey, name, text));
    }
    std::string raw(const char* name) const {
        return m_reg.ReadString(RegRoot::CurrentUser, keymora::kOptionsKey, name, "<absent>");
    }

    TempDir m_dir;
    clsReg m_reg{m_dir.file("settings.reg")};
};

// Everything the readers give, to compare before and after seeding.
std::string readings(const clsReg& reg) {
    const opt::WindowPlacement p = opt::MainWindowPlacement(reg);
    std::ostringstream all;
    all << opt::ClipboardTimeout(reg) << ' ' << opt::FormDisplayTimeout(reg) << ' ' << opt::FormOverallDisplayTimeout(reg)
        << ' ' << opt::UseCompression(reg) << opt::ConfirmEntryDeletes(reg) << opt::AutoSaveChanges(reg)
        << opt::AutoOpenFile(reg) << ' ' << p.left << ',' << p.top << ',' << p.width << ',' << p.height << ','
        << p.state << ' ' << opt::SplitterTwips(reg) << '|' << opt::FileToOpen(reg) << '|' << opt::PasswordFiles(reg)
        << '|' << opt::PasswordMask(reg);
    return all.str();
}

// Seeding fills only missing or empty values, and what it writes is what a reader falls back to.
TEST_F(OptionsTest, SeedingChangesNothingAReaderSees) {
    const std::string fallbacks = readings(m_reg);
    put("clipboard timeout", "");
    keymora::SeedOptionDefaults(m_reg);
    EXPECT_EQ(readings(m_reg), fallbacks);
    // Under the names existing settings files use.
    for (const char* name : {"clipboard timeout", "form display timeout", "form overall display timeout",
                             "use compression", "Confirm Entry Deletes", "Auto Save Changes"})
        EXPECT_NE(raw(name), "<absent>") << name;
    EXPECT_EQ(m_reg.ListValues(RegRoot::CurrentUser, keymora::kOptionsKey).size(), 6U);

    put("form display timeout", "5000");
    put("Auto Save Changes", "0");
    keymora::SeedOptionDefaults(m_reg);
    EXPECT_EQ(opt::FormDisplayTimeout(m_reg), 5000);
    EXPECT_FALSE(opt::AutoSaveChanges(m_reg));
}

TEST_F(OptionsTest, NumbersAreTrimmedAndTextThatIsNoNumberFallsBack) {
    const struct {
        const char* text;
        int expected;
    } cases[] = {
        {" 3000\t", 3000}, {"2500.9", 2500},  {"+7", 7},        {"-5", -5},
        {"1e3", 1000},     {"99999999999", INT_MAX},            {"", 2000},
        {"abc", 2000},     {"12abc", 2000},   {"0x10", 2000},   {"inf", 2000},
        {"nan", 2000},     {"+-1", 2000},     {"1e30", 2000},
    };
    for (const auto& c : cases) {
        put("clipboard timeout", c.text);
        EXPECT_EQ(opt::ClipboardTimeout(m_reg), c.expected) << '"' << c.text << '"';
    }
    // The inactivity lock must not fire after two seconds on a damaged value.
    put("form overall display timeout", "two minutes");
    EXPECT_EQ(opt::FormOverallDisplayTimeout(m_reg), 120000);
    put("form display timeout", "x");
    EXPECT_EQ(opt::FormDisplayTimeout(m_reg), 2000);
}

TEST_F(OptionsTest, SwitchesAreOnForOneAndConfirmationIsOffOnlyForZero) {
    const struct {
        const char* text;
        bool on;        // Auto Save Changes, use compression: fallback on
        bool autoOpen;  // fallback off
        bool confirm;
    } cases[] = {
        {"1", true, true, true},      {" 1.0 ", true, true, true}, {"0", false, false, false},
        {"0.0", false, false, false}, {"2", false, false, true},   {"-1", false, false, true},
        {"yes", true, false, true},   {"", true, false, true},
    };
    for (const auto& c : cases) {
        for (const char* name :
             {"Auto Save Changes", "use compression", "auto open file", "Confirm Entry Deletes"})
            put(name, c.text);
        EXPECT_EQ(opt::AutoSaveChanges(m_reg), c.on) << '"' << c.text << '"';
        EXPECT_EQ(opt::UseCompression(m_reg), c.on) << '"' << c.text << '"';
        EXPECT_EQ(opt::AutoOpenFile(m_reg), c.autoOpen) << '"' << c.text << '"';
        EXPECT_EQ(opt::ConfirmEntryDeletes(m_reg), c.confirm) << '"' << c.text << '"';
    }
}

// Existing settings files hold these names and texts.
TEST_F(OptionsTest, WritesKeepTheStoredNamesAndForms) {
    // The options the dialog writes are tst_options'.
    opt::SetMainWindowPlacement(m_reg, {-15, 30, 9600, 7200, 0});
    EXPECT_EQ(raw("MainLeft"), "-15");
    EXPECT_EQ(raw("MainTop"), "30");
    EXPECT_EQ(raw("MainWidth"), "9600");
    EXPECT_EQ(raw("MainHeight"), "7200");
    EXPECT_EQ(raw("MainWindowState"), "0");
    EXPECT_EQ(opt::MainWindowPlacement(m_reg), (opt::WindowPlacement{-15, 30, 9600, 7200, 0}));

    // The splitter value counts only beside its key, which a write creates.
    put("\\Splitter", "3000");
    EXPECT_EQ(opt::SplitterTwips(m_reg), 1965);
    opt::SetSplitterTwips(m_reg, 2400);
    EXPECT_TRUE(m_reg.KeyExist(RegRoot::CurrentUser, std::string(keymora::kOptionsKey) + "\\Splitter"));
    EXPECT_EQ(raw("\\Splitter"), "2400");
    EXPECT_EQ(opt::SplitterTwips(m_reg), 2400);
}

TEST_F(OptionsTest, PlacementIsRoundedAndHeldToSixteenBits) {
    put("MainLeft", "-48000");
    put("MainTop", "1000.6");
    put("MainWidth", "abc");
    put("MainHeight", "99999999");
    put("MainWindowState", " 0 ");
    EXPECT_EQ(opt::MainWindowPlacement(m_reg), (opt::WindowPlacement{-32768, 1001, 6500, 32767, 0}));
}

TEST_F(OptionsTest, PasswordMaskIsOneWholeCharacter) {
    const struct {
        const char* text;
        const char* mask;
    } cases[] = {{"  ", "*"},
                 {" x ", "x"},
                 {"ab", "a"},
                 {"\xC3\xA9!", "\xC3\xA9"},
                 {" \xE2\x97\x8F\xE2\x97\x8F", "\xE2\x97\x8F"}};
    for (const auto& c : cases) {
        put("Password Mask", c.text);
        EXPECT_EQ(opt::PasswordMask(m_reg), c.mask) << '"' << c.text << '"';
    }
    EXPECT_EQ(raw("Password Mask"), " \xE2\x97\x8F\xE2\x97\x8F");  // never rewritten
}

}  // namespace
