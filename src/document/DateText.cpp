#include "document/DateText.h"

#include <langinfo.h>
#include <locale.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>

namespace keymora::datetext {

namespace {

using Clock = std::chrono::system_clock;

struct Fields {
    int year = 0;
    int month = 0;
    int day = 0;
    int hour = 0;
    int minute = 0;
    int second = 0;
};

bool usesUsForm(std::string_view name) {
    return name.empty() || name == "C" || name == "POSIX" || name.starts_with("C.") ||
           name.starts_with("en_US");
}

bool isLeapYear(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int daysInMonth(int y, int m) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && isLeapYear(y) ? 29 : kDays[m - 1];
}

std::optional<Clock::time_point> toTimePoint(const Fields& f) {
    if (f.year < 100 || f.year > 9999 || f.month < 1 || f.month > 12 || f.day < 1 ||
        f.day > daysInMonth(f.year, f.month) || f.hour < 0 || f.hour > 23 || f.minute < 0 ||
        f.minute > 59 || f.second < 0 || f.second > 59)
        return std::nullopt;
    std::tm tm{};
    tm.tm_year = f.year - 1900;
    tm.tm_mon = f.month - 1;
    tm.tm_mday = f.day;
    tm.tm_hour = f.hour;
    tm.tm_min = f.minute;
    tm.tm_sec = f.second;
    tm.tm_isdst = -1;
    const std::time_t t = std::mktime(&tm);
    // -1 is also one second before 1970 in UTC; the fields tell which.
    if (t == static_cast<std::time_t>(-1) && tm.tm_year != f.year - 1900) return std::nullopt;
    return Clock::from_time_t(t);
}

std::string formatUs(const std::tm& tm) {
    const int hour12 = tm.tm_hour % 12 == 0 ? 12 : tm.tm_hour % 12;
    char buf[64];
    std::snprintf(buf, sizeof buf, "%d/%d/%04d %d:%02d:%02d %s", tm.tm_mon + 1, tm.tm_mday,
                  tm.tm_year + 1900, hour12, tm.tm_min, tm.tm_sec, tm.tm_hour < 12 ? "AM" : "PM");
    return buf;
}

// A named locale's time conventions, released on scope exit.
class TimeLocale {
public:
    explicit TimeLocale(std::string_view name)
        : m_loc(newlocale(LC_TIME_MASK, std::string(name).c_str(), nullptr)) {}
    TimeLocale(const TimeLocale&) = delete;
    TimeLocale& operator=(const TimeLocale&) = delete;
    ~TimeLocale() {
        if (m_loc != nullptr) freelocale(m_loc);
    }
    explicit operator bool() const { return m_loc != nullptr; }
    locale_t get() const { return m_loc; }

