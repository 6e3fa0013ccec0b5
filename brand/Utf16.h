#pragma once
// The tool takes its texts as UTF-8 (the command line on Linux; converted
// from the wide command line on Windows); resources hold UTF-16.

#include <string>
#include <string_view>

namespace brand {

// False for bytes that are not UTF-8: a stray or missing continuation byte,
// an overlong form, a surrogate, anything above U+10FFFF. On failure `text`
// is left untouched.
[[nodiscard]] bool utf8ToUtf16(std::string_view utf8, std::u16string& text);

} // namespace brand
