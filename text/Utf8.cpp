#include "text/Utf8.h"

namespace text {

bool nextCodePoint(std::string_view utf8, std::size_t& at, char32_t& code) noexcept
{
    if (at >= utf8.size()) {
        return false;
    }
    const auto lead = static_cast<unsigned char>(utf8[at]);
    std::size_t length = 0;
    char32_t value = 0;
    char32_t smallest = 0;
    if (lead < 0x80) {
        length = 1, value = lead;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2, value = lead & 0x1Fu, smallest = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3, value = lead & 0x0Fu, smallest = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4, value = lead & 0x07u, smallest = 0x10000;
    } else {
        return false;
    }
    if (length > utf8.size() - at) {
        return false;
    }
    for (std::size_t k = 1; k < length; ++k) {
        const auto next = static_cast<unsigned char>(utf8[at + k]);
        if ((next & 0xC0) != 0x80) {
            return false;
        }
        value = value << 6 | (next & 0x3Fu);
    }
    if (value < smallest || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) {
        return false;
    }
    code = value;
    at += length;
    return true;
}

} // namespace text
