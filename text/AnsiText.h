#pragma once
// Character-wise searches over narrow strings in the system ANSI code page.
// Pure: no operating-system call. The process's lead-byte table is installed
// once at start-up (platform::installSystemCodePage); until then, and on
// systems whose narrow encoding never reuses ASCII bytes inside a character
// (UTF-8), every byte is a character of its own.

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

namespace text {

class LeadBytes {
public:
    // ranges: pairs of (first, last) lead-byte values, ended by a 0,0 pair,
    // the shape in which Windows reports a code page's lead bytes.
    static LeadBytes fromRanges(const unsigned char* ranges) noexcept;
    bool contains(unsigned char byte) const noexcept { return lead_[byte]; }

private:
    std::array<bool, 256> lead_{};
};

// Replaces the process-wide table. Called once before any other thread exists.
void setLeadBytes(const LeadBytes& table) noexcept;
bool isLeadByte(unsigned char byte) noexcept;

// Index of the character after the one starting at `index`. A lead byte at
// the very end counts as a character of one byte.
std::size_t nextChar(std::string_view text, std::size_t index) noexcept;

// First / last occurrence of the single-byte character `c` as a whole
// character (never a trail byte); std::string_view::npos when absent.
std::size_t findChar(std::string_view text, char c, std::size_t from = 0) noexcept;
std::size_t findLastChar(std::string_view text, char c) noexcept;

// Replaces every whole-character occurrence of `from` by `to`.
void replaceChar(std::string& text, char from, char to) noexcept;

// Equality ignoring the case of ASCII letters; double-byte characters must
// match exactly.
bool equalsIgnoringCase(std::string_view a, std::string_view b) noexcept;

} // namespace text
