#pragma once
// UTF-8 taken apart into code points, strictly: no overlong form, no
// surrogate, nothing above U+10FFFF.

#include <cstddef>
#include <string_view>

namespace text {

// The code point of the sequence at `at`, and `at` moved past it; false,
// with both left as they were, where no well-formed sequence starts.
[[nodiscard]] bool nextCodePoint(std::string_view utf8, std::size_t& at, char32_t& code) noexcept;

} // namespace text
