#include "jvm/OptionText.h"

#include <algorithm>
#include <iterator>

#include "text/Decimal.h"

#include <limits>

#include "text/AnsiText.h"

namespace {

constexpr auto npos = std::string_view::npos;
constexpr std::uint64_t maxUint32 = std::numeric_limits<std::uint32_t>::max();

bool isDigit(char c) noexcept { return c >= '0' && c <= '9'; }

// Index where the text's last character begins (0 for an empty text). A
// trailing double-byte character is one character, so its trail byte is
// never mistaken for a unit letter.
std::size_t lastCharStart(std::string_view text) noexcept
{
    std::size_t last = 0;
    for (std::size_t i = 0; i < text.size(); i = text::nextChar(text, i)) {
        last = i;
    }
    return last;
}

// The text's last character when it is a single byte, else '\0'.
char lastSingleChar(std::string_view text) noexcept
{
    const std::size_t last = lastCharStart(text);
    return (last + 1 == text.size()) ? text[last] : '\0';
}

std::size_t firstNumberPos(std::string_view text) noexcept
{
    for (std::size_t i = 0; i < text.size(); i = text::nextChar(text, i)) {
        if (isDigit(text[i]) || text[i] == ':') {
            return i;
        }
    }
    return text.size();
}

std::size_t tokenEnd(std::string_view value, std::size_t start) noexcept
{
    std::size_t space = text::findChar(value, ' ', start);
    std::size_t quote = text::findChar(value, '"', start);
    while (quote != npos) {
        if (space == npos) {
            return value.size();
        }
        if (space < quote) {
            return space;
        }
        std::size_t close = text::findChar(value, '"', quote + 1);
        if (close == npos) {
            return space;
        }
        if (close + 1 < value.size() && value[close + 1] == '"') {
            ++close;
        }
        quote = text::findChar(value, '"', close + 1);
        space = text::findChar(value, ' ', close + 1);
    }
    return space == npos ? value.size() : space;
}

} // namespace

std::vector<std::string> splitParameters(std::string_view value)
{
    std::vector<std::string> tokens;
    std::size_t start = 0;
    while (start < value.size()) {
        const std::size_t end = tokenEnd(value, start);
        tokens.emplace_back(value.substr(start, end - start));
        start = end;
        while (start < value.size() && value[start] == ' ') {
            ++start;
        }
    }
    return tokens;
}

void removeQuotes(std::string& token)
{
    std::size_t open = text::findChar(token, '"');
    while (open != npos) {
        std::size_t close = text::findChar(token, '"', open + 1);
        if (close == npos) {
            return;
        }
        if (close + 1 < token.size() && token[close + 1] == '"') {
            ++close;
        }
        const std::size_t innerLength = close - open - 1;
        token.erase(close, 1);
        token.erase(open, 1);
        open = text::findChar(token, '"', open + innerLength);
    }
}

NumberList parseNumberList(std::string_view text)
{
    NumberList list{{}, firstNumberPos(text)};
    if (list.firstPos == text.size()) {
        return list;
    }
    list.numbers.push_back(0);
    const std::size_t end = lastCharStart(text);
    for (std::size_t i = list.firstPos; i < end; i = text::nextChar(text, i)) {
        if (isDigit(text[i])) {
            std::uint32_t& n = list.numbers.back();
            n = n * 10u + static_cast<std::uint32_t>(text[i] - '0');
        } else if (text[i] == ':') {
            list.numbers.push_back(0);
        }
    }
    return list;
}

bool isPercentageForm(std::string_view token) noexcept
{
    const std::string_view option = token.substr(0, 4);
    if (option != "-Xms" && option != "-Xmx" && option != "-Xss") {
        return false;
    }
    const char last = lastSingleChar(token);
    return last == 'P' || last == 'p';
}

