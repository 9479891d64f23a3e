#pragma once
// Dates inside documents are the locale's general date-and-time text, not ISO.
#include <chrono>
#include <optional>
#include <string>
#include <string_view>

namespace keymora::datetext {

// "M/d/yyyy h:mm:ss AM" for C, POSIX and English (United States) locales;
// the locale's own short date and long time otherwise (LC_TIME / LC_ALL / LANG).
std::string format(std::chrono::system_clock::time_point when);
std::string now();

// Reads the forms this program writes and the en-US form; nothing when the text
// is not a date (callers then show the text as it is).
std::optional<std::chrono::system_clock::time_point> parse(std::string_view text);

}  // namespace keymora::datetext
