#include "platform/IniText.h"

#include "platform/AnsiText.h"

namespace platform {
namespace {

constexpr std::size_t npos = std::string_view::npos;
constexpr std::string_view byteOrderMark = "\xEF\xBB\xBF";

// Byte-wise: no double-byte code page uses these as trail bytes.
bool isBlank(char c) noexcept { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }

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

enum class LineKind { blank, comment, section, entry };

struct Line {
    std::size_t begin = 0;      // first byte of the line
    std::size_t contentEnd = 0; // where the line end (LF or CR LF) starts
    std::size_t end = 0;        // after the line end
    LineKind kind = LineKind::blank;
    std::string_view name;      // section name or key, trimmed
    std::string_view value;     // entry value, trimmed, quotes still on
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
        const std::size_t feed = text_.find('\n', position_);
        if (feed == npos) {
            line.contentEnd = line.end = text_.size();
        } else {
            line.end = feed + 1;
            line.contentEnd = (feed > position_ && text_[feed - 1] == '\r') ? feed - 1 : feed;
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
        } else if (content[first] == '[') {
            line.kind = LineKind::section;
            const std::string_view rest = content.substr(first + 1);
            line.name = trim(rest.substr(0, findLastChar(rest, ']')));
        } else {
            line.kind = LineKind::entry;
            const std::size_t equals = findChar(content, '=', first);
            if (equals == npos) {
                line.name = trim(content.substr(first));
                return;
            }
            line.name = trim(content.substr(first, equals - first));
            line.value = trim(content.substr(equals + 1));
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
    return line.kind == LineKind::entry && !line.name.empty() && equalsIgnoringCase(line.name, key);
}

std::string_view lineEndOf(std::string_view text) noexcept
{
    const std::size_t feed = text.find('\n');
    return (feed != npos && feed > 0 && text[feed - 1] == '\r') ? "\r\n" : "\n";
}

} // namespace

std::string iniLookup(std::string_view fileText, std::string_view section, std::string_view key)
{
    LineReader reader(fileText);
    Line line;
    bool inSection = false;
    while (reader.next(line)) {
        if (line.kind == LineKind::section) {
            if (inSection) {
                break; // a later section of the same name is never consulted
            }
            inSection = equalsIgnoringCase(line.name, section);
        } else if (inSection && isKey(line, key)) {
            return std::string(unquote(line.value));
        }
    }
    return {};
}

std::string iniAssign(std::string_view fileText, std::string_view section, std::string_view key,
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
    if (!fileText.empty() && fileText.back() != '\n') {
        result.append(lineEnd);
    }
    if (lastLine.end > 0 && lastLine.kind != LineKind::blank) {
        result.append(lineEnd); // a blank line between sections
    }
    result.append("[").append(section).append("]").append(lineEnd).append(entry).append(lineEnd);
    return result;
}

} // namespace platform