std::string applyPercentage(std::string_view token, std::uint64_t totalPhysicalBytes)
{
    const NumberList list = parseNumberList(token);
    const auto number = [&list](std::size_t i) -> std::uint64_t {
        return i < list.numbers.size() ? list.numbers[i] : 0;
    };
    const std::uint64_t minimumKB = number(1) * 1024;
    const std::uint64_t maximumKB = number(2) * 1024;

    // Stored through volatile so that the x87 build rounds each step to double
    // like the SSE builds, rather than truncating an extended-precision product.
    const volatile double fraction = static_cast<double>(number(0)) * 0.01;
    const volatile double kilobytes = static_cast<double>(totalPhysicalBytes >> 10) * fraction;

    // Sizes of 4 TB and more are beyond this form: they saturate at the
    // largest 32-bit count instead of wrapping to a small one.
    std::uint64_t value = kilobytes >= 4294967296.0 ? maxUint32 : static_cast<std::uint32_t>(kilobytes);
    if (maximumKB != 0 && value > maximumKB) {
        value = maximumKB;
    }
    if (minimumKB > value) {
        value = minimumKB < maxUint32 ? minimumKB : maxUint32;
    }
    // Printed unsigned: a count of 2^31 KB or more must not come out negative.
    std::string result(token.substr(0, list.firstPos));
    text::appendDecimal(result, static_cast<std::uint32_t>(value)); // saturated above
    result += 'K';
    return result;
}

bool parseStackSize(std::string_view value, std::uint32_t& bytes) noexcept
{
    if (value.empty() || !isDigit(value[0]) || text::findChar(value, ':') != npos) {
        return false;
    }
    const char last = lastSingleChar(value);
    std::uint64_t multiplier = 1;
    if (last == 'G' || last == 'g') {
        multiplier = 1073741824;
    } else if (last == 'M' || last == 'm') {
        multiplier = 1048576;
    } else if (last == 'K' || last == 'k') {
        multiplier = 1024;
    }
    // Unlike parseNumberList this does not wrap: a stack of 4 GB or more is refused.
    const std::size_t end = isDigit(last) ? value.size() : lastCharStart(value);
    std::uint64_t number = 0;
    for (std::size_t i = 0; i < end; i = text::nextChar(value, i)) {
        if (isDigit(value[i])) {
            number = number * 10 + static_cast<std::uint64_t>(value[i] - '0');
            if (number > maxUint32) {
                return false;
            }
        }
    }
    if (number * multiplier > maxUint32) {
        return false;
    }
    bytes = static_cast<std::uint32_t>(number * multiplier);
    return true;
}

std::string processParameter(std::string token, std::uint64_t totalPhysicalBytes,
                             std::uint32_t& mainThreadStackSize)
{
    removeQuotes(token);
    if (isPercentageForm(token)) {
        token = applyPercentage(token, totalPhysicalBytes);
    }
    if (std::string_view(token).substr(0, 4) == "-Xss") {
        // An unreadable size stays the JVM's to judge; the option goes on anyway.
        static_cast<void>(parseStackSize(std::string_view(token).substr(4), mainThreadStackSize));
    }
    return token;
}

std::vector<std::string> takeJavaForms(std::vector<std::string> tokens, std::string& modulePath, char listSeparator)
{
    static const char* const joined[] = {"--add-opens",   "--add-exports",  "--add-reads",
                                         "--add-modules", "--limit-modules", "--patch-module",
                                         "--enable-native-access", "--upgrade-module-path"};
    const auto addModulePath = [&](const std::string& folders) {
        if (!modulePath.empty() && !folders.empty()) {
            modulePath += listSeparator;
        }
        modulePath += folders;
    };
    std::vector<std::string> options;
    for (std::size_t i = 0; i < tokens.size(); ++i) {
        std::string& token = tokens[i];
        const bool hasValue = i + 1 < tokens.size();
        if ((token == "--module-path" || token == "-p") && hasValue) {
            addModulePath(tokens[++i]);
            continue;
        }
        if (token.compare(0, 14, "--module-path=") == 0) {
            addModulePath(token.substr(14));
            continue;
        }
        if (hasValue && std::find(std::begin(joined), std::end(joined), token) != std::end(joined)) {
            token += '=';
            token += tokens[++i];
        }
        options.push_back(std::move(token));
    }
    return options;
}
