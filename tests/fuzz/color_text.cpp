// The link colour text against a statement of its rules: red and green each
// end at a comma found character by character, blue is what follows the
// second comma, each read as the C library reads a decimal and kept to its
// low 8 bits; a missing (or written -1) red or green, or nothing after the
// second comma, rejects the text.

#include "ui/LinkColor.h"

#include "FuzzInput.h"

#include <cstdint>

namespace {

bool isCBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

// Leading blanks, an optional sign, digits up to the first other character;
// no digits read as 0. Held to 32 bits, as the launcher documents.
std::int64_t decimal(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size() && isCBlank(text[i])) {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    std::int64_t value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > 0x80000000LL) {
            value = 0x80000000LL; // saturated: beyond it nothing changes the result
        }
    }
    value = negative ? -value : value;
    return value > INT32_MAX ? INT32_MAX : value < INT32_MIN ? INT32_MIN : value;
}

std::optional<ui::Rgb> reference(std::string_view text)
{
    // A NUL ends the text for the C library's reading of each number.
    std::int64_t components[2] = {-1, -1};
    std::size_t position = 0;
    const std::vector<std::string_view> characters = ansiCharacters(text);
    std::size_t next = 0;
    for (std::int64_t& component : components) {
        bool found = false;
        for (; next < characters.size(); ++next) {
            if (characters[next] == ",") {
                const std::size_t comma = static_cast<std::size_t>(characters[next].data() - text.data());
                std::string_view piece = text.substr(position, comma - position);
                piece = piece.substr(0, piece.find('\0'));
                component = decimal(piece);
                position = comma + 1;
                ++next;
                found = true;
                break;
            }
        }
        if (!found) {
            break;
        }
    }
    if (components[0] == -1 || components[1] == -1 || position >= text.size()) {
        return std::nullopt;
    }
    std::string_view rest = text.substr(position);
    rest = rest.substr(0, rest.find('\0'));
    const auto low = [](std::int64_t v) { return static_cast<std::uint8_t>(static_cast<std::uint64_t>(v) & 0xFF); };
    return ui::Rgb{low(components[0]), low(components[1]), low(decimal(rest))};
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzInput input(data, size);
    const std::string_view text = input.rest();
    const std::optional<ui::Rgb> parsed = ui::parseColorText(text);
    const std::optional<ui::Rgb> expected = reference(text);
    FUZZ_CHECK(parsed.has_value() == expected.has_value());
    FUZZ_CHECK(!parsed || *parsed == *expected);
    return 0;
}
