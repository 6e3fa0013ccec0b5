#include "text/AnsiText.h"

namespace text {
namespace {

LeadBytes& table() noexcept
{
    static LeadBytes leadBytes; // constant-initialised: no lead bytes
    return leadBytes;
}

char lowerAscii(char c) noexcept
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

} // namespace

LeadBytes LeadBytes::fromRanges(const unsigned char* ranges) noexcept
{
    LeadBytes result;
    for (; ranges[0] != 0 || ranges[1] != 0; ranges += 2) {
        for (unsigned b = ranges[0]; b <= ranges[1]; ++b) {
            result.lead_[b] = true;
        }
    }
    return result;
}

void setLeadBytes(const LeadBytes& leadBytes) noexcept { table() = leadBytes; }

bool isLeadByte(unsigned char byte) noexcept { return table().contains(byte); }

std::size_t nextChar(std::string_view text, std::size_t index) noexcept
{
    if (index >= text.size()) {
        return text.size();
    }
    const bool pair = isLeadByte(static_cast<unsigned char>(text[index])) && index + 1 < text.size();
    return index + (pair ? 2 : 1);
}

std::size_t findChar(std::string_view text, char c, std::size_t from) noexcept
{
    // Walking from `from` assumes it starts a character; callers pass 0 or an
    // index they obtained from these functions.
    for (std::size_t i = from; i < text.size(); i = nextChar(text, i)) {
        if (text[i] == c) {
            return i;
        }
    }
    return std::string_view::npos;
}

std::size_t findLastChar(std::string_view text, char c) noexcept
{
    std::size_t last = std::string_view::npos;
    for (std::size_t i = 0; i < text.size(); i = nextChar(text, i)) {
        if (text[i] == c) {
            last = i;
        }
    }
    return last;
}

void replaceChar(std::string& text, char from, char to) noexcept
{
    for (std::size_t i = 0; i < text.size(); i = nextChar(text, i)) {
        if (text[i] == from) {
            text[i] = to;
        }
    }
}

bool equalsIgnoringCase(std::string_view a, std::string_view b) noexcept
{
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size();) {
        const std::size_t next = nextChar(a, i);
        if (next - i == 2) {
            if (a[i] != b[i] || a[i + 1] != b[i + 1]) {
                return false;
            }
        } else if (lowerAscii(a[i]) != lowerAscii(b[i])) {
            return false;
        }
        i = next;
    }
    return true;
}

} // namespace text
