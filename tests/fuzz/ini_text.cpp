// The profile text reader and writer by their invariants: a value the
// reader finds is text of the file; a write touches one line at most; writing
// a key and reading it back gives the value written and leaves every other
// key's value as it was; writing the same value twice changes nothing more.

#include "text/IniText.h"

#include "FuzzInput.h"

namespace {

// The reader's white space: Ctrl-Z, the old end-of-file mark, included.
bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f' || c == '\x1A'; }

// Bytes the reader gives a meaning of its own, or that the platform's profile
// functions treat specially; a name or value holding one cannot come back as
// written, so the round trip is not promised for it.
bool holdsSpecialByte(std::string_view text)
{
    return text.find_first_of(std::string_view("\n\r\0\x1A", 4)) != std::string_view::npos;
}

// A lead byte at the end would swallow the '=' or ']' written after it.
bool endsInLoneLeadByte(std::string_view text)
{
    const std::vector<std::string_view> cs = ansiCharacters(text);
    return !cs.empty() && cs.back().size() == 1 && text::isLeadByte(static_cast<unsigned char>(cs.back()[0]));
}

bool isTrimmed(std::string_view text)
{
    return text.empty() || (!isBlank(text.front()) && !isBlank(text.back()));
}

bool hasChar(std::string_view text, char c)
{
    for (const std::string_view ch : ansiCharacters(text)) {
        if (ch.size() == 1 && ch[0] == c) {
            return true;
        }
    }
    return false;
}

// Well-formed UTF-8: shortest forms, no surrogates, nothing above U+10FFFF.
bool isUtf8(std::string_view text)
{
    for (std::size_t i = 0; i < text.size();) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        const std::size_t length = c < 0x80 ? 1 : (c >> 5) == 0x6 ? 2 : (c >> 4) == 0xE ? 3 : (c >> 3) == 0x1E ? 4 : 0;
        if (length == 0 || i + length > text.size()) {
            return false;
        }
        std::uint32_t code = length == 1 ? c : c & (0x7F >> length);
        for (std::size_t k = 1; k < length; ++k) {
            const unsigned char next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80) {
                return false;
            }
            code = (code << 6) | (next & 0x3F);
        }
        const std::uint32_t smallest[] = {0, 0, 0x80, 0x800, 0x10000};
        if (code < smallest[length] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
            return false;
        }
        i += length;
    }
    return true;
}

// A file with a UTF-16 byte-order mark holds Unicode, which the reader gives
// as UTF-8: only names and values in UTF-8 can come back as written.
bool isUtf16File(std::string_view text)
{
    return text.size() >= 2 && ((text[0] == '\xFF' && text[1] == '\xFE') || (text[0] == '\xFE' && text[1] == '\xFF'));
}

// Text that stops inside a double-byte character before a line end: what the
// writer adds after such a line's last byte becomes part of that character.
// No editor of the code page writes it.
bool hasLineEndingInLeadByte(std::string_view text)
{
    while (!text.empty()) {
        const std::size_t end = text.find_first_of("\r\n");
        if (endsInLoneLeadByte(text.substr(0, end))) {
            return true;
        }
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    }
    return false;
}

bool writable(std::string_view section, std::string_view key, std::string_view value)
{
    const bool quoted = value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front();
    // The section without a name is the lines before the first heading, which
    // a write cannot add to; a name that starts with a UTF-8 byte-order mark
    // loses it at the start of a file. The launcher writes neither.
    const auto startsWithMark = [](std::string_view text) { return text.substr(0, 3) == "\xEF\xBB\xBF"; };
    return !section.empty() && !startsWithMark(section) && !startsWithMark(key) && !key.empty() &&
           key.find_first_of("[;#") != 0 && !hasChar(key, '=') && !hasChar(section, ']') &&
           isTrimmed(section) && isTrimmed(key) && isTrimmed(value) && !quoted && !holdsSpecialByte(section) &&
           !holdsSpecialByte(key) && !holdsSpecialByte(value) && !endsInLoneLeadByte(section) &&
           !endsInLoneLeadByte(key) && !endsInLoneLeadByte(value);
}

