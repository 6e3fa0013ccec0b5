#include "jre/JavaVersion.h"

#include "text/Decimal.h"

#include "text/AnsiText.h"

namespace {

// Digits are searched byte-wise: no double-byte code page uses an ASCII digit
// as a trail byte.
bool isDigit(char c) noexcept { return c >= '0' && c <= '9'; }

std::size_t findDigit(std::string_view text, std::size_t from) noexcept
{
    for (std::size_t i = from; i < text.size(); ++i) {
        if (isDigit(text[i])) {
            return i;
        }
    }
    return std::string_view::npos;
}

JavaVersion allComponents(std::int32_t value) noexcept
{
    JavaVersion v;
    v.components = {value, value, value, value};
    v.count = 4;
    return v;
}

} // namespace

JavaVersion JavaVersion::parse(std::string_view text, std::int32_t fill) noexcept
{
    bool succeeded = false;
    return parse(text, fill, succeeded);
}

JavaVersion JavaVersion::parse(std::string_view text, std::int32_t fill, bool& succeeded) noexcept
{
    JavaVersion v;
    std::size_t pos = findDigit(text, 0);
    if (pos == std::string_view::npos) {
        succeeded = false;
        return v;
    }
    while (pos != std::string_view::npos && v.count < 4) {
        // Unsigned so that an over-long group wraps instead of overflowing.
        std::uint32_t value = 0;
        for (; pos < text.size() && isDigit(text[pos]); ++pos) {
            value = value * 10u + static_cast<std::uint32_t>(text[pos] - '0');
        }
        v.components[static_cast<std::size_t>(v.count)] = static_cast<std::int32_t>(value);
        ++v.count;
        pos = findDigit(text, pos);
    }
    for (std::size_t i = static_cast<std::size_t>(v.count); i < v.components.size(); ++i) {
        v.components[i] = fill;
    }
    succeeded = true;
    return v;
}

std::string JavaVersion::format(const JavaVersion& v)
{
    std::size_t end = v.components.size();
    while (end > 0 && (v.components[end - 1] == 0 || v.components[end - 1] == anyComponent)) {
        --end;
    }
    if (end == 0) {
        return "0.0.0.0";
    }
    std::string text;
    for (std::size_t i = 0; i < end; ++i) {
        if (i > 0) {
            text += '.';
        }
        // A group too long for its 32 bits wrapped when parsed, and may be
        // negative: printed as it is held.
        const std::int64_t component = v.components[i];
        if (component < 0) {
            text += '-';
        }
        text::appendDecimal(text, static_cast<std::uint32_t>(component < 0 ? -component : component));
    }
    return text;
}

int JavaVersion::compare(const JavaVersion& a, const JavaVersion& b) noexcept
{
    for (std::size_t i = 0; i < a.components.size(); ++i) {
        if (a.components[i] != b.components[i]) {
            return a.components[i] < b.components[i] ? -1 : 1;
        }
    }
    return 0;
}

bool JavaVersion::equals(const JavaVersion& a, const JavaVersion& b) noexcept
{
    return a.components == b.components;
}

bool JavaVersion::isUnset(const JavaVersion& v) noexcept
{
    return equals(v, allComponents(0)) || equals(v, allComponents(anyComponent));
}

bool JavaVersion::matches(const JavaVersion& candidate, const JavaVersion& pattern) noexcept
{
    // Equality comes first so that a fully written pattern (1.6.0.0) still
    // finds an installation registered under its short name (1.6).
    if (equals(candidate, pattern)) {
        return true;
    }
    if (pattern.count == 0 || pattern.count > candidate.count) {
        return false;
    }
    for (std::size_t i = 0; i < static_cast<std::size_t>(pattern.count); ++i) {
        if (candidate.components[i] != pattern.components[i]) {
            return false;
        }
    }
    return true;
}

JavaVersion JavaVersion::lowerBound(std::string_view text) noexcept
{
    if (text == "any") {
        return allComponents(0);
    }
    return parse(text, 0);
}

JavaVersion JavaVersion::upperBound(std::string_view text) noexcept
{
    if (text == "any") {
        return allComponents(anyComponent);
    }
    bool succeeded = false;
    const JavaVersion v = parse(text, anyComponent, succeeded);
    return succeeded ? v : allComponents(anyComponent);
}

bool withinBounds(const JavaVersion& v, const JavaVersion& lower, const JavaVersion& upper) noexcept
{
    return JavaVersion::compare(v, lower) >= 0 && JavaVersion::compare(v, upper) <= 0;
}

std::vector<std::string> splitPreferredVersions(std::string_view text)
{
    std::vector<std::string> entries;
    std::size_t start = 0;
    for (;;) {
        const std::size_t cut = text::findChar(text, ';', start);
        if (cut == std::string_view::npos) {
            entries.emplace_back(text.substr(start));
            return entries;
        }
        entries.emplace_back(text.substr(start, cut - start));
        start = cut + 1;
    }
}
