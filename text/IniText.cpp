#include "text/IniText.h"

#include "text/AnsiText.h"
#include "text/Utf8.h"

#include <utility>

namespace text {
namespace {

constexpr std::size_t npos = std::string_view::npos;
constexpr std::string_view byteOrderMark = "\xEF\xBB\xBF";

// Byte-wise: no double-byte code page uses these as trail bytes. Ctrl-Z,
// the old end-of-file mark, counts as white space, as the profile functions
// have it.
bool isBlank(char c) noexcept
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f' || c == '\x1A';
}

// The profile functions hold names and values as zero-terminated strings:
// whatever follows a NUL byte is never seen.
std::string_view beforeNul(std::string_view text) noexcept { return text.substr(0, text.find('\0')); }

std::string_view trim(std::string_view text) noexcept
{
    std::size_t first = 0;
    while (first < text.size() && isBlank(text[first])) {
        ++first;
    }
    std::size_t last = text.size();
    while (last > first && isBlank(text[last - 1])) {
        --last;
    }
    return text.substr(first, last - first);
}

std::string_view unquote(std::string_view value) noexcept
{
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front()) {
        return value.substr(1, value.size() - 2);
    }
    return value;
}

// A file that starts with a UTF-16 byte-order mark holds UTF-16 text (in
// the order the mark gives); the launcher's narrow text on this side is
// UTF-8. Unpaired surrogates become U+FFFD, an odd last byte is dropped.
enum class Utf16 { none, littleEndian, bigEndian };

Utf16 utf16Of(std::string_view fileText) noexcept
{
    if (fileText.substr(0, 2) == "\xFF\xFE") {
        return Utf16::littleEndian;
    }
    return fileText.substr(0, 2) == "\xFE\xFF" ? Utf16::bigEndian : Utf16::none;
}

void appendUtf8(std::string& text, char32_t c)
{
    if (c < 0x80) {
        text += static_cast<char>(c);
    } else if (c < 0x800) {
        text += static_cast<char>(0xC0 | (c >> 6));
        text += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        text += static_cast<char>(0xE0 | (c >> 12));
        text += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        text += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        text += static_cast<char>(0xF0 | (c >> 18));
        text += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        text += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        text += static_cast<char>(0x80 | (c & 0x3F));
    }
}

std::string utf8FromUtf16(std::string_view bytes, Utf16 order)
{
    const auto unit = [&](std::size_t i) {
        const auto first = static_cast<unsigned char>(bytes[i]), second = static_cast<unsigned char>(bytes[i + 1]);
        return static_cast<char32_t>(order == Utf16::littleEndian ? first | second << 8 : first << 8 | second);
    };
    std::string text;
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        char32_t c = unit(i);
        if (c >= 0xD800 && c < 0xDC00 && i + 3 < bytes.size() && unit(i + 2) >= 0xDC00 && unit(i + 2) < 0xE000) {
            c = 0x10000 + ((c - 0xD800) << 10) + (unit(i + 2) - 0xDC00);
            i += 2;
        } else if (c >= 0xD800 && c < 0xE000) {
            c = 0xFFFD;
        }
        appendUtf8(text, c);
    }
    return text;
}

// The UTF-8 bytes as UTF-16 in `order`, a malformed sequence as U+FFFD.
std::string utf16FromUtf8(std::string_view text, Utf16 order)
{
    std::string bytes;
    const auto put = [&](char32_t u) {
        const char high = static_cast<char>(u >> 8), low = static_cast<char>(u & 0xFF);
        bytes += order == Utf16::littleEndian ? low : high;
        bytes += order == Utf16::littleEndian ? high : low;
    };
    for (std::size_t i = 0; i < text.size();) {
        char32_t c = 0;
        if (!nextCodePoint(text, i, c)) {
            put(0xFFFD);
            ++i;
            continue;
        }
        if (c >= 0x10000) {
            put(0xD800 + ((c - 0x10000) >> 10));
            put(0xDC00 + ((c - 0x10000) & 0x3FF));
        } else {
            put(c);
        }
    }
    return bytes;
}

