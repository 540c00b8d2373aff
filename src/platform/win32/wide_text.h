#pragma once
// The portable code keeps text as UTF-8; Windows speaks UTF-16 through its wide (W) functions,
// which keep every language whatever the system's ANSI code page. Conversions happen here only.
#include <string>
#include <string_view>

namespace hg {

// Invalid UTF-8 becomes U+FFFD rather than being dropped, so a damaged value still shows.
std::wstring Widen(std::string_view utf8);
// Unpaired surrogates become U+FFFD.
std::string Narrow(std::wstring_view utf16);

}  // namespace hg
