#include "ui/LinkColor.h"

#include "text/AnsiText.h"

#include <cstdint>
#include <cstdlib>
#include <string>

namespace ui {
namespace {

// The C library's decimal reading, held to 32 bits so that both platforms
// reduce the same overlong numbers alike.
long decimalValue(std::string_view text)
{
    const std::string copy(text);
    const long value = std::strtol(copy.c_str(), nullptr, 10);
    if (value > INT32_MAX) {
        return INT32_MAX;
    }
    return value < INT32_MIN ? INT32_MIN : value;
}

std::uint8_t lowByte(long value)
{
    return static_cast<std::uint8_t>(static_cast<unsigned long>(value) & 0xFFu);
}

} // namespace

std::optional<Rgb> parseColorText(std::string_view text) noexcept
{
    long leading[2] = {-1, -1}; // red, green
    std::size_t position = 0;
    for (long& component : leading) {
        const std::size_t comma = text::findChar(text, ',', position);
        if (comma == std::string_view::npos) {
            break;
        }
        component = decimalValue(text.substr(position, comma - position));
        position = comma + 1;
    }
    // -1 is also how a missing component looks, so a written -1 rejects too.
    if (leading[0] == -1 || leading[1] == -1 || position >= text.size()) {
        return std::nullopt;
    }
    return Rgb{lowByte(leading[0]), lowByte(leading[1]), lowByte(decimalValue(text.substr(position)))};
}

} // namespace ui
