#include "text/CommandLineText.h"

#include "text/AnsiText.h"

namespace text {
namespace {

constexpr auto npos = std::string_view::npos;

bool isWhiteSpace(char c) noexcept
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

std::size_t skipSpaces(std::string_view line, std::size_t at) noexcept
{
    while (at < line.size() && line[at] == ' ') {
        ++at;
    }
    return at;
}

} // namespace

std::vector<std::string> splitCommandLine(std::string_view line)
{
    std::vector<std::string> tokens;
    std::size_t at = 0;
    while (at < line.size()) {
        std::size_t end;
        if (line[at] == '"') {
            const std::size_t close = findChar(line, '"', at + 1);
            if (close == npos) {
                tokens.emplace_back(line.substr(at + 1));
                break;
            }
            tokens.emplace_back(line.substr(at + 1, close - at - 1));
            end = close + 1;
        } else {
            const std::size_t space = findChar(line, ' ', at);
            if (space == npos) {
                tokens.emplace_back(line.substr(at));
                break;
            }
            tokens.emplace_back(line.substr(at, space - at));
            end = space;
        }
        at = skipSpaces(line, end);
    }
    return tokens;
}

std::vector<std::string> argumentsFromCommandLine(std::string_view line)
{
    std::size_t start = 0;
    while (start < line.size() && isWhiteSpace(line[start])) {
        start = nextChar(line, start);
    }
    // Cut at the start of the trailing run of white space, stepping whole
    // characters so a trail byte is never mistaken for one.
    std::size_t end = start;
    for (std::size_t i = start; i < line.size(); i = nextChar(line, i)) {
        if (!isWhiteSpace(line[i]) || nextChar(line, i) - i != 1) {
            end = nextChar(line, i);
        }
    }
    std::vector<std::string> tokens = splitCommandLine(line.substr(start, end - start));
    if (!tokens.empty()) {
        tokens.erase(tokens.begin());
    }
    return tokens;
}

} // namespace text
