#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "keymora/Version.h"
#include "support/ClsReg.h"
#include "support/ErrorHandling.h"
#include "support/EventLog.h"
#include "testsupport/TempDir.h"

using keymora::clsReg;
using keymora::KmError;
using keymora::RegRoot;
using keymora::test::TempDir;
namespace eh = keymora::modErrorHandling;
namespace errnum = keymora::errnum;
using ::testing::HasSubstr;

namespace {

std::vector<std::pair<std::string, std::string>> g_events;
bool g_sinkFails = false;

}  // namespace

// Stands in for the system log writer; linked first, so the library's copy is never pulled in.
void keymora::eventlog::Write(const std::string& source, const std::string& message) {
    if (g_sinkFails) throw std::runtime_error("event log unavailable");
    g_events.emplace_back(source, message);
}

namespace {

const std::string kVersion = std::string("(Version ") + keymora::kVersionText;

class ErrorHandlingTest : public ::testing::Test {
protected:
    void SetUp() override {
        g_events.clear();
        g_sinkFails = false;
        // The handler reads its switches from the user's store: point it here.
        const char* old = std::getenv("KEYMORA_CONFIG_DIR");
        m_oldConfig = old != nullptr ? old : "";
        setenv("KEYMORA_CONFIG_DIR", m_dir.path().c_str(), 1);
    }
    void TearDown() override { setenv("KEYMORA_CONFIG_DIR", m_oldConfig.c_str(), 1); }
    std::string m_oldConfig;

    std::string logSetting(const std::string& name) const {
        return m_store.ReadString(RegRoot::CurrentUser, eh::kLogKey, name, "<unset>");
    }
    void enableLogging(const std::string& enabled) {
        ASSERT_TRUE(m_store.WriteString(RegRoot::CurrentUser, eh::kLogKey, "Enabled", enabled));
    }

    // Runs the handler the way the cipher module does and returns what it raised.
    static KmError handle(std::int32_t number, const std::string& source, int line,
                          const std::string& description,
                          const std::string& proc = "modCrypto.Encrypt PROC") {
        try {
            eh::HandleException("SYSTEMLEVEL", number, source, line, proc, 0, description);
        } catch (const KmError& e) {
            return e;
        }
        ADD_FAILURE() << "HandleException returned normally";
        return KmError(0, "", "");
    }