    // Short date and long time; a two-digit year would lose the century.
    std::string pattern() const {
        std::string date = nl_langinfo_l(D_FMT, m_loc);
        std::string time = nl_langinfo_l(T_FMT, m_loc);
        if (date.empty()) return {};
        for (std::size_t at = date.find("%y"); at != std::string::npos; at = date.find("%y", at + 2))
            date[at + 1] = 'Y';
        if (time.empty()) time = "%H:%M:%S";
        return date + " " + time;
    }

private:
    locale_t m_loc;
};

bool isPlainAscii(std::string_view s) {
    for (const char c : s)
        if (c < 0x20 || c > 0x7E) return false;
    return !s.empty();
}

Fields fieldsFromTm(const std::tm& tm) {
    Fields f;
    f.year = tm.tm_year + 1900;
    f.month = tm.tm_mon + 1;
    f.day = tm.tm_mday;
    f.hour = tm.tm_hour;
    f.minute = tm.tm_min;
    f.second = tm.tm_sec;
    return f;
}

std::optional<Clock::time_point> parseWithLocale(const std::string& text, std::string_view name) {
    const TimeLocale loc(name);
    if (!loc) return std::nullopt;
    const std::string pattern = loc.pattern();
    if (pattern.empty()) return std::nullopt;
    std::tm tm{};
    const char* end = strptime_l(text.c_str(), pattern.c_str(), &tm, loc.get());
    if (end == nullptr || *end != '\0' || tm.tm_mday == 0) return std::nullopt;
    return toTimePoint(fieldsFromTm(tm));
}

// A small reader over the general numeric forms.
class Reader {
public:
    explicit Reader(std::string_view s) : m_s(s) {}
    bool atEnd() const { return m_pos == m_s.size(); }
    char peek() const { return atEnd() ? '\0' : m_s[m_pos]; }
    bool take(char c) {
        if (peek() != c) return false;
        ++m_pos;
        return true;
    }
    void skipBlanks() {
        while (peek() == ' ' || peek() == '\t') ++m_pos;
    }
    // Up to maxDigits digits; digits read in *count.
    std::optional<int> number(int maxDigits, int* count = nullptr) {
        int value = 0;
        int n = 0;
        while (n < maxDigits && peek() >= '0' && peek() <= '9') {
            value = value * 10 + (peek() - '0');
            ++m_pos;
            ++n;
        }
        if (n == 0 || (peek() >= '0' && peek() <= '9')) return std::nullopt;
        if (count != nullptr) *count = n;
        return value;
    }
    // "AM"/"PM" in any case: 0 for AM, 12 for PM, nothing otherwise.
    std::optional<int> meridiem() {
        if (m_s.size() - m_pos < 2) return std::nullopt;
        const char a = static_cast<char>(m_s[m_pos] & ~0x20);
        const char m = static_cast<char>(m_s[m_pos + 1] & ~0x20);
        if (m != 'M' || (a != 'A' && a != 'P')) return std::nullopt;
        m_pos += 2;
        return a == 'A' ? 0 : 12;
    }

private:
    std::string_view m_s;
    std::size_t m_pos = 0;
};

bool readTime(Reader& r, Fields& f) {
    const auto hour = r.number(2);
    if (!hour || !r.take(':')) return false;
    const auto minute = r.number(2);
    if (!minute) return false;
    f.hour = *hour;
    f.minute = *minute;
    f.second = 0;
    if (r.take(':')) {
        const auto second = r.number(2);
        if (!second) return false;
        f.second = *second;
        if (r.take('.') || r.take(',')) {
            if (!r.number(9)) return false;  // fractions of a second are dropped
        }
    }
    r.skipBlanks();
    if (const auto pm = r.meridiem()) {
        if (f.hour < 1 || f.hour > 12) return false;
        f.hour = f.hour % 12 + *pm;
    }
    return true;
}

std::optional<Clock::time_point> parseGeneral(std::string_view text) {
    Reader r(text);
    int digits1 = 0;
    int digits3 = 0;
    const auto n1 = r.number(4, &digits1);
    if (!n1) return std::nullopt;
    const char sep = r.peek();
    if (sep != '/' && sep != '.' && sep != '-') return std::nullopt;
    r.take(sep);
    const auto n2 = r.number(2);
    if (!n2 || !r.take(sep)) return std::nullopt;
    const auto n3 = r.number(4, &digits3);
    if (!n3) return std::nullopt;

    Fields f;
    if (digits1 == 4) {
        f.year = *n1;
        f.month = *n2;
        f.day = *n3;
    } else if (digits3 == 4 && digits1 <= 2) {
        f.year = *n3;
        const bool dayFirst = sep == '.' || (*n1 > 12 && *n2 <= 12);
        f.day = dayFirst ? *n1 : *n2;
        f.month = dayFirst ? *n2 : *n1;
    } else {
        return std::nullopt;
    }

    if (!r.atEnd()) {
        const bool isoSeparator = digits1 == 4 && r.take('T');
        if (!isoSeparator) {
            if (r.peek() != ' ' && r.peek() != '\t') return std::nullopt;
            r.skipBlanks();
        }
        if (!readTime(r, f)) return std::nullopt;
        r.skipBlanks();
        if (!r.atEnd()) return std::nullopt;
    }
    return toTimePoint(f);
}

std::string_view trimmed(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return s;
}

// The locale that dates follow: LC_ALL, else LC_TIME, else LANG.
std::string localeNameFromEnvironment() {
    for (const char* var : {"LC_ALL", "LC_TIME", "LANG"}) {
        const char* value = std::getenv(var);
        if (value != nullptr && *value != '\0') return value;
    }
    return {};
}

}  // namespace

std::string format(Clock::time_point when, std::string_view localeName) {
    const std::time_t t = Clock::to_time_t(when);
    std::tm tm{};
    if (localtime_r(&t, &tm) == nullptr) return {};
    if (usesUsForm(localeName)) return formatUs(tm);

    const TimeLocale loc(localeName);
    if (loc) {
        const std::string pattern = loc.pattern();
        char buf[128];
        const std::size_t n =
            pattern.empty() ? 0 : strftime_l(buf, sizeof buf, pattern.c_str(), &tm, loc.get());
        const std::string text(buf, n);
        // Only a form that reads back to the same second is worth writing.
        if (isPlainAscii(text) && parse(text, localeName) == Clock::from_time_t(t)) return text;
    }
    return formatUs(tm);
}

std::string format(Clock::time_point when) { return format(when, localeNameFromEnvironment()); }

std::string now() { return format(Clock::now()); }

std::optional<Clock::time_point> parse(std::string_view text, std::string_view localeName) {
    const std::string_view s = trimmed(text);
    if (s.empty() || s.size() > 64) return std::nullopt;
    if (!usesUsForm(localeName)) {
        if (auto own = parseWithLocale(std::string(s), localeName)) return own;
    }
    return parseGeneral(s);
}

std::optional<Clock::time_point> parse(std::string_view text) {
    return parse(text, localeNameFromEnvironment());
}

}  // namespace keymora::datetext
