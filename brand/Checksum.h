#pragma once
// The checksum of a PE image, as the optional header's CheckSum holds it and
// as imagehlp's CheckSumMappedFile computes it.

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace brand {

// The file's 16-bit words summed with end-around carry, the checksum field
// itself (4 bytes at `checksumOffset`) left out, plus the file's length. An
// odd last byte counts as a word with a zero high byte.
std::uint32_t imageChecksum(std::string_view file, std::size_t checksumOffset) noexcept;

} // namespace brand