std::string_view trimmed(std::string_view text)
{
    while (!text.empty() && isBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && isBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

// Names as the reader takes them when asked: trimmed, ended by a NUL byte,
// letter case ignored.
bool sameName(std::string_view a, std::string_view b)
{
    a = trimmed(a);
    b = trimmed(b);
    return text::equalsIgnoringCase(a.substr(0, a.find('\0')), b.substr(0, b.find('\0')));
}

struct Probe {
    std::string section;
    std::string key;
};

// Names worth reading before and after a write: what the fuzzer chose, every
// heading of the file with the written key, and every entry's key in the
// written section and in the section it follows. A rough reading of the lines
// is enough here: a probe that names nothing reads empty both times.
std::vector<Probe> probesOf(std::string_view text, std::string_view section, std::string_view key,
                            std::string_view otherSection, std::string_view otherKey)
{
    std::vector<Probe> probes{{std::string(otherSection), std::string(otherKey)},
                              {std::string(section), std::string(otherKey)},
                              {std::string(otherSection), std::string(key)}};
    std::string heading;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        const std::string_view line = trimmed(text.substr(0, end));
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (!line.empty() && line[0] == '[') {
            const std::string_view name = line.substr(1);
            heading = std::string(trimmed(name.substr(0, name.rfind(']'))));
            probes.push_back({heading, std::string(key)});
        } else if (!line.empty()) {
            const std::string name(trimmed(line.substr(0, line.find('='))));
            probes.push_back({heading, name});
            probes.push_back({std::string(section), name});
        }
        if (probes.size() > 64) {
            break; // enough to see damage; keeps huge inputs fast
        }
    }
    return probes;
}

// A write replaces the text of one value or inserts lines; it never drops or
// rewrites a line of the file. Whatever lies between the longest common start
// and end of the two texts lies within the replaced value.
bool changesOneLineAtMost(std::string_view before, std::string_view after)
{
    std::size_t start = 0;
    while (start < before.size() && start < after.size() && before[start] == after[start]) {
        ++start;
    }
    std::size_t end = 0;
    while (end < before.size() - start && end < after.size() - start &&
           before[before.size() - 1 - end] == after[after.size() - 1 - end]) {
        ++end;
    }
    return before.substr(start, before.size() - start - end).find('\n') == std::string_view::npos;
}

bool isSubstring(std::string_view text, std::string_view part) { return text.find(part) != std::string_view::npos; }

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzInput input(data, size);
    const std::string_view section = input.field();
    const std::string_view key = input.field();
    const std::string_view value = input.field();
    const std::string_view otherSection = input.field();
    const std::string_view otherKey = input.field();
    const std::string_view text = input.rest();

    const std::string before = text::iniLookup(text, section, key);
    FUZZ_CHECK(isSubstring(text, before));

    const std::string written = text::iniAssign(text, section, key, value);
    // A UTF-16 file is written back whole in its own encoding, so its bytes
    // are compared through what the reader makes of them (below) instead.
    if (!isUtf16File(text)) {
        FUZZ_CHECK(changesOneLineAtMost(text, written));
    }
    if (!writable(section, key, value) || hasLineEndingInLeadByte(text) ||
        (isUtf16File(text) && !(isUtf8(section) && isUtf8(key) && isUtf8(value)))) {
        return 0;
    }
    FUZZ_CHECK(text::iniLookup(written, section, key) == value);
    for (const Probe& probe : probesOf(text, section, key, otherSection, otherKey)) {
        if (sameName(probe.section, section) && sameName(probe.key, key)) {
            continue;
        }
        FUZZ_CHECK(text::iniLookup(written, probe.section, probe.key) ==
                   text::iniLookup(text, probe.section, probe.key));
    }
    FUZZ_CHECK(text::iniAssign(written, section, key, value) == written);
    return 0;
}
