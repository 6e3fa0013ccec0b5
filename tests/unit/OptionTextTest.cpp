#include "jvm/OptionText.h"

#include "ShiftJis.h"

#include <gtest/gtest.h>

#include "text/AnsiText.h"

namespace {

using Tokens = std::vector<std::string>;
constexpr std::uint64_t twoGiB = 2147483648u;
constexpr std::uint32_t untouched = 7;

class OptionTextShiftJis : public ShiftJisTest {};

TEST(SplitParameters, SeparatesAtSpacesOutsideQuotedStretches)
{
    const struct {
        const char* value;
        Tokens tokens;
    } rows[] = {
        {"", {}},
        {"-Xms64m  -Xmx256m", {"-Xms64m", "-Xmx256m"}},
        {"-Xms64m -Xmx256m   ", {"-Xms64m", "-Xmx256m"}},
        {" -Xms64m", {"", "-Xms64m"}},
        {"-Xms64m\t-Xmx256m", {"-Xms64m\t-Xmx256m"}},
        {"\"-Dapp.home=C:\\Program Files\\App\" -Xmx1g", {"\"-Dapp.home=C:\\Program Files\\App\"", "-Xmx1g"}},
        {"-Dname=\"a b\" -Dp=\"x y\"z w", {"-Dname=\"a b\"", "-Dp=\"x y\"z", "w"}},
        {"-Da=\"x y", {"-Da=\"x", "y"}},                  // an unmatched quote groups nothing
        {"\"a\"\"b c\" d", {"\"a\"\"b", "c\"", "d"}},     // a doubled quote ends the stretch
        {"\"a b\"\"\" c", {"\"a b\"\"\"", "c"}},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(splitParameters(row.value), row.tokens) << '"' << row.value << '"';
    }
}

TEST(RemoveQuotes, DropsPairsKeepingDoubledAndUnmatchedQuotes)
{
    const struct {
        const char* token;
        const char* expected;
    } rows[] = {
        {"\"-Dapp.home=C:\\Program Files\\App\"", "-Dapp.home=C:\\Program Files\\App"},
        {"-Dname=\"a b\"", "-Dname=a b"},
        {"-Dx=\"a\"b\"c\"", "-Dx=abc"},
        {"\"\"", ""},
        {"\"abc\"\"", "abc\""},
        {"\"a\"\"b\"", "a\"b\""},   // the literal quote is never reopened
        {"-Dx=\"abc", "-Dx=\"abc"},
        {"a\"b\"c\"d", "abc\"d"},
    };
    for (const auto& row : rows) {
        std::string token = row.token;
        removeQuotes(token);
        EXPECT_EQ(token, row.expected) << row.token;
    }
}

TEST(ParseNumberList, ReadsColonSeparatedNumbersBeforeTheLastCharacter)
{
    const struct {
        const char* text;
        std::vector<std::uint32_t> numbers;
        std::size_t firstPos;
    } rows[] = {
        {"-Xmx50p", {50}, 4},
        {"-Xmx10:600:500p", {10, 600, 500}, 4},
        {"-Xmx5", {0}, 4},
        {"-Xmx:p", {0, 0}, 4},
        {"-Xmx1a2p", {12}, 4},
        {"-Xmxp", {}, 5},
        {"", {}, 0},
        {"-Xmx4294967297p", {1}, 4},
    };
    for (const auto& row : rows) {
        const NumberList list = parseNumberList(row.text);
        EXPECT_EQ(list.numbers, row.numbers) << row.text;
        EXPECT_EQ(list.firstPos, row.firstPos) << row.text;
    }
}

TEST(ApplyPercentage, ComputesKilobytesCappedThenRaised)
{
    const struct {
        const char* token;
        std::uint64_t totalBytes;
        const char* expected;
    } rows[] = {
        {"-Xmx50p", twoGiB, "-Xmx1048576K"},
        {"-Xmx50:0:512p", twoGiB, "-Xmx524288K"},
        {"-Xms10:512p", twoGiB, "-Xms524288K"},
        {"-Xmx10:600:500p", twoGiB, "-Xmx614400K"},
        {"-Xmx50:0:4194305p", twoGiB, "-Xmx1048576K"},        // no 32-bit wrap of the cap
        {"-Xms0:4194304p", twoGiB, "-Xms4294967295K"},
        {"-Xmx50p", std::uint64_t{1} << 42, "-Xmx2147483648K"}, // 2^31 KB printed unsigned
        {"-Xmx100p", std::uint64_t{1} << 43, "-Xmx4294967295K"},
        {"-Xmxp", twoGiB, "-Xmxp0K"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(applyPercentage(row.token, row.totalBytes), row.expected) << row.token;
    }
}

TEST(ParseStackSize, AcceptsDigitsWithAnOptionalUnit)
{
    const struct {
        const char* value;
        bool accepted;
        std::uint32_t bytes;
    } rows[] = {
        {"512k", true, 524288},
        {"512K", true, 524288},
        {"2m", true, 2097152},
        {"1G", true, 1073741824},
        {"3g", true, 3221225472u},
        {"1048576", true, 1048576},
        {"7", true, 7},
        {"4294967295", true, 4294967295u},
        {"12q", true, 12},
        {"1:2k", false, untouched},
        {"5:", false, untouched},
        {"abc", false, untouched},
        {"k", false, untouched},
        {"", false, untouched},
        {"4g", false, untouched},
        {"4194304k", false, untouched},
        {"4294967297", false, untouched},
        {"18446744073709551617", false, untouched},
    };
    for (const auto& row : rows) {
        std::uint32_t bytes = untouched;
        EXPECT_EQ(parseStackSize(row.value, bytes), row.accepted) << row.value;
        EXPECT_EQ(bytes, row.bytes) << row.value;
    }
}

TEST(ProcessParameter, RemovesQuotesThenComputesThenReadsTheStackSize)
{
    const struct {
        const char* token;
        const char* expected;
        std::uint32_t stack;
    } rows[] = {
        {"-Xmx50p", "-Xmx1048576K", untouched},
        {"\"-Xmx50P\"", "-Xmx1048576K", untouched},
        {"-XMX50p", "-XMX50p", untouched},
        {"-Xss1p", "-Xss20971K", 21474304},
        {"-Xss512k", "-Xss512k", 524288},
        {"\"-Xss2m\"", "-Xss2m", 2097152},
        {"-Xss1048576", "-Xss1048576", 1048576},
        {"-Xss1:2k", "-Xss1:2k", untouched},
        {"-Xssabc", "-Xssabc", untouched},
        {"-xss1m", "-xss1m", untouched},
        {"-Dname=\"a b\"", "-Dname=a b", untouched},
        {"", "", untouched},
    };
    for (const auto& row : rows) {
        std::uint32_t stack = untouched;
        EXPECT_EQ(processParameter(row.token, twoGiB, stack), row.expected) << row.token;
        EXPECT_EQ(stack, row.stack) << row.token;
    }
}

TEST(ProcessParameter, LastReadableStackSizeWins)
{
    std::uint32_t stack = 0;
    for (const char* token : {"-Xss1m", "-Xss2m", "-Xss:3m"}) {
        EXPECT_EQ(processParameter(token, twoGiB, stack), token);
    }
    EXPECT_EQ(stack, 2097152u);
}

// Spaces, quotes, digits and colons are never trail bytes in a double-byte
// code page, so splitting and quote removal cannot go wrong byte-wise on
// valid text; a unit letter or P can be a trail byte, though.
TEST_F(OptionTextShiftJis, TrailByteIsNeverTakenForALetter)
{
    // "パ" is 83 70: its trail byte is 'p'.
    EXPECT_FALSE(isPercentageForm("-Xmx50\x83\x70"));
    std::uint32_t stack = untouched;
    EXPECT_EQ(processParameter("-Xmx50\x83\x70", twoGiB, stack), "-Xmx50\x83\x70");
    // "Ｌ" is 82 6B: its trail byte is 'k', which must not scale the size.
    EXPECT_TRUE(parseStackSize("512\x82\x6B", stack));
    EXPECT_EQ(stack, 512u);
}

} // namespace

TEST(TakeJavaForms, JoinsWhatJavaTakesWithASpaceAndCollectsTheModulePath)
{
    using Tokens = std::vector<std::string>;
    std::string modulePath = "mods";
    const Tokens options = takeJavaForms(
        Tokens{"--add-opens", "java.base/java.lang=ALL-UNNAMED", "-Dx=1", "--add-exports", "a/b=c", "--add-reads",
               "a=b", "--add-modules", "x,y", "--limit-modules", "z", "--patch-module", "m=p.jar",
               "--enable-native-access", "ALL-UNNAMED", "--upgrade-module-path", "up", "-p", "one",
               "--module-path", "two", "--module-path=three", "--add-opens=already=joined", "-cp", "kept"},
        modulePath, ';');
    EXPECT_EQ(options, (Tokens{"--add-opens=java.base/java.lang=ALL-UNNAMED", "-Dx=1", "--add-exports=a/b=c",
                               "--add-reads=a=b", "--add-modules=x,y", "--limit-modules=z", "--patch-module=m=p.jar",
                               "--enable-native-access=ALL-UNNAMED", "--upgrade-module-path=up",
                               "--add-opens=already=joined", "-cp", "kept"}));
    EXPECT_EQ(modulePath, "mods;one;two;three");

    // Nothing follows: the option goes to the JVM as written, to refuse.
    std::string none;
    EXPECT_EQ(takeJavaForms(Tokens{"-Xmx1g", "--add-opens"}, none, ':'), (Tokens{"-Xmx1g", "--add-opens"}));
    EXPECT_EQ(takeJavaForms(Tokens{"-p"}, none, ':'), (Tokens{"-p"}));
    EXPECT_EQ(none, "");
    EXPECT_EQ(takeJavaForms(Tokens{"-p", "a", "-p", "b"}, none, ':'), Tokens{});
    EXPECT_EQ(none, "a:b");
}
