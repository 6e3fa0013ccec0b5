#pragma once
// Unsigned numbers as decimal digits, without the C++ library's general
// formatting (and its tables) in the executables.

#include <cstdint>
#include <string>

namespace text {

void appendDecimal(std::string& text, std::uint64_t value);

} // namespace text
