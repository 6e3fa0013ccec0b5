#pragma once
// The shape every target gives the fuzzer's bytes, chosen so that seeds stay
// readable text files: the first byte picks the code page (odd: the Shift-JIS
// lead bytes of a Japanese system; even: every byte a character), then fields
// follow, each ended by a line feed, the last one running to the end.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "text/AnsiText.h"

class FuzzInput {
public:
    FuzzInput(const std::uint8_t* data, std::size_t size) noexcept
        : text_(reinterpret_cast<const char*>(data), size)
    {
        if (!text_.empty()) {
            doubleByte_ = (static_cast<unsigned char>(text_[0]) & 1) != 0;
            text_.remove_prefix(1);
        }
        static const unsigned char shiftJis[] = {0x81, 0x9F, 0xE0, 0xFC, 0, 0};
        text::setLeadBytes(doubleByte_ ? text::LeadBytes::fromRanges(shiftJis) : text::LeadBytes{});
    }

    bool doubleByte() const noexcept { return doubleByte_; }

    // The next field without its line feed; empty once the input is used up.
    std::string_view field() noexcept
    {
        const std::size_t end = text_.find('\n');
        const std::string_view result = text_.substr(0, end);
        text_.remove_prefix(end == std::string_view::npos ? text_.size() : end + 1);
        return result;
    }

    // Whatever the fields before left, line feeds included.
    std::string_view rest() noexcept
    {
        const std::string_view result = text_;
        text_ = {};
        return result;
    }

private:
    std::string_view text_;
    bool doubleByte_ = false;
};

// Characters of the ANSI code page as the reference models see them, written
// from the rule rather than with the production stepping: a lead byte and
// the byte after it form one character, a lead byte at the very end stands
// alone, every other byte is a character.
inline std::vector<std::string_view> ansiCharacters(std::string_view text)
{
    std::vector<std::string_view> characters;
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t length =
            (text::isLeadByte(static_cast<unsigned char>(text[i])) && i + 1 < text.size()) ? 2 : 1;
        characters.push_back(text.substr(i, length));
        i += length;
    }
    return characters;
}

// A fuzzer finding: says what disagreed, then aborts so libFuzzer keeps the input.
[[noreturn]] inline void fuzzFailure(const char* what, const char* file, int line)
{
    std::fprintf(stderr, "%s:%d: check failed: %s\n", file, line, what);
    std::abort();
}

#define FUZZ_CHECK(condition)                                                                      \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            fuzzFailure(#condition, __FILE__, __LINE__);                                           \
        }                                                                                          \
    } while (false)
