#include "text/Hash.h"

namespace text {

std::uint64_t hashText(std::string_view text, std::uint64_t seed) noexcept
{
    std::uint64_t hash = seed;
    for (const char c : text) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 1099511628211ull;
    }
    return hash;
}

void appendHex(std::string& text, std::uint64_t value)
{
    for (int shift = 60; shift >= 0; shift -= 4) {
        text += "0123456789abcdef"[(value >> shift) & 15];
    }
}

} // namespace text
