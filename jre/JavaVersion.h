#pragma once
// Java version numbers as the registry's subkey names and the configuration's
// bounds and preferred entries write them. Pure: no operating-system call.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

struct JavaVersion {
    // A position the text did not supply holds the reader's fill value; this
    // one in an upper bound stands for "any value here".
    static constexpr std::int32_t anyComponent = 65535;

    std::array<std::int32_t, 4> components{};
    // Numeric groups the text supplied (0 to 4). Only `matches` looks at it.
    std::int32_t count = 0;

    // Reads up to four digit groups, whatever separates them; positions after
    // the last group read get `fill`. A text without any digit gives the
    // all-zero value with count 0, whatever the fill. Digit groups wrap modulo
    // 2^32 and are then taken as signed.
    static JavaVersion parse(std::string_view text, std::int32_t fill) noexcept;
    // As above; `succeeded` tells whether the text held a digit at all.
    static JavaVersion parse(std::string_view text, std::int32_t fill, bool& succeeded) noexcept;

    // Dotted text up to the last component that is neither 0 nor 65535, such
    // as "1.6" or "1.0.0.5"; "0.0.0.0" when there is no such component.
    static std::string format(const JavaVersion& v);

    // -1, 0 or +1 by the four components as signed numbers; count ignored.
    static int compare(const JavaVersion& a, const JavaVersion& b) noexcept;
    static bool equals(const JavaVersion& a, const JavaVersion& b) noexcept;

    // All four components 0, or all four 65535: no bound at all.
    static bool isUnset(const JavaVersion& v) noexcept;

    // Whether `candidate` satisfies the preferred-version `pattern`: equal
    // components, or the pattern's groups (count of them) are a prefix of the
    // candidate's and the candidate supplied at least as many.
    static bool matches(const JavaVersion& candidate, const JavaVersion& pattern) noexcept;

    // Bounds from the configuration; "any" (exact case) means no bound.
    static JavaVersion lowerBound(std::string_view text) noexcept;
    // Missing positions hold 65535, so "1.6" admits every 1.6.x.y. A text
    // without a digit is read as "any": its all-zero reading would refuse
    // every runtime, which no configuration can have meant.
    static JavaVersion upperBound(std::string_view text) noexcept;
};

// Both bounds inclusive.
bool withinBounds(const JavaVersion& v, const JavaVersion& lower, const JavaVersion& upper) noexcept;

// The entries of "Preferred versions", cut at every ';' (character-wise) and
// kept as written: nothing trimmed, empty entries kept, so an empty text is
// one empty entry and a trailing ';' adds an empty last entry.
std::vector<std::string> splitPreferredVersions(std::string_view text);
