#include "jre/JavaVersion.h"

#include <climits>
#include <iterator>

#include "ShiftJis.h"

#include <gtest/gtest.h>

#include "text/AnsiText.h"

namespace {

using Components = std::array<std::int32_t, 4>;
constexpr std::int32_t X = JavaVersion::anyComponent;

JavaVersion make(Components components, std::int32_t count)
{
    JavaVersion v;
    v.components = components;
    v.count = count;
    return v;
}

JavaVersion installed(const char* text) { return JavaVersion::parse(text, 0); }

TEST(JavaVersionParse, ReadsDigitGroupsWhateverSeparatesThem)
{
    struct Row {
        const char* text;
        std::int32_t fill;
        Components components;
        std::int32_t count;
    };
    const Row rows[] = {
        {"1.6", 0, {1, 6, 0, 0}, 2},
        {"1.6.0_20", 0, {1, 6, 0, 20}, 4},
        {"1.6", X, {1, 6, X, X}, 2},
        {"1.7.0-ea", 0, {1, 7, 0, 0}, 3},
        {"jdk1.8.0_05", 0, {1, 8, 0, 5}, 4},
        {"1.6.0_20-b02", 0, {1, 6, 0, 20}, 4},
        {"", X, {0, 0, 0, 0}, 0},
        {"none", X, {0, 0, 0, 0}, 0},
        {"9", 7, {9, 7, 7, 7}, 1},
        {"-1.6", 0, {1, 6, 0, 0}, 2},             // a hyphen is no sign
        {"1 a6..,0 / 3", 0, {1, 6, 0, 3}, 4},
        {"1.2.3.4.5", 0, {1, 2, 3, 4}, 4},        // a fifth group is ignored
        {"0001.0006", 0, {1, 6, 0, 0}, 2},
        {"70000", 0, {70000, 0, 0, 0}, 1},
        {"4294967296", 0, {0, 0, 0, 0}, 1},       // 2^32 wraps to 0, still read
        {"4294967297.2", 0, {1, 2, 0, 0}, 2},
        {"2147483648", 0, {INT_MIN, 0, 0, 0}, 1},
        {"1.4294967295", 0, {1, -1, 0, 0}, 2},
        {"99999999999", 0, {1215752191, 0, 0, 0}, 1},
        {"9999999999999999999999999.1", 0, {1241513983, 1, 0, 0}, 2}, // beyond 64 bits too
    };
    for (const Row& row : rows) {
        bool succeeded = false;
        const JavaVersion v = JavaVersion::parse(row.text, row.fill, succeeded);
        EXPECT_EQ(v.components, row.components) << '"' << row.text << '"';
        EXPECT_EQ(v.count, row.count) << '"' << row.text << '"';
        EXPECT_EQ(succeeded, row.count > 0) << '"' << row.text << '"';
    }
}

TEST(JavaVersionFormat, PrintsUpToTheLastMeaningfulComponent)
{
    const struct {
        Components components;
        const char* text;
    } rows[] = {
        {{1, 6, 0, 0}, "1.6"},
        {{1, 6, X, X}, "1.6"},
        {{1, 0, 0, 5}, "1.0.0.5"},
        {{0, 0, 0, 5}, "0.0.0.5"},
        {{1, X, 2, 0}, "1.65535.2"},
        {{1, 6, 0, 20}, "1.6.0.20"},
        {{0, 0, 0, 0}, "0.0.0.0"},
        {{X, X, X, X}, "0.0.0.0"},
        {{X, 0, X, 0}, "0.0.0.0"},
        {{70000, 0, 0, 0}, "70000"},
        {{1, INT_MIN, 0, 0}, "1.-2147483648"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(JavaVersion::format(make(row.components, 4)), row.text);
    }
    EXPECT_EQ(JavaVersion::format(JavaVersion::lowerBound("any")), "0.0.0.0");
    EXPECT_EQ(JavaVersion::format(JavaVersion::upperBound("any")), "0.0.0.0");
}

TEST(JavaVersionCompare, OrdersBySignedComponentsIgnoringCount)
{
    const struct {
        const char* a;
        const char* b;
        int expected;
    } rows[] = {
        {"1.6", "1.6.0.0", 0},
        {"1.6", "1.6.0", 0},
        {"1.6", "1.7", -1},
        {"1.10", "1.9", 1},           // numeric, not textual
        {"1.6.0_20", "1.6.0_5", 1},
        {"1.6.1", "1.6.0_99", 1},
        {"2", "1.99.99.99", 1},
        {"2147483648", "0", -1},      // wrapped negative orders below 0
        {"1.2147483648", "1.0", -1},
        {"", "none", 0},
    };
    for (const auto& row : rows) {
        const JavaVersion a = installed(row.a);
        const JavaVersion b = installed(row.b);
        EXPECT_EQ(JavaVersion::compare(a, b), row.expected) << row.a << " vs " << row.b;
        EXPECT_EQ(JavaVersion::compare(b, a), -row.expected) << row.b << " vs " << row.a;
        EXPECT_EQ(JavaVersion::equals(a, b), row.expected == 0) << row.a << " vs " << row.b;
    }
}

TEST(JavaVersionCompare, AboveTheAnyUpperBound)
{
    EXPECT_EQ(JavaVersion::compare(installed("70000"), JavaVersion::upperBound("any")), 1);
}

TEST(JavaVersionIsUnset, OnlyAllZeroOrAllAny)
{
    EXPECT_TRUE(JavaVersion::isUnset(JavaVersion()));
    EXPECT_TRUE(JavaVersion::isUnset(make({0, 0, 0, 0}, 4)));
    EXPECT_TRUE(JavaVersion::isUnset(make({X, X, X, X}, 1)));
    EXPECT_TRUE(JavaVersion::isUnset(JavaVersion::lowerBound("any")));
    EXPECT_TRUE(JavaVersion::isUnset(JavaVersion::upperBound("any")));
    EXPECT_FALSE(JavaVersion::isUnset(make({X, X, X, 0}, 4)));
    EXPECT_FALSE(JavaVersion::isUnset(make({0, 0, 0, 1}, 4)));
    EXPECT_FALSE(JavaVersion::isUnset(JavaVersion::upperBound("1.6")));
}

TEST(JavaVersionMatches, PreferredPatterns)
{
    const struct {
        const char* candidate;
        const char* pattern;
        bool expected;
    } rows[] = {
        {"1.6", "1.6", true},
        {"1.6.0_20", "1.6", true},
        {"1.6.1", "1.6", true},
        {"1.7", "1.6", false},
        {"1.6", "1.6.0", true},        // equal after the zero fill
        {"1.6.0_20", "1.6.0", true},
        {"1.6.1", "1.6.0", false},
        {"1.6", "1.6.0.20", false},
        {"1.6", "1.6.0.0", true},      // equality beats the greater count
        {"1.6.0_20", "1", true},
        {"1.6.0_20", "1.6.0.20", true},
        {"1.6", "", false},
        {"1.6", "latest", false},
        {"", "", true},                // digit-less matches only all zero
        {"jre", "", true},
        {"0.0", "none", true},
    };
    for (const auto& row : rows) {
        const JavaVersion candidate = installed(row.candidate);
        const JavaVersion pattern = JavaVersion::parse(row.pattern, 0);
        EXPECT_EQ(JavaVersion::matches(candidate, pattern), row.expected)
            << row.candidate << " against pattern \"" << row.pattern << '"';
    }
}

TEST(JavaVersionBounds, ReadFromConfiguration)
{
    const struct {
        JavaVersion actual;
        Components components;
        std::int32_t count;
    } rows[] = {
        {JavaVersion::lowerBound("any"), {0, 0, 0, 0}, 4},
        {JavaVersion::lowerBound("1.6"), {1, 6, 0, 0}, 2},
        {JavaVersion::lowerBound(""), {0, 0, 0, 0}, 0},
        {JavaVersion::lowerBound("Any1.5"), {1, 5, 0, 0}, 2},
        {JavaVersion::upperBound("any"), {X, X, X, X}, 4},
        {JavaVersion::upperBound("1.6"), {1, 6, X, X}, 2},
        {JavaVersion::upperBound("1.6.0_20"), {1, 6, 0, 20}, 4},
        // Without a digit there is no upper bound at all, not a zero one.
        {JavaVersion::upperBound(""), {X, X, X, X}, 4},
        {JavaVersion::upperBound("ANY"), {X, X, X, X}, 4},
        {JavaVersion::upperBound("none"), {X, X, X, X}, 4},
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        EXPECT_EQ(rows[i].actual.components, rows[i].components) << "row " << i;
        EXPECT_EQ(rows[i].actual.count, rows[i].count) << "row " << i;
    }
}

TEST(JavaVersionBounds, AdmitInclusively)
{
    const struct {
        const char* version;
        const char* min;
        const char* max;
        bool admitted;
    } rows[] = {
        {"1.6.0_45", "any", "1.6", true},
        {"1.7", "any", "1.6", false},
        {"1.6", "1.6", "any", true},
        {"1.6.0_20", "1.6", "any", true},
        {"1.5.0_22", "1.6", "any", false},
        {"1.6.0_20", "1.6.0.20", "1.6.0.20", true},
        {"1.6.0_21", "1.6.0.20", "1.6.0.20", false},
        {"1.6.0_19", "1.6.0.20", "1.6.0.20", false},
        {"70000", "any", "any", false},
        {"65535.65535.65535.65535", "any", "any", true},
        {"jre", "any", "any", true},
        {"1.8.0_05", "", "", true},
        {"2147483648", "any", "any", false}, // wrapped below the zero bound
    };
    for (const auto& row : rows) {
        EXPECT_EQ(withinBounds(installed(row.version), JavaVersion::lowerBound(row.min),
                               JavaVersion::upperBound(row.max)),
                  row.admitted)
            << row.version << " in [" << row.min << ", " << row.max << ']';
    }
}

TEST(PreferredVersions, CutAtEverySemicolonKeepingEverything)
{
    const struct {
        const char* text;
        std::vector<std::string> entries;
    } rows[] = {
        {"", {""}},
        {"1.6", {"1.6"}},
        {"1.6;1.5", {"1.6", "1.5"}},
        {"1.6;", {"1.6", ""}},
        {";", {"", ""}},
        {"1.6;;1.5", {"1.6", "", "1.5"}},
        {" 1.6 ; 1.5", {" 1.6 ", " 1.5"}},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(splitPreferredVersions(row.text), row.entries) << '"' << row.text << '"';
    }
}

class PreferredVersionsDoubleByte : public ShiftJisTest {};

TEST_F(PreferredVersionsDoubleByte, SemicolonAfterLeadByteIsNoCut)
{
    EXPECT_EQ(splitPreferredVersions("\x81;1.6;1.5"), (std::vector<std::string>{"\x81;1.6", "1.5"}));
    EXPECT_EQ(splitPreferredVersions("\x81\x40;1.6"), (std::vector<std::string>{"\x81\x40", "1.6"}));
}

} // namespace
