#include "brand/Checksum.h"

namespace brand {

std::uint32_t imageChecksum(std::string_view file, std::size_t checksumOffset) noexcept
{
    std::uint32_t sum = 0;
    for (std::size_t i = 0; i < file.size(); i += 2) {
        if (i >= checksumOffset && i < checksumOffset + 4) {
            continue;
        }
        std::uint32_t word = static_cast<unsigned char>(file[i]);
        if (i + 1 < file.size()) {
            word |= static_cast<std::uint32_t>(static_cast<unsigned char>(file[i + 1])) << 8;
        }
        sum += word;
        sum = (sum & 0xFFFF) + (sum >> 16);
    }
    return sum + static_cast<std::uint32_t>(file.size());
}

} // namespace brand
