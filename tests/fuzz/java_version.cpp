// Version numbers against a reading of their rules written independently of
// the production code: parsing digit by digit, ordering as a lexicographic
// comparison of the four components, printing, the preference test, the
// bounds and the requirement message they select.

#include <array>
#include <string>

#include "jre/InstallationOrder.h"
#include "jre/JavaVersion.h"

#include "FuzzInput.h"

namespace {

using Components = std::array<std::int32_t, 4>;

struct Reading {
    Components components{};
    std::int32_t count = 0;
};

bool isDigit(char c) { return c >= '0' && c <= '9'; }

Reading referenceParse(std::string_view text, std::int32_t fill)
{
    Reading r;
    std::array<std::uint32_t, 4> groups{};
    bool inGroup = false;
    for (const char c : text) {
        if (!isDigit(c)) {
            inGroup = false;
            continue;
        }
        if (!inGroup) {
            if (r.count == 4) {
                break;
            }
            ++r.count;
            inGroup = true;
        }
        std::uint32_t& group = groups[static_cast<std::size_t>(r.count - 1)];
        group = group * 10u + static_cast<std::uint32_t>(c - '0');
    }
    if (r.count == 0) {
        return r;
    }
    for (std::size_t i = 0; i < 4; ++i) {
        r.components[i] = i < static_cast<std::size_t>(r.count) ? static_cast<std::int32_t>(groups[i]) : fill;
    }
    return r;
}

bool isUnset(const Components& c)
{
    return c == Components{0, 0, 0, 0} || c == Components{65535, 65535, 65535, 65535};
}

std::string referenceFormat(const Components& c)
{
    int last = -1;
    for (int i = 0; i < 4; ++i) {
        if (c[static_cast<std::size_t>(i)] != 0 && c[static_cast<std::size_t>(i)] != 65535) {
            last = i;
        }
    }
    if (last < 0) {
        return "0.0.0.0";
    }
    std::string text;
    for (int i = 0; i <= last; ++i) {
        char piece[16];
        std::snprintf(piece, sizeof piece, ".%d", c[static_cast<std::size_t>(i)]);
        text += piece;
    }
    return text.substr(1);
}

int referenceCompare(const Components& a, const Components& b) { return a < b ? -1 : (b < a ? 1 : 0); }

bool referenceMatches(const Reading& candidate, const Reading& pattern)
{
    if (candidate.components == pattern.components) {
        return true;
    }
    if (pattern.count > candidate.count || pattern.count == 0) {
        return false;
    }
    const auto n = static_cast<std::size_t>(pattern.count);
    return std::equal(pattern.components.begin(), pattern.components.begin() + n, candidate.components.begin());
}

Reading referenceLowerBound(std::string_view text)
{
    return text == "any" ? Reading{{0, 0, 0, 0}, 4} : referenceParse(text, 0);
}

// A digit-less upper bound is read as "any" (our choice where the rules leave
// it open), not as the all-zero bound that would refuse every runtime.
Reading referenceUpperBound(std::string_view text)
{
    const Reading r = referenceParse(text, 65535);
    return (text == "any" || r.count == 0) ? Reading{{65535, 65535, 65535, 65535}, 4} : r;
}

RequirementForm referenceForm(const Components& min, const Components& max)
{
    if (isUnset(min) && isUnset(max)) {
        return RequirementForm::Latest;
    }
    if (isUnset(min)) {
        return RequirementForm::Maximum;
    }
    if (isUnset(max)) {
        return RequirementForm::Minimum;
    }
    return min == max ? RequirementForm::Exact : RequirementForm::Between;
}

bool same(const JavaVersion& v, const Reading& r) { return v.components == r.components && v.count == r.count; }

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzInput input(data, size);
    const std::string_view candidateText = input.field();
    const std::string_view patternText = input.field();
    const std::string_view lowerText = input.field();
    const std::string_view upperText = input.field();
    const std::string_view preferredText = input.rest();

    bool succeeded = false;
    const JavaVersion candidate = JavaVersion::parse(candidateText, 0, succeeded);
    const Reading candidateModel = referenceParse(candidateText, 0);
    FUZZ_CHECK(same(candidate, candidateModel));
    FUZZ_CHECK(succeeded == (candidateModel.count != 0));
    FUZZ_CHECK(same(JavaVersion::parse(candidateText, 65535), referenceParse(candidateText, 65535)));

    const JavaVersion pattern = JavaVersion::parse(patternText, 0);
    const Reading patternModel = referenceParse(patternText, 0);
    FUZZ_CHECK(same(pattern, patternModel));

    FUZZ_CHECK(JavaVersion::format(candidate) == referenceFormat(candidateModel.components));
    FUZZ_CHECK(JavaVersion::format(pattern) == referenceFormat(patternModel.components));
    const int order = JavaVersion::compare(candidate, pattern);
    FUZZ_CHECK(order == referenceCompare(candidateModel.components, patternModel.components));
    FUZZ_CHECK(JavaVersion::compare(pattern, candidate) == -order);
    FUZZ_CHECK(JavaVersion::equals(candidate, pattern) == (order == 0));
    FUZZ_CHECK(JavaVersion::isUnset(candidate) == isUnset(candidateModel.components));
    FUZZ_CHECK(JavaVersion::matches(candidate, pattern) == referenceMatches(candidateModel, patternModel));
    FUZZ_CHECK(JavaVersion::matches(pattern, candidate) == referenceMatches(patternModel, candidateModel));

    const JavaVersion lower = JavaVersion::lowerBound(lowerText);
    const JavaVersion upper = JavaVersion::upperBound(upperText);
    const Reading lowerModel = referenceLowerBound(lowerText);
    const Reading upperModel = referenceUpperBound(upperText);
    FUZZ_CHECK(same(lower, lowerModel));
    FUZZ_CHECK(same(upper, upperModel));
    FUZZ_CHECK(withinBounds(candidate, lower, upper) ==
               (referenceCompare(candidateModel.components, lowerModel.components) >= 0 &&
                referenceCompare(candidateModel.components, upperModel.components) <= 0));
    FUZZ_CHECK(requirementForm(lower, upper) == referenceForm(lowerModel.components, upperModel.components));

    // Cutting at ';' loses nothing: the entries joined again are the text, and
    // none of them holds a ';' of its own.
    const std::vector<std::string> entries = splitPreferredVersions(preferredText);
    std::string joined;
    std::size_t separators = 0;
    for (const std::string_view c : ansiCharacters(preferredText)) {
        separators += c == ";" ? 1 : 0;
    }
    for (std::size_t i = 0; i < entries.size(); ++i) {
        joined += (i == 0 ? "" : ";") + entries[i];
        for (const std::string_view c : ansiCharacters(entries[i])) {
            FUZZ_CHECK(c != ";");
        }
    }
    FUZZ_CHECK(joined == preferredText);
    FUZZ_CHECK(entries.size() == separators + 1);
    return 0;
}
