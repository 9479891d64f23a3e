#include "document/DateText.h"

#include <gtest/gtest.h>

#include <locale.h>

#include <clocale>
#include <ctime>
#include <string>
#include <utility>

namespace keymora {
namespace {

using Clock = std::chrono::system_clock;

Clock::time_point local(int y, int mo, int d, int h, int mi, int s) {
    std::tm tm{};
    tm.tm_year = y - 1900;
    tm.tm_mon = mo - 1;
    tm.tm_mday = d;
    tm.tm_hour = h;
    tm.tm_min = mi;
    tm.tm_sec = s;
    tm.tm_isdst = -1;
    return Clock::from_time_t(std::mktime(&tm));
}

TEST(DateText, WritesTheUsGeneralFormInCAndUsLocales) {
    for (const char* name : {"", "C", "POSIX", "C.UTF-8", "en_US.UTF-8", "en_US"}) {
        EXPECT_EQ(datetext::format(local(2026, 12, 6, 13, 5, 9), name), "12/6/2026 1:05:09 PM") << name;
        EXPECT_EQ(datetext::format(local(2026, 1, 31, 0, 0, 0), name), "1/31/2026 12:00:00 AM") << name;
        EXPECT_EQ(datetext::format(local(2026, 7, 4, 12, 30, 0), name), "7/4/2026 12:30:00 PM") << name;
        EXPECT_EQ(datetext::format(local(2026, 7, 4, 9, 0, 59), name), "7/4/2026 9:00:59 AM") << name;
    }
    // A locale this machine does not have falls back to the same form.
    EXPECT_EQ(datetext::format(local(2026, 12, 6, 13, 5, 9), "xx_NOWHERE.UTF-8"), "12/6/2026 1:05:09 PM");
}

TEST(DateText, FollowsTheEnvironmentsLocale) {
    ::setenv("LC_ALL", "C", 1);
    const std::string written = datetext::format(local(2025, 3, 2, 23, 59, 58));
    EXPECT_EQ(written, "3/2/2025 11:59:58 PM");
    EXPECT_EQ(datetext::parse(written), local(2025, 3, 2, 23, 59, 58));
    const auto stamped = datetext::parse(datetext::now());
    ASSERT_TRUE(stamped.has_value());
    EXPECT_LE(std::chrono::abs(*stamped - Clock::now()), std::chrono::seconds(5));
    ::unsetenv("LC_ALL");
}

TEST(DateText, ReadsTheCommonForms) {
    const auto when = local(2026, 12, 6, 13, 5, 9);
    for (const char* text : {"12/6/2026 1:05:09 PM", "12/06/2026 01:05:09 PM", "12/6/2026 1:05:09 pm",
                             "  12/6/2026 1:05:09 PM ", "12/6/2026 1:05:09PM", "2026-12-06 13:05:09",
                             "2026-12-06T13:05:09", "2026-12-06 13:05:09.250", "6.12.2026 13:05:09",
                             "06.12.2026 13:05:09", "2026/12/06 13:05:09", "12/6/2026 13:05:09"}) {
        EXPECT_EQ(datetext::parse(text, "C"), when) << text;
    }
    // Day first is read where it cannot be a month.
    EXPECT_EQ(datetext::parse("13/6/2026 13:05:09", "C"), local(2026, 6, 13, 13, 5, 9));
    // Midnight and noon in the twelve-hour form, and a date alone.
    EXPECT_EQ(datetext::parse("1/2/2026 12:00:00 AM", "C"), local(2026, 1, 2, 0, 0, 0));
    EXPECT_EQ(datetext::parse("1/2/2026 12:00:00 PM", "C"), local(2026, 1, 2, 12, 0, 0));
    EXPECT_EQ(datetext::parse("1/2/2026", "C"), local(2026, 1, 2, 0, 0, 0));
    EXPECT_EQ(datetext::parse("1/2/2026 4:07 PM", "C"), local(2026, 1, 2, 16, 7, 0));
}

TEST(DateText, TextThatIsNoDateReadsAsNothing) {
    for (const char* text :
         {"", "   ", "hello", "12/6/2026 1:05:09 PMX", "13/13/2026 1:00:00", "2/30/2026 1:00:00 PM",
          "2/29/2025", "12/6/2026 13:05:09 PM", "12/6/2026 0:05:09 AM", "12/6/2026 24:00:00",
          "12/6/2026 1:60:00 PM", "12/6/2026 1:05:61 PM", "12/6/26 1:05:09 PM", "99999/1/1",
          "12/6/2026 1:05:09 PM extra", "12/6/2026T1:05:09", "12-6", "12/6/2026 1:", "1.2.3.4",
          "12/6/2026 1:05:09 AM PM", "\xFF\xFE", "12/6/0000 1:00:00 PM"}) {
        EXPECT_FALSE(datetext::parse(text, "C").has_value()) << text;
    }
    EXPECT_FALSE(datetext::parse(std::string(5000, '1'), "C").has_value());
    EXPECT_FALSE(datetext::parse(std::string("12/6/2026\0 1:05:09 PM", 21), "C").has_value());
}

bool installed(const char* name) {
    locale_t loc = newlocale(LC_TIME_MASK, name, nullptr);
    if (loc == nullptr) return false;
    freelocale(loc);
    return true;
}

TEST(DateText, DayFirstLocalesWriteAndReadTheirOwnForm) {
    const auto when = local(2026, 12, 6, 13, 5, 9);
    int tried = 0;
    for (const auto& [name, expected] : {std::pair{"de_DE.UTF-8", "06.12.2026 13:05:09"},
                                         std::pair{"en_GB.UTF-8", "06/12/2026 13:05:09"}}) {
        if (!installed(name)) continue;
        ++tried;
        // The short date keeps all four digits of the year.
        EXPECT_EQ(datetext::format(when, name), expected) << name;
        EXPECT_EQ(datetext::parse(expected, name), when) << name;
        // Files from en-US machines still read.
        EXPECT_EQ(datetext::parse("12/6/2026 1:05:09 PM", name), when) << name;
    }
    if (tried == 0) GTEST_SKIP() << "no day-first locale is installed";
}

}  // namespace
}  // namespace keymora
