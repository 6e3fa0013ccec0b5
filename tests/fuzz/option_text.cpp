// The JVM parameter text against state-machine readings of its rules:
// splitting at spaces outside quoted stretches, quote removal, the number
// list, the percentage form and the stack size, and one token's whole
// processing built from those readings.

#include <cinttypes>
#include <limits>

#include "jvm/OptionText.h"

#include "FuzzInput.h"

namespace {

constexpr std::uint64_t maxUint32 = std::numeric_limits<std::uint32_t>::max();

using Characters = std::vector<std::string_view>;

bool isDigit(std::string_view c) { return c.size() == 1 && c[0] >= '0' && c[0] <= '9'; }

bool quoteAfter(const Characters& cs, std::size_t i)
{
    for (std::size_t j = i + 1; j < cs.size(); ++j) {
        if (cs[j] == "\"") {
            return true;
        }
    }
    return false;
}

// A token runs to the first space outside a quoted stretch. A quote opens a
// stretch only when another quote follows somewhere; the stretch takes a
// doubled closing quote whole.
std::vector<std::string> referenceSplit(std::string_view value)
{
    const Characters cs = ansiCharacters(value);
    std::vector<std::string> tokens;
    std::size_t i = 0;
    while (i < cs.size()) {
        std::string token;
        while (i < cs.size() && cs[i] != " ") {
            if (cs[i] == "\"" && quoteAfter(cs, i)) {
                do {
                    token += cs[i++];
                } while (cs[i] != "\"");
                token += cs[i++];
                if (i < cs.size() && cs[i] == "\"") {
                    token += cs[i++];
                }
            } else {
                token += cs[i++];
            }
        }
        tokens.push_back(token);
        while (i < cs.size() && cs[i] == " ") {
            ++i;
        }
    }
    return tokens;
}

// Each quote that has a partner later on opens a stretch; both quotes go,
// except that a doubled closing quote leaves one quote behind.
std::string referenceRemoveQuotes(std::string_view token)
{
    const Characters cs = ansiCharacters(token);
    std::string result;
    bool inside = false;
    for (std::size_t i = 0; i < cs.size(); ++i) {
        if (cs[i] != "\"") {
            result += cs[i];
        } else if (inside) {
            inside = false;
            if (i + 1 < cs.size() && cs[i + 1] == "\"") {
                result += '"';
                ++i;
            }
        } else if (quoteAfter(cs, i)) {
            inside = true;
        } else {
            result += '"';
        }
    }
    return result;
}

NumberList referenceNumberList(std::string_view text)
{
    const Characters cs = ansiCharacters(text);
    NumberList list{{}, text.size()};
    std::size_t offset = 0;
    bool started = false;
    for (std::size_t i = 0; i < cs.size(); offset += cs[i].size(), ++i) {
        if (!started && (isDigit(cs[i]) || cs[i] == ":")) {
            started = true;
            list.firstPos = offset;
            list.numbers.push_back(0);
        }
        if (!started || i + 1 == cs.size()) {
            continue; // the last character never belongs to a number
        }
        if (isDigit(cs[i])) {
            list.numbers.back() = list.numbers.back() * 10u + static_cast<std::uint32_t>(cs[i][0] - '0');
        } else if (cs[i] == ":") {
            list.numbers.push_back(0);
        }
    }
    return list;
}

bool referenceIsPercentage(std::string_view token)
{
    const std::string_view option = token.substr(0, 4);
    const Characters cs = ansiCharacters(token);
    return (option == "-Xms" || option == "-Xmx" || option == "-Xss") && !cs.empty() &&
           (cs.back() == "P" || cs.back() == "p");
}

// Sizes beyond 32 bits saturate (our choice where the rules stop at 32 bits).
std::string referencePercentage(std::string_view token, std::uint64_t totalBytes)
{
    const NumberList list = referenceNumberList(token);
    const auto number = [&](std::size_t i) -> std::uint64_t { return i < list.numbers.size() ? list.numbers[i] : 0; };
    const double fraction = static_cast<double>(number(0)) * 0.01;
    const double kilobytes = static_cast<double>(totalBytes >> 10) * fraction;
    std::uint64_t value = kilobytes >= 4294967296.0 ? maxUint32 : static_cast<std::uint64_t>(kilobytes);
    if (number(2) != 0 && value > number(2) * 1024) {
        value = number(2) * 1024;
    }
    if (number(1) * 1024 > value) {
        value = std::min(number(1) * 1024, maxUint32);
    }
    char size[32];
    std::snprintf(size, sizeof size, "%" PRIu64 "K", value);
    return std::string(token.substr(0, list.firstPos)) + size;
}

// A stack of 4 GB or more is refused rather than wrapped (our choice).
bool referenceStackSize(std::string_view text, std::uint32_t& bytes)
{
    const Characters cs = ansiCharacters(text);
    if (cs.empty() || !isDigit(cs[0])) {
        return false;
    }
    std::uint64_t multiplier = 1;
    const std::string_view last = cs.back();
    if (last == "G" || last == "g") {
        multiplier = 1u << 30;
    } else if (last == "M" || last == "m") {
        multiplier = 1u << 20;
    } else if (last == "K" || last == "k") {
        multiplier = 1u << 10;
    }
    std::string digits;
    for (std::size_t i = 0; i < cs.size(); ++i) {
        if (cs[i] == ":") {
            return false;
        }
        if (isDigit(cs[i]) && (i + 1 < cs.size() || isDigit(last))) {
            if (!(digits.empty() && cs[i] == "0")) {
                digits += cs[i];
            }
        }
    }
    if (digits.size() > 10) {
        return false;
    }
    const std::uint64_t number = digits.empty() ? 0 : std::stoull(digits);
    if (number > maxUint32 || number * multiplier > maxUint32) {
        return false;
    }
    bytes = static_cast<std::uint32_t>(number * multiplier);
    return true;
}

std::string referenceProcess(std::string_view token, std::uint64_t totalBytes, std::uint32_t& stackSize)
{
    std::string result = referenceRemoveQuotes(token);
    if (referenceIsPercentage(result)) {
        result = referencePercentage(result, totalBytes);
    }
    if (result.substr(0, 4) == "-Xss") {
        static_cast<void>(referenceStackSize(std::string_view(result).substr(4), stackSize));
    }
    return result;
}

std::uint64_t readMemory(std::string_view text)
{
    std::uint64_t bytes = 0;
    for (const char c : text) {
        if (c >= '0' && c <= '9') {
            bytes = bytes * 10 + static_cast<std::uint64_t>(c - '0');
        }
    }
    return bytes;
}

bool sameList(const NumberList& a, const NumberList& b) { return a.numbers == b.numbers && a.firstPos == b.firstPos; }

void checkValueParsers(std::string_view text, std::uint64_t totalBytes)
{
    FUZZ_CHECK(sameList(parseNumberList(text), referenceNumberList(text)));
    FUZZ_CHECK(isPercentageForm(text) == referenceIsPercentage(text));
    if (referenceIsPercentage(text)) {
        FUZZ_CHECK(applyPercentage(text, totalBytes) == referencePercentage(text, totalBytes));
    }
    constexpr std::uint32_t untouched = 0xDEADBEEF;
    std::uint32_t bytes = untouched;
    std::uint32_t expected = untouched;
    FUZZ_CHECK(parseStackSize(text, bytes) == referenceStackSize(text, expected));
    FUZZ_CHECK(bytes == expected);

    std::string token(text);
    removeQuotes(token);
    FUZZ_CHECK(token == referenceRemoveQuotes(text));
    FUZZ_CHECK(token.size() <= text.size());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzInput input(data, size);
    const std::uint64_t totalBytes = readMemory(input.field());
    const std::string_view value = input.rest();

    const std::vector<std::string> tokens = splitParameters(value);
    FUZZ_CHECK(tokens == referenceSplit(value));

    checkValueParsers(value, totalBytes);
    std::uint32_t stackSize = 0;
    std::uint32_t expectedStackSize = 0;
    for (const std::string& token : tokens) {
        checkValueParsers(token, totalBytes);
        FUZZ_CHECK(processParameter(token, totalBytes, stackSize) ==
                   referenceProcess(token, totalBytes, expectedStackSize));
        FUZZ_CHECK(stackSize == expectedStackSize);
    }
    return 0;
}