// The first CR or LF at or after `from`, npos when none. Byte-wise, as no
// code page uses either as a trail byte. A plain loop: find_first_of asks
// memchr about the two-byte set once for every byte of the file.
std::size_t lineBreakAt(std::string_view text, std::size_t from = 0) noexcept
{
    for (std::size_t i = from; i < text.size(); ++i) {
        if (text[i] == '\r' || text[i] == '\n') {
            return i;
        }
    }
    return npos;
}

enum class LineKind { blank, comment, section, entry };

struct Line {
    std::size_t begin = 0;      // first byte of the line
    std::size_t contentEnd = 0; // where the line end (LF, CR LF or a lone CR) starts
    std::size_t end = 0;        // after the line end
    LineKind kind = LineKind::blank;
    std::string_view name;      // section name or key, trimmed, up to a NUL
    std::string_view value;     // entry value, trimmed, up to a NUL, quotes still on
    std::size_t valueStart = npos; // entry: after '=' and the blanks that follow; npos without '='
};

class LineReader {
public:
    explicit LineReader(std::string_view text) noexcept
        : text_(text), position_(text.substr(0, byteOrderMark.size()) == byteOrderMark ? byteOrderMark.size() : 0)
    {
    }

    bool next(Line& line) noexcept
    {
        if (position_ >= text_.size()) {
            return false;
        }
        line = Line{};
        line.begin = position_;
        const std::size_t brk = lineBreakAt(text_, position_);
        if (brk == npos) {
            line.contentEnd = line.end = text_.size();
        } else {
            line.contentEnd = brk;
            line.end = brk + (text_.compare(brk, 2, "\r\n") == 0 ? 2 : 1);
        }
        position_ = line.end;
        classify(line);
        return true;
    }

private:
    void classify(Line& line) const noexcept
    {
        const std::string_view content = text_.substr(line.begin, line.contentEnd - line.begin);
        std::size_t first = 0;
        while (first < content.size() && isBlank(content[first])) {
            ++first;
        }
        if (first == content.size()) {
            line.kind = LineKind::blank;
        } else if (content[first] == ';' || content[first] == '#') {
            line.kind = LineKind::comment;
        } else if (content[first] == '[' && findLastChar(content.substr(first + 1), ']') != npos) {
            // Without a ']' the line is no heading but an entry, of the
            // section before it.
            line.kind = LineKind::section;
            const std::string_view rest = content.substr(first + 1);
            line.name = beforeNul(trim(rest.substr(0, findLastChar(rest, ']'))));
        } else {
            line.kind = LineKind::entry;
            const std::size_t equals = findChar(content, '=', first);
            if (equals == npos) {
                line.name = beforeNul(trim(content.substr(first)));
                return;
            }
            line.name = beforeNul(trim(content.substr(first, equals - first)));
            line.value = beforeNul(trim(content.substr(equals + 1)));
            std::size_t start = equals + 1;
            while (start < content.size() && isBlank(content[start])) {
                ++start;
            }
            line.valueStart = line.begin + start;
        }
    }

    std::string_view text_;
    std::size_t position_;
};

bool isKey(const Line& line, std::string_view key) noexcept
{
    return line.kind == LineKind::entry && equalsIgnoringCase(line.name, key);
}

std::string_view lineEndOf(std::string_view text) noexcept
{
    const std::size_t brk = lineBreakAt(text);
    if (brk == npos || text[brk] == '\n') {
        return "\n";
    }
    return text.compare(brk, 2, "\r\n") == 0 ? "\r\n" : "\r";
}

