#pragma once
// Dates inside documents are the locale's general date-and-time text, not ISO.
#include <chrono>
#include <optional>
#include <string>
#include <string_view>

namespace keymora::datetext {

// "M/d/yyyy h:mm:ss AM" for C, POSIX and English (United States) locales;
// the locale's own short date and long time otherwise (LC_ALL / LC_TIME /
// LANG), with a four-digit year. Falls back to the first form when the locale
// is not installed or its form is not plain ASCII, since files travel.
std::string format(std::chrono::system_clock::time_point when);
std::string now();

// Reads the forms this program writes and the en-US form; nothing when the text
// is not a date (callers then show the text as it is).
// Also read: ISO "yyyy-MM-dd HH:mm:ss", "yyyy/M/d", day-first "d.M.yyyy" and
// "d/M/yyyy" with a 24-hour time when the day is over 12, and a date alone
// (the general form written at midnight). Slash dates that could be either way
// are read month first, unless the locale's own form reads them.
std::optional<std::chrono::system_clock::time_point> parse(std::string_view text);

// The same for a named locale instead of the environment's ("" = C).
std::string format(std::chrono::system_clock::time_point when, std::string_view localeName);
std::optional<std::chrono::system_clock::time_point> parse(std::string_view text,
                                                          std::string_view localeName);

}  // namespace keymora::datetext
