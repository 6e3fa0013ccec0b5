#pragma once
// Short names made from long texts: a 64-bit FNV-1a hash, and its digits.

#include <cstdint>
#include <string>
#include <string_view>

namespace text {

// A 64-bit FNV-1a hash, continued from `seed`.
inline constexpr std::uint64_t hashSeed = 14695981039346656037ull;
std::uint64_t hashText(std::string_view text, std::uint64_t seed = hashSeed) noexcept;
// 16 lower-case hexadecimal digits.
void appendHex(std::string& text, std::uint64_t value);

} // namespace text