    TempDir m_dir;
    clsReg m_store{m_dir.file("settings.reg")};
};

TEST_F(ErrorHandlingTest, FirstErrorSwitchesLoggingOffAndStillReachesTheCaller) {
    const KmError e = handle(errnum::kInputBufferEmpty, "modCrypto.Encrypt PROC", 0,
                             "InputBuffer can not be empty.");
    EXPECT_EQ(e.number(), errnum::kInputBufferEmpty);
    EXPECT_EQ(e.source(), "modCrypto.Encrypt PROC");
    EXPECT_EQ(e.description(), "InputBuffer can not be empty.  " + kVersion + ")");
    EXPECT_EQ(logSetting("Enabled"), "False");
    EXPECT_EQ(logSetting("MachineName"), "<unset>");
    EXPECT_TRUE(g_events.empty());

    // Written once, the switch stays off for later errors too.
    handle(errnum::kInputBufferEmpty, "x", 3, "again");
    EXPECT_EQ(logSetting("Enabled"), "False");
    EXPECT_TRUE(g_events.empty());
}

TEST_F(ErrorHandlingTest, EnabledInAnyCaseLogsTheReportLocally) {
    enableLogging("true");
    const KmError e = handle(errnum::kInputBufferEmpty, "modCrypto.Decrypt PROC", 12,
                             "  InputBuffer can not be empty. ");
    EXPECT_EQ(e.description(), "InputBuffer can not be empty.  " + kVersion + ", Line 12)");
    EXPECT_EQ(logSetting("MachineName"), "<DEFAULT>");
    EXPECT_EQ(logSetting("Enabled"), "true");
    ASSERT_EQ(g_events.size(), 1U);
    EXPECT_EQ(g_events[0].first, "Vortle");
    EXPECT_EQ(g_events[0].second,
              "\r\nNumber: -2147220403 (Hex = 8004044D)\r\nSource: modCrypto.Decrypt PROC\r\n"
              "Description: INTERNAL COMPONENT: (Dec:-2147220403: Hex:8004044D)\r\n"
              "InputBuffer can not be empty.  " +
                  kVersion + ", Line 12)");

    for (const auto& [value, logged] : {std::pair{"TRUE", 1U}, {"True", 1U}, {"tRuE", 1U}, {"False", 0U},
                                        {"yes", 0U}, {" true", 0U}, {"1", 0U}}) {
        g_events.clear();
        enableLogging(value);
        handle(1, "s", 0, "d");
        EXPECT_EQ(g_events.size(), logged) << value;
    }
}

TEST_F(ErrorHandlingTest, ExternalErrorsAreMarkedAsSuch) {
    enableLogging("TRUE");
    handle(0x5, "botan", 0, "Access is denied.");
    ASSERT_EQ(g_events.size(), 1U);
    EXPECT_THAT(g_events[0].second, HasSubstr("Number: 5 (Hex = 5)"));
    EXPECT_THAT(g_events[0].second,
                HasSubstr("Description: (EXTERNAL COMPONENT) Access is denied."));
    EXPECT_THAT(g_events[0].second, ::testing::Not(HasSubstr("INTERNAL COMPONENT")));
}

TEST_F(ErrorHandlingTest, VersionNoteIsAddedOnlyOnce) {
    const KmError first = handle(errnum::kInputBufferEmpty, "modCrypto.Encrypt PROC", 7, "Failed.");
    // The same error passing through an outer handler keeps its single note.
    KmError second(0, "", "");
    try {
        eh::HandleException("SYSTEMLEVEL", first, "modFileoperations.Save", 30);
    } catch (const KmError& e) {
        second = e;
    }
    EXPECT_EQ(second.description(), first.description());
    EXPECT_EQ(second.description(), "Failed.  " + kVersion + ", Line 7)");

    const KmError given = handle(1, "s", 0, "Text (Version 0.9.1) from elsewhere");
    EXPECT_EQ(given.description(), "Text (Version 0.9.1) from elsewhere");
}

TEST_F(ErrorHandlingTest, EmptySourceFallsBackToTheProcedureName) {
    EXPECT_EQ(handle(1, "", 0, "d", "modCrypto.Initialize PROC").source(),
              "modCrypto.Initialize PROC");
    EXPECT_EQ(handle(1, "own", 0, "d", "modCrypto.Initialize PROC").source(), "own");
}

TEST_F(ErrorHandlingTest, FailedLoggingRaisesTheHandlersOwnError) {
    enableLogging("TRUE");
    g_sinkFails = true;
    const KmError internal = handle(errnum::kInputBufferEmpty, "s", 0, "d");
    EXPECT_EQ(internal.number(), errnum::kLogErrorFailed);
    EXPECT_EQ(internal.source(), "modErrorHandler.RaiseError");
    EXPECT_EQ(internal.description(), "The call to LogError failed for our components.");

    const KmError external = handle(2, "s", 0, "d");
    EXPECT_EQ(external.number(), errnum::kLogErrorFailed);
    EXPECT_EQ(external.source(), "modErrorHandler.HandleException");
    EXPECT_EQ(external.description(), "The call to LogError failed for external components.");

    try {
        eh::LogError(1, "s", "d");
        ADD_FAILURE() << "LogError hid the failure";
    } catch (const KmError& e) {
        EXPECT_EQ(e.number(), errnum::kLogNTEventFailed);
        EXPECT_EQ(e.description(), "modErrorHandler Bombed!!");
        EXPECT_THAT(e.source(), HasSubstr("modErrorHandler.LogNTEvent"));
        EXPECT_THAT(e.source(), HasSubstr("modVortleError.LogError"));
    }

    // With logging off, a broken log is never touched.
    enableLogging("False");
    EXPECT_EQ(handle(errnum::kInputBufferEmpty, "s", 0, "d").number(), errnum::kInputBufferEmpty);
}

TEST_F(ErrorHandlingTest, AnotherComputersLogIsNamedInTheLocalRecord) {
    enableLogging("TRUE");
    ASSERT_TRUE(m_store.WriteString(RegRoot::CurrentUser, eh::kLogKey, "MachineName", "  OTHERPC "));
    handle(1, "s", 0, "d");
    ASSERT_EQ(g_events.size(), 1U);
    EXPECT_THAT(g_events[0].second, HasSubstr("\"OTHERPC\""));
    EXPECT_EQ(logSetting("MachineName"), "  OTHERPC ");  // never overwritten

    g_events.clear();
    ASSERT_TRUE(m_store.WriteString(RegRoot::CurrentUser, eh::kLogKey, "MachineName", "<DEFAULT>"));
    handle(1, "s", 0, "d");
    ASSERT_EQ(g_events.size(), 1U);
    EXPECT_THAT(g_events[0].second, ::testing::Not(HasSubstr("Meant for")));
}

}  // namespace