std::string assignInText(std::string_view fileText, std::string_view section, std::string_view key,
                         std::string_view value)
{
    const std::string_view lineEnd = lineEndOf(fileText);
    std::string entry;
    entry.append(key).append("=").append(value);

    LineReader reader(fileText);
    Line line;
    bool inSection = false;
    bool sectionFound = false;
    Line last;      // the section's last entry, or its heading
    Line lastLine;  // the file's last line
    while (reader.next(line)) {
        lastLine = line;
        if (line.kind == LineKind::section) {
            if (inSection) {
                break;
            }
            inSection = equalsIgnoringCase(line.name, section);
            if (inSection) {
                sectionFound = true;
                last = line;
            }
        } else if (inSection && isKey(line, key)) {
            std::string result(fileText.substr(0, line.valueStart == npos ? line.contentEnd : line.valueStart));
            if (line.valueStart == npos) {
                result += '=';
            }
            result.append(value).append(fileText.substr(line.contentEnd));
            return result;
        } else if (inSection && line.kind == LineKind::entry) {
            last = line;
        }
    }

    std::string result;
    if (sectionFound) {
        result.append(fileText.substr(0, last.end));
        if (last.end == last.contentEnd) { // the file's last line, without a line end
            result.append(lineEnd);
        }
        result.append(entry).append(lineEnd).append(fileText.substr(last.end));
        return result;
    }

    result.append(fileText);
    if (!fileText.empty() && fileText.back() != '\n' && fileText.back() != '\r') {
        result.append(lineEnd);
    }
    if (lastLine.end > 0 && lastLine.kind != LineKind::blank) {
        result.append(lineEnd); // a blank line between sections
    }
    result.append("[").append(section).append("]").append(lineEnd).append(entry).append(lineEnd);
    return result;
}

} // namespace

IniIndex::IniIndex(std::string fileText)
{
    const Utf16 order = utf16Of(fileText);
    text_ = order == Utf16::none ? std::move(fileText) : utf8FromUtf16(std::string_view(fileText).substr(2), order);
    const auto spanOf = [&](std::string_view part) {
        return part.empty() ? Span{} : Span{static_cast<std::size_t>(part.data() - text_.data()), part.size()};
    };
    sections_.push_back(Section{});
    LineReader reader(text_);
    Line line;
    while (reader.next(line)) {
        if (line.kind == LineKind::section) {
            sections_.back().endEntry = entries_.size();
            sections_.push_back(Section{spanOf(line.name), entries_.size(), entries_.size()});
        } else if (line.kind == LineKind::entry) {
            entries_.push_back(Entry{spanOf(line.name), spanOf(line.value)});
        }
    }
    sections_.back().endEntry = entries_.size();
}

std::string IniIndex::lookup(std::string_view section, std::string_view key) const
{
    section = beforeNul(trim(section));
    key = beforeNul(trim(key));
    // The nameless section answers for an empty name only; a named one is
    // the first heading of that name, a later one is never consulted.
    std::size_t found = 0;
    if (!section.empty()) {
        found = 1;
        while (found < sections_.size() && !equalsIgnoringCase(view(sections_[found].name), section)) {
            ++found;
        }
        if (found == sections_.size()) {
            return {};
        }
    }
    for (std::size_t i = sections_[found].firstEntry; i < sections_[found].endEntry; ++i) {
        if (equalsIgnoringCase(view(entries_[i].key), key)) {
            return std::string(unquote(view(entries_[i].value)));
        }
    }
    return {};
}

std::string iniLookup(std::string_view fileText, std::string_view section, std::string_view key)
{
    return IniIndex(std::string(fileText)).lookup(section, key);
}

std::string iniAssign(std::string_view fileText, std::string_view section, std::string_view key,
                      std::string_view value)
{
    // A UTF-16 file stays one: edited as UTF-8, written back in its order.
    const Utf16 order = utf16Of(fileText);
    if (order != Utf16::none) {
        const std::string edited = assignInText(utf8FromUtf16(fileText.substr(2), order), section, key, value);
        return std::string(fileText.substr(0, 2)) + utf16FromUtf8(edited, order);
    }
    return assignInText(fileText, section, key, value);
}


} // namespace text
